#include "shell/module_path.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

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

std::vector<QFunctionPointer> LoadModuleFunctions(const QString& fileName, const std::vector<const char*>& names,
                                                  QString* trouble)
{
    std::vector<QFunctionPointer> found(names.size(), nullptr);
    QLibrary library(ModuleFilePath(fileName));
    if (!library.load()) {
        *trouble = library.errorString();
        return found;
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!(found[i] = library.resolve(names[i]))) {
            *trouble = library.errorString();
            return std::vector<QFunctionPointer>(names.size(), nullptr);
        }
    return found;
}

} // namespace jotrak
