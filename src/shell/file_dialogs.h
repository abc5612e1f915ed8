#pragma once

#include <QFont>
#include <QList>
#include <QString>

#include <optional>

class QWidget;

namespace jotrak {

// The open, folder, save-as and font dialogs, behind one seam. Each returns the
// chosen path (or font), or nothing when the user cancels. A save-as asks before
// replacing a file.
std::optional<QString> ChooseOpenFile(QWidget* owner, const QString& title, const QString& filter);
std::optional<QString> ChooseFolder(QWidget* owner, const QString& title);
std::optional<QString> ChooseSaveFile(QWidget* owner, const QString& title, const QString& filter,
                                      const QString& defaultSuffix);
std::optional<QFont> ChooseFont(QWidget* owner, const QString& title, const QFont& initial);

namespace testing {

struct FileDialogRequest {
    QString kind; // "open", "folder", "save" or "font"
    QString title;
    QString filter; // for "font": the initial font, QFont::toString()
    QString defaultSuffix;
};

// Once enabled, no dialog is shown: each request is recorded and answered with
// the next queued answer (cancel when none is queued). A font is answered with
// its QFont::toString() form ("Family,size" is enough).
class FileDialogSeam {
public:
    static void Enable();
    static void Disable();
    static void QueueAnswer(std::optional<QString> answer);
    static const QList<FileDialogRequest>& Requests();
    static void Clear();
};

} // namespace testing
} // namespace jotrak
