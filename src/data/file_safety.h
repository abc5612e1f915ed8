#pragma once

#include <QString>

namespace jotrak {

// Writes a file's data to the disk before it is renamed into place, so a power
// cut never leaves the new name on a file whose blocks were not written yet.
bool SyncFile(const QString& path);
// Makes a rename in folder permanent on the disk.
void SyncFolder(const QString& folder);

// The suffix ".<what>-<pid>" a file built aside by this process carries.
QString AsideSuffix(const QString& what);

// A process killed while it built a file aside leaves db<...>.mdb.<what>-<pid>
// (or .<what>-<pid>-<n>, and its journal) behind, which nothing would ever rename or remove. Removes those
// in folder whose process is gone, and leaves those of a running process alone.
void RemoveLeftoversOfGoneProcesses(const QString& folder, const QString& what);

} // namespace jotrak
