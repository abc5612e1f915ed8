#include "data/file_safety.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace jotrak {

namespace {

bool ProcessIsRunning(qint64 pid)
{
#ifdef Q_OS_UNIX
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true; // not known here: leave its file alone
#endif
}

} // namespace

bool SyncFile(const QString& path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#else
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.flush();
#endif
}

void SyncFolder(const QString& folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

void RemoveLeftoversOfGoneProcesses(const QString& folder, const QString& what)
{
    const QRegularExpression leftover(QStringLiteral("^db.*\\.mdb\\.%1-(\\d+)(-\\d+)?(-journal)?$").arg(what));
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = leftover.match(name);
        if (match.hasMatch() && !ProcessIsRunning(match.captured(1).toLongLong()))
            QFile::remove(dir.filePath(name));
    }
}

QString AsideSuffix(const QString& what)
{
    return QStringLiteral(".%1-%2").arg(what).arg(QCoreApplication::applicationPid());
}

} // namespace jotrak
