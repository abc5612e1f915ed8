// The real engine on a real screen (run under Xvfb); skipped where the engine
// cannot run (offscreen, or a build without Qt WebEngine).
#include "web/web_browser.h"

#include <QCoreApplication>
#include <QDesktopServices>
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

} // namespace

class WebEngineScreenTest : public QObject {
    Q_OBJECT

    QWidget window_;
    CWebBrowser2 browser_;
    OutsideBrowser outside_;
    QWebEngineView* view_ = nullptr;

private slots:
    void initTestCase()
    {
        if (!CWebBrowser2::EngineUsable())
            QSKIP("no usable web engine here");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &outside_, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &outside_, "open");
        window_.resize(620, 700);
        auto* pane = new QWidget(&window_);
        pane->setGeometry(10, 30, 505, 638);
        browser_.AttachBrowser(pane);
        browser_.ShowFixedPage();
        window_.show();
        QTRY_VERIFY_WITH_TIMEOUT(browser_.view() != nullptr, 10000);
        view_ = qobject_cast<QWebEngineView*>(browser_.view());
        QVERIFY(view_);
        QTRY_COMPARE_WITH_TIMEOUT(view_->title(), QStringLiteral("有趣的网址"), 20000);
        QCOMPARE(view_->geometry(), QRect(0, 0, 505, 638));
        QVERIFY(Run(view_->page(), QStringLiteral("document.querySelectorAll('a').length")).toInt() >= 12);
    }

    // A link, a link to a new window and a search all open in the user's browser;
    // the pane keeps the start page.
    void clicksLeaveThePane_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("selector");
        QTest::addColumn<QUrl>("opened");
        QTest::newRow("link") << QString() << "a[href=\"https://www.baidu.com/\"]" << QUrl("https://www.baidu.com/");
        QTest::newRow("new window") << "var a=document.createElement('a');a.id='blank';a.target='_blank';"
                                       "a.href='https://example.org/new';a.textContent='新窗口';"
                                       "a.style='position:fixed;left:10px;top:10px;padding:10px;background:#fff';"
                                       "document.body.appendChild(a);true"
                                    << "#blank" << QUrl("https://example.org/new");
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
            Run(view_->page(), script);
        const QVariantList box = Run(view_->page(), QStringLiteral("(function(){var r=document.querySelector('%1')"
                                                                   ".getBoundingClientRect();return [r.x+r.width/2,"
                                                                   "r.y+r.height/2];})()")
                                                        .arg(selector))
                                     .toList();
        QCOMPARE(box.size(), 2);
        QWidget* target = view_->focusProxy() ? view_->focusProxy() : view_;
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
        QTRY_COMPARE_WITH_TIMEOUT(outside_.opened.size(), 1, 5000);
        QCOMPARE(outside_.opened[0].host(), opened.host());
        QCOMPARE(outside_.opened[0].path(), opened.path());
        QCOMPARE(outside_.opened[0].query(QUrl::FullyDecoded), opened.query(QUrl::FullyDecoded));
        QTest::qWait(300);
        QCOMPARE(view_->url(), FixedPageUrl(QCoreApplication::applicationDirPath()));
    }

    void cleanupTestCase() { browser_.Destroy(); }
};

QTEST_MAIN(WebEngineScreenTest)
#include "tst_web_engine_screen.moc"
