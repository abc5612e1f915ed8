#include "app/test_app_fixture.h"
#include "web/web_browser.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>

#include <unistd.h>

using namespace jotrak;
using jotrak::test::AppFixture;

namespace {

constexpr int kDayItems = 118;
constexpr int kYearItems = 112;
constexpr int kShowWebPane = 124;

QUrl DeliveredPage()
{
    return FixedPageUrl(QCoreApplication::applicationDirPath());
}

// A top-level window with a web pane inside, as the main window has.
struct PaneWindow {
    QWidget window;
    QWidget* pane = new QWidget(&window);
    PaneWindow()
    {
        window.resize(600, 400);
        pane->setGeometry(50, 30, 505, 320);
    }
    void showAndWait()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

} // namespace

class WebPaneTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { testing::WebViewSeam::Disable(); }

    // The main window, with the engine as this run has it (none: offscreen).

    void startUpLeavesThePaneShown()
    {
        AppFixture fx;
        QCOMPARE(fx.app().WebPaneShown, 1);
        QVERIFY(fx.app().WebPane->isVisible());
        QVERIFY(!fx.app().ItemList->isVisible());
        QVERIFY(fx.app().browser->isActive());
        QCOMPARE(fx.app().browser->host(), fx.app().WebPane);
        QCOMPARE(fx.app().browser->hostRect(), fx.app().WebPane->rect());
        QCOMPARE(fx.app().browser->navigationCount(), 1);
    }

    void aRunWithoutTheEngineStartsWithAnEmptyPane()
    {
        QVERIFY(!CWebBrowser2::EngineUsable()); // no screen here
        AppFixture fx;
        QTest::qWait(50);
        QVERIFY(fx.app().browser->view() == nullptr);
        QVERIFY(fx.app().WebPane->findChildren<QWidget*>().isEmpty());
        QVERIFY(AppFixture::messages().isEmpty());
    }

