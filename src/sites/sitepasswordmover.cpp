#include "sites/sitepasswordmover.h"

#include "platform/log.h"
#include "platform/programpaths.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "session/lastsession.h"
#include "sites/sitefield.h"
#include "sites/sitesettingsfile.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>

namespace
{

int openSiteLists = 0;

QList<QPointer<SitePasswordMover>> &moversWaiting()
{
    static QList<QPointer<SitePasswordMover>> movers;
    return movers;
}

QString escapedName(QString name)
{
    return name.replace(u'%', QStringLiteral("%25")).replace(u'/', QStringLiteral("%2F"));
}

// Whether a site other than `index` keeps its password under `key`.
bool keyTakenByOther(const SiteList &list, size_t index, const QString &key)
{
    for (size_t i = 0; i < list.settings.size(); ++i)
        if (i != index && list.settings[i].keyringKey == key)
            return true;
    return false;
}

bool keyTaken(const SiteList &list, const QString &key)
{
    return keyTakenByOther(list, list.sites.size(), key);
}

// The whole site files, or nothing: a pass never works from a part of them.
bool loadSiteFiles(const QString &folder, SiteList &list)
{
    const SiteFileStatus status = LoadSiteList(folder, list);
    if (status != SiteFileStatus::Complete && status != SiteFileStatus::Missing)
        return false;
    return loadSiteSettings(folder, list) == 0;
}

QString password(const SiteRecord &site)
{
    return sitefield::text(site.sitePassword);
}

} // namespace

QString sitePasswordKey(const SiteList &list, size_t index)
{
    const SiteRecord &site = list.sites[index];
    // Names compare as stored: the bytes after a terminator are remains of earlier names.
    const QByteArray name = sitefield::bytes(site.siteName);
    int sameName = 0;
    for (size_t i = 0; i < index; ++i)
        if (list.sites[i].folderIndex == site.folderIndex && sitefield::bytes(list.sites[i].siteName) == name)
            ++sameName;
    const bool inFolder = site.folderIndex >= 0 && size_t(site.folderIndex) < list.folders.size();
    QString key = escapedName(inFolder ? list.folders[size_t(site.folderIndex)].name() : QString()) + u'/' +
                  escapedName(sitefield::text(site.siteName));
    // A "/" in a name is escaped, so this count cannot be taken for part of one.
    if (sameName > 0)
        key += u'/' + QString::number(sameName + 1);
    return key;
}

SitePasswordMover::SitePasswordMover(const QString &folder, QObject *parent)
    : QObject(parent), folder_(folder)
{
}

void SitePasswordMover::siteListOpened()
{
    ++openSiteLists;
}

void SitePasswordMover::siteListClosed()
{
    if (openSiteLists > 0)
        --openSiteLists;
    if (openSiteLists > 0)
        return;
    const QList<QPointer<SitePasswordMover>> movers = std::exchange(moversWaiting(), {});
    for (const QPointer<SitePasswordMover> &mover : movers) {
        if (!mover)
            continue;
        for (auto &change : std::exchange(mover->deferred_, {}))
            change();
    }
}

void SitePasswordMover::whenFilesFree(std::function<void()> change)
{
    if (openSiteLists == 0) {
        change();
        return;
    }
    deferred_.push_back(std::move(change));
    if (!moversWaiting().contains(this))
        moversWaiting().append(this);
}

void SitePasswordMover::synchronise(bool intoKeyring, const QStringList &droppedKeys)
{
    waiting_.push_back(Pass{intoKeyring, droppedKeys});
    if (!running_)
        startNextPass();
}

void SitePasswordMover::startNextPass()
{
    if (waiting_.empty())
        return;
    const Pass pass = waiting_.front();
    waiting_.pop_front();
    running_ = true;
    moved_ = 0;
    intoKeyring_ = pass.intoKeyring;
    if (planPass(pass))
        runNextStep();
    else
        endPass(false);
}

