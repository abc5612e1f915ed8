#include "web/page_engine.h"

namespace jotrak::page_engine {

bool BuiltIn()
{
    return false;
}

QWidget* MakePageView(QWidget*)
{
    return nullptr;
}

void LoadPage(QWidget*, const QUrl&) {}

} // namespace jotrak::page_engine
