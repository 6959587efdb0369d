#!/usr/bin/env bash
# A private session bus for the keyring tests: `start DIR` starts dbus-daemon on DIR/socket and
# keeps its process id in DIR/pid; `stop DIR` ends that process. The bus starts no services on
# demand, so a keyring exists on it only while a test runs one. When the bus cannot start, the
# reason goes to DIR/failed and the tests that need it skip with it.
set -u
dir=$2
case "$1" in
start)
  rm -rf "$dir"
  mkdir -p "$dir"
  cat >"$dir/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$dir/socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  if ! command -v dbus-daemon >/dev/null; then
    echo "dbus-daemon is not installed" >"$dir/failed"
    exit 0
  fi
  dbus-daemon --config-file="$dir/bus.conf" --fork --print-pid=1 >"$dir/pid" 2>"$dir/failed" ||
    echo "dbus-daemon did not start" >>"$dir/failed"
  [ -s "$dir/pid" ] && [ ! -s "$dir/failed" ] && rm -f "$dir/failed"
  exit 0
  ;;
stop)
  [ -s "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null
  rm -f "$dir/pid"
  exit 0
  ;;
esac
echo "usage: $0 start|stop DIR" >&2
exit 2