bool SitePasswordMover::planPass(const Pass &pass)
{
    steps_.clear();
    SiteList list;
    if (!loadSiteFiles(folder_, list))
        return false;
    for (const QString &key : pass.droppedKeys)
        if (!key.isEmpty() && !keyTaken(list, key))
            steps_.push_back([this, key](Next next) { removeKey(key, std::move(next)); });

    for (size_t i = 0; i < list.sites.size(); ++i) {
        const QString recorded = list.settings[i].keyringKey;
        if (!pass.intoKeyring) {
            if (!recorded.isEmpty())
                steps_.push_back([this, recorded](Next next) { restorePassword(recorded, std::move(next)); });
            continue;
        }
        const QString text = password(list.sites[i]);
        const QString wanted = sitePasswordKey(list, i);
        const bool wantedFree = !keyTakenByOther(list, i, wanted);
        if (!text.isEmpty()) {
            // A password the field could not hold again as it is stays where it is.
            if (sitefield::fit(text, qsizetype(sizeof(SiteRecord::sitePassword))) != text.toUtf8())
                continue;
            const QString key = wantedFree ? wanted : recorded;
            if (!key.isEmpty())
                steps_.push_back([this, key, text, recorded](Next next) {
                    storePassword(key, text, recorded, std::move(next));
                });
        } else if (!recorded.isEmpty() && recorded != wanted && wantedFree) {
            steps_.push_back(
                [this, recorded, wanted](Next next) { renameKey(recorded, wanted, std::move(next)); });
        }
    }
    const bool intoKeyring = pass.intoKeyring;
    steps_.push_back(
        [this, intoKeyring](Next next) { moveLastSessionPassword(intoKeyring, this, std::move(next)); });
    return true;
}

