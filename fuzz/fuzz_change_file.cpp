// A sync file is whatever another computer, or a sync program, left in the
// shared folder. Any bytes must be refused or read; any changeset a file
// carries must be applied whole or not at all, leaving the log sound.
#include "fuzz_input.h"

#include "data/record_access.h"
#include "data/seed.h"
#include "sync/change_apply.h"
#include "sync/change_capture.h"
#include "sync/change_file.h"

#include <QTemporaryDir>

using namespace jotrak;

namespace {

ConnectionHolder& Log()
{
    static QTemporaryDir dir;
    static ConnectionHolder log;
    if (!log.isOpen()) {
        OpenDatabase(log, dir.filePath(QStringLiteral("db.mdb")));
        SeedPeriodTables(log);
        // many inputs a second: the disk need not see each commit
        ExecuteStatement(log, {QStringLiteral("PRAGMA synchronous = OFF"), {}, Table::Nian});
    }
    return log;
}

// A file whose changeset is the fuzzer's bytes, as a computer that named goal 1 of each table would send.
ChangeFile AroundChangeset(const QByteArray& changeset)
{
    ChangeFile file;
    file.device = QStringLiteral("0123456789abcdef0123456789abcdef");
    file.seq = 1;
    file.time = 1;
    file.changeset = changeset;
    file.columns = SyncedColumns(Log());
    for (const char* goals : {"Nian", "Yue", "Ri"})
        file.goalKeys[QString::fromLatin1(goals)][1] = QStringLiteral("20261207");
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    const ChangeFileReading reading = DecodeChangeFile(bytes);
    FUZZ_CHECK(reading.file.has_value() == reading.problem.isEmpty());
    try {
        ApplyChangeFile(Log(), AroundChangeset(bytes), QStringLiteral("fedcba9876543210fedcba9876543210"));
    } catch (const DatabaseError&) {
        // refused whole
    }
    FUZZ_CHECK(Log().savepointDepth == 0);
    return 0;
}
