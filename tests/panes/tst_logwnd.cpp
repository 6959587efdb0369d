#include "panes/logwnd.h"

#include "platform/contrast.h"
#include "platform/log.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPalette>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <atomic>
#include <memory>
#include <thread>

namespace {

struct Run {
    QString text;
    QColor color;
};

// The document as runs of one colour each. A paragraph end shows no colour; it is read as "\n"
// at the end of the run before it.
QList<Run> runsOf(const QPlainTextEdit &edit)
{
    QList<Run> runs;
    const QTextDocument *document = edit.document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QColor color = fragment.charFormat().foreground().color();
            if (!runs.isEmpty() && runs.back().color == color)
                runs.back().text += fragment.text();
            else
                runs.append({fragment.text(), color});
        }
        if (block.next().isValid() && !runs.isEmpty())
            runs.back().text += QLatin1Char('\n');
    }
    return runs;
}

// Readable in a failure message: "[#0000ff Connecting...\n]".
QString describe(const QList<Run> &runs)
{
    QString text;
    for (const Run &run : runs)
        text += QStringLiteral("[%1 %2]").arg(run.color.name(), run.text);
    return text;
}

constexpr LogColor allColors[] = {LogColor::Reply, LogColor::Command, LogColor::Status, LogColor::Error};

QPalette paletteOn(const QColor &base, const QColor &text)
{
    QPalette palette;
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Window, base);
    palette.setColor(QPalette::WindowText, text);
    return palette;
}

// Where the colour's meaning shows: the hue for the coloured kinds, none for reply text.
void verifyReadable(const CLogWnd &pane, const QColor &base)
{
    QStringList shown;
    for (LogColor kind : allColors) {
        const QColor color = pane.shownColor(kind);
        const double ratio = contrastRatio(color, base);
        QVERIFY2(ratio >= CLogWnd::minContrast,
                 qPrintable(QStringLiteral("%1 on %2: %3").arg(color.name(), base.name()).arg(ratio)));
        const QColor meant = logColorRgb(kind);
        if (meant.hslSaturation() > 0)
            QVERIFY2(qAbs(color.hslHue() - meant.hslHue()) <= 3, qPrintable(color.name()));
        shown.append(color.name());
    }
    // Still four kinds that can be told apart.
    shown.removeDuplicates();
    QCOMPARE(shown.size(), 4);
}

} // namespace

class TestLogWnd : public QObject {
    Q_OBJECT
private slots:
    void coloursMakeRuns()
    {
        CLogWnd pane;
        pane.appendLog(QStringLiteral("Connecting to host...\n"), LogColor::Status);
        pane.appendLog(QStringLiteral("USER anonymous\n"), LogColor::Command);
        pane.appendLog(QStringLiteral("331 Password required"), LogColor::Reply);
        pane.appendLog(QStringLiteral("\n"), LogColor::Reply);
        pane.appendLog(QStringLiteral("Login failed\n"), LogColor::Error);
        pane.flushPending();
        const QList<Run> expected{
            {QStringLiteral("Connecting to host...\n"), pane.shownColor(LogColor::Status)},
            {QStringLiteral("USER anonymous\n"), pane.shownColor(LogColor::Command)},
            {QStringLiteral("331 Password required\n"), pane.shownColor(LogColor::Reply)},
            {QStringLiteral("Login failed\n"), pane.shownColor(LogColor::Error)},
        };
        QCOMPARE(describe(runsOf(pane)), describe(expected));
    }

    void pendingTextAppearsWithoutBeingAsked()
    {
        CLogWnd pane;
        AppendLog(QStringLiteral("220 ready\r\n"), LogColor::Reply);
        QTRY_COMPARE(pane.toPlainText(), QStringLiteral("220 ready\n"));
    }

    void theNewestPaneKeepsTheLog()
    {
        auto older = std::make_unique<CLogWnd>();
        CLogWnd newer;
        older.reset();
        AppendLog(QStringLiteral("NOOP\n"), LogColor::Command);
        QTRY_COMPARE(newer.toPlainText(), QStringLiteral("NOOP\n"));
    }

