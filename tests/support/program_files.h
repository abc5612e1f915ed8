#pragma once

// The files a user gets: the program, its web engine module (when built) and the
// delivered Dt folder, without any database a developer's run left there.

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
    const QDir dt(bin.filePath(QStringLiteral("Dt")));
    for (const QString& name : dt.entryList(QDir::Files)) {
        if (name.startsWith(QStringLiteral("db.mdb")))
            continue;
        if (!QFile::copy(dt.filePath(name), target.filePath(QStringLiteral("Dt/") + name)))
            return false;
    }
    return true;
}

} // namespace jotrak::testsupport
