#include "shell/module_path.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace jotrak {

namespace {

// Also before a QCoreApplication exists (the build's template writer).
QString ProgramDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

} // namespace

QString ModuleFilePath(const QString& fileName)
{
    const QDir programDir(ProgramDir());
    const QString installed = programDir.filePath(QStringLiteral(JOTRAK_MODULE_FROM_BIN "/") + fileName);
    return QFileInfo::exists(installed) ? installed : programDir.filePath(fileName);
}

} // namespace jotrak
