#pragma once

#include "export/export_result.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace jotrak {

// Writes bytes to an open device; a short write becomes a failure naming the device's error.
ExportResult WriteExportBytes(const QByteArray& bytes, QIODevice& out);

// Replaces the file at path whole: the bytes go to a temporary file beside it,
// which is renamed over the old file only when everything was written. On any
// failure the old file (if any) is left as it was.
ExportResult ReplaceFileWith(const QString& path, const QByteArray& bytes);

} // namespace jotrak
