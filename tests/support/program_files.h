#pragma once

// The files a user gets, laid out as a portable program: the program, its web
// engine module (when built) and Dt holding the shipped files.

#include "shell/data_folder.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace jotrak::testsupport {

// Hard-links a file when it can (applicationDirPath() follows symbolic links,
// so no symbolic link), else copies it.
inline bool LinkOrCopy(const QString& from, const QString& to)
{
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 || QFile::copy(from, to);
}

// Puts the program files of the build folder binDir into the folder to.
inline bool CopyProgramFiles(const QString& binDir, const QString& to)
{
    const QDir bin(binDir);
    const QDir target(to);
    if (!LinkOrCopy(bin.filePath(QStringLiteral("jotrak")), target.filePath(QStringLiteral("jotrak"))))
        return false;
    const QString module = QStringLiteral("libjotrak_webengine.so");
    if (bin.exists(module) && !LinkOrCopy(bin.filePath(module), target.filePath(module)))
        return false;
    target.mkpath(QStringLiteral("Dt"));
    const QDir shipped(ShippedFilesDir(binDir));
    for (const QString& name : shipped.entryList(QDir::Files)) {
        if (!QFile::copy(shipped.filePath(name), target.filePath(QStringLiteral("Dt/") + name)))
            return false;
    }
    return true;
}

} // namespace jotrak::testsupport
