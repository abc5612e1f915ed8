#include "web/web_browser.h"

#include "shell/after_first_paint.h"

#include "web/page_engine.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QWidget>

#include <functional>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace jotrak {

namespace {

bool g_seam = false;
bool g_engineOff = false;
QList<QUrl> g_loaded;

bool HelperProcessPresent()
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("QtWebEngineProcess.exe");
#else
    const QString name = QStringLiteral("QtWebEngineProcess");
#endif
    const QString fromEnvironment = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    if (!fromEnvironment.isEmpty())
        return QFileInfo::exists(fromEnvironment);
    for (const QString& dir :
         {QCoreApplication::applicationDirPath(), QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath)}) {
        if (QFileInfo::exists(QDir(dir).filePath(name)))
            return true;
    }
    return false;
}

// Chromium refuses to run as root with its sandbox on; read when the engine first starts.
void TurnSandboxOffWhenRoot()
{
#ifndef Q_OS_WIN
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

} // namespace

QUrl FixedPageUrl(const QString& dataDir)
{
    return QUrl::fromLocalFile(QDir(dataDir).filePath(QLatin1String(kFixedPageFile)));
}

void PrepareWebEngineEnvironment()
{
    // The engine's shared graphics context is made by the engine module when the
    // page is first shown, so the window does not wait for it.
    TurnSandboxOffWhenRoot();
}

CWebBrowser2::CWebBrowser2() = default;

CWebBrowser2::~CWebBrowser2()
{
    Destroy();
}

QWidget* CWebBrowser2::view() const
{
    return view_;
}

bool CWebBrowser2::EngineBuiltIn()
{
    return page_engine::BuiltIn();
}

void CWebBrowser2::TurnEngineOff()
{
    g_engineOff = true;
}

bool CWebBrowser2::EngineUsable()
{
    if (!EngineBuiltIn() || g_engineOff)
        return false;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    if (!HelperProcessPresent()) {
        qWarning() << "web page: QtWebEngineProcess not found - the pane stays empty";
        return false;
    }
    return true;
}

void CWebBrowser2::AttachBrowser(QWidget* host)
{
    host_ = host;
    if (hostRect_.width() == 0 && host)
        hostRect_ = host->rect();
    if (active_ || !host)
        return;
    active_ = true;
    if (!g_seam && !EngineUsable())
        return;
    starter_ = RunAfterFirstPaint(host, [this] { StartEngine(); });
}

void CWebBrowser2::StartEngine()
{
    if (view_ || !host_)
        return;
    if (g_seam) {
        view_ = new QWidget(host_);
        view_->setObjectName(QStringLiteral("pageView"));
    } else {
        TurnSandboxOffWhenRoot();
        view_ = page_engine::MakePageView(host_);
    }
    if (!view_)
        return;
    view_->setGeometry(hostRect_);
    view_->show();
    if (loadWanted_)
        Load();
}

void CWebBrowser2::ShowFixedPage(const QString& dataDir)
{
    page_ = FixedPageUrl(dataDir);
    ++navigations_;
    loadWanted_ = true;
    if (view_)
        Load();
}

void CWebBrowser2::Load()
{
    if (g_seam) {
        g_loaded.append(page_);
        return;
    }
    if (!QFileInfo::exists(page_.toLocalFile())) {
        qWarning().noquote() << "web page: start page missing:" << page_.toLocalFile() << "- the pane stays empty";
        view_->hide();
        return;
    }
    page_engine::LoadPage(view_, page_);
}

void CWebBrowser2::Destroy()
{
    delete starter_;
    delete view_;
}

namespace testing {

void WebViewSeam::Enable()
{
    g_seam = true;
    g_loaded.clear();
}

void WebViewSeam::Disable()
{
    g_seam = false;
    g_loaded.clear();
}

const QList<QUrl>& WebViewSeam::Loaded()
{
    return g_loaded;
}

} // namespace testing
} // namespace jotrak
