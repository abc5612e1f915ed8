#include "shell/settings_store.h"

namespace jotrak {

namespace {
QString g_file;
}

void UseSettingsFile(const QString& path)
{
    g_file = path;
}

QString SettingsFile()
{
    return g_file;
}

std::unique_ptr<QSettings> OpenSettings()
{
    return std::make_unique<QSettings>(g_file, QSettings::IniFormat);
}

} // namespace jotrak
