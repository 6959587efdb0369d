#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tidewell need.
set -euo pipefail
# adwaita-icon-theme: the toolbar pictures where the desktop names no icon theme; libqt6svg6: the
# program icon (SVG); appstream and desktop-file-utils: the tests validate the desktop files;
# libssl-dev: FTP over TLS; python3-openssl: the tests' TLS server; qtkeychain-qt6-dev: site
# passwords in the desktop's keyring (libsecret-1-0 reaches the Secret Service); dbus-daemon,
# dbus-bin and gnome-keyring: the tests' private keyring; qt6-tools-dev and qt6-l10n-tools:
# lupdate and lrelease for the translation; qt6-translations-l10n: Qt's own Korean.
packages=(build-essential cmake ninja-build qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
          libgl-dev python3 python3-pyftpdlib
          adwaita-icon-theme libqt6svg6 appstream desktop-file-utils libssl-dev python3-openssl
          qtkeychain-qt6-dev libsecret-1-0 dbus-daemon dbus-bin gnome-keyring)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
fi
