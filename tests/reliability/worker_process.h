#pragma once

// Starting the kill workers (built beside the tests) on <exeDir>/Dt/db.mdb.

#include "workload_log.h"

#include "support/database.h"
#include "support/program.h"

#include <QDir>
#include <QFileInfo>

namespace jotrak::reliability {

using test::IntegrityCheck;

enum class Worker { Data, Ui };

inline QString WorkerPath(Worker worker)
{
    return test::BuiltBeside(worker == Worker::Ui ? QStringLiteral("kill_worker_ui") : QStringLiteral("kill_worker"));
}

inline void StartWorker(QProcess& process, Worker worker, const QString& exeDir, const QString& log, quint32 seed,
                        const QStringList& extra = {})
{
    process.setProcessEnvironment(test::ChildEnvironment());
    process.start(WorkerPath(worker), QStringList{exeDir, log, QString::number(seed)} + extra);
}

// Waits for the worker's "ready" line; false when it ended or took too long.
inline bool WaitUntilReady(QProcess& process, int timeoutMs)
{
    while (!process.canReadLine())
        if (process.state() != QProcess::Running || !process.waitForReadyRead(timeoutMs))
            return process.canReadLine();
    return process.readLine().trimmed() == "ready";
}

// A scratch folder in memory (/dev/shm) when there is one, so a worker stores
// many changes between two kills; a kill ends the process, not the machine.
inline QString ScratchRoot()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return (shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath()) + QStringLiteral("/jotrak-XXXXXX");
}

inline QString DatabaseIn(const QString& exeDir)
{
    return QDir(exeDir).filePath(QStringLiteral("Dt/db.mdb"));
}

} // namespace jotrak::reliability
