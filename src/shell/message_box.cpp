#include "shell/message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
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

void Prepare(QMessageBox& box, const QString& details)
{
    box.setDetailedText(details);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

// A box of named answers: the first is the default, 取消 (when there) answers Escape.
int AskChoice(QWidget* owner, const QString& text, const QString& caption, MessageButtons buttons,
              const QString& details)
{
    QStringList names;
    switch (buttons) {
    case MessageButtons::SaveDiscardCancel: names = {QStringLiteral("保存"), QStringLiteral("不保存")}; break;
    case MessageButtons::KeepBothOverwriteCancel: names = {QStringLiteral("保留两者"), QStringLiteral("覆盖")}; break;
    default: names = {QStringLiteral("转到那个窗口"), QStringLiteral("再开一个窗口")}; break;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton, owner);
    Prepare(box, details);
    QPushButton* first = box.addButton(names[0], QMessageBox::AcceptRole);
    QPushButton* other = box.addButton(names[1], QMessageBox::DestructiveRole);
    QPushButton* cancel = nullptr;
    if (buttons != MessageButtons::SwitchOrOpen)
        cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(first);
    box.setEscapeButton(cancel ? cancel : first);
    box.exec();
    if (box.clickedButton() == other)
        return kIdOther;
    return box.clickedButton() == first || !cancel ? kIdOk : kIdCancel;
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
    if (buttons == MessageButtons::Ok || buttons == MessageButtons::OkCancel) {
        QMessageBox box(QMessageBox::NoIcon, caption, text,
                        buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                        owner);
        NameButtons(box);
        Prepare(box, details);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(buttons == MessageButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
        return box.exec() == QMessageBox::Ok ? kIdOk : kIdCancel;
    }
    return AskChoice(owner, text, caption, buttons, details);
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
