#pragma once

#include <QString>

namespace jotrak {

// What an export tells its caller: success, or a message for the user (a
// message box with this text and caption; the caption is the text itself
// unless a Part of the program gives it another one).
struct ExportResult {
    bool ok = true;
    QString message;
    QString caption;

    explicit operator bool() const { return ok; }

    static ExportResult Success() { return {}; }
    static ExportResult Failure(const QString& message, const QString& caption = {})
    {
        return ExportResult{false, message, caption.isEmpty() ? message : caption};
    }
};

} // namespace jotrak
