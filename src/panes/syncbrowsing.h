#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <optional>

class CLocalWnd;
class CRemoteWnd;
class SessionController;

// Synchronized browsing: while on, a folder entered in one pane is entered in the other, along
// the same way from the pair of folders that were shown when it was switched on. Going above
// that pair follows too, as long as the other side has a folder that far up; the pair then moves
// up with it. Whatever the other side cannot follow (a folder it lacks, a refusal, a server that
// shows another folder than the one asked for, as a looping link may make it) switches it off
// with a line in the log, so that the two panes never show folders that do not belong together.
// Window thread.
class SyncBrowsing : public QObject
{
    Q_OBJECT
public:
    SyncBrowsing(CLocalWnd *local, CRemoteWnd *remote, SessionController *controller, QObject *parent = nullptr);

    // False, with the reason logged, when the panes show no pair to start from.
    bool setEnabled(bool on);
    [[nodiscard]] bool isEnabled() const { return on_; }

signals:
    // It was switched off because one side could not follow.
    void stopped();

private:
    void localShown(const QByteArray &path);
    void remoteShown(const QByteArray &path);
    void sessionChanged();
    // The pane left at `path` is followed by the other from its base (`from` to `to`); the pair
    // moves up when the walk climbs above it. nullopt, logged, when it climbs above the top.
    std::optional<QByteArray> counterpart(const QByteArray &path, QByteArray &fromBase, QByteArray &toBase);
    void enterRemote(const QByteArray &target);
    // The remote folder asked for is reached, or the asking has failed.
    void checkRemoteArrival();
    void stop(const QString &reason);
    [[nodiscard]] bool ignoring() const;

    QPointer<CLocalWnd> local_;
    QPointer<CRemoteWnd> remote_;
    QPointer<SessionController> controller_;
    bool on_ = false;
    QByteArray localBase_;
    QByteArray remoteBase_;
    // What each pane showed last, as this saw it: a pane showing it again is no new step.
    QByteArray localSeen_;
    QByteArray remoteSeen_;
    // The remote folder asked for and not yet shown; while a job ran, not yet asked for.
    std::optional<QByteArray> awaited_;
    bool asked_ = false;
};
