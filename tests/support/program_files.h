#pragma once

#include "shell/data_folder.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace jotrak::testsupport {

// No symbolic link: applicationDirPath() follows them.
inline bool LinkOrCopy(const QString& from, const QString& to)
{
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 || QFile::copy(from, to);
}

// The program, its modules (the web engine's when built) and Dt with the shipped files.
inline bool CopyProgramFiles(const QString& binDir, const QString& to)
{
    const QDir bin(binDir);
    const QDir target(to);
    if (!LinkOrCopy(bin.filePath(QStringLiteral("jotrak")), target.filePath(QStringLiteral("jotrak"))))
        return false;
    for (const QString& module :
         {QStringLiteral("libjotrak_webengine.so"), QStringLiteral("libjotrak_compound_file.so"),
          QStringLiteral("libjotrak_report_media.so")})
        if (bin.exists(module) && !LinkOrCopy(bin.filePath(module), target.filePath(module)))
            return false;
    target.mkpath(QStringLiteral("Dt"));
    const QDir shipped(ShippedFilesDir(binDir));
    for (const QString& name : shipped.entryList(QDir::Files))
        if (!QFile::copy(shipped.filePath(name), target.filePath(QStringLiteral("Dt/") + name)))
            return false;
    return true;
}

} // namespace jotrak::testsupport
