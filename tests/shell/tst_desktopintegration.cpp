#include "guitest.h"

#include "platform/commandids.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "session/session.h"
#include "shell/helpwindow.h"
#include "shell/mainframe.h"
#include "shell/programidentity.h"
#include "shell/programresources.h"
#include "shell/toolbaricons.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString sourceDir = QStringLiteral(TIDEWELL_SOURCE_DIR);
const QString appId = QStringLiteral("org.example.Tidewell");

QString buildDir()
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral(".."));
}

// The metainfo as the build makes it from its template.
QString metainfoPath()
{
    return buildDir() + QStringLiteral("/res/desktop/") + appId + QStringLiteral(".metainfo.xml");
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The first capture of `pattern` in `text`.
QString firstMatch(const QString &text, const QString &pattern)
{
    return QRegularExpression(pattern).match(text).captured(1);
}

// Runs a tool to its end; its exit code, or -1 when it could not run.
int run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return -1;
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Stands in for the browser.
class BrowserStandIn : public QObject
{
    Q_OBJECT
public:
    BrowserStandIn() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    ~BrowserStandIn() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

} // namespace

class TestDesktopIntegration : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installDesktopIcons(); }

    // With no desktop theme set (as here), every button still finds its picture.
    void everyToolbarButtonHasAPicture_data()
    {
        QTest::addColumn<int>("id");
        for (int id : {cmd::SiteManager, cmd::Connect, cmd::Disconnect, cmd::Preference, cmd::Upload,
                       cmd::Download, cmd::TransferQueue, cmd::Abort, cmd::Refresh, cmd::Rename,
                       cmd::ChangeAttribute, cmd::Delete, cmd::DeleteSubfolder, cmd::MoveTo, cmd::NewFolder,
                       cmd::UserCommand, cmd::SyncBrowsing, cmd::CompareFolders, cmd::BinaryMode,
                       cmd::AsciiMode, cmd::AutoMode})
            QTest::newRow(qPrintable(toolbarIconName(id))) << id;
    }
    void everyToolbarButtonHasAPicture()
    {
        QFETCH(int, id);
        QVERIFY(QIcon::hasThemeIcon(toolbarIconName(id)));
        QVERIFY(!toolbarIcon(id).pixmap(22, 22).isNull());
    }

    void programIconIsDrawn()
    {
        const QImage image = programIcon().pixmap(64, 64).toImage();
        QVERIFY(!image.isNull());
        // Not a blank square: the middle is opaque and differs from a corner.
        QCOMPARE(qAlpha(image.pixel(32, 32)), 255);
        QVERIFY(image.pixel(1, 1) != image.pixel(32, 32));
    }

    void helpPageInBothLanguages_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("heading");
        QTest::newRow("English") << int(Language::English) << "Tidewell Help";
        QTest::newRow("Korean") << int(Language::Korean) << QString::fromUtf8("Tidewell 도움말");
    }
    void helpPageInBothLanguages()
    {
        QFETCH(int, language);
        QFETCH(QString, heading);
        setLanguage(Language(language));
        HelpWindow window;
        setLanguage(Language::English);
        QVERIFY(window.toPlainText().startsWith(heading));
        QCOMPARE(window.windowTitle(), heading);
    }

    // What a new user looks for, in both languages; Abort is not said to stop at once, because a
    // transfer asks first.
    void helpPageCovers_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("phrases");
        QTest::newRow("English") << int(Language::English) << QStringList{"Rename",       "Delete subfolder",
                                                                          "Move to",      "Change Attribute",
                                                                          "User Command", "Drag and drop",
                                                                          "Backspace",    "F5",
                                                                          "Ctrl+W"};
        QTest::newRow("Korean") << int(Language::Korean)
                                << QStringList{QString::fromUtf8("이름 바꾸기"),
                                               QString::fromUtf8("하위 폴더 삭제"),
                                               QString::fromUtf8("이동"),
                                               QString::fromUtf8("속성 바꾸기"),
                                               QString::fromUtf8("사용자 명령"),
                                               QString::fromUtf8("끌어서 놓기"),
                                               "Backspace",
                                               "F5",
                                               "Ctrl+W"};
    }
    void helpPageCovers()
    {
        QFETCH(int, language);
        QFETCH(QStringList, phrases);
        setLanguage(Language(language));
        const QString abortQuestion = loadText(TextId::ConfirmAbortTransfer);
        HelpWindow window;
        setLanguage(Language::English);
        const QString text = window.toPlainText();
        for (const QString &phrase : phrases)
            QVERIFY2(text.contains(phrase), qPrintable(phrase));
        QVERIFY2(text.contains(abortQuestion), qPrintable(abortQuestion));
        QVERIFY(!text.contains(QLatin1String("job at once")));
    }

    void helpWindowClosesByKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier);
        QTest::newRow("Ctrl+W") << int(Qt::Key_W) << int(Qt::ControlModifier);
    }
    void helpWindowClosesByKey()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QPointer<HelpWindow> window = new HelpWindow;
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window.data(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        // Closed, and so deleted.
        QTRY_VERIFY(!window);
    }

    // The Help and Options commands of the frame reach their windows.
    void frameCommands_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("window");
        QTest::newRow("Preference") << cmd::Preference << "PreferencesDialog";
        QTest::newRow("About") << cmd::About << "AboutBox";
        QTest::newRow("Brief Help") << cmd::BriefHelp << "HelpWindow";
        QTest::newRow("F1") << 0 << "HelpWindow";
        QTest::newRow("Visit Homepage") << cmd::VisitHomepage << "";
    }
    void frameCommands()
    {
        QFETCH(int, id);
        QFETCH(QString, window);
        guitest::ModalWatcher watcher;
        CMainFrame frame;
        frame.show();
        QTRY_VERIFY(watcher.seen.contains(QStringLiteral("SiteManagerDialog")));
        BrowserStandIn browser;
        if (id == 0) {
            frame.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&frame));
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &frame, Qt::Key_F1);
        } else {
            frame.action(id)->trigger();
        }
        if (window.isEmpty()) {
            QCOMPARE(browser.opened, QList<QUrl>{QUrl(QString(programidentity::homepageAddress))});
        } else if (window == QLatin1String("HelpWindow")) {
            auto *help = frame.findChild<HelpWindow *>();
            QVERIFY(help && help->isVisible());
            help->close();
        } else {
            QTRY_COMPARE(watcher.seen.constLast(), window);
        }
    }

    void desktopEntryAndMetainfoValidate()
    {
        QByteArray output;
        QCOMPARE(run(QStringLiteral("desktop-file-validate"),
                     {sourceDir + QStringLiteral("/res/desktop/") + appId + QStringLiteral(".desktop")},
                     &output),
                 0);
        QVERIFY2(output.trimmed().isEmpty(), output.constData());
        QVERIFY2(run(QStringLiteral("appstreamcli"),
                     {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfoPath()}, &output) == 0,
                 output.constData());
    }

    // CMake's project version is the one the About box, the upgrade check and the metainfo give.
    void oneVersionEverywhere()
    {
        const QString project =
            firstMatch(QString::fromUtf8(contents(sourceDir + QStringLiteral("/CMakeLists.txt"))),
                       QStringLiteral(R"(project\(Tidewell VERSION ([0-9.]+))"));
        QVERIFY(!project.isEmpty());
        QCOMPARE(QString(programidentity::aboutVersion), QLatin1Char('v') + project);
        const QStringList parts = project.split(QLatin1Char('.'));
        QCOMPARE(parts.size(), 3);
        QCOMPARE(programidentity::version,
                 parts[0].toInt() * 10000 + parts[1].toInt() * 100 + parts[2].toInt());

        const QString metainfo = QString::fromUtf8(contents(metainfoPath()));
        QCOMPARE(firstMatch(metainfo, QStringLiteral(R"re(<release version="([^"]*)")re")), project);
        QCOMPARE(firstMatch(metainfo, QStringLiteral(R"re(<release [^>]*date="([^"]*)")re")),
                 programidentity::releaseDate.toString(Qt::ISODate));
        QCOMPARE(firstMatch(metainfo, QStringLiteral(R"re(<url type="homepage">([^<]*)<)re")),
                 QString(programidentity::homepageAddress));
        QVERIFY(metainfo.contains(QLatin1String("<p xml:lang=\"ko\">")));
    }

    // The screenshot the metainfo names is a picture of the repository, published under the homepage.
    void metainfoScreenshotIsInTheRepository()
    {
        const QString image =
            firstMatch(QString::fromUtf8(contents(metainfoPath())), QStringLiteral("<image>([^<]*)</image>"));
        const QString homepage = QString(programidentity::homepageAddress);
        QVERIFY2(image.startsWith(homepage), qPrintable(image));
        const QString file = sourceDir + QLatin1Char('/') + image.mid(homepage.size());
        QVERIFY2(QFileInfo(file).size() < 200 * 1024, qPrintable(file));
        const QImage picture(file, "PNG");
        QVERIFY2(!picture.isNull(), qPrintable(file));
        QVERIFY(picture.width() >= 620 && picture.height() >= 350);
    }

    // The install rules put each file where a desktop looks for it.
    void installPutsEverythingInPlace()
    {
        QTemporaryDir prefix;
        QByteArray output;
        QVERIFY2(run(QStringLiteral("cmake"),
                     {QStringLiteral("--install"), buildDir(), QStringLiteral("--prefix"), prefix.path()},
                     &output) == 0,
                 output.constData());
        for (const QString &file :
             {QStringLiteral("bin/tidewell"),
              QStringLiteral("share/applications/") + appId + QStringLiteral(".desktop"),
              QStringLiteral("share/icons/hicolor/scalable/apps/") + appId + QStringLiteral(".svg"),
              QStringLiteral("share/metainfo/") + appId + QStringLiteral(".metainfo.xml"),
              QStringLiteral("share/doc/tidewell/tidewell-help.html")})
            QVERIFY2(QFile::exists(QDir(prefix.path()).filePath(file)), qPrintable(file));
        QCOMPARE(contents(QDir(prefix.path())
                              .filePath(QStringLiteral("share/metainfo/") + appId +
                                        QStringLiteral(".metainfo.xml"))),
                 contents(metainfoPath()));
    }
};

TIDEWELL_GUI_TEST_MAIN(TestDesktopIntegration)
#include "tst_desktopintegration.moc"