    void listingWorkItemsHidesThePane_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("day items") << kDayItems;
        QTest::newRow("year items") << kYearItems;
    }

    void listingWorkItemsHidesThePane()
    {
        QFETCH(int, command);
        AppFixture fx;
        fx.command(command);
        QCOMPARE(fx.app().WebPaneShown, 0);
        QVERIFY(fx.app().ItemList->isVisible());
        QVERIFY(!fx.app().WebPane->isVisible());
    }

    void command124BringsThePaneBackWithoutReloading()
    {
        testing::WebViewSeam::Enable();
        AppFixture fx;
        QTRY_VERIFY(fx.app().browser->view() != nullptr);
        QWidget* view = fx.app().browser->view();
        fx.command(kDayItems);
        QCOMPARE(fx.app().WebPaneShown, 0);
        fx.command(kShowWebPane);
        QCOMPARE(fx.app().WebPaneShown, 1);
        QVERIFY(fx.app().WebPane->isVisible());
        QVERIFY(!fx.app().ItemList->isVisible());
        QVERIFY(view->isVisible());
        fx.command(kShowWebPane);
        QCOMPARE(fx.app().WebPaneShown, 1);
        QCOMPARE(fx.app().browser->view(), view);
        QCOMPARE(fx.app().browser->navigationCount(), 1);
        QCOMPARE(testing::WebViewSeam::Loaded(), QList<QUrl>{DeliveredPage()});
    }

    void thePageFillsThePaneOfTheMainWindow()
    {
        testing::WebViewSeam::Enable();
        AppFixture fx;
        QTRY_VERIFY(fx.app().browser->view() != nullptr);
        QWidget* view = fx.app().browser->view();
        QCOMPARE(view->parentWidget(), fx.app().WebPane);
        QCOMPARE(view->geometry(), fx.app().WebPane->rect());
        QCOMPARE(view->size(), QSize(505, 638));
    }

    // The host on its own, with a stand-in for the engine.

    void theEngineStartsOnlyAfterTheWindowIsPainted()
    {
        testing::WebViewSeam::Enable();
        PaneWindow w;
        CWebBrowser2 browser;
        browser.AttachBrowser(w.pane);
        browser.ShowFixedPage();
        QCoreApplication::processEvents();
        QVERIFY(browser.view() == nullptr);
        QVERIFY(testing::WebViewSeam::Loaded().isEmpty());
        w.showAndWait();
        QTRY_VERIFY(browser.view() != nullptr);
        QCOMPARE(testing::WebViewSeam::Loaded(), QList<QUrl>{DeliveredPage()});
        QCOMPARE(browser.navigationCount(), 1);
    }

    void aHiddenPaneStillGetsItsPage()
    {
        testing::WebViewSeam::Enable();
        PaneWindow w;
        w.pane->hide();
        CWebBrowser2 browser;
        browser.AttachBrowser(w.pane);
        browser.ShowFixedPage();
        w.showAndWait();
        QTRY_VERIFY(browser.view() != nullptr);
        w.pane->show();
        QVERIFY(browser.view()->isVisible());
    }

    void theBrowserIsAttachedOnceAndNeverResized()
    {
        testing::WebViewSeam::Enable();
        PaneWindow w;
        w.showAndWait();
        CWebBrowser2 browser;
        browser.AttachBrowser(w.pane);
        browser.ShowFixedPage();
        w.window.update();
        QTRY_VERIFY(browser.view() != nullptr);
        QWidget* view = browser.view();
        const QRect placed = QRect(QPoint(0, 0), QSize(505, 320));
        QCOMPARE(view->geometry(), placed);

        QWidget other(&w.window);
        browser.AttachBrowser(&other);
        w.pane->resize(300, 200);
        w.window.resize(900, 700);
        QTest::qWait(50);
        QCOMPARE(browser.view(), view);
        QCOMPARE(view->parentWidget(), w.pane);
        QCOMPARE(view->geometry(), placed);
        QCOMPARE(browser.hostRect(), placed);
        QVERIFY(other.findChildren<QWidget*>().isEmpty());
        QCOMPARE(testing::WebViewSeam::Loaded().size(), 1);
    }

    void destroyReleasesThePage()
    {
        testing::WebViewSeam::Enable();
        PaneWindow w;
        w.showAndWait();
        CWebBrowser2 browser;
        browser.AttachBrowser(w.pane);
        w.window.update();
        QTRY_VERIFY(browser.view() != nullptr);
        browser.Destroy();
        QVERIFY(browser.view() == nullptr);
        QVERIFY(w.pane->findChildren<QWidget*>().isEmpty());
    }

    void aHostGoneBeforeStartLeavesNothingBehind()
    {
        testing::WebViewSeam::Enable();
        CWebBrowser2 browser;
        {
            PaneWindow w;
            browser.AttachBrowser(w.pane);
            browser.ShowFixedPage();
        }
        QTest::qWait(20);
        QVERIFY(browser.view() == nullptr);
        browser.Destroy();
    }

    // The page delivered beside the program.

    void thePageIsOneLocalFileBesideTheProgram()
    {
        const QUrl url = FixedPageUrl(QStringLiteral("/opt/jotrak"));
        QVERIFY(url.isLocalFile());
        QCOMPARE(url.toLocalFile(), QStringLiteral("/opt/jotrak/Dt/start.html"));
    }

    void theDeliveredPageIsAChineseStartPageThatNeedsNoNetwork()
    {
        QFile file(DeliveredPage().toLocalFile());
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QString html = QString::fromUtf8(file.readAll());
        QVERIFY(html.contains(QStringLiteral("<title>有趣的网址</title>")));
        QVERIFY(html.contains(QStringLiteral("charset=\"utf-8\"")));
        // everything it shows is inside the file: no scripts, images, style sheets or fonts fetched
        for (const char* fetched : {"src=", "url(", "@import", "<link", "<script"})
            QVERIFY2(!html.contains(QLatin1String(fetched), Qt::CaseInsensitive), fetched);
        const QRegularExpression link(QStringLiteral("<a href=\"([^\"]+)\">([^<]+)</a>"));
        int links = 0;
        for (auto it = link.globalMatch(html); it.hasNext(); ++links) {
            const QUrl target(it.next().captured(1));
            QVERIFY2(target.scheme().startsWith(QLatin1String("http")), qPrintable(target.toString()));
        }
        QVERIFY(links >= 12);
        QVERIFY(!html.contains(QLatin1String("target=")));
    }

    // Process-start settings of the engine.

    void theSandboxIsTurnedOffOnlyForRoot()
    {
        const QByteArray saved = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        PrepareWebEngineEnvironment();
        QCOMPARE(qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"), geteuid() == 0);
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "0");
        PrepareWebEngineEnvironment();
        QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), QByteArray("0"));
        if (saved.isNull())
            qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        else
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", saved);
    }
};

QTEST_MAIN(WebPaneTest)
#include "tst_web_pane.moc"