    void orderAcrossThreads()
    {
        CLogWnd pane;
        std::atomic<int> step{0};
        std::thread worker([&] {
            AppendLog(QStringLiteral("1"), LogColor::Reply);
            step = 1;
            while (step != 2)
                std::this_thread::yield();
            AppendLog(QStringLiteral("3"), LogColor::Command);
        });
        QTRY_COMPARE(step.load(), 1);
        AppendLog(QStringLiteral("2"), LogColor::Status);
        step = 2;
        worker.join();
        QTRY_COMPARE(pane.toPlainText(), QStringLiteral("123"));
    }

    void manyLinesFromBothThreadsKeepTheirOrder()
    {
        CLogWnd pane;
        constexpr int lines = 400;
        std::thread worker([] {
            for (int i = 0; i < lines; ++i)
                AppendLog(QStringLiteral("w%1\n").arg(i), LogColor::Reply);
        });
        for (int i = 0; i < lines; ++i)
            AppendLog(QStringLiteral("u%1\n").arg(i), LogColor::Status);
        worker.join();
        QTRY_COMPARE(pane.toPlainText().count(QLatin1Char('\n')), 2 * lines);
        int nextWorker = 0;
        int nextUi = 0;
        const QStringList written = pane.toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &line : written) {
            int &next = line.startsWith(QLatin1Char('w')) ? nextWorker : nextUi;
            QCOMPARE(line.mid(1).toInt(), next);
            ++next;
        }
        QCOMPARE(nextWorker, lines);
        QCOMPARE(nextUi, lines);
    }

    void deleteWithoutSelectionChangesNothing()
    {
        CLogWnd pane;
        pane.appendLog(QStringLiteral("first line\nsecond line\n"), LogColor::Reply);
        pane.flushPending();
        QTextCursor cursor = pane.textCursor();
        cursor.setPosition(5);
        pane.setTextCursor(cursor);
        pane.deleteSelection();
        QCOMPARE(pane.toPlainText(), QStringLiteral("first line\nsecond line\n"));

        cursor.setPosition(0);
        cursor.setPosition(6, QTextCursor::KeepAnchor);
        pane.setTextCursor(cursor);
        pane.deleteSelection();
        QCOMPARE(pane.toPlainText(), QStringLiteral("line\nsecond line\n"));
    }

    void deleteAllThenAppendStartsAtZero()
    {
        CLogWnd pane;
        pane.appendLog(QStringLiteral("Upload error\n"), LogColor::Error);
        pane.flushPending();
        pane.appendLog(QStringLiteral("still pending\n"), LogColor::Error);
        pane.deleteAll();
        QVERIFY(pane.toPlainText().isEmpty());
        pane.appendLog(QStringLiteral("Disconnected\n"), LogColor::Status);
        pane.flushPending();
        const QList<Run> expected{{QStringLiteral("Disconnected\n"), pane.shownColor(LogColor::Status)}};
        QCOMPARE(describe(runsOf(pane)), describe(expected));
    }

    void theUserCannotType()
    {
        CLogWnd pane;
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.appendLog(QStringLiteral("226 done\n"), LogColor::Reply);
        pane.flushPending();
        pane.setFocus();
        QTest::keyClicks(&pane, QStringLiteral("typed"));
        QTest::keyClick(&pane, Qt::Key_Backspace);
        QTest::keyClick(&pane, Qt::Key_Return);
        QApplication::clipboard()->setText(QStringLiteral("pasted"));
        QTest::keyClick(&pane, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(pane.toPlainText(), QStringLiteral("226 done\n"));
        QVERIFY(pane.isReadOnly());
    }

    void contextMenuCommands()
    {
        CLogWnd pane;
        pane.appendLog(QStringLiteral("PWD\n"), LogColor::Command);
        pane.flushPending();
        std::unique_ptr<QMenu> menu(pane.createContextMenu(nullptr));
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[0]->text(), QStringLiteral("Copy"));
        QCOMPARE(actions[1]->text(), QStringLiteral("Delete"));
        QCOMPARE(actions[2]->text(), QStringLiteral("Deleta All"));
        QCOMPARE(actions[2]->data().toInt(), CLogWnd::deleteAllCommand);

        pane.selectAll();
        actions[0]->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("PWD\n"));
        actions[2]->trigger();
        QVERIFY(pane.toPlainText().isEmpty());
    }

    // The Menu key and Shift+F10 open the context menu as a right click does; F10 alone does not.
    void keysOpenTheContextMenu_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<bool>("opens");
        QTest::newRow("Shift+F10") << QKeySequence(Qt::SHIFT | Qt::Key_F10) << true;
        QTest::newRow("Menu key") << QKeySequence(Qt::Key_Menu) << true;
        QTest::newRow("F10 alone") << QKeySequence(Qt::Key_F10) << false;
    }
    void keysOpenTheContextMenu()
    {
        QFETCH(QKeySequence, key);
        QFETCH(bool, opens);
        CLogWnd pane;
        pane.appendLog(QStringLiteral("PWD\n"), LogColor::Command);
        pane.flushPending();
        pane.show();
        QVERIFY(QTest::qWaitForWindowActive(&pane));
        pane.setFocus();
        QTRY_VERIFY(pane.hasFocus());
        QTest::keyClick(&pane, key[0].key(), key[0].keyboardModifiers());
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QCOMPARE(menu != nullptr, opens);
        if (menu) {
            QCOMPARE(menu->actions().value(2)->text(), QStringLiteral("Deleta All"));
            QVERIFY(pane.rect().contains(pane.mapFromGlobal(menu->pos())));
            menu->close();
        }
    }

    void historyIsBounded_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("length");
        QTest::newRow("many short lines") << 3 * CLogWnd::maxLines << 20;
        QTest::newRow("long lines") << 3000 << 4000;
        QTest::newRow("one endless line") << 1 << 3 * CLogWnd::maxCharacters;
    }
    void historyIsBounded()
    {
        QFETCH(int, lines);
        QFETCH(int, length);
        CLogWnd pane;
        QString last;
        for (int i = 0; i < lines; ++i) {
            last = QStringLiteral("%1 ").arg(i).leftJustified(length, QLatin1Char('x')) + QLatin1Char('\n');
            pane.appendLog(last, LogColor::Reply);
            if (i % 500 == 0)
                pane.flushPending();
        }
        pane.flushPending();
        const QTextDocument *document = pane.document();
        QVERIFY(document->blockCount() <= CLogWnd::maxLines + 1);
        QVERIFY(document->characterCount() <= CLogWnd::maxCharacters + 1);
        // The newest text stays; the oldest went.
        const QString text = pane.toPlainText();
        QVERIFY(text.endsWith(last.right(qMin<int>(last.size(), CLogWnd::maxCharacters / 2))));
        if (lines > 1)
            QVERIFY(!text.startsWith(QLatin1String("0 ")));
    }

    void controlBytesShownEscaped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("escape sequence")
            << QStringLiteral("226 \x1b[2Jdone\r\n") << QStringLiteral("226 \\x1b[2Jdone\n");
        QTest::newRow("lone carriage return")
            << QStringLiteral("550 a\rb\n") << QStringLiteral("550 a\\x0db\n");
        QTest::newRow("tab, nul, delete")
            << QString::fromLatin1("x\ty\0z\x7f\n", 7) << QStringLiteral("x\\x09y\\x00z\\x7f\n");
        QTest::newRow("c1 control") << QStringLiteral("a\u0085b") << QStringLiteral("a\\x85b");
        QTest::newRow("line separator") << QStringLiteral("a\u2028b") << QStringLiteral("a\\u2028b");
        QTest::newRow("plain text stays")
            << QStringLiteral("257 \"/caf\u00e9\"\n") << QStringLiteral("257 \"/caf\u00e9\"\n");
    }
    void controlBytesShownEscaped()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        CLogWnd pane;
        pane.appendLog(text, LogColor::Reply);
        pane.flushPending();
        QCOMPARE(pane.toPlainText(), shown);
    }

    void coloursReadableOnTheBackground_data()
    {
        QTest::addColumn<QColor>("base");
        QTest::addColumn<QColor>("text");
        QTest::newRow("light") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("light yellow") << QColor(0xff, 0xff, 0xdc) << QColor(Qt::black);
        QTest::newRow("dark") << QColor(0x1e, 0x1e, 0x1e) << QColor(0xdd, 0xdd, 0xdd);
        QTest::newRow("dark blue") << QColor(0x00, 0x00, 0x40) << QColor(Qt::white);
        QTest::newRow("black") << QColor(Qt::black) << QColor(Qt::white);
        QTest::newRow("middle grey") << QColor(0x76, 0x76, 0x76) << QColor(Qt::black);
    }
    void coloursReadableOnTheBackground()
    {
        QFETCH(QColor, base);
        QFETCH(QColor, text);
        CLogWnd pane;
        pane.setPalette(paletteOn(base, text));
        verifyReadable(pane, base);
        if (QTest::currentTestFailed())
            return;
        // What is appended is drawn in those colours.
        pane.appendLog(QStringLiteral("550 No such file\n"), LogColor::Error);
        pane.flushPending();
        const QList<Run> runs = runsOf(pane);
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs[0].color.name(), pane.shownColor(LogColor::Error).name());
    }

    void themeChangeRecoloursShownLines()
    {
        const QColor dark(0x20, 0x20, 0x24);
        // The pane inherits its palette, as it does inside the window.
        QWidget window;
        auto *pane = new CLogWnd(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        pane->appendLog(QStringLiteral("Connecting...\n"), LogColor::Status);
        pane->appendLog(QStringLiteral("RETR a\n"), LogColor::Command);
        pane->appendLog(QStringLiteral("150 Opening\n"), LogColor::Reply);
        pane->appendLog(QStringLiteral("Download error\n"), LogColor::Error);
        pane->flushPending();
        const QPalette light = window.palette();
        const QString lightRuns = describe(runsOf(*pane));

        window.setPalette(paletteOn(dark, QColor(0xe0, 0xe0, 0xe0)));
        QCOMPARE(pane->palette().color(QPalette::Base), dark);
        const QList<Run> expected{
            {QStringLiteral("Connecting...\n"), pane->shownColor(LogColor::Status)},
            {QStringLiteral("RETR a\n"), pane->shownColor(LogColor::Command)},
            {QStringLiteral("150 Opening\n"), pane->shownColor(LogColor::Reply)},
            {QStringLiteral("Download error\n"), pane->shownColor(LogColor::Error)},
        };
        const QString darkRuns = describe(runsOf(*pane));
        QCOMPARE(darkRuns, describe(expected));
        QVERIFY(darkRuns != lightRuns);
        // And back: the light colours return, to the same lines.
        window.setPalette(light);
        QCOMPARE(describe(runsOf(*pane)), lightRuns);
    }

    void followsTheEndUnlessScrolledBack()
    {
        CLogWnd pane;
        pane.resize(300, 120);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        for (int i = 0; i < 300; ++i)
            pane.appendLog(QStringLiteral("line %1\n").arg(i), LogColor::Reply);
        pane.flushPending();
        QScrollBar *bar = pane.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());

        bar->setValue(0);
        pane.appendLog(QStringLiteral("one more\n"), LogColor::Reply);
        pane.flushPending();
        QCOMPARE(bar->value(), 0);
    }
};

QTEST_MAIN(TestLogWnd)
#include "tst_logwnd.moc"
