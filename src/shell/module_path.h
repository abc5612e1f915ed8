#pragma once

#include <QString>

namespace jotrak {

// Where a module the program loads when it first needs it lies: installed, in
// the program's private library folder; in the build tree (and in a folder
// carried around whole) beside the program.
QString ModuleFilePath(const QString& fileName);

} // namespace jotrak
