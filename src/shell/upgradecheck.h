#pragma once

#include "platform/textid.h"
#include "shell/versionfile.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

// Fetches the version file over HTTP or HTTPS without blocking the window, and decides whether
// it announces a newer program. Redirections are not followed, the body is capped and the
// whole exchange is bounded in time. A failure writes its reason to the session log.
class UpgradeCheck : public QObject
{
    Q_OBJECT
public:
    enum class Result { Upgrade, NoUpgrade, Failed };
    Q_ENUM(Result)

    explicit UpgradeCheck(QObject *parent = nullptr);
    ~UpgradeCheck() override;

    // Starts the check; finished() follows exactly once, never from within start().
    void start(const QUrl &address);
    [[nodiscard]] const VersionFile &versionFile() const { return file_; }

    // The largest version file accepted.
    static constexpr qint64 sizeLimit = 64 * 1024;
    // How long the whole check may take; tests shorten it.
    static std::chrono::milliseconds timeLimit();
    static void setTimeLimitForTest(std::chrono::milliseconds limit);

signals:
    void finished(UpgradeCheck::Result result);

private:
    void onReadyRead();
    void onFinished();
    void onTimedOut();
    void fail(TextId message, const QString &detail = {});
    void finish(Result result);

    QNetworkAccessManager *manager_;
    QPointer<QNetworkReply> reply_;
    QTimer deadline_;
    QByteArray body_;
    VersionFile file_;
    bool done_ = false;
};
