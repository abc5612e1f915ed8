#pragma once

// Starting the kill workers from a test: they are built beside the test executables.

#include "workload_log.h"

#include "data/record_access.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace jotrak::reliability {

enum class Worker { Data, Ui };

inline QString WorkerPath(Worker worker)
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(worker == Worker::Ui ? QStringLiteral("kill_worker_ui") : QStringLiteral("kill_worker"));
}

// Starts a worker on <exeDir>/Dt/db.mdb.
inline void StartWorker(QProcess& process, Worker worker, const QString& exeDir, const QString& log, quint32 seed,
                        const QStringList& extra = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(WorkerPath(worker), QStringList{exeDir, log, QString::number(seed)} + extra);
}

// Waits for the worker's "ready" line; false when it ended or took too long.
inline bool WaitUntilReady(QProcess& process, int timeoutMs)
{
    while (!process.canReadLine()) {
        if (process.state() != QProcess::Running || !process.waitForReadyRead(timeoutMs))
            return process.canReadLine();
    }
    return process.readLine().trimmed() == "ready";
}

// The text of PRAGMA integrity_check: "ok" for a sound file.
inline QString IntegrityCheck(ConnectionHolder& connection)
{
    QStringList lines;
    sqlite3_exec(
        connection.handle(), "PRAGMA integrity_check",
        [](void* out, int, char** values, char**) {
            static_cast<QStringList*>(out)->append(QString::fromUtf8(values[0] ? values[0] : "NULL"));
            return 0;
        },
        &lines, nullptr);
    return lines.join(u'\n');
}

// A scratch folder for a workload's files: in memory (/dev/shm) when the
// system has it, so a worker stores many changes between two kills; a kill
// ends the process, not the machine, so what it wrote is kept either way.
inline QString ScratchRoot()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() + QStringLiteral("/jotrak-XXXXXX")
                                           : QDir::tempPath() + QStringLiteral("/jotrak-XXXXXX");
}

inline QString DatabaseIn(const QString& exeDir)
{
    return QDir(exeDir).filePath(QStringLiteral("Dt/db.mdb"));
}

} // namespace jotrak::reliability
