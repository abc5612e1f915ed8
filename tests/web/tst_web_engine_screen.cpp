// The real engine on a real screen (run under Xvfb); skipped where the engine
// cannot run (offscreen, or a build without Qt WebEngine).
#include "web/web_browser.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

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

QVariant Run(QWebEnginePage* page, const QString& script)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 5000))
        qWarning() << "script gave no answer:" << script;
    return result;
}

QPoint CentreOf(QWebEnginePage* page, const QString& selector)
{
    const QVariantList box =
        Run(page, QStringLiteral("(function(){var r=document.querySelector('%1')"
                                 ".getBoundingClientRect();return [r.x+r.width/2,r.y+r.height/2];})()")
                      .arg(selector))
            .toList();
    return box.size() == 2 ? QPoint(box[0].toInt(), box[1].toInt()) : QPoint();
}

} // namespace

class WebEngineScreenTest : public QObject {
    Q_OBJECT

    QWidget window_;
    QWidget* pane_ = nullptr;
    CWebBrowser2 browser_;
    OutsideBrowser outside_;
    QWebEngineView* view_ = nullptr;

    void click(const QString& selector)
    {
        const QPoint at = CentreOf(view_->page(), selector);
        QVERIFY(!at.isNull());
        QWidget* target = view_->focusProxy() ? view_->focusProxy() : view_;
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
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
        browser_.ShowFixedPage();
        window_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window_));
        QTRY_VERIFY_WITH_TIMEOUT(browser_.view() != nullptr, 10000);
        view_ = qobject_cast<QWebEngineView*>(browser_.view());
        QVERIFY(view_);
        QSignalSpy loaded(view_, &QWebEngineView::loadFinished);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty() || view_->title() == QStringLiteral("有趣的网址"), 20000);
    }

    void thePageIsTheStartPageFillingThePane()
    {
        QCOMPARE(view_->title(), QStringLiteral("有趣的网址"));
        QCOMPARE(view_->url(), FixedPageUrl(QCoreApplication::applicationDirPath()));
        QCOMPARE(view_->geometry(), QRect(0, 0, 505, 638));
        QCOMPARE(Run(view_->page(), QStringLiteral("document.querySelectorAll('a').length")).toInt() >= 12, true);
    }

    void aClickedLinkOpensInTheUsersBrowser()
    {
        outside_.opened.clear();
        click(QStringLiteral("a[href=\"https://www.baidu.com/\"]"));
        QTRY_COMPARE_WITH_TIMEOUT(outside_.opened, QList<QUrl>{QUrl(QStringLiteral("https://www.baidu.com/"))}, 5000);
        QTest::qWait(300);
        QCOMPARE(view_->url(), FixedPageUrl(QCoreApplication::applicationDirPath()));
    }

    void aLinkToANewWindowOpensInTheUsersBrowser()
    {
        outside_.opened.clear();
        Run(view_->page(), QStringLiteral("var a=document.createElement('a');a.id='blank';a.target='_blank';"
                                          "a.href='https://example.org/new';a.textContent='新窗口';"
                                          "a.style='position:fixed;left:10px;top:10px;padding:10px;background:#fff';"
                                          "document.body.appendChild(a);true"));
        click(QStringLiteral("#blank"));
        QTRY_COMPARE_WITH_TIMEOUT(outside_.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/new"))}, 5000);
        QCOMPARE(view_->url(), FixedPageUrl(QCoreApplication::applicationDirPath()));
    }

    void aSearchOpensInTheUsersBrowser()
    {
        outside_.opened.clear();
        Run(view_->page(), QStringLiteral("document.querySelector('input[name=wd]').value='日历';true"));
        click(QStringLiteral("form button"));
        QTRY_COMPARE_WITH_TIMEOUT(outside_.opened.size(), 1, 5000);
        QCOMPARE(outside_.opened[0].host(), QStringLiteral("www.baidu.com"));
        QCOMPARE(outside_.opened[0].query(QUrl::FullyDecoded), QStringLiteral("wd=日历"));
        QCOMPARE(view_->url(), FixedPageUrl(QCoreApplication::applicationDirPath()));
    }

    void cleanupTestCase() { browser_.Destroy(); }
};

QTEST_MAIN(WebEngineScreenTest)
#include "tst_web_engine_screen.moc"
