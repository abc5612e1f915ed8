#pragma once

// Files at the place of db.mdb that are no usable Jotrak database.

#include <QString>

#include <span>

namespace jotrak::test {

struct HostileFile {
    const char* kind;
    const char16_t* words; // what the refusal must say besides the file's name
};

std::span<const HostileFile> HostileFiles();

// Writes the file of that kind at path.
void MakeHostileFile(const QString& kind, const QString& path);

// A seeded Jotrak file with the day goal 今天的目标 on 20180101 and one item under it.
void MakeJotrakFile(const QString& path);

} // namespace jotrak::test
