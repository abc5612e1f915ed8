// Writes a database of twenty years of use (see large_database.h) to the given
// path, for trying the program on it: make_large_database <folder>/Dt/db.mdb
#include "large_database.h"

#include "data/record_access.h"

#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <new database path>\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (QFileInfo::exists(path)) {
        std::fprintf(stderr, "%s exists; give a path for a new file\n", argv[1]);
        return 2;
    }
    try {
        jotrak::ConnectionHolder connection;
        jotrak::OpenDatabase(connection, path);
        jotrak::bench::FillTwentyYears(connection);
    } catch (const jotrak::DatabaseError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
