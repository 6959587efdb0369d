#pragma once

#include <QApplication>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

namespace guitest
{

// Points the settings store and the data folder at a fresh folder of this test process, so that
// test programs running side by side never share settings. Call before anything reads settings.
void isolateUserFolders();
// Removes every stored setting (between test cases).
void clearSettings();

// The plain text of the log pane inside `root` (its first read-only text view).
QString logText(QWidget *root);
// The log's lines, without their line feeds.
QStringList logLines(QWidget *root);

// The letter after a single "&", upper-cased; none for a text without an access key.
QChar accessKey(const QString &text);

// Watches for modal dialogs and hands each to `handler` (by default it is rejected), recording
// the class names of the dialogs seen.
class ModalWatcher : public QObject
{
public:
    explicit ModalWatcher(std::function<void(QWidget *)> handler = {});
    QStringList seen;

private:
    QTimer timer_;
    std::function<void(QWidget *)> handler_;
    QPointer<QWidget> last_;
};

} // namespace guitest

// A QtTest main for widget tests with isolated user folders.
#define TIDEWELL_GUI_TEST_MAIN(TestClass)                                                                    \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        guitest::isolateUserFolders();                                                                       \
        QApplication app(argc, argv);                                                                        \
        QApplication::setOrganizationName(QStringLiteral("KALO"));                                           \
        QApplication::setApplicationName(QStringLiteral("Tidewell"));                                        \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
