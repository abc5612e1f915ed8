#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Shared pieces of the fuzz targets: turning the fuzzer's bytes into the inputs
// a parser sees, and a check that stops the run with a readable reason.
namespace jotrak::fuzz {

// The bytes as UTF-16 code units, so any character reaches the parser: NUL,
// lone surrogate halves, full-width digits, line and paragraph separators.
inline QString Utf16Text(const std::uint8_t* data, std::size_t size)
{
    QString text(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    if (!text.isEmpty())
        std::memcpy(text.data(), data, size / 2 * 2);
    return text;
}

inline QByteArray Bytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Cuts the input in two at the first 0xFF byte (or keeps it whole), so one
// input carries two independent texts.
inline void SplitAtMarker(const std::uint8_t* data, std::size_t size, QByteArray* first, QByteArray* second)
{
    const auto* marker = static_cast<const std::uint8_t*>(std::memchr(data, 0xff, size));
    const std::size_t cut = marker ? static_cast<std::size_t>(marker - data) : size;
    *first = Bytes(data, cut);
    *second = cut < size ? Bytes(data + cut + 1, size - cut - 1) : QByteArray();
}

[[noreturn]] inline void Fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

} // namespace jotrak::fuzz

#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::jotrak::fuzz::Fail(#condition, __FILE__, __LINE__);                                                      \
    } while (false)
