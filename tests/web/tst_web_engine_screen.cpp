// The real engine under Xvfb; skipped where it cannot run.
#include "data/record_access.h"
#include "data/goal_store.h"
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

using namespace jotrak;

namespace {

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
    CWebBrowser2 browser_;
    QObject* page_ = nullptr;
    QList<QUrl> opened_;

public slots: // the user's browser
    void open(const QUrl& url) { opened_.append(url); }

private slots:
    void initTestCase()
    {
        if (!CWebBrowser2::EngineUsable())
            QSKIP("no usable web engine here");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
        window_.resize(620, 700);
        auto* pane = new QWidget(&window_);
        pane->setGeometry(10, 30, 505, 638);
        browser_.AttachBrowser(pane);
        browser_.ShowFixedPage(ShippedFilesDir(QCoreApplication::applicationDirPath()));
        window_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window_));
        QTRY_VERIFY_WITH_TIMEOUT(browser_.view() != nullptr, 10000);
        page_ = browser_.view()->property(page_engine::kPageViewProperty).value<QObject*>();
        QVERIFY(page_);
        QTRY_COMPARE_WITH_TIMEOUT(page_->property("title").toString(), QStringLiteral("有趣的网址"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!page_->property("loading").toBool(), 20000);
    }

    // The page fills the pane; a link and a search open in the user's browser, the pane keeps the start page.
    void thePageFillsThePaneAndItsLinksLeaveIt()
    {
        QCOMPARE(Run(page_, QStringLiteral("[innerWidth, innerHeight]")).toList(), (QVariantList{505, 638}));
        Run(page_, QStringLiteral("document.querySelector('input[name=wd]').value='日历';true"));
        for (const auto& [clicked, url] : {std::pair{"a[href=\"https://www.baidu.com/\"]", "https://www.baidu.com/"},
                                           {"form button", "https://www.baidu.com/s?wd=日历"}}) {
            Run(page_, QStringLiteral("document.querySelector('%1').click();true").arg(QString::fromUtf8(clicked)));
            QTRY_COMPARE_WITH_TIMEOUT(opened_.value(0).toDisplayString(), QString::fromUtf8(url), 5000);
            opened_.clear();
        }
        QTest::qWait(300);
        QCOMPARE(page_->property("url").toUrl(), FixedPageUrl(ShippedFilesDir(QCoreApplication::applicationDirPath())));
    }

    // The started program keeps one main window, and what is typed while the page starts arrives whole.
    void theProgramKeepsItsOneWindowAndWhatIsTypedEarly()
    {
        QTemporaryDir dir;
        QVERIFY(testsupport::CopyProgramFiles(QCoreApplication::applicationDirPath(), dir.path()));
        QProcess program;
        program.start(dir.filePath(QStringLiteral("jotrak")),
                      {QStringLiteral("--quit-after-startup"), QStringLiteral("5000")});
        // the program's top-level windows on the screen
        const QString search = QStringLiteral("search --maxdepth 1 --onlyvisible --pid %1").arg(program.processId());
        QString main;
        QVERIFY(QTest::qWaitFor([&] { return !(main = Xdotool(search)).isEmpty(); }, 10000));
        // typed into the day goal box while the page starts; then 修改, which shows a message box
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

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        browser_.Destroy();
    }
};

QTEST_MAIN(WebEngineScreenTest)
#include "tst_web_engine_screen.moc"
