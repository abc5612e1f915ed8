// The real engine on a real screen (run under Xvfb); skipped where the engine
// cannot run (offscreen, or a build without Qt WebEngine).
#include "data/record_access.h"
#include "goals/goal_store.h"
#include "web/page_engine.h"
#include "web/web_browser.h"

#include "support/program_files.h"

#include <QCoreApplication>
#include <QDate>
#include <QDesktopServices>
#include <QJSEngine>
#include <QProcess>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace jotrak;

namespace {

// Records the addresses handed to the user's browser instead of starting one.
class OutsideBrowser : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

QVariant Run(QObject* page, const QString& script)
{
    QJSEngine* engine = qmlEngine(page);
    QJSValue answer = engine->newObject();
    const QJSValue keep =
        engine->evaluate(QStringLiteral("(function(a){return function(r){a.result=r;a.done=true}})")).call({answer});
    QMetaObject::invokeMethod(page, "runJavaScript", Q_ARG(QString, script), Q_ARG(QJSValue, keep));
    if (!QTest::qWaitFor([&] { return answer.property(QStringLiteral("done")).toBool(); }, 5000))
        qWarning() << "script gave no answer:" << script;
    return answer.property(QStringLiteral("result")).toVariant();
}

QString Xdotool(const QString& arguments)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments.split(u' '));
    xdotool.waitForFinished();
    return QString::fromLatin1(xdotool.readAllStandardOutput()).trimmed();
}

} // namespace

class WebEngineScreenTest : public QObject {
    Q_OBJECT

    QWidget window_;
    QWidget* pane_ = nullptr;
    CWebBrowser2 browser_;
    OutsideBrowser outside_;
    QObject* page_ = nullptr;

    void click(const QString& selector)
    {
        const QVariantList box = Run(page_, QStringLiteral("(function(){var r=document.querySelector('%1')"
                                                           ".getBoundingClientRect();return [r.x+r.width/2,"
                                                           "r.y+r.height/2];})()")
                                                .arg(selector))
                                     .toList();
        QCOMPARE(box.size(), 2);
        // the page's own native window, a child of the top-level window
        QWindow* pageWindow = window_.windowHandle()->findChild<QWindow*>();
        QVERIFY(pageWindow);
        QTest::mouseClick(pageWindow, Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
    }

private slots:
    void initTestCase()
    {
        if (!CWebBrowser2::EngineUsable())
            QSKIP("no usable web engine here");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &outside_, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &outside_, "open");
        window_.resize(620, 700);
        pane_ = new QWidget(&window_);
        pane_->setGeometry(10, 30, 505, 638);
        browser_.AttachBrowser(pane_);
        browser_.ShowFixedPage(ShippedFilesDir(QCoreApplication::applicationDirPath()));
        window_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window_));
        QTRY_VERIFY_WITH_TIMEOUT(browser_.view() != nullptr, 10000);
        page_ = browser_.view()->property(page_engine::kPageViewProperty).value<QObject*>();
        QVERIFY(page_);
        QTRY_COMPARE_WITH_TIMEOUT(page_->property("title").toString(), QStringLiteral("有趣的网址"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!page_->property("loading").toBool(), 20000);
    }

    void thePageIsTheStartPageFillingThePane()
    {
        QCOMPARE(page_->property("url").toUrl(), FixedPageUrl(ShippedFilesDir(QCoreApplication::applicationDirPath())));
        QCOMPARE(browser_.view()->geometry(), QRect(0, 0, 505, 638));
        QCOMPARE(Run(page_, QStringLiteral("[innerWidth, innerHeight]")).toList(), (QVariantList{505, 638}));
        QVERIFY(Run(page_, QStringLiteral("document.querySelectorAll('a').length")).toInt() >= 12);
    }

    // A link and a search open in the user's browser;
    // the pane keeps the start page.
    void clicksLeaveThePane_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("selector");
        QTest::addColumn<QUrl>("opened");
        QTest::newRow("link") << QString() << "a[href=\"https://www.baidu.com/\"]" << QUrl("https://www.baidu.com/");
        QTest::newRow("search") << "document.querySelector('input[name=wd]').value='日历';true"
                                << "form button" << QUrl("https://www.baidu.com/s?wd=日历");
    }
    void clicksLeaveThePane()
    {
        QFETCH(QString, script);
        QFETCH(QString, selector);
        QFETCH(QUrl, opened);
        outside_.opened.clear();
        if (!script.isEmpty())
            Run(page_, script);
        click(selector);
        QTRY_COMPARE_WITH_TIMEOUT(outside_.opened.size(), 1, 5000);
        QCOMPARE(outside_.opened[0].host(), opened.host());
        QCOMPARE(outside_.opened[0].path(), opened.path());
        QCOMPARE(outside_.opened[0].query(QUrl::FullyDecoded), opened.query(QUrl::FullyDecoded));
        QTest::qWait(300);
        QCOMPARE(page_->property("url").toUrl(), FixedPageUrl(ShippedFilesDir(QCoreApplication::applicationDirPath())));
    }

    // The whole program as a user starts it: one main window from the first
    // frame on, and what is typed into it while the page starts arrives whole.
    void theProgramKeepsItsOneWindowAndWhatIsTypedEarly()
    {
        QTemporaryDir dir;
        QVERIFY(testsupport::CopyProgramFiles(QCoreApplication::applicationDirPath(), dir.path()));
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("JOTRAK_QUIT_AFTER_STARTUP_MS"), QStringLiteral("5000"));
        program.setProcessEnvironment(environment);
        program.start(dir.filePath(QStringLiteral("jotrak")), {});
        // the program's top-level windows on the screen
        const QString search = QStringLiteral("search --maxdepth 1 --onlyvisible --pid %1").arg(program.processId());
        QString main;
        QVERIFY(QTest::qWaitFor([&] { return !(main = Xdotool(search)).isEmpty(); }, 10000));
        // into the day goal box, one key every 0.1 s while the page starts; then 修改
        // (which answers with a message box of its own)
        Xdotool(QStringLiteral("mousemove --window %1 248 393 click 1").arg(main));
        Xdotool(QStringLiteral("type --delay 100 typed_early_abc"));
        QTest::qWait(2000);
        QProcess pgrep; // the page's engine runs in its helper process
        pgrep.start(QStringLiteral("pgrep"), {"-P", QString::number(program.processId()), "-f", "QtWebEngineProcess"});
        QVERIFY(pgrep.waitForFinished() && pgrep.exitCode() == 0);
        QCOMPARE(Xdotool(search), main);
        Xdotool(QStringLiteral("mousemove --window %1 245 288 click 1").arg(main));
        QVERIFY(program.waitForFinished(15000));
        const QByteArray errors = program.readAllStandardError();
        QVERIFY2(!errors.contains("AA_ShareOpenGLContexts"), errors.constData());
        ConnectionHolder connection;
        OpenDatabase(connection, dir.filePath(QStringLiteral("Dt/db.mdb")));
        QCOMPARE(ReadGoalText(connection, Table::Ri, QDate::currentDate().toString(u"yyyyMMdd")),
                 QStringLiteral("typed_early_abc"));
    }

    void cleanupTestCase() { browser_.Destroy(); }
};

QTEST_MAIN(WebEngineScreenTest)
#include "tst_web_engine_screen.moc"
