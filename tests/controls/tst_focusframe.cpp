#include "controls/focusframe.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QStringListModel>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>

#include <memory>

namespace
{

std::unique_ptr<QAbstractScrollArea> makeView(const QString &kind)
{
    if (kind == QLatin1String("text"))
        return std::make_unique<QPlainTextEdit>(QStringLiteral("220 ready\n"));
    std::unique_ptr<QAbstractItemView> view;
    if (kind == QLatin1String("tree"))
        view = std::make_unique<QTreeView>();
    else
        view = std::make_unique<QListView>();
    view->setModel(new QStringListModel({QStringLiteral("a"), QStringLiteral("b")}, view.get()));
    return view;
}

} // namespace

class TestFocusFrame : public QObject
{
    Q_OBJECT
private slots:
    // The frame shows, drawn in the highlight colour over the view's edge, exactly while the view
    // has the focus, and follows the view's size.
    void showsWhileTheViewHasFocus_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("list") << "list";
        QTest::newRow("tree with a header") << "tree";
        QTest::newRow("text view") << "text";
    }
    void showsWhileTheViewHasFocus()
    {
        QFETCH(QString, kind);
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        std::unique_ptr<QAbstractScrollArea> owned = makeView(kind);
        QAbstractScrollArea *view = owned.release();
        auto *other = new QLineEdit(&window);
        layout->addWidget(view);
        layout->addWidget(other);
        auto *frame = new FocusFrame(view);
        window.resize(300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        QVERIFY(!frame->isVisible());
        const QColor highlight = view->palette().color(QPalette::Active, QPalette::Highlight);
        const auto edgeColour = [&] { return view->grab().toImage().pixelColor(0, view->height() / 2); };
        QVERIFY(edgeColour() != highlight);

        view->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(frame->isVisible());
        QCOMPARE(frame->geometry(), view->rect());
        QCOMPARE(edgeColour(), highlight);

        window.resize(400, 300);
        QTRY_COMPARE(frame->geometry(), view->rect());

        other->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(!frame->isVisible());
    }

    // A context menu borrows the focus without taking the frame away.
    void staysForAContextMenu()
    {
        std::unique_ptr<QAbstractScrollArea> view = makeView(QStringLiteral("list"));
        auto *frame = new FocusFrame(view.get());
        view->show();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
        view->setFocus();
        QTRY_VERIFY(frame->isVisible());
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(view.get(), &popup);
        QVERIFY(frame->isVisible());
        QFocusEvent away(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(view.get(), &away);
        QVERIFY(!frame->isVisible());
    }
};

QTEST_MAIN(TestFocusFrame)
#include "tst_focusframe.moc"
