#include "shell/file_dialogs.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QQueue>

namespace jotrak {

namespace {

bool g_seam = false;
QQueue<std::optional<QString>> g_answers;
QList<testing::FileDialogRequest> g_requests;

std::optional<QString> Answer(testing::FileDialogRequest request)
{
    g_requests.append(std::move(request));
    return g_answers.isEmpty() ? std::nullopt : g_answers.dequeue();
}

// "*.*" hides names without a dot outside Windows, so "所有文件(*.*)" offers every file there.
QString PlatformFilter(QString filter)
{
#ifndef Q_OS_WIN
    filter.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
#endif
    return filter;
}

std::optional<QString> NonEmpty(const QString& path)
{
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

} // namespace

std::optional<QString> ChooseOpenFile(QWidget* owner, const QString& title, const QString& filter)
{
    if (g_seam)
        return Answer({QStringLiteral("open"), title, filter, {}});
    return NonEmpty(QFileDialog::getOpenFileName(owner, title, QString(), PlatformFilter(filter)));
}

std::optional<QString> ChooseFolder(QWidget* owner, const QString& title)
{
    if (g_seam)
        return Answer({QStringLiteral("folder"), title, {}, {}});
    return NonEmpty(QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly));
}

std::optional<QString> ChooseSaveFile(QWidget* owner, const QString& title, const QString& filter,
                                      const QString& defaultSuffix)
{
    if (g_seam)
        return Answer({QStringLiteral("save"), title, filter, defaultSuffix});
    QFileDialog dialog(owner, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return NonEmpty(dialog.selectedFiles().constFirst());
}

std::optional<QFont> ChooseFont(QWidget* owner, const QString& title, const QFont& initial)
{
    if (g_seam) {
        const std::optional<QString> answer = Answer({QStringLiteral("font"), title, initial.toString(), {}});
        QFont font;
        if (!answer || !font.fromString(*answer))
            return std::nullopt;
        return font;
    }
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, initial, owner, title);
    return chosen ? std::optional<QFont>(font) : std::nullopt;
}

namespace testing {

void FileDialogSeam::Enable()
{
    g_seam = true;
    Clear();
}

void FileDialogSeam::Disable()
{
    g_seam = false;
    Clear();
}

void FileDialogSeam::QueueAnswer(std::optional<QString> answer)
{
    g_answers.enqueue(std::move(answer));
}

const QList<FileDialogRequest>& FileDialogSeam::Requests()
{
    return g_requests;
}

void FileDialogSeam::Clear()
{
    g_answers.clear();
    g_requests.clear();
}

} // namespace testing
} // namespace jotrak
