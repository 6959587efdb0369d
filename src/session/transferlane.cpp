#include "session/transferlane.h"

#include "engine/controlconnection.h"
#include "engine/login.h"
#include "platform/programpaths.h"
#include "platform/uithread.h"
#include "session/session.h"
#include "session/sessioncontroller.h"

#include <QFile>
#include <QPointer>

#include <sys/socket.h>

// The lane's engine host: it trusts exactly the certificate the session's connection was given
// (a server that shows another one on a second connection is not the one the user accepted) and
// never asks the user anything. Hosts end on the window thread, where their posted calls run.
class TransferLane::Host : public EngineHost
{
public:
    explicit Host(QByteArray fingerprint) : fingerprint_(std::move(fingerprint)) {}
    bool acceptCertificate(const CertificateFacts &facts) override
    {
        return !fingerprint_.isEmpty() && facts.fingerprint == fingerprint_;
    }
    // The read-outs arrive on the window thread, where the controller lives and ends.
    void transferProgress(const TransferProgress &progress) override
    {
        if (statusBar)
            statusBar->transferProgress(progress);
    }
    void progressText(const QString &text) override
    {
        if (statusBar)
            statusBar->progressText(text);
    }
    void rateText(const QString &text) override
    {
        if (statusBar)
            statusBar->rateText(text);
    }

    QPointer<SessionController> statusBar;

private:
    const QByteArray fingerprint_;
};

TransferLane::TransferLane(int number, const Session &s, const EngineOptions &options)
    : number_(number), login_(s.login()), host_(std::make_unique<Host>(s.tlsFingerprint))
{
    connection_.host = host_.get();
    connection_.options = options;
    connection_.passive = s.passive.load();
    connection_.showProgressInTitle = false;
    // The status bar belongs to the session's connection.
    connection_.transferRunning = false;
}

void TransferLane::showProgressInStatusBar(SessionController *controller)
{
    host_->statusBar = controller;
}

TransferLane::~TransferLane()
{
    close();
    connection_.host = nullptr;
    uithread::post([host = std::shared_ptr<Host>(std::move(host_))] {});
}

void TransferLane::useOwnListingFile()
{
    ownListingFile_ = programpaths::listingTempFile() + QStringLiteral(".lane");
    connection_.listingFile = ownListingFile_;
}

void TransferLane::close()
{
    FtpConnection &c = connection_;
    c.dataSocket = CloseSocketAbortive(c, c.dataSocket);
    c.listenSocket = CloseSocketAbortive(c, c.listenSocket);
    c.controlSocket = CloseSocketAbortive(c, c.controlSocket);
    (void)CloseLocalFiles(c);
    c.dataTls.reset();
    c.controlTls.reset();
    if (!ownListingFile_.isEmpty())
        QFile::remove(ownListingFile_);
}

TransferLane::Opened TransferLane::open()
{
    FtpConnection &c = connection_;
    c.currentType = 'A';
    c.lastReplyCode = 0;
    if (Login(c, login_) >= 0) {
        c.connected = true;
        if (login_.relativePaths) {
            // As the session's connection started; the folder then says where that is.
            if (!login_.initialRemotePath.isEmpty())
                (void)protocol_.changeFolder(login_.initialRemotePath.toUtf8());
            std::optional<QByteArray> folder;
            if (protocol_.printFolder(folder).done() && folder)
                startFolder_ = *folder;
        }
        return Opened::LoggedIn;
    }
    const int code = c.lastReplyCode;
    // A server that closes a second connection at once, or answers it with 421 or 530, has a
    // limit on connections; a typed password (never stored) also ends here with 530.
    if (code == 421 || code == 530 || code == 0)
        return Opened::Refused;
    return Opened::Failed;
}

void TransferLane::quit()
{
    FtpConnection &c = connection_;
    if (c.controlSocket < 0)
        return;
    (void)SendLine(c, "QUIT");
    c.controlSocket = CloseSocketGraceful(c, c.controlSocket);
    c.connected = false;
}

void TransferLane::interrupt()
{
    for (const int socket : {connection_.dataSocket.load(), connection_.controlSocket.load()}) {
        if (socket >= 0)
            ::shutdown(socket, SHUT_RDWR);
    }
}
