#pragma once

class QUrl;
class QWidget;

namespace jotrak::page_engine {

// The web engine behind the start page; two builds: with Qt WebEngine and without.
bool BuiltIn();
// Makes the page view as a hidden child of host; null when the engine is not built in.
QWidget* MakePageView(QWidget* host);
void LoadPage(QWidget* view, const QUrl& url);

} // namespace jotrak::page_engine
