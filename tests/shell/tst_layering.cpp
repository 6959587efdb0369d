#include <QDirIterator>
#include <QFile>
#include <QHash>
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

// The areas of src/ that each area may include besides itself, from the floor up.
QStringList allowedAreas(const QString &area)
{
    static const QHash<QString, QStringList> allowed{
        {QStringLiteral("platform"), {}},
        {QStringLiteral("engine"), {QStringLiteral("platform")}},
        {QStringLiteral("session"), {QStringLiteral("platform"), QStringLiteral("engine")}},
        {QStringLiteral("controls"), {QStringLiteral("platform")}},
        {QStringLiteral("panes"),
         {QStringLiteral("platform"), QStringLiteral("engine"), QStringLiteral("session"),
          QStringLiteral("controls")}},
        {QStringLiteral("queue"),
         {QStringLiteral("platform"), QStringLiteral("engine"), QStringLiteral("session"),
          QStringLiteral("controls")}},
        {QStringLiteral("sites"),
         {QStringLiteral("platform"), QStringLiteral("engine"), QStringLiteral("session"),
          QStringLiteral("controls")}},
        {QStringLiteral("shell"),
         {QStringLiteral("platform"), QStringLiteral("engine"), QStringLiteral("session"),
          QStringLiteral("controls"), QStringLiteral("panes"), QStringLiteral("queue"),
          QStringLiteral("sites")}},
    };
    return allowed.value(area);
}

// The includes of this program's own headers in one file, as "area/file.h".
QStringList projectIncludes(const QString &path)
{
    static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s*\"(\\w+)/"));
    QStringList found;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return found;
    while (!file.atEnd()) {
        const auto match = include.match(QString::fromUtf8(file.readLine()));
        if (match.hasMatch())
            found << match.captured(1);
    }
    return found;
}

} // namespace

// The engine, the session and the platform layer reach windows only through the session's views;
// a widget header there would tie them to a display and let the worker touch widgets. Every area
// includes only the areas below it (the build enforces the same through each library's include
// folders; this names the offending line).
class TestLayering : public QObject
{
    Q_OBJECT
private slots:
    void includesRunDownward_data()
    {
        QTest::addColumn<QString>("area");
        for (const char *area :
             {"platform", "engine", "session", "controls", "panes", "queue", "sites", "shell"})
            QTest::newRow(area) << QString::fromLatin1(area);
    }

    void includesRunDownward()
    {
        QFETCH(QString, area);
        QStringList allowed = allowedAreas(area);
        allowed << area;
        QStringList offenders;
        QDirIterator it(QStringLiteral(TIDEWELL_SOURCE_DIR "/src/") + area,
                        {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            for (const QString &included : projectIncludes(path))
                if (!allowed.contains(included))
                    offenders << QStringLiteral("%1 includes %2/").arg(path, included);
        }
        QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(QLatin1Char('\n'))));
    }

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
