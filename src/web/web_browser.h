#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QUrl>

class QObject;
class QWidget;

namespace jotrak {

// The start page, in the data folder.
inline constexpr char kFixedPageFile[] = "start.html";

// The one address the pane shows: the start page of the data folder dataDir.
QUrl FixedPageUrl(const QString& dataDir);

// Settings the web engine reads only at process start; main() calls this before
// the QApplication exists. Run as root, Chromium refuses its sandbox, so only then
// is the sandbox turned off.
void PrepareWebEngineEnvironment();

// Hosts the start page inside the web pane. Attached once, navigated once at
// start-up, never resized. The engine starts only after the main window has been
// painted, so start-up does not wait for it; without a usable engine (not built in,
// no screen, helper process missing, renderer died) the pane stays empty. A link
// on the page opens in the user's own browser, never inside the pane.
class CWebBrowser2 {
public:
    CWebBrowser2();
    virtual ~CWebBrowser2();
    CWebBrowser2(const CWebBrowser2&) = delete;
    CWebBrowser2& operator=(const CWebBrowser2&) = delete;

    void AttachBrowser(QWidget* host);
    // Shows the start page of the data folder dataDir.
    void ShowFixedPage(const QString& dataDir);
    // Releases the page view (part of the program's clean-up; the destructor does it too).
    void Destroy();

    bool isActive() const { return active_; }
    QWidget* host() const { return host_; }
    // The rectangle the page occupies inside the host, fixed at attachment.
    QRect hostRect() const { return hostRect_; }
    // The page view once the engine runs (a container of the engine's own native
    // window); null before that and without an engine.
    QWidget* view() const;
    // How many times the page has been asked to load.
    int navigationCount() const { return navigations_; }

    // Whether this build carries Qt WebEngine at all.
    static bool EngineBuiltIn();
    // Whether the engine can run here: built in, a real screen, its helper process
    // present, and not turned off.
    static bool EngineUsable();
    // From now on the engine is not started: the pane stays empty (jotrak
    // --no-start-page, for machines where it misbehaves, and for measuring the
    // program without it).
    static void TurnEngineOff();

private:
    void StartEngine();
    void Load();

    QWidget* host_ = nullptr;
    QUrl page_;
    QRect hostRect_;
    bool active_ = false;
    bool loadWanted_ = false;
    int navigations_ = 0;
    QPointer<QObject> starter_;
    QPointer<QWidget> view_;
};

namespace testing {

// Stands in for the engine in tests: once enabled, the page view is a plain
// widget and every address it is asked to load is recorded.
class WebViewSeam {
public:
    static void Enable();
    static void Disable();
    static const QList<QUrl>& Loaded();
};

} // namespace testing
} // namespace jotrak
