#include "shell/app_context.h"

#include "calendar/cri_li.h"

#include <QDir>

namespace jotrak {

namespace {
AppContext* g_app = nullptr;
}

AppContext::AppContext() : today(std::make_unique<CRiLi>())
{
    Q_ASSERT(!g_app);
    g_app = this;
}

AppContext::~AppContext()
{
    // released in this order: fonts, maxims, today; the log (and its connection) last
    fontSong12 = QFont();
    fontKai18 = QFont();
    fontKai12 = QFont();
    fontText = QFont();
    MaximList.reset();
    today.reset();
    if (g_app == this)
        g_app = nullptr;
}

AppContext& App()
{
    Q_ASSERT(g_app);
    return *g_app;
}

bool HasApp()
{
    return g_app != nullptr;
}

QString DatabaseFile(const QString& dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("db.mdb"));
}

} // namespace jotrak
