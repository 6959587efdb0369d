#include "guitest.h"

#include "controls/sortlistctrl.h"
#include "engine/listingparser.h"
#include "panes/listingcache.h"
#include "panes/remotewnd.h"
#include "platform/inifile.h"
#include "platform/uithread.h"
#include "session/listinghandover.h"
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

    // The worker writes the cache before the pane gets the rows, and the pane is not asked to;
    // the file is the one the list would have written of the rows as it shows them.
    void writtenOnWorkerInShownOrder(RowOrder order)
    {
        const QString file = root.filePath(QStringLiteral("Cache/worker.ini"));
        QFile::remove(file);
        testsupport::TestViews views;
        views.onListingCacheTarget = [&](const QByteArray &path) -> std::optional<ListingCacheTarget> {
            if (path != "/pub")
                return std::nullopt;
            return ListingCacheTarget{file, order};
        };
        std::vector<FileEntry> shown;
        bool existedWhenShown = false;
        bool paneToWrite = true;
        views.onShowRemoteListing = [&](const QByteArray &, std::vector<FileEntry> rows, bool writeCache) {
            existedWhenShown = QFile::exists(file);
            paneToWrite = writeCache;
            shown = std::move(rows);
        };
        QVERIFY(testsupport::runOnWorker([] { handOverListing("/pub", parsedRows(), true); }));
        QVERIFY(existedWhenShown);
        QVERIFY(!paneToWrite);

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

    // A folder the pane no longer shows is cached as listed.
    void notShownCachedAsListed()
    {
        const QString file = root.filePath(QStringLiteral("Cache/other.ini"));
        testsupport::TestViews views;
        views.onListingCacheTarget = [&](const QByteArray &) {
            return std::optional<ListingCacheTarget>(ListingCacheTarget{file, std::nullopt});
        };
        QVERIFY(testsupport::runOnWorker([] { handOverListing("/other", parsedRows(), true); }));
        const QByteArray bytes = contents(file);
        QVERIFY(bytes.indexOf("ITEM0=F;beta.txt;") > 0);
        QVERIFY(bytes.indexOf("ITEM2=D;zeta;") > 0);
    }

    // Listed during a transfer: nothing is cached, by the worker or by the pane.
    void noCacheWhenNotAsked()
    {
        testsupport::TestViews views;
        bool asked = false, paneToWrite = true;
        views.onListingCacheTarget = [&](const QByteArray &) {
            asked = true;
            return std::optional<ListingCacheTarget>();
        };
        views.onShowRemoteListing = [&](const QByteArray &, std::vector<FileEntry>, bool writeCache) {
            paneToWrite = writeCache;
        };
        QVERIFY(testsupport::runOnWorker([] { handOverListing("/pub", parsedRows(), false); }));
        QVERIFY(!asked);
        QVERIFY(!paneToWrite);
    }

    // The window names the file its own cache would write, and for the folder it shows, the
    // order its list re-sorts new rows into; another folder is cached as listed.
    void paneNamesFileAndOrder()
    {
        CRemoteWnd pane(nullptr);
        pane.initialUpdate();
        pane.setRemotePath("/pub");
        std::optional<ListingCacheTarget> target = pane.listingCacheTarget("/pub");
        QVERIFY(target && target->order);
        QCOMPARE(target->file, pane.cache()->CacheFilePath(QStringLiteral("/pub")));
        QCOMPARE(target->order->column, pane.list()->sortColumn() == -1 ? 0 : pane.list()->sortColumn());
        pane.list()->SortByColumn(SizeColumn);
        target = pane.listingCacheTarget("/pub");
        QVERIFY(target && target->order);
        QCOMPARE(target->order->column, int(SizeColumn));
        QCOMPARE(target->order->kind, int(SortNumber));
        QCOMPARE(target->order->ascending, !pane.list()->columnDescending(SizeColumn));
        target = pane.listingCacheTarget("/elsewhere");
        QVERIFY(target && !target->order);
        QCOMPARE(target->file, pane.cache()->CacheFilePath(QStringLiteral("/elsewhere")));
    }

    // A pane that names no cache file keeps writing it itself.
    void paneWithoutTargetWritesItself()
    {
        testsupport::TestViews views;
        bool paneToWrite = false;
        views.onShowRemoteListing = [&](const QByteArray &, std::vector<FileEntry>, bool writeCache) {
            paneToWrite = writeCache;
        };
        QVERIFY(testsupport::runOnWorker([] { handOverListing("/pub", parsedRows(), true); }));
        QVERIFY(paneToWrite);
    }
};

TIDEWELL_GUI_TEST_MAIN(TestListingHandover)
#include "tst_listinghandover.moc"
