// The part of the start page that needs Qt WebEngine, built as a module of its
// own and loaded only when the page is first shown: the program does not pay for
// loading the engine's libraries before its window appears.
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

namespace {

QWidget* MakeEngineView(QWidget* host)
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

void LoadEnginePage(QWidget* view, const QUrl& url)
{
    auto* engineView = qobject_cast<QWebEngineView*>(view);
    if (!engineView)
        return;
    if (auto* page = dynamic_cast<StartPage*>(engineView->page()))
        page->setHome(url);
    engineView->load(url);
}

} // namespace
} // namespace jotrak::page_engine

extern "C" Q_DECL_EXPORT QWidget* jotrak_make_page_view(QWidget* host)
{
    return jotrak::page_engine::MakeEngineView(host);
}

extern "C" Q_DECL_EXPORT void jotrak_load_page(QWidget* view, const QUrl* url)
{
    jotrak::page_engine::LoadEnginePage(view, *url);
}
