#include "engine/listingloader.h"

#include "engine/dataconnection.h"
#include "platform/log.h"
#include "platform/programpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>

std::optional<FileRows> ReadListingFile(const QString &path, ListingState &state)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    // Room for one row per line, counted first, so that the rows are never moved while the
    // listing grows; beyond a million lines the store grows as usual.
    qsizetype lines = 1;
    for (qint64 got; (got = file.read(chunk.data(), chunk.size())) > 0;)
        lines += QByteArrayView(chunk.constData(), got).count('\n');
    file.seek(0);
    FileRows rows;
    rows.reserve(size_t(std::min<qsizetype>(lines, 1 << 20)));
    ListingLineSplitter splitter(state, rows);
    for (;;) {
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got <= 0)
            break;
        splitter.feed(QByteArrayView(chunk.constData(), got));
    }
    splitter.finish();
    if (state.unnamedLines > 0)
        AppendLog(LogColor::Error, TextId::MlsdLinesSkipped, state.unnamedLines);
    if (state.unreadableFacts > 0)
        AppendLog(LogColor::Error, TextId::MlsdFactsDropped, state.unreadableFacts);
    return rows;
}

namespace
{

// Restores what the listing changed on the connection however it ends: a stop or a lost
// connection leaves by an exception.
class ListingScope
{
public:
    explicit ListingScope(FtpConnection &connection) : connection_(connection), bell_(connection.options.bell)
    {
        // A failed listing must not beep: the user sees the empty list and the log.
        connection.options.bell = false;
        connection.resumeRequested = false;
        connection.listingTransfer = true;
    }
    ~ListingScope()
    {
        connection_.options.bell = bell_;
        connection_.listingTransfer = false;
    }
    ListingScope(const ListingScope &) = delete;
    ListingScope &operator=(const ListingScope &) = delete;

private:
    FtpConnection &connection_;
    bool bell_;
};

} // namespace

QString listingFileOf(const FtpConnection &connection)
{
    return connection.listingFile.isEmpty() ? programpaths::listingTempFile() : connection.listingFile;
}

int DownloadListing(FtpConnection &connection, const QByteArray &command)
{
    const ListingScope scope(connection);
    return RetrieveFile(connection, command, listingFileOf(connection), 'A');
}

int DownloadFolderListing(FtpConnection &connection)
{
    connection.machineListing = false;
    if (connection.machineListingWanted && connection.features.mlsd && !connection.machineListingFailed) {
        const int result = DownloadListing(connection, "MLSD");
        if (result == 2 || connection.controlSocket == -1 || connection.connectionEnded) {
            connection.machineListing = result == 2;
            return result;
        }
        // A server that does not know the command is not asked again; one that failed this
        // folder may list the next.
        const int code = connection.lastReplyCode;
        if (code == 500 || code == 501 || code == 502 || code == 504)
            connection.machineListingFailed = true;
        AppendLog(LogColor::Error, TextId::MlsdFailed);
    }
    return DownloadListing(connection, "LIST");
}

QString debugListingPath(const QString &listingFile)
{
    return QFileInfo(listingFile).absoluteDir().filePath(QStringLiteral("DBGLIST.TXT"));
}
