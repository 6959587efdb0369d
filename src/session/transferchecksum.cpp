#include "session/transferchecksum.h"

#include "platform/log.h"
#include "session/remoteprotocol.h"

TransferChecksum::TransferChecksum(RemoteProtocol &protocol, bool enabled, char type) : protocol_(protocol)
{
    if (!enabled || type != 'I')
        return;
    command_ = ChooseHashCommand(protocol.serverFeatures());
    if (command_)
        hash_.emplace(command_->algorithm);
}

QByteArray TransferChecksum::algorithmName() const
{
    return command_ ? hashAlgorithmName(command_->algorithm) : QByteArray();
}

TransferChecksum::Verdict TransferChecksum::check(const QByteArray &remotePath, const QByteArray &shown)
{
    if (!command_ || !hash_)
        return Verdict::NotChecked;
    const std::optional<QByteArray> ours = hash_->hex();
    if (!ours)
        return Verdict::NotChecked;
    const RemoteFact theirs = protocol_.fileHash(remotePath, *command_);
    if (theirs.status != RemoteFact::Status::Known) {
        AppendLog(LogColor::Status, TextId::ChecksumUnreadable, shown, command_->verb());
        return Verdict::NotChecked;
    }
    if (theirs.value != *ours) {
        AppendLog(LogColor::Error, TextId::ChecksumMismatch, shown, algorithmName(), theirs.value, *ours);
        return Verdict::Mismatch;
    }
    AppendLog(LogColor::Command, TextId::ChecksumVerified, shown, algorithmName());
    return Verdict::Verified;
}

bool TransferChecksum::passes(const QByteArray &remotePath, const QByteArray &shown, bool resumed)
{
    const Verdict verdict = check(remotePath, shown);
    if (verdict == Verdict::Mismatch)
        return false;
    if (resumed && verdict == Verdict::Verified)
        AppendLog(LogColor::Command, TextId::ResumedVerifiedWhole, shown, algorithmName());
    else if (resumed)
        AppendLog(LogColor::Status, TextId::ResumedVerifiedOverlap, shown);
    return true;
}
