#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace jotrak {

// The program's settings are kept with QSettings in one INI file, named once by
// the start-up (DataFolder::settingsFile); whatever keeps a setting opens it
// here. Without a file named, settings are neither read nor kept.
void UseSettingsFile(const QString& path);
QString SettingsFile();
std::unique_ptr<QSettings> OpenSettings();

} // namespace jotrak
