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

constexpr int badAddressId = 212;
constexpr int fetchFailedId = 206;
constexpr int httpStatusId = 207;
constexpr int tooLargeId = 208;
constexpr int timedOutId = 209;
constexpr int notTextId = 210;
constexpr int noVersionId = 211;

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
            this, [this, address] { fail(badAddressId, address.toDisplayString()); }, Qt::QueuedConnection);
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
        fail(httpStatusId, status.toString());
        return;
    }
    body_ += reply_->read(sizeLimit + 1 - body_.size());
    if (body_.size() > sizeLimit)
        fail(tooLargeId);
}

void UpgradeCheck::onFinished()
{
    if (done_)
        return;
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        // No HTTP answer at all: the name did not resolve, the connection was refused or broke.
        fail(fetchFailedId, reply_->errorString());
        return;
    }
    if (status.toInt() != 200) {
        fail(httpStatusId, status.toString());
        return;
    }
    if (reply_->error() != QNetworkReply::NoError) {
        // The answer began but did not arrive whole.
        fail(fetchFailedId, reply_->errorString());
        return;
    }
    body_ += reply_->read(sizeLimit + 1 - body_.size());
    if (body_.size() > sizeLimit) {
        fail(tooLargeId);
        return;
    }
    if (body_.contains('\0')) {
        fail(notTextId);
        return;
    }
    file_ = parseVersionFile(body_);
    // A page without either line is not our version file (an error page served with 200, a
    // portal's login page): saying "no newer version" would pass a failure off as an answer.
    if (!file_.hasVersion && !file_.hasRelease) {
        fail(noVersionId);
        return;
    }
    const bool newer = announcesUpgrade(file_, programidentity::version, programidentity::releaseDate);
    finish(newer ? Result::Upgrade : Result::NoUpgrade);
}

void UpgradeCheck::onTimedOut()
{
    fail(timedOutId, QString::number(std::chrono::duration_cast<std::chrono::seconds>(limit).count()));
}

void UpgradeCheck::fail(int stringId, const QString &detail)
{
    if (done_)
        return;
    switch (stringId) {
    case httpStatusId:
    case timedOutId:
        AppendLogId(LogColor::Error, stringId, detail.toInt());
        break;
    case tooLargeId:
        AppendLogId(LogColor::Error, stringId, int(sizeLimit));
        break;
    case badAddressId:
    case fetchFailedId:
        AppendLogId(LogColor::Error, stringId, detail.toUtf8().constData());
        break;
    default:
        AppendLogId(LogColor::Error, stringId);
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
