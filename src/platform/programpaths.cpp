#include "platform/programpaths.h"

#include <QDir>
#include <QFileDevice>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <memory>
#include <mutex>

Q_LOGGING_CATEGORY(lcPaths, "tidewell.paths", QtWarningMsg)

namespace programpaths {
namespace {

constexpr QFileDevice::Permissions ownerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// Creates `name` inside `parent` for the owner only; an existing folder is left as it is.
bool makePrivateFolder(const QString &parent, const QString &name)
{
    const QString path = parent + name;
    return QFileInfo(path).isDir() || QDir().mkdir(path, ownerOnly);
}

QString withSlash(const QString &path) { return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'); }

struct TempState {
    std::once_flag folderOnce;
    std::unique_ptr<QTemporaryDir> folder;
    QString folderPath;
    std::once_flag fileOnce;
    QString listingFile;
};

TempState &tempState()
{
    static TempState state;
    return state;
}

} // namespace

QString programFolder()
{
    // The same folder as AppDataLocation under the names KALO/Tidewell, also in a process
    // (a test) that runs under another application name.
    static const QString folder = [] {
        const QString base = withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        QDir().mkpath(base);
        if (!makePrivateFolder(base, QStringLiteral("KALO")) ||
            !makePrivateFolder(base + QStringLiteral("KALO/"), QStringLiteral("Tidewell")))
            qCWarning(lcPaths) << "cannot create" << base + QStringLiteral("KALO/Tidewell");
        return base + QStringLiteral("KALO/Tidewell/");
    }();
    return folder;
}

QString privateTempFolder()
{
    TempState &state = tempState();
    std::call_once(state.folderOnce, [&state] {
        // A fresh folder of a random name, created with mode 0700 in one step: nobody else can
        // plant a file or a link at the names the program writes to.
        auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tidewell-XXXXXX"));
        if (folder->isValid()) {
            state.folderPath = withSlash(folder->path());
            state.folder = std::move(folder);
            return;
        }
        // No usable temporary folder: fall back to one inside the private data folder.
        state.folderPath = programFolder() + QStringLiteral("tmp/");
        if (!makePrivateFolder(programFolder(), QStringLiteral("tmp")))
            qCWarning(lcPaths) << "cannot create" << state.folderPath;
    });
    return state.folderPath;
}

void reserveListingTempFile()
{
    TempState &state = tempState();
    std::call_once(state.fileOnce, [&state] {
        const QString folder = privateTempFolder();
        QTemporaryFile file(folder + QStringLiteral("DIRXXXXXX.TMP"));
        // The file is created to make the name unique, then removed at once; only its name is kept.
        if (file.open())
            state.listingFile = file.fileName();
        else
            state.listingFile = folder + QStringLiteral("DIR0000.TMP");
    });
}

QString listingTempFile()
{
    reserveListingTempFile();
    return tempState().listingFile;
}

} // namespace programpaths
