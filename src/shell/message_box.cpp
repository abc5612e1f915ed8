#include "shell/message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QQueue>

#include <cstdio>

namespace jotrak {

namespace {
bool g_seam = false;
bool g_onStandardError = false;
QQueue<int> g_answers;
QList<testing::ShownMessage> g_shown;

// The standard buttons in Chinese, also when no Qt translation could be loaded.
void NameButtons(QMessageBox& box)
{
    const struct {
        QMessageBox::StandardButton button;
        const char* text;
    } names[] = {
        {QMessageBox::Ok, "确定"}, {QMessageBox::Cancel, "取消"}, {QMessageBox::Yes, "是"}, {QMessageBox::No, "否"}};
    for (const auto& name : names)
        if (QAbstractButton* button = box.button(name.button))
            button->setText(QString::fromUtf8(name.text));
}

} // namespace

int ShowMessage(QWidget* owner, const QString& text, const QString& caption, MessageButtons buttons,
                const QString& details)
{
    if (g_seam) {
        g_shown.append({text, caption, buttons, details});
        return g_answers.isEmpty() ? kIdOk : g_answers.dequeue();
    }
    if (g_onStandardError) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        if (!details.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(details));
        std::fflush(stderr);
        return kIdOk;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text,
                    buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                    owner);
    NameButtons(box);
    box.setDetailedText(details);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(buttons == MessageButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? kIdOk : kIdCancel;
}

void AnswerMessagesOnStandardError()
{
    g_onStandardError = true;
}

int ShowMessage(QWidget* owner, const QString& textAndCaption)
{
    return ShowMessage(owner, textAndCaption, textAndCaption);
}

namespace testing {

void MessageBoxSeam::Enable()
{
    g_seam = true;
    Clear();
}

void MessageBoxSeam::Disable()
{
    g_seam = false;
    Clear();
}

void MessageBoxSeam::QueueAnswer(int answer)
{
    g_answers.enqueue(answer);
}

const QList<ShownMessage>& MessageBoxSeam::Shown()
{
    return g_shown;
}

void MessageBoxSeam::Clear()
{
    g_answers.clear();
    g_shown.clear();
}

} // namespace testing
} // namespace jotrak
