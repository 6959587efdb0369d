#include "session/resumecheck.h"

#include "platform/log.h"
#include "session/askuser.h"
#include "session/remoteprotocol.h"
#include "session/session.h"
#include "session/sessioncontroller.h"

#include <QFile>

namespace
{

// The local file's bytes [end - length, end), or fewer when it cannot be read.
QByteArray localBytes(const QByteArray &localPath, qint64 end, qint64 length)
{
    QFile file(QFile::decodeName(localPath));
    if (!file.open(QIODevice::ReadOnly) || !file.seek(end - length))
        return {};
    return file.read(length);
}

} // namespace

QByteArray ResumeCheck::serverOf(const Session &s)
{
    return s.serverHost.toUtf8() + ':' + QByteArray::number(s.port);
}

ResumeCheck::Ask ResumeCheck::askThroughWindow(const Session &s)
{
    return [&s](const QString &fileName, bool upload) {
        return askUser(s, ExistingFileAnswer{ExistingFileAnswer::Overwrite, false},
                       [fileName, upload](QuestionView &view) { return view.askUnverifiedResume(fileName, upload); });
    };
}

ResumeProof ResumeCheck::download(const QByteArray &remotePath, const QByteArray &fullName,
                                  const QByteArray &localPath, qint64 localLength, const QString &listedDate)
{
    const QByteArray shown = fullName;
    if (localLength < overlap) {
        AppendLog(LogColor::Status, TextId::ResumePartTooSmall, shown);
        return {ResumeProof::Result::TooSmall};
    }
    const qint64 size = protocol_.fileSize(remotePath);
    if (size >= 0 && size <= localLength) {
        AppendLog(LogColor::Error, TextId::ResumeRemoteShrank, shown, size, localLength);
        return {ResumeProof::Result::Failed, size};
    }
    const partialrecord::Loaded kept = partialrecord::load(localPath);
    const bool recordFits = kept.state == partialrecord::Loaded::State::Found && kept.record.server == server_ &&
                            kept.record.remotePath == fullName &&
                            (kept.record.size == 0 || kept.record.size > localLength);
    if (kept.state == partialrecord::Loaded::State::Missing) {
        AppendLog(LogColor::Status, TextId::ResumeNoRecord, shown);
    } else if (!recordFits) {
        AppendLog(LogColor::Error, TextId::ResumeRecordUnusable, shown);
        return {ResumeProof::Result::Failed, size};
    } else if (!kept.record.modified.isEmpty()) {
        const std::optional<QByteArray> now = remoteTime(remotePath, shown, listedDate);
        if (!now)
            return {ResumeProof::Result::Failed, size};
        if (*now != kept.record.modified) {
            AppendLog(LogColor::Error, TextId::ResumeTimeChanged, shown, kept.record.modified,
                      now->isEmpty() ? QByteArray("?") : *now);
            return {ResumeProof::Result::Failed, size};
        }
    }
    if (!overlapMatches(remotePath, shown, localPath, localLength, false))
        return {ResumeProof::Result::Failed, size};
    return {ResumeProof::Result::Verified, size};
}

ResumeProof ResumeCheck::upload(const QByteArray &remotePath, const QByteArray &localPath, qint64 listedSize)
{
    const QByteArray shown = remotePath;
    if (listedSize < overlap) {
        AppendLog(LogColor::Status, TextId::ResumePartTooSmall, shown);
        return {ResumeProof::Result::TooSmall};
    }
    // The listing may be older than the file: APPE goes on from the size the server has now.
    const qint64 size = protocol_.fileSize(remotePath);
    if (size >= 0 && size != listedSize) {
        AppendLog(LogColor::Error, TextId::ResumeUploadSizeChanged, shown, size, listedSize);
        return {ResumeProof::Result::Failed, size};
    }
    if (!overlapMatches(remotePath, shown, localPath, listedSize, true))
        return {ResumeProof::Result::Failed, listedSize};
    return {ResumeProof::Result::Verified, listedSize};
}

ExistingFileAnswer::Choice ResumeCheck::unverifiedChoice(const QByteArray &fileName, bool upload)
{
    ExistingFileAnswer &kept = upload ? keptUpload_ : keptDownload_;
    if (!kept.all) {
        kept = ask_ ? ask_(QString::fromUtf8(fileName), upload)
                    : ExistingFileAnswer{ExistingFileAnswer::Overwrite, false};
        // Closed without an answer: the default, from the start again.
        if (kept.choice != ExistingFileAnswer::Skip)
            kept.choice = ExistingFileAnswer::Overwrite;
    }
    return kept.choice;
}

std::optional<PartialRecord> ResumeCheck::describe(const QByteArray &remotePath, const QByteArray &fullName,
                                                   qint64 size, const QString &listedDate)
{
    // A file of unknown size may turn out large enough to be resumed.
    if (size > 0 && size < overlap)
        return std::nullopt;
    const std::optional<QByteArray> time = remoteTime(remotePath, fullName, listedDate);
    return PartialRecord{server_, fullName, size > 0 ? size : 0, time.value_or(QByteArray())};
}

void ResumeCheck::downloadEnded(const QByteArray &localPath, const std::optional<PartialRecord> &started,
                                bool complete)
{
    if (complete) {
        partialrecord::remove(localPath);
        return;
    }
    if (started && QFile::exists(QFile::decodeName(localPath)))
        (void)partialrecord::save(localPath, *started);
}

std::optional<QByteArray> ResumeCheck::remoteTime(const QByteArray &remotePath, const QByteArray &shown,
                                                  const QString &listedDate)
{
    const ServerFeatures features = protocol_.serverFeatures();
    // Asked when the server lists MDTM, or lists nothing at all (an old server may still know it).
    if (features.mdtm || !features.answered) {
        const RemoteFact fact = protocol_.modifiedTime(remotePath);
        if (fact.status == RemoteFact::Status::Known)
            return "MDTM " + fact.value;
        if (fact.status == RemoteFact::Status::Garbled) {
            AppendLog(LogColor::Error, TextId::ResumeTimeUnreadable, shown, fact.reply);
            return std::nullopt;
        }
    }
    return listedDate.isEmpty() ? QByteArray() : "LIST " + listedDate.toUtf8();
}

bool ResumeCheck::overlapMatches(const QByteArray &remotePath, const QByteArray &shown, const QByteArray &localPath,
                                 qint64 end, bool unreadableIsFine)
{
    const RemotePiece piece = protocol_.readPiece(remotePath, end - overlap, overlap);
    if (piece.status == RemotePiece::Status::Refused) {
        if (unreadableIsFine) {
            AppendLog(LogColor::Status, TextId::ResumeUploadTailUnread, shown);
            return true;
        }
        AppendLog(LogColor::Error, TextId::ResumeRestRefused, shown);
        return false;
    }
    if (piece.bytes.size() < overlap) {
        AppendLog(LogColor::Error, TextId::ResumeOverlapShort, shown, qint64(piece.bytes.size()), overlap);
        return false;
    }
    if (piece.bytes != localBytes(localPath, end, overlap)) {
        AppendLog(LogColor::Error, TextId::ResumeOverlapDiffers, shown);
        return false;
    }
    AppendLog(LogColor::Status, TextId::ResumeOverlapVerified, shown);
    return true;
}
