#include "engine/listingloader.h"

#include "engine/dataconnection.h"
#include "engine/dircommands.h"
#include "platform/log.h"
#include "platform/programpaths.h"
#include "platform/uithread.h"
#include "session/sessionhooks.h"
#include "session/sessionstate.h"
#include "platform/appsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace
{

constexpr int transferCompletedId = 149;

template <typename Hook, typename... Args> void postHook(Hook SessionHooks::*hook, Args... args)
{
    uithread::post([hook, args...] {
        if (const auto &call = sessionHooks().*hook)
            call(args...);
    });
}

void showWaitCursor(bool on)
{
    postHook(&SessionHooks::setWaitCursor, on);
}

void endListing()
{
    showWaitCursor(false);
    session().waitCursor = false;
}

void keepDebugCopy(const QString &listingFile)
{
    const QString copy = debugListingPath(listingFile);
    QFile::remove(copy);
    if (QFile::copy(listingFile, copy))
        postHook(&SessionHooks::openDocument, copy);
    else
        AppendLog(QStringLiteral("Could not copy the listing to %1\n").arg(copy), LogColor::Error);
}

// Hands the rows to the remote pane and waits until it holds them, so that whoever runs after
// the listing (the queue job's folder expansion) sees the new rows.
void showRows(std::vector<FileEntry> rows, bool writeCache)
{
    auto shared = std::make_shared<std::vector<FileEntry>>(std::move(rows));
    uithread::call<bool>([shared, writeCache] {
        if (const auto &show = sessionHooks().showRemoteListing)
            show(std::move(*shared), writeCache);
        return true;
    });
}

} // namespace

std::optional<std::vector<FileEntry>> ReadListingFile(const QString &path, ListingState &state)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    // Room for one row per line, counted first, so that the rows are never moved while the
    // listing grows; beyond a million lines the vector grows as usual.
    qsizetype lines = 1;
    for (qint64 got; (got = file.read(chunk.data(), chunk.size())) > 0;)
        lines += QByteArrayView(chunk.constData(), got).count('\n');
    file.seek(0);
    std::vector<FileEntry> rows;
    rows.reserve(size_t(std::min<qsizetype>(lines, 1 << 20)));
    ListingLineSplitter splitter(state, rows);
    for (;;) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got <= 0)
            break;
        splitter.feed(QByteArrayView(chunk.constData(), got));
    }
    splitter.finish();
    return rows;
}

int DownloadListing(int controlSocket, const QByteArray &command)
{
    SessionState &s = session();
    AppSettings &settings = appSettings();
    // A failed listing must not beep: the user sees the empty list and the log.
    const int sound = settings.soundEffects.exchange(0);
    s.resumeRequested = false;
    s.listingTransfer = true;
    const int result = RetrieveFile(controlSocket, command, programpaths::listingTempFile(), 'A');
    settings.soundEffects = sound;
    s.listingTransfer = false;
    return result;
}

QString debugListingPath(const QString &listingFile)
{
    return QFileInfo(listingFile).absoluteDir().filePath(QStringLiteral("DBGLIST.TXT"));
}

void LoadListing()
{
    SessionState &s = session();
    if (!s.connected)
        return;
    showWaitCursor(true);

    if (RemotePrintDirectory(s.controlSocket) != 2) {
        showWaitCursor(false);
        return;
    }
    const QByteArray path = TrimListingPath(ParseWorkingDirectory(s.replyText()).value_or("unknown"));
    postHook(&SessionHooks::setRemotePath, path);
    postHook(&SessionHooks::clearRemoteList);
    s.waitCursor = true;

    if (DownloadListing(s.controlSocket, "LIST") != 2) {
        endListing();
        return;
    }

    const QString listingFile = programpaths::listingTempFile();
    ListingState state(s.serverKind);
    std::optional<std::vector<FileEntry>> rows = ReadListingFile(listingFile, state);
    if (!rows) {
        endListing();
        return;
    }
    s.listingRunning = true;
    // A Microsoft server that sent Unix-style lines stays switched until the next login.
    s.serverKind = state.serverKind;
    s.koreanDates = state.koreanDates;
    s.nameColumn = state.nameColumn;

    if (s.debugListing) {
        s.debugListing = false;
        keepDebugCopy(listingFile);
    }
    QFile::remove(listingFile);

    const bool writeCache = !s.transferRunning;
    showRows(std::move(*rows), writeCache);
    if (writeCache)
        AppendLogId(LogColor::Status, transferCompletedId);
    s.listingRunning = false;
    endListing();
}
