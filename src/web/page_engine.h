#pragma once

class QUrl;
class QWidget;

namespace jotrak::page_engine {

// The web engine behind the start page; two builds: with Qt WebEngine and without.
bool BuiltIn();
// The property of the page view that holds the engine's own page object (the
// QML WebEngineView: title, url, runJavaScript).
inline constexpr char kPageViewProperty[] = "page";

// Makes the page view as a hidden child of host; null when the engine is not built in.
QWidget* MakePageView(QWidget* host);
void LoadPage(QWidget* view, const QUrl& url);

} // namespace jotrak::page_engine
