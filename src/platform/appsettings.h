#pragma once

#include <QString>

#include <atomic>

// The in-memory copy of the stored preferences. Written only by the window thread, one field
// at a time; the worker reads it.
struct AppSettings {
    // What the options pages accept; a stored number outside its range reads as the default.
    static constexpr int retriesMaximum = 100;
    static constexpr int retryDelayMaximum = 90000; // seconds
    static constexpr int keepAliveMaximum = 60;     // minutes
    static constexpr int simultaneousMaximum = 10;

    std::atomic<int> retryCount{3};
    std::atomic<int> retryDelaySeconds{10};
    QString emailAddress;
    QString downloadFolder;
    std::atomic<int> afterTransferAction{0}; // 0 nothing, 1 disconnect, 2 shut down; never stored
    std::atomic<int> keepConnection{1};
    std::atomic<int> soundEffects{1};
    std::atomic<int> passiveMode{1};
    std::atomic<int> keepAliveMinutes{3};
    QString asciiExtensions;
    std::atomic<int> transferMode{0}; // 0 auto, 1 binary, 2 ASCII; never stored
    // Site and last-session passwords in the desktop's keyring instead of the files.
    std::atomic<int> keepPasswordsInKeyring{0};
    // Compare each transferred file's checksum with the server's where it offers one.
    std::atomic<bool> verifyChecksums{true};
    // Downloaded files get the server's modified time, uploaded ones keep theirs on the server.
    std::atomic<int> keepFileTimes{0};
    // Connections a queue run transfers on, 1 to simultaneousMaximum.
    std::atomic<int> simultaneousTransfers{2};
};

AppSettings &appSettings();

// The stored name of `keepPasswordsInKeyring`.
inline constexpr const char *keyringPasswordsName = "KeyringPasswords";

// Fills appSettings() from the settings store. Called once, by the main window while it is built.
// Numbers come back within the ranges above and switches as 0 or 1, whatever the store holds.
void LoadSettings();

// The e-mail address used as the password of anonymous logins when none is stored.
QString defaultEmailAddress();
// The desktop's Downloads folder, where a fresh installation saves what it downloads.
QString defaultDownloadFolder();
