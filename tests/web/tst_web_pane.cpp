#include "support/app_fixture.h"
#include "app/command_ids.h"
#include "shell/data_folder.h"
#include "web/web_browser.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include <unistd.h>

using namespace jotrak;
using jotrak::test::AppFixture;

class WebPaneTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { testing::WebViewSeam::Disable(); }

    // The page fills the pane; listing items hides it, 124 brings it back without reloading.
    void thePaneAndTheItemListTakeTurns()
    {
        QVERIFY(!CWebBrowser2::EngineUsable()); // offscreen, where the seam stands in for the engine
        testing::WebViewSeam::Enable();
        AppFixture fx;
        QTRY_VERIFY(fx.window()->browser().view() != nullptr);
        QWidget* view = fx.window()->browser().view();
        QCOMPARE(view->parentWidget(), fx.control(QStringLiteral("WebPane")));
        QCOMPARE(view->geometry(), QRect(0, 0, 505, 638));
        for (int command : {kCmdYearItems, kCmdShowWebPane, kCmdDayItems, kCmdShowWebPane, kCmdShowWebPane}) {
            fx.command(command);
            const bool pane = command == kCmdShowWebPane;
            QCOMPARE(fx.window()->webPaneInFront(), pane);
            QCOMPARE(fx.control(QStringLiteral("WebPane"))->isVisible(), pane);
            QCOMPARE(fx.itemList()->isVisible(), !pane);
        }
        QVERIFY(view->isVisible());
        QCOMPARE(fx.window()->browser().view(), view);
        QCOMPARE(testing::WebViewSeam::Loaded(), QList<QUrl>{FixedPageUrl(fx.dataDir())});
        QCOMPARE(fx.window()->browser().navigationCount(), 1);
    }

    // A host gone before the engine starts leaves nothing behind.
    void aHostGoneBeforeTheStartLeavesNothing()
    {
        testing::WebViewSeam::Enable();
        CWebBrowser2 orphan;
        {
            QWidget gone;
            orphan.AttachBrowser(&gone);
            orphan.ShowFixedPage(ShippedFilesDir(QCoreApplication::applicationDirPath()));
        }
        QTest::qWait(20);
        QVERIFY(orphan.view() == nullptr && testing::WebViewSeam::Loaded().isEmpty());
    }

    // The page beside the program fetches nothing: every link leaves for a web site.
    void theDeliveredPageNeedsNoNetwork()
    {
        QFile file(FixedPageUrl(ShippedFilesDir(QCoreApplication::applicationDirPath())).toLocalFile());
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QString html = QString::fromUtf8(file.readAll());
        for (const char* fetched : {"src=", "url(", "@import", "<link", "<script", "target="})
            QVERIFY2(!html.contains(QLatin1String(fetched), Qt::CaseInsensitive), fetched);
        QVERIFY(!html.contains(QRegularExpression(QStringLiteral("href=\"(?!http)"))));
    }

    void theSandboxIsTurnedOffOnlyForRoot()
    {
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        PrepareWebEngineEnvironment();
        QCOMPARE(qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"), geteuid() == 0);
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "0");
        PrepareWebEngineEnvironment();
        QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), QByteArray("0"));
    }
};

QTEST_MAIN(WebPaneTest)
#include "tst_web_pane.moc"
