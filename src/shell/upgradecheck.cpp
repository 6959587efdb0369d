#include "shell/upgradecheck.h"

#include "platform/log.h"
#include "shell/programidentity.h"
#include "shell/weblinks.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace
{

std::chrono::milliseconds limit{std::chrono::seconds(20)};

} // namespace

std::chrono::milliseconds UpgradeCheck::timeLimit()
{
    return limit;
}

void UpgradeCheck::setTimeLimitForTest(std::chrono::milliseconds value)
{
    limit = value;
}

UpgradeCheck::UpgradeCheck(QObject *parent) : QObject(parent), manager_(new QNetworkAccessManager(this))
{
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, &UpgradeCheck::onTimedOut);
}

UpgradeCheck::~UpgradeCheck()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

void UpgradeCheck::start(const QUrl &address)
{
    if (!isWebAddress(address)) {
        // Reported from the event loop, like every other outcome.
        QMetaObject::invokeMethod(
            this, [this, address] { fail(TextId::VersionAddressNotWeb, address.toDisplayString()); },
            Qt::QueuedConnection);
        return;
    }
    // The system's proxy settings, as a browser on this desktop would use them.
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(address));
    if (!proxies.isEmpty())
        manager_->setProxy(proxies.constFirst());

    QNetworkRequest request(address);
    // A redirection is an answer of its own, not the version file: it fails the check.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Accept", "text/*");
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Mozilla"));
    reply_ = manager_->get(request);
    reply_->setReadBufferSize(sizeLimit + 1);
    connect(reply_, &QNetworkReply::readyRead, this, &UpgradeCheck::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &UpgradeCheck::onFinished);
    deadline_.start(limit);
}

void UpgradeCheck::onReadyRead()
{
    // Any answer but 200 fails the check before its body is read.
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() != 200) {
        fail(TextId::VersionFileHttpStatus, status.toString());
        return;
    }
    body_ += reply_->read(sizeLimit + 1 - body_.size());
    if (body_.size() > sizeLimit)
        fail(TextId::VersionFileTooLarge);
}

void UpgradeCheck::onFinished()
{
    if (done_)
        return;
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        // No HTTP answer at all: the name did not resolve, the connection was refused or broke.
        fail(TextId::CannotFetchVersionFile, reply_->errorString());
        return;
    }
    if (status.toInt() != 200) {
        fail(TextId::VersionFileHttpStatus, status.toString());
        return;
    }
    if (reply_->error() != QNetworkReply::NoError) {
        // The answer began but did not arrive whole.
        fail(TextId::CannotFetchVersionFile, reply_->errorString());
        return;
    }
    body_ += reply_->read(sizeLimit + 1 - body_.size());
    if (body_.size() > sizeLimit) {
        fail(TextId::VersionFileTooLarge);
        return;
    }
    if (body_.contains('\0')) {
        fail(TextId::VersionFileNotText);
        return;
    }
    file_ = parseVersionFile(body_);
    // A page without either line is not our version file (an error page served with 200, a
    // portal's login page): saying "no newer version" would pass a failure off as an answer.
    if (!file_.hasVersion && !file_.hasRelease) {
        fail(TextId::VersionFileEmpty);
        return;
    }
    const bool newer = announcesUpgrade(file_, programidentity::version, programidentity::releaseDate);
    finish(newer ? Result::Upgrade : Result::NoUpgrade);
}

void UpgradeCheck::onTimedOut()
{
    fail(TextId::HomepageTimedOut,
         QString::number(std::chrono::duration_cast<std::chrono::seconds>(limit).count()));
}

void UpgradeCheck::fail(TextId message, const QString &detail)
{
    if (done_)
        return;
    switch (message) {
    case TextId::VersionFileHttpStatus:
    case TextId::HomepageTimedOut:
        AppendLog(LogColor::Error, message, detail.toInt());
        break;
    case TextId::VersionFileTooLarge:
        AppendLog(LogColor::Error, message, int(sizeLimit));
        break;
    case TextId::VersionAddressNotWeb:
    case TextId::CannotFetchVersionFile:
        AppendLog(LogColor::Error, message, detail.toUtf8().constData());
        break;
    default:
        AppendLog(LogColor::Error, message);
        break;
    }
    finish(Result::Failed);
}

void UpgradeCheck::finish(Result result)
{
    if (done_)
        return;
    done_ = true;
    deadline_.stop();
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
    emit finished(result);
}
