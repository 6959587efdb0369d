#include "guitest.h"

#include "controls/sortlistctrl.h"
#include "engine/listingparser.h"
#include "panes/listingcache.h"
#include "panes/remotewnd.h"
#include "platform/inifile.h"
#include "platform/uithread.h"
#include "session/listinghandover.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"
#include "testviews.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using testsupport::controller;

namespace
{

// Sizes, dates and names that sort differently by each column, a folder among them, and two
// rows of one size so that the order of equal rows counts.
const QByteArray listing = "-rw-r--r--   1 u  g      500 Mar  3  2021 beta.txt\r\n"
                           "-rw-r--r--   1 u  g       20 Jan  1  2019 Alpha.txt\r\n"
                           "drwxr-xr-x   2 u  g     4096 Feb  2  2020 zeta\r\n"
                           "-rw-r--r--   1 u  g      500 Jan  9  2022 gamma;x.bin\r\n"
                           "-rw-r--r--   1 u  g     9000 Dec 24  2018 delta\r\n";

std::vector<FileEntry> parsedRows()
{
    ListingState state;
    return ParseListing(listing, state);
}

std::unique_ptr<CSortListCtrl> makeRemoteList()
{
    auto list = std::make_unique<CSortListCtrl>();
    list->InsertFileColumns();
    return list;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestListingHandover : public QObject
{
    Q_OBJECT
    QTemporaryDir root;

    // Hands the parsed rows of `path` over as a listing job does, on a worker thread; the posted
    // hand-over has reached the views when it returns.
    static bool handOver(const QByteArray &path, bool writeCache, const std::optional<ListingCacheTarget> &cache)
    {
        Session &s = controller().session();
        return testsupport::runOnWorker([&] { handOverListing(s, path, parsedRows(), writeCache, cache); });
    }

    // The worker writes the cache before the pane gets the rows, and the pane is not asked to;
    // the file is the one the list would have written of the rows as it shows them.
    void writtenOnWorkerInShownOrder(RowOrder order)
    {
        const QString file = root.filePath(QStringLiteral("Cache/worker.ini"));
        QFile::remove(file);
        testsupport::TestViews views;
        std::vector<FileEntry> shown;
        bool existedWhenShown = false;
        bool paneToWrite = true;
        views.onShowRemoteListing = [&](const QByteArray &, std::vector<FileEntry> rows, bool writeCache) {
            existedWhenShown = QFile::exists(file);
            paneToWrite = writeCache;
            shown = std::move(rows);
        };
        QVERIFY(handOver("/pub", true, ListingCacheTarget{"/pub", file, order}));
        QVERIFY(existedWhenShown);
        QVERIFY(!paneToWrite);
        QCOMPARE(views.sortedBy, std::optional<RowOrder>(order));

        auto list = makeRemoteList();
        const LoginFields anyLogin;
        ListingCache cache(list.get(), anyLogin, root.filePath(QStringLiteral("Reference")));
        list->setRows(parsedRows());
        list->listModel()->sortRows(order.column, order.kind, order.ascending);
        cache.WriteCachedListing(QStringLiteral("/pub"));
        const QByteArray expected = contents(cache.CacheFilePath(QStringLiteral("/pub")));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(contents(file), expected);

        // The pane sorting the rows it got again keeps them as the cache holds them.
        auto shownList = makeRemoteList();
        shownList->listModel()->setRows(std::move(shown));
        shownList->listModel()->sortRows(order.column, order.kind, order.ascending);
        for (int row = 0; row < list->listModel()->size(); ++row)
            QCOMPARE(shownList->listModel()->row(row).nameBytes(), list->listModel()->row(row).nameBytes());
    }

private slots:
    void init() { testsupport::freshController(); }

    void byNameAscending() { writtenOnWorkerInShownOrder({NameColumn, SortText, true}); }
    void bySizeDescending() { writtenOnWorkerInShownOrder({SizeColumn, SortNumber, false}); }
    void byDateAscending() { writtenOnWorkerInShownOrder({DateTimeColumn, SortDateTime, true}); }

    // A cache file made new is written as it goes, yet holds the very bytes that the ini writer
    // gives the same rows, escapes included.
    void newFileAsTheIniWriterMakesIt()
    {
        std::vector<FileEntry> rows = parsedRows();
        FileEntry odd;
        odd.texts[NameColumn] = QStringLiteral("line\nbreak;semi");
        odd.texts[SizeColumn] = QStringLiteral("7");
        odd.itemData = FileEntry::fileItemData;
        rows.push_back(odd);
        const QString streamed = root.filePath(QStringLiteral("streamed.ini"));
        const QString reference = root.filePath(QStringLiteral("reference.ini"));
        QFile::remove(streamed);
        auto rowAt = [&rows](qsizetype i) -> const FileRow & { return rows[size_t(i)]; };
        QVERIFY(writeCacheRows(streamed, qsizetype(rows.size()), rowAt));
        IniFile ini(reference);
        ini.setValue(listingCacheSection, "COUNT", QByteArray::number(qsizetype(rows.size())));
        for (size_t i = 0; i < rows.size(); ++i)
            ini.setValue(listingCacheSection, "ITEM" + QByteArray::number(qsizetype(i)),
                         cacheValueFromRow(rows[i]));
        QVERIFY(ini.save());
        QCOMPARE(contents(streamed), contents(reference));
        QVERIFY(contents(streamed).startsWith("[CACHELIST]\nCOUNT=6\nITEM0=F;beta.txt;500;"));

        // Written again over itself, shorter: the keys beyond the new count stay, as they do in
        // every cache file written over an earlier one.
        rows.resize(2);
        QVERIFY(writeCacheRows(streamed, 2, rowAt));
        const std::optional<std::vector<SortListRow>> back = readCacheFile(streamed);
        QVERIFY(back && back->size() == 2);
        QVERIFY(contents(streamed).contains("\nITEM5=F;line"));
    }

    // The server listed another folder than the one the target was made for: the worker writes
    // no file, the pane caches the rows as it takes them.
    void targetOfAnotherFolderLeavesTheCacheToThePane()
    {
        const QString file = root.filePath(QStringLiteral("Cache/other.ini"));
        QFile::remove(file);
        testsupport::TestViews views;
        bool paneToWrite = false;
        views.onShowRemoteListing = [&](const QByteArray &, std::vector<FileEntry>, bool writeCache) {
            paneToWrite = writeCache;
        };
        QVERIFY(handOver("/other", true, ListingCacheTarget{"/pub", file, std::nullopt}));
        QVERIFY(!QFile::exists(file));
        QVERIFY(paneToWrite);
        QVERIFY(!views.sortedBy);
    }

    // Listed during a transfer: nothing is cached, by the worker or by the pane.
    void noCacheWhenNotAsked()
    {
        const QString file = root.filePath(QStringLiteral("Cache/transfer.ini"));
        QFile::remove(file);
        testsupport::TestViews views;
        bool paneToWrite = true;
        views.onShowRemoteListing = [&](const QByteArray &, std::vector<FileEntry>, bool writeCache) {
            paneToWrite = writeCache;
        };
        QVERIFY(handOver("/pub", false, ListingCacheTarget{"/pub", file, std::nullopt}));
        QVERIFY(!QFile::exists(file));
        QVERIFY(!paneToWrite);
    }

    // The window names, when the listing is asked for, the file its own cache would write and
    // the order its list re-sorts new rows into: the folder listed is the one it shows next.
    void paneNamesFileAndOrder()
    {
        CRemoteWnd pane(nullptr);
        pane.initialUpdate();
        pane.setRemotePath("/pub");
        std::optional<ListingCacheTarget> target = pane.listingCacheTarget("/pub");
        QVERIFY(target && target->order);
        QCOMPARE(target->folder, QByteArray("/pub"));
        QCOMPARE(target->file, pane.cache()->CacheFilePath(QStringLiteral("/pub")));
        QCOMPARE(target->order->column, pane.list()->sortColumn() == -1 ? 0 : pane.list()->sortColumn());
        pane.list()->SortByColumn(SizeColumn);
        target = pane.listingCacheTarget("/elsewhere");
        QVERIFY(target && target->order);
        QCOMPARE(target->folder, QByteArray("/elsewhere"));
        QCOMPARE(target->file, pane.cache()->CacheFilePath(QStringLiteral("/elsewhere")));
        QCOMPARE(target->order->column, int(SizeColumn));
        QCOMPARE(target->order->kind, int(SortNumber));
        QCOMPARE(target->order->ascending, !pane.list()->columnDescending(SizeColumn));
    }

    // The controller asks the pane for the target as it starts the listing job, on the window
    // thread, and not again from the worker.
    void targetTakenWhenTheJobStarts()
    {
        testsupport::TestViews views;
        QList<QByteArray> asked;
        views.onListingCacheTarget = [&](const QByteArray &path) {
            asked << path;
            return std::optional<ListingCacheTarget>();
        };
        // Not connected: the job ends at once, without a listing.
        QVERIFY(controller().startJob(RefreshRequest{"/pub", std::nullopt}));
        QCOMPARE(asked, QList<QByteArray>{"/pub"});
        controller().worker().join();
        QCoreApplication::processEvents();
        QCOMPARE(asked, QList<QByteArray>{"/pub"});
    }

    // A pane that names no cache file keeps writing it itself.
    void paneWithoutTargetWritesItself()
    {
        testsupport::TestViews views;
        bool paneToWrite = false;
        views.onShowRemoteListing = [&](const QByteArray &, std::vector<FileEntry>, bool writeCache) {
            paneToWrite = writeCache;
        };
        QVERIFY(handOver("/pub", true, std::nullopt));
        QVERIFY(paneToWrite);
    }
};

TIDEWELL_GUI_TEST_MAIN(TestListingHandover)
#include "tst_listinghandover.moc"
