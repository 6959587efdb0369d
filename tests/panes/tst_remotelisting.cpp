#include "controls/sortlistctrl.h"
#include "engine/controlconnection.h"
#include "engine/login.h"
#include "ftpserver.h"
#include "panes/listingcache.h"
#include "panes/listingrows.h"
#include "platform/appsettings.h"
#include "platform/namecodec.h"
#include "platform/strings.h"
#include "platform/workerstop.h"
#include "session/ftpprotocol.h"
#include "session/listingjob.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"
#include "testviews.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>
#include <thread>

using testsupport::controller;

using testsupport::FtpServer;

namespace
{

std::unique_ptr<CSortListCtrl> makeRemoteList()
{
    auto list = std::make_unique<CSortListCtrl>();
    list->InsertSortColumn(NameColumn, QStringLiteral("Name"), Qt::AlignLeft, 180);
    list->InsertSortColumn(SizeColumn, QStringLiteral("Size"), Qt::AlignRight, 80);
    list->InsertSortColumn(DateTimeColumn, QStringLiteral("Date/Time"), Qt::AlignLeft, 150);
    list->InsertSortColumn(AttributeColumn, QStringLiteral("Attribute"), Qt::AlignLeft, 90);
    list->SetColumnKind(NameColumn, SortText);
    list->SetColumnKind(SizeColumn, SortNumber);
    list->SetColumnKind(DateTimeColumn, SortDateTime);
    list->SetColumnKind(AttributeColumn, SortText);
    return list;
}

QStringList column(const CSortListCtrl &list, int c)
{
    QStringList texts;
    for (int row = 0; row < list.listModel()->rowCount(); ++row)
        texts << list.listModel()->row(row).text(c);
    return texts;
}

} // namespace

class TestRemoteListing : public QObject
{
    Q_OBJECT
    FtpServer server;
    QTemporaryDir cacheRoot;

private slots:
    void initTestCase()
    {
        setLanguage(Language::English);
        QVERIFY(server.isRunning());
    }
    void cleanup() { testsupport::freshController(); }

    // A directory of the real server is listed into the list, cached, and shown again from the
    // cache with no connection at all.
    void listedCachedAndShownOffline()
    {
        testsupport::freshController();
        QDir root(server.root());
        QVERIFY(root.mkpath("pub/sub dir"));
        const QByteArray bytes(1500, 'x');
        for (const QString &name : {QStringLiteral("pub/notes.txt"), QStringLiteral("pub/한글 이름.zip"),
                                    QStringLiteral("pub/a;b.bin")}) {
            QFile file(root.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes.left(name.size() * 100)); // 1,300 or 1,100 bytes
        }
        QVERIFY(QFile::link("notes.txt", root.filePath("pub/link")));

        auto list = makeRemoteList();
        ListingCache cache(list.get(), controller().session().login(), cacheRoot.filePath("Cache"));
        QByteArray remotePath;
        testsupport::TestViews views;
        views.onSetRemotePath = [&](const QByteArray &path) { remotePath = path; };
        views.onClearRemoteList = [&] { list->listModel()->clear(); };
        views.onShowRemoteListing = [&](const QByteArray &, std::vector<FileEntry> rows, bool writeCache) {
            ShowRemoteListing(*list, &cache, std::move(rows), namecodec::decodeName(remotePath), writeCache);
        };

        Session &s = controller().session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = server.port();
        s.anonymousLogin = false;
        s.userName = QString::fromLatin1(FtpServer::user);
        s.password = QString::fromLatin1(FtpServer::password);
        s.passive = true;
        appSettings().soundEffects = 0;
        QVERIFY(testsupport::runOnWorker([&] {
            s.controlSocket = Login(s, s.login());
            if (s.controlSocket == -1)
                return;
            s.connected = true;
            SendCommand(controller().session(), "CWD /pub");
            FtpProtocol protocol(controller().session());
            (void)LoadListing(protocol, controller().session());
        }));
        QCOMPARE(remotePath, QByteArray("/pub"));
        // The server offers MLSD, and its listing follows the link to the file it names.
        QCOMPARE(column(*list, NameColumn), (QStringList{"sub dir", "a;b.bin", "link", "notes.txt", "한글 이름.zip"}));
        QCOMPARE(column(*list, SizeColumn), (QStringList{"", "1,100", "1,300", "1,300", "1,300"}));
        QVERIFY(!list->listModel()->row(2).text(DateTimeColumn).isEmpty());
        QCOMPARE(list->listModel()->row(4).nameBytes(), QStringLiteral("한글 이름.zip").toUtf8());
        QCOMPARE(list->listModel()->row(0).text(AttributeColumn).left(1), QStringLiteral("d"));
        QVERIFY(QFile::exists(cache.CacheFilePath("/pub")));

        // Offline: no socket, no server; the cache alone fills a new list.
        (void)SendCommand(controller().session(), "QUIT");
        s.controlSocket = CloseSocketAbortive(controller().session(), s.controlSocket);
        s.connected = false;
        auto offline = makeRemoteList();
        ListingCache reader(offline.get(), controller().session().login(), cacheRoot.filePath("Cache"));
        QVERIFY(reader.ReadCachedListing("/pub"));
        QCOMPARE(column(*offline, NameColumn), column(*list, NameColumn));
        QCOMPARE(column(*offline, DateTimeColumn).mid(3), column(*list, DateTimeColumn).mid(3));
        QCOMPARE(offline->listModel()->row(4).text(SizeColumn), QStringLiteral("1,300"));
    }
};

QTEST_MAIN(TestRemoteListing)
#include "tst_remotelisting.moc"
