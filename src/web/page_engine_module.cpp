// Reaches the web engine module (webengine_module.cpp). It is
// loaded on first use, after the main window is on the screen; when it cannot be
// loaded the pane stays empty.
#include "web/page_engine.h"

#include "shell/module_path.h"

#include <QCoreApplication>
#include <QDebug>
#include <QOpenGLContext>
#include <QUrl>

// QtGui's setter of the context every OpenGL context of the program shares with
// (exported, not declared in a public header; read it through
// QOpenGLContext::globalShareContext()).
void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace jotrak::page_engine {

namespace {

using MakeViewFunction = QWidget* (*)(QWidget*);
using LoadPageFunction = void (*)(QWidget*, const QUrl*);

struct EngineModule {
    MakeViewFunction makeView = nullptr;
    LoadPageFunction loadPage = nullptr;
};

// Qt WebEngine draws through a context shared with the whole program. Qt's
// public way to get one, Qt::AA_ShareOpenGLContexts before the application
// starts, costs every start its graphics set-up before the window can appear
// (on a software-rendered screen, Xvfb: a bare window's first paint after a
// median 51 ms without it, 151 ms with it); made just before the
// engine loads, it costs nothing until the page is first shown. Setting the
// attribute after the application exists would only earn a warning, so the late
// context is handed to Qt through its one exported setter, here and nowhere else.
void ShareGraphicsContextLate(QOpenGLContext* context)
{
    qt_gl_set_global_share_context(context);
}

// The engine finds the shared context and asks for nothing more; no widget of
// the program draws through OpenGL.
void EnsureSharedGraphicsContext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->setFormat(QSurfaceFormat::defaultFormat());
    if (context->create())
        ShareGraphicsContextLate(context);
    else
        qWarning() << "web page: no shared graphics context - the page may not render";
}

const EngineModule& Module()
{
    static const EngineModule module = [] {
        EngineModule found;
        EnsureSharedGraphicsContext();
        QString trouble;
        const auto functions = LoadModuleFunctions(QStringLiteral(JOTRAK_WEBENGINE_MODULE),
                                                   {"jotrak_make_page_view", "jotrak_load_page"}, &trouble);
        found.makeView = reinterpret_cast<MakeViewFunction>(functions[0]);
        found.loadPage = reinterpret_cast<LoadPageFunction>(functions[1]);
        if (!found.makeView)
            qWarning().noquote() << "web page: cannot load the web engine module:" << trouble
                                 << "- the pane stays empty";
        return found;
    }();
    return module;
}

} // namespace

bool BuiltIn()
{
    return true;
}

QWidget* MakePageView(QWidget* host)
{
    const EngineModule& module = Module();
    return module.makeView && module.loadPage ? module.makeView(host) : nullptr;
}

void LoadPage(QWidget* view, const QUrl& url)
{
    const EngineModule& module = Module();
    if (view && module.loadPage)
        module.loadPage(view, &url);
}

} // namespace jotrak::page_engine
