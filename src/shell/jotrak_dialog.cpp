#include "shell/jotrak_dialog.h"

#include "shell/centering.h"
#include "shell/fonts.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace jotrak {

namespace {

// Enter in a multi-line edit presses the dialog's default button; Ctrl+Enter breaks the line.
class EnterPressesDefault : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        auto* edit = qobject_cast<QPlainTextEdit*>(watched);
        if (!edit)
            return false;
        if (key->modifiers() & Qt::ControlModifier) {
            edit->insertPlainText(QStringLiteral("\n"));
            return true;
        }
        QWidget* dialog = edit->window();
        const auto buttons = dialog->findChildren<QPushButton*>();
        for (QPushButton* button : buttons) {
            if (button->isDefault()) {
                button->click();
                return true;
            }
        }
        return false;
    }
};

int Px(double units, double factor)
{
    return static_cast<int>(std::lround(units * factor));
}

} // namespace

JotrakDialog::JotrakDialog(QWidget* parent, const QString& caption, int widthDlu, int heightDlu) : QDialog(parent)
{
    setWindowTitle(caption);
    setFont(SongFont(12));
    setFixedSize(Dlu(0, 0, widthDlu, heightDlu).size());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void JotrakDialog::reject()
{
    done(kCancelled);
}

void JotrakDialog::done(int result)
{
    QDialog::done(result);
    // QDialog announces only its own rejection code; ours is 2
    if (result == kCancelled)
        emit rejected();
}

QRect JotrakDialog::Dlu(int x, int y, int w, int h)
{
    return {Px(x, 1.5), Px(y, 1.625), Px(w, 1.5), Px(h, 1.625)};
}

void JotrakDialog::MakeEnterPressDefault(QPlainTextEdit* edit)
{
    edit->installEventFilter(new EnterPressesDefault(edit));
}

void JotrakDialog::keyPressEvent(QKeyEvent* event)
{
    // A focused push button takes Enter itself (autoDefault). Elsewhere QDialog
    // would skip a hidden default button; press it here.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        const auto buttons = findChildren<QPushButton*>();
        const auto found = std::find_if(buttons.begin(), buttons.end(), [](QPushButton* b) { return b->isDefault(); });
        if (found != buttons.end()) {
            if ((*found)->isEnabled())
                (*found)->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void JotrakDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!centred_) {
        centred_ = true;
        CenterOnMainWindow(this);
    }
}

} // namespace jotrak
