#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

namespace jotrak {

// Where a module the program loads when it first needs it lies: installed, in
// the program's private library folder; in the build tree (and in a folder
// carried around whole) beside the program.
QString ModuleFilePath(const QString& fileName);

// Loads the module (it stays loaded) and finds its functions by name, in the
// order named. When the module or any of them cannot be found, every one is
// null and *trouble holds the loader's words.
std::vector<QFunctionPointer> LoadModuleFunctions(const QString& fileName, const std::vector<const char*>& names,
                                                  QString* trouble);

} // namespace jotrak
