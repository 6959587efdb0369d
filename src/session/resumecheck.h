#pragma once

#include "session/existingfileanswer.h"
#include "session/partialrecord.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class RemoteProtocol;
class Session;

// The outcome of checking that a transfer may go on from where an earlier one stopped.
struct ResumeProof {
    enum class Result {
        NotChecked,
        Verified, // the overlap (and the record, where there is one) match: appending is safe
        TooSmall, // the part is too short to prove anything: the file goes again whole
        Failed    // something differs or cannot be read: the part must not be appended to
    };
    Result result = Result::NotChecked;
    // The server's size of the file now (-1: it did not say).
    qint64 remoteSize = -1;

    [[nodiscard]] bool verified() const { return result == Result::Verified; }
    [[nodiscard]] bool failed() const { return result == Result::Failed; }
};

// Never append to the wrong file: before a transfer goes on from the end of a part, the last
// bytes of the part are compared with the other side's bytes at the same place (read with REST and
// a transfer cut off after them), and for a download the remote file's modified time with the one
// kept beside the part when it was started. What fails is said in red and asked about once more:
// start again from the beginning (the default) or skip. One per run; worker thread.
class ResumeCheck
{
public:
    // The bytes compared before the resume point.
    static constexpr qint64 overlap = 64 * 1024;

    // The question after a failed check: Overwrite (from the start again) or Skip, with "All".
    using Ask = std::function<ExistingFileAnswer(const QString &fileName, bool upload)>;

    ResumeCheck(RemoteProtocol &protocol, QByteArray server, Ask ask)
        : protocol_(protocol), server_(std::move(server)), ask_(std::move(ask))
    {
    }

    // The server as a record names it, and the question put to the session's window.
    [[nodiscard]] static QByteArray serverOf(const Session &s);
    [[nodiscard]] static Ask askThroughWindow(const Session &s);

    // Whether a check is worth its transfer: not when the run's "All" answer does not resume.
    [[nodiscard]] static bool wanted(const ExistingFileAnswer &kept)
    {
        return !kept.all || kept.choice == ExistingFileAnswer::Resume;
    }
    // A download onto the local part of `localLength` bytes. `remotePath` as the server is sent
    // it, `fullName` the file's full remote path (what the record names), `listedDate` the
    // listing's date text of the file.
    [[nodiscard]] ResumeProof download(const QByteArray &remotePath, const QByteArray &fullName,
                                       const QByteArray &localPath, qint64 localLength, const QString &listedDate);
    // An upload appended to the server's part, listed with `listedSize` bytes.
    [[nodiscard]] ResumeProof upload(const QByteArray &remotePath, const QByteArray &localPath, qint64 listedSize);
    // The answer after a failed check: asked, or the one kept under "All" for the direction.
    [[nodiscard]] ExistingFileAnswer::Choice unverifiedChoice(const QByteArray &fileName, bool upload);

    // What is known of the remote file as its download starts from the beginning, to be kept
    // with the part if the download stops early; nothing for a file too small to be resumed.
    [[nodiscard]] std::optional<PartialRecord> describe(const QByteArray &remotePath, const QByteArray &fullName,
                                                        qint64 size, const QString &listedDate);
    // After the download's transfer: a complete file drops its record, a part keeps the one of
    // its start.
    static void downloadEnded(const QByteArray &localPath, const std::optional<PartialRecord> &started,
                              bool complete);

private:
    // The modified time as the record keeps it; nullopt when the server answered MDTM with
    // something that is no time (said in the log).
    [[nodiscard]] std::optional<QByteArray> remoteTime(const QByteArray &remotePath, const QByteArray &shown,
                                                       const QString &listedDate);
    // The piece before `end` on the server equals the local file's bytes there.
    [[nodiscard]] bool overlapMatches(const QByteArray &remotePath, const QByteArray &shown,
                                      const QByteArray &localPath, qint64 end, bool unreadableIsFine);

    RemoteProtocol &protocol_;
    QByteArray server_;
    Ask ask_;
    ExistingFileAnswer keptDownload_;
    ExistingFileAnswer keptUpload_;
};
