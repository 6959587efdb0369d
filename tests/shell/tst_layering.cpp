#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace
{

// Widget headers of Qt, and the window parts of this program.
const QRegularExpression &widgetInclude()
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*#\s*include\s*[<"](QtWidgets/.*|QWidget|QDialog|QMainWindow|QApplication|)"
        R"(QMessageBox|(?!Q(String|ByteArray|AnyString|Utf8String|Latin1String|Basic\w*)View)Q\w*(Box|Button|Edit|View|Widget|Dialog|Bar|Menu|Action)|)"
        R"((panes|controls)/.*|shell/(mainframe|progressstatusbar)\.h)[>"])"));
    return pattern;
}

} // namespace

// The engine, the session and the platform layer reach windows only through hooks; a widget
// header there would tie them to a display and let the worker touch widgets.
class TestLayering : public QObject
{
    Q_OBJECT
private slots:
    void noWidgetHeadersBelowTheWindows_data()
    {
        QTest::addColumn<QString>("folder");
        for (const char *folder : {"engine", "session", "platform"})
            QTest::newRow(folder) << QString::fromLatin1(folder);
    }

    void noWidgetHeadersBelowTheWindows()
    {
        QFETCH(QString, folder);
        const QString root = QStringLiteral(TIDEWELL_SOURCE_DIR "/src/") + folder;
        QStringList offenders;
        int files = 0;
        QDirIterator it(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
            ++files;
            int lineNumber = 0;
            while (!file.atEnd()) {
                const QString line = QString::fromUtf8(file.readLine());
                ++lineNumber;
                if (widgetInclude().match(line).hasMatch())
                    offenders << QStringLiteral("%1:%2: %3").arg(path).arg(lineNumber).arg(line.trimmed());
            }
        }
        QVERIFY2(files > 0, qPrintable(root));
        QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(QLatin1Char('\n'))));
    }

    // The check itself must recognise what it is meant to catch.
    void patternCatchesWidgetIncludes_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("caught");
        QTest::newRow("QWidget") << "#include <QWidget>" << true;
        QTest::newRow("QtWidgets module") << "#include <QtWidgets/QLabel>" << true;
        QTest::newRow("message box") << "#include <QMessageBox>" << true;
        QTest::newRow("a pane") << "#include \"panes/remotewnd.h\"" << true;
        QTest::newRow("the frame") << "#include \"shell/mainframe.h\"" << true;
        QTest::newRow("core header") << "#include <QByteArray>" << false;
        QTest::newRow("tree view") << "#include <QTreeView>" << true;
        QTest::newRow("string view") << "#include <QStringView>" << false;
        QTest::newRow("byte array view") << "#include <QByteArrayView>" << false;
        QTest::newRow("engine header") << "#include \"engine/login.h\"" << false;
        QTest::newRow("settings") << "#include \"platform/appsettings.h\"" << false;
    }

    void patternCatchesWidgetIncludes()
    {
        QFETCH(QString, line);
        QFETCH(bool, caught);
        QCOMPARE(widgetInclude().match(line).hasMatch(), caught);
    }
};

QTEST_GUILESS_MAIN(TestLayering)
#include "tst_layering.moc"
