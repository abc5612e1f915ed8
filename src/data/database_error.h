#pragma once

#include <QString>

#include <exception>
#include <string>

namespace jotrak {

// The one error every failed database call raises: an engine code and a text
// the user can read (Chinese first, the engine's own words after it).
class DatabaseError : public std::exception {
public:
    DatabaseError(int code, QString message);

    int code() const noexcept { return code_; }
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    int code_;
    QString message_;
    std::string utf8_;
};

} // namespace jotrak
