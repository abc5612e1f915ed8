#include "app/translation.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QTranslator>

namespace jotrak {

bool InstallQtTranslation()
{
    static bool installed = false;
    if (installed)
        return true;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder) || !QCoreApplication::installTranslator(translator)) {
        qWarning().noquote() << "no Chinese translation of Qt in" << folder;
        delete translator;
        return false;
    }
    installed = true;
    return true;
}

} // namespace jotrak
