#pragma once

#include "platform/keyring.h"
#include "platform/textid.h"
#include "sites/sitelist.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

// The key of a site's password in the keyring: its folder's name and its own, and for the second
// and later sites of one name in one folder their count (" (2)"), so that no two sites share a key.
[[nodiscard]] QString sitePasswordKey(const SiteList &list, size_t index);

// Keeps the site files and the desktop's keyring in step, one pass at a time, on the window
// thread, never waiting for the keyring: each keyring call answers later (or fails at its
// bound), and the next step starts from that answer. A password leaves the site file only after
// the keyring has taken it and enters it before the keyring forgets it, so a keyring that fails
// half-way leaves every password in one place or both. What a step writes it writes to the files
// as they are then (never to a copy read before), and not while a Site Manager is open: the
// dialog would save its own copy over it when it closes.
class SitePasswordMover : public QObject
{
    Q_OBJECT
public:
    // The site files in `folder` (a path ending in "/").
    explicit SitePasswordMover(const QString &folder, QObject *parent = nullptr);

    // Queues a pass: with `intoKeyring` every password of the site file (and of the last
    // session) moves into the keyring, and passwords whose site was renamed or moved follow it to
    // the new key; without it every password in the keyring moves back into the files. The keys
    // of sites deleted since the last pass go from the keyring first.
    void synchronise(bool intoKeyring, const QStringList &droppedKeys = {});
    [[nodiscard]] bool running() const { return running_; }

    // The Site Manager holds a copy of the files while it is open.
    static void siteListOpened();
    static void siteListClosed();

signals:
    // A pass ended; `moved` passwords changed place, `complete` unless the keyring failed.
    void passFinished(int moved, bool complete);

private:
    struct Pass {
        bool intoKeyring = false;
        QStringList droppedKeys;
    };
    // A step calls its continuation once, with false when the pass must stop.
    using Next = std::function<void(bool)>;
    using Step = std::function<void(Next)>;

    void startNextPass();
    // False when the files cannot be read whole.
    [[nodiscard]] bool planPass(const Pass &pass);
    void runNextStep();
    void endPass(bool complete);
    // Runs `change` on the files as they are now, once no Site Manager is open.
    void whenFilesFree(std::function<void()> change);

    // The steps of a pass, each ending in `next`.
    void storePassword(const QString &key, const QString &password, const QString &oldKey, Next next);
    void renameKey(const QString &oldKey, const QString &newKey, Next next);
    void restorePassword(const QString &key, Next next);
    void removeKey(const QString &key, Next next);
    // Once the files are free, applies `change` to them, then forgets `oldKey` in the keyring
    // when no site names it any more.
    void applyToFiles(std::function<bool(SiteList &)> change, bool marksFirst, const QString &oldKey,
                      Next next);
    // Puts the files right after the keyring changed; false when they could not be written.
    [[nodiscard]] bool changeFiles(const std::function<bool(SiteList &)> &change, bool marksFirst);

    QString folder_;
    std::deque<Pass> waiting_;
    std::deque<Step> steps_;
    bool running_ = false;
    int moved_ = 0;
    bool intoKeyring_ = false;
    std::vector<std::function<void()>> deferred_;
};

// The mover of the site files in `folder`, or in the program's data folder; one per folder, alive
// as long as the application, so that a pass outlives the dialog that started it.
SitePasswordMover &sitePasswords(const QString &folder);
SitePasswordMover &sitePasswords();
