#pragma once

#include <QString>

#include <exception>
#include <string>

namespace jotrak {

// The one error every failed database call raises: an engine code, a Chinese
// sentence saying what happened and what the user can do, and the technical
// details (the engine's own words), which are shown apart from the sentence.
class DatabaseError : public std::exception {
public:
    DatabaseError(int code, QString message, QString details = {});

    int code() const noexcept { return code_; }
    const QString& message() const noexcept { return message_; }
    const QString& details() const noexcept { return details_; }
    // The sentence and the details, for logs.
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    int code_;
    QString message_;
    QString details_;
    std::string utf8_;
};

// What the user reads for an engine result code: what happened to the file at
// path and what to do (another program holds it, read-only, disk full, I/O
// error, damaged, cannot open, no permission).
QString DatabaseSentence(int code, const QString& path);

} // namespace jotrak
