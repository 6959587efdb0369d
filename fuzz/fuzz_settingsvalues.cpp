// The settings store's file as the program reads it at start-up: the preferences (numbers,
// switches, the e-mail address, the download folder, the ASCII extensions) and the last session.
// Any bytes give numbers within what the options pages accept or their defaults, switches of 0 or
// 1, and a download folder that exists; what was read, saved through the store and read again,
// gives the same values.
//
// The store is the program's own QSettings on a file in a private folder. Each input gets a new
// modification time, so that the store reads it even when it has the size and the second of the
// one before. The save and read back writes the file ten times; it runs for one input in 64,
// chosen by the input's bytes so that a finding reproduces.
#include "fuzzcheck.h"
#include "platform/appsettings.h"
#include "platform/settingsstore.h"
#include "session/lastsession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{

QString storeFile()
{
    static const QString path = [] {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KALO"),
                           QStringLiteral("Tidewell"));
        return settings.fileName();
    }();
    return path;
}

void writeStore(const QByteArray &bytes)
{
    static long long stamp = 1'000'000'000;
    QFile file(storeFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    file.close();
    ++stamp;
    const timespec times[2] = {{stamp, 0}, {stamp, 0}};
    if (::utimensat(AT_FDCWD, QFile::encodeName(storeFile()).constData(), times, 0) != 0)
        std::abort();
    // Another object on the same file makes the program's store read it again.
    QSettings reader(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KALO"),
                     QStringLiteral("Tidewell"));
    reader.sync();
}

struct Values {
    int retryCount, retryDelaySeconds, keepConnection, soundEffects, passiveMode, keepAliveMinutes;
    QString emailAddress, downloadFolder, asciiExtensions;
    LoginFields last;

    bool operator==(const Values &o) const
    {
        return retryCount == o.retryCount && retryDelaySeconds == o.retryDelaySeconds &&
               keepConnection == o.keepConnection && soundEffects == o.soundEffects &&
               passiveMode == o.passiveMode && keepAliveMinutes == o.keepAliveMinutes &&
               emailAddress == o.emailAddress && downloadFolder == o.downloadFolder &&
               asciiExtensions == o.asciiExtensions && last == o.last;
    }
};

Values load()
{
    LoadSettings();
    const AppSettings &s = appSettings();
    return {s.retryCount,   s.retryDelaySeconds, s.keepConnection, s.soundEffects,    s.passiveMode,
            s.keepAliveMinutes, s.emailAddress,  s.downloadFolder, s.asciiExtensions, readLastSession()};
}

bool isSwitch(int value)
{
    return value == 0 || value == 1;
}

// As the options pages and the login save them.
void save(const Values &v)
{
    using namespace settingsstore;
    const QString section = QString::fromLatin1(applSet);
    writeInt(section, QStringLiteral("Retry"), v.retryCount);
    writeInt(section, QStringLiteral("RetryTime"), v.retryDelaySeconds);
    writeString(section, QStringLiteral("EMail"), v.emailAddress);
    writeString(section, QStringLiteral("Download"), v.downloadFolder);
    writeInt(section, QStringLiteral("KeepConnect"), v.keepConnection);
    writeInt(section, QStringLiteral("Bell"), v.soundEffects);
    writeInt(section, QStringLiteral("Passive"), v.passiveMode);
    writeInt(section, QStringLiteral("KeepTime"), v.keepAliveMinutes);
    writeString(section, QStringLiteral("AsciiFile"), v.asciiExtensions);
    writeLastSession(v.last);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The store and the program folder live in the scratch folder, never in the user's home.
    const QByteArray home = QFile::encodeName(fuzzcheck::scratchFolder());
    ::setenv("XDG_CONFIG_HOME", (home + "/config").constData(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").constData(), 1);
    ::setenv("XDG_CONFIG_DIRS", (home + "/system").constData(), 1);
    QDir().mkpath(QFileInfo(storeFile()).path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    writeStore(bytes);
    const Values read = load();

    FUZZ_CHECK(read.retryCount >= 0 && read.retryCount <= AppSettings::retriesMaximum);
    FUZZ_CHECK(read.retryDelaySeconds >= 0 && read.retryDelaySeconds <= AppSettings::retryDelayMaximum);
    FUZZ_CHECK(read.keepAliveMinutes >= 0 && read.keepAliveMinutes <= AppSettings::keepAliveMaximum);
    FUZZ_CHECK(isSwitch(read.keepConnection) && isSwitch(read.soundEffects) && isSwitch(read.passiveMode));
    FUZZ_CHECK(!read.downloadFolder.isEmpty() && QFileInfo(read.downloadFolder).isDir());
    // Text values are whatever the file holds; their size follows the input's.
    for (const QString *text : {&read.emailAddress, &read.asciiExtensions, &read.last.serverHost,
                                &read.last.userName, &read.last.password})
        FUZZ_CHECK(text->size() <= bytes.size() + 64);

    if (fuzzcheck::hash(data, size) % 64 == 0) {
        save(read);
        FUZZ_CHECK(load() == read);
    }
    return 0;
}
