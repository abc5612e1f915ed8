#include "web/page_engine.h"

#include <QDebug>
#include <QDesktopServices>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace jotrak::page_engine {

namespace {

// Anything the user follows from the start page opens in the user's own browser.
void OpenOutside(const QUrl& url)
{
    if (url.isValid() && !url.isEmpty())
        QDesktopServices::openUrl(url);
}

// A page opened by a link with a target of its own (target="_blank"): its first
// address goes to the user's browser and the page goes away.
class OutsideWindowPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override
    {
        if (!sent_) {
            sent_ = true;
            OpenOutside(url);
            deleteLater();
        }
        return false;
    }

private:
    bool sent_ = false;
};

// The start page: it may show itself, and nothing else.
class StartPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

    void setHome(const QUrl& url) { home_ = url; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (!isMainFrame || url.adjusted(QUrl::RemoveFragment) == home_.adjusted(QUrl::RemoveFragment))
            return true;
        if (type == NavigationTypeLinkClicked || type == NavigationTypeFormSubmitted)
            OpenOutside(url);
        return false;
    }

    QWebEnginePage* createWindow(WebWindowType) override { return new OutsideWindowPage(profile(), this); }

private:
    QUrl home_;
};

} // namespace

bool BuiltIn()
{
    return true;
}

QWidget* MakePageView(QWidget* host)
{
    auto* view = new QWebEngineView(host);
    view->hide();
    view->setObjectName(QStringLiteral("pageView"));
    view->setContextMenuPolicy(Qt::NoContextMenu);
    auto* page = new StartPage(view);
    view->setPage(page);
    QObject::connect(page, &QWebEnginePage::renderProcessTerminated, view,
                     [view](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                         qWarning() << "web page: renderer ended" << status << code << "- the pane stays empty";
                         view->hide();
                         view->deleteLater();
                     });
    return view;
}

void LoadPage(QWidget* view, const QUrl& url)
{
    auto* engineView = qobject_cast<QWebEngineView*>(view);
    if (!engineView)
        return;
    if (auto* page = dynamic_cast<StartPage*>(engineView->page()))
        page->setHome(url);
    engineView->load(url);
}

} // namespace jotrak::page_engine