void SitePasswordMover::runNextStep()
{
    if (steps_.empty()) {
        endPass(true);
        return;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    step([this](bool carryOn) {
        if (carryOn)
            runNextStep();
        else
            endPass(false);
    });
}

void SitePasswordMover::endPass(bool complete)
{
    steps_.clear();
    running_ = false;
    if (moved_ > 0)
        AppendLog(LogColor::Status, intoKeyring_ ? TextId::KeyringMovedIn : TextId::KeyringMovedOut, moved_);
    emit passFinished(moved_, complete);
    startNextPass();
}

bool SitePasswordMover::changeFiles(const std::function<bool(SiteList &)> &change, bool marksFirst)
{
    SiteList list;
    if (!loadSiteFiles(folder_, list))
        return false;
    if (!change(list))
        return true;
    const auto saveList = [&] {
        // Twice: the backup the first save leaves holds the list as it was, passwords and all.
        return SaveSiteList(folder_, list) == SiteFileStatus::Complete &&
               SaveSiteList(folder_, list) == SiteFileStatus::Complete;
    };
    const bool saved = marksFirst ? saveSiteSettings(folder_, list) && saveList()
                                  : saveList() && saveSiteSettings(folder_, list);
    if (!saved)
        AppendLog(loadText(TextId::CannotSaveToFile) + u'\n', LogColor::Error);
    return saved;
}

void SitePasswordMover::applyToFiles(std::function<bool(SiteList &)> change, bool marksFirst,
                                     const QString &oldKey, Next next)
{
    whenFilesFree([this, change = std::move(change), marksFirst, oldKey, next] {
        bool oldKeyFree = false;
        const bool saved = changeFiles(
            [&](SiteList &list) {
                if (!change(list))
                    return false;
                oldKeyFree = !oldKey.isEmpty() && !keyTaken(list, oldKey);
                return true;
            },
            marksFirst);
        if (saved && oldKeyFree)
            removeKey(oldKey, next);
        else
            next(saved);
    });
}

void SitePasswordMover::storePassword(const QString &key, const QString &text, const QString &oldKey,
                                      Next next)
{
    keyring::store(key, text, this, [this, key, text, oldKey, next](const keyring::Answer &answer) {
        if (answer.outcome != keyring::Outcome::Done) {
            keyring::reportFailure(TextId::KeyringStoreFailed, key, answer);
            next(false);
            return;
        }
        const auto blankPassword = [this, key, text](SiteList &list) {
            for (size_t i = 0; i < list.sites.size(); ++i) {
                SiteSettings &settings = list.settings[i];
                if (password(list.sites[i]) != text ||
                    (settings.keyringKey != key && sitePasswordKey(list, i) != key))
                    continue;
                list.sites[i].sitePassword.fill(0);
                settings.keyringKey = key;
                ++moved_;
                return true;
            }
            return false;
        };
        applyToFiles(blankPassword, true, oldKey != key ? oldKey : QString(), next);
    });
}

void SitePasswordMover::renameKey(const QString &oldKey, const QString &newKey, Next next)
{
    keyring::read(oldKey, this, [this, oldKey, newKey, next](const keyring::Answer &found) {
        // Nothing under the old key: nothing to carry over, and the site asks at its login.
        if (found.outcome == keyring::Outcome::NotFound) {
            next(true);
            return;
        }
        if (found.outcome != keyring::Outcome::Done) {
            keyring::reportFailure(TextId::KeyringReadFailed, oldKey, found);
            next(false);
            return;
        }
        keyring::store(newKey, found.password, this,
                       [this, oldKey, newKey, next](const keyring::Answer &stored) {
                           if (stored.outcome != keyring::Outcome::Done) {
                               keyring::reportFailure(TextId::KeyringStoreFailed, newKey, stored);
                               next(false);
                               return;
                           }
                           const auto followKey = [oldKey, newKey](SiteList &list) {
                               for (SiteSettings &settings : list.settings) {
                                   if (settings.keyringKey == oldKey) {
                                       settings.keyringKey = newKey;
                                       return true;
                                   }
                               }
                               return false;
                           };
                           applyToFiles(followKey, true, oldKey, next);
                       });
    });
}

void SitePasswordMover::restorePassword(const QString &key, Next next)
{
    keyring::read(key, this, [this, key, next](const keyring::Answer &found) {
        const bool there = found.outcome == keyring::Outcome::Done;
        if (!there && found.outcome != keyring::Outcome::NotFound) {
            keyring::reportFailure(TextId::KeyringReadFailed, key, found);
            next(false);
            return;
        }
        const auto putBack = [this, key, there, text = found.password](SiteList &list) {
            for (size_t i = 0; i < list.sites.size(); ++i) {
                SiteSettings &settings = list.settings[i];
                if (settings.keyringKey != key)
                    continue;
                // A password typed since is newer than the keyring's.
                if (password(list.sites[i]).isEmpty() && there) {
                    sitefield::setText(list.sites[i].sitePassword, text);
                    ++moved_;
                }
                settings.keyringKey.clear();
                return true;
            }
            return false;
        };
        applyToFiles(putBack, false, there ? key : QString(), next);
    });
}

void SitePasswordMover::removeKey(const QString &key, Next next)
{
    keyring::remove(key, this, [this, key, next](const keyring::Answer &answer) {
        const bool gone =
            answer.outcome == keyring::Outcome::Done || answer.outcome == keyring::Outcome::NotFound;
        if (!gone)
            keyring::reportFailure(TextId::KeyringRemoveFailed, key, answer);
        next(gone);
    });
}

SitePasswordMover &sitePasswords(const QString &folder)
{
    static QHash<QString, QPointer<SitePasswordMover>> movers;
    QPointer<SitePasswordMover> &mover = movers[folder];
    if (!mover)
        mover = new SitePasswordMover(folder, QCoreApplication::instance());
    return *mover;
}

SitePasswordMover &sitePasswords()
{
    return sitePasswords(programpaths::programFolder());
}
