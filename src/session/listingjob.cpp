#include "session/listingjob.h"

#include "engine/dircommands.h"
#include "engine/listingloader.h"
#include "platform/log.h"
#include "platform/programpaths.h"
#include "session/listinghandover.h"
#include "session/sessionstate.h"
#include "session/viewposts.h"

#include <QFile>

namespace
{

constexpr int transferCompletedId = 149;

void keepDebugCopy(const QString &listingFile)
{
    const QString copy = debugListingPath(listingFile);
    QFile::remove(copy);
    if (QFile::copy(listingFile, copy))
        viewposts::status([copy](StatusView &view) { view.openDocument(copy); });
    else
        AppendLog(QStringLiteral("Could not copy the listing to %1\n").arg(copy), LogColor::Error);
}

// Whatever way the listing step ends (a stop and a lost connection leave by an exception), the
// cursor comes back and the listing flag goes down.
class ListingStepScope
{
public:
    ListingStepScope() { viewposts::setWaitCursor(true); }
    ~ListingStepScope()
    {
        // The listing file is the only copy of a listing that can be gigabytes long.
        QFile::remove(programpaths::listingTempFile());
        session().listingRunning = false;
        viewposts::setWaitCursor(false);
    }
    ListingStepScope(const ListingStepScope &) = delete;
    ListingStepScope &operator=(const ListingStepScope &) = delete;
};

} // namespace

void LoadListing()
{
    SessionState &s = session();
    if (!s.connected)
        return;
    const ListingStepScope scope;

    QByteArray reply;
    if (RemotePrintDirectory(s, &reply) != 2)
        return;
    const QByteArray path = TrimListingPath(ParseWorkingDirectory(reply).value_or("unknown"));
    viewposts::remote([path](RemoteListView &view) {
        view.setRemotePath(path);
        view.clearRemoteList();
    });
    s.waitCursor = true;

    if (DownloadListing(s, "LIST") != 2)
        return;

    const QString listingFile = programpaths::listingTempFile();
    ListingState state(s.serverKind);
    std::optional<FileRows> rows = ReadListingFile(listingFile, state);
    if (!rows)
        return;
    s.listingRunning = true;
    // A Microsoft server that sent Unix-style lines stays switched until the next login.
    s.serverKind = state.serverKind;
    s.koreanDates = state.koreanDates;
    s.nameColumn = state.nameColumn;

    if (s.debugListing) {
        s.debugListing = false;
        keepDebugCopy(listingFile);
    }

    const bool writeCache = !s.transferRunning;
    handOverListing(path, std::move(*rows), writeCache);
    if (writeCache)
        AppendLogId(LogColor::Status, transferCompletedId);
}
