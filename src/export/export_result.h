#pragma once

#include <QString>

namespace jotrak {

// What an export tells its caller: success, or a message for the user (a
// message box with this text and caption; the caption is the text itself
// unless the export gives it another one). A success may carry a notice to
// show after the export (texts the workbook had to shorten). Details are the
// technical words (the system's or the engine's) for the box's details part.
struct ExportResult {
    bool ok = true;
    QString message;
    QString caption;
    QString details;

    explicit operator bool() const { return ok; }

    static ExportResult Success() { return {}; }
    static ExportResult Notice(const QString& message, const QString& caption, const QString& details = {})
    {
        return ExportResult{true, message, caption, details};
    }
    static ExportResult Failure(const QString& message, const QString& caption = {}, const QString& details = {})
    {
        return ExportResult{false, message, caption.isEmpty() ? message : caption, details};
    }
};

} // namespace jotrak
