#pragma once

#include <QString>

#include <functional>

namespace jotrak {

class ConnectionHolder;

// Brings an open file of an older version to kSchemaVersion in place: first a
// checked copy of it (BackupBeforeUpgrade), then every change and the new
// version number in one transaction, so a kill leaves the file whole at its old
// version or at the new one. The steps are in schema_steps.h.
// A read-only file is left as it is. Returns why a file of an older version
// stays at it (the copy or the change failed); empty when the file is current
// or read-only. beforeUpgrade is called when the file is about to be upgraded.
QString UpgradeDatabase(ConnectionHolder& connection, const std::function<void()>& beforeUpgrade = {});

} // namespace jotrak
