// The part of the start page that needs Qt WebEngine, built as a module of its
// own and loaded only when the page is first shown: the program does not pay for
// loading the engine's libraries before its window appears.
//
// The page is drawn by the engine's Qt Quick view in a native window of its own,
// placed inside the pane through a window container. The main window keeps the
// plain surface it was created with: a widget-based engine view would make Qt
// replace the main window's native window with one that can draw through OpenGL,
// and the user would lose the window (and what they typed) as the page starts.
#include "web/page_engine.h"

#include <QDebug>
#include <QLoggingCategory>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QWidget>

namespace jotrak::page_engine {

namespace {

// The start page may show itself and nothing else: whatever the user follows
// from it (a link, the search box, a link to a new window) opens in the user's
// own browser.
constexpr char kPageQml[] = R"(
import QtQuick
import QtWebEngine

WebEngineView {
    property url home
    signal gone()

    function withoutFragment(address) { return String(address).split("#")[0] }

    onNavigationRequested: function(request) {
        if (!request.isMainFrame || withoutFragment(request.url) === withoutFragment(home))
            return
        if (request.navigationType === WebEngineNavigationRequest.LinkClickedNavigation
                || request.navigationType === WebEngineNavigationRequest.FormSubmittedNavigation)
            Qt.openUrlExternally(request.url)
        request.reject()
    }
    onNewWindowRequested: function(request) { Qt.openUrlExternally(request.requestedUrl) }
    onContextMenuRequested: function(request) { request.accepted = true }
    onRenderProcessTerminated: function(status, code) {
        console.warn("web page: renderer ended", status, code, "- the pane stays empty")
        gone()
    }
}
)";

// Qt 6.4 registers three of the engine's types for QML with a warning each; they
// say nothing about this program.
QtMessageHandler g_previousHandler = nullptr;

void DropTypeRegistrationWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (g_previousHandler && !message.endsWith(QLatin1String("You should not use it as a QML type.")))
        g_previousHandler(type, context, message);
}

QWidget* MakeEngineView(QWidget* host)
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGLRhi);
    auto* quick = new QQuickView;
    quick->setObjectName(QStringLiteral("pageWindow"));
    quick->setResizeMode(QQuickView::SizeRootObjectToView);
    QQmlComponent component(quick->engine());
    g_previousHandler = qInstallMessageHandler(DropTypeRegistrationWarnings);
    component.setData(kPageQml, QUrl());
    QObject* page = component.isReady() ? component.create() : nullptr;
    qInstallMessageHandler(g_previousHandler);
    if (!page) {
        qWarning().noquote() << "web page: the engine's page view cannot be made:" << component.errorString()
                             << "- the pane stays empty";
        delete quick;
        return nullptr;
    }
    quick->setContent(component.url(), &component, page);
    QWidget* view = QWidget::createWindowContainer(quick, host);
    view->hide();
    view->setObjectName(QStringLiteral("pageView"));
    view->setProperty(kPageViewProperty, QVariant::fromValue(page));
    QObject::connect(page, SIGNAL(gone()), view, SLOT(hide()));
    QObject::connect(page, SIGNAL(gone()), view, SLOT(deleteLater()));
    return view;
}

void LoadEnginePage(QWidget* view, const QUrl& url)
{
    if (auto* page = view ? view->property(kPageViewProperty).value<QObject*>() : nullptr) {
        page->setProperty("home", url);
        page->setProperty("url", url);
    }
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
