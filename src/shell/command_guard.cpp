#include "shell/command_guard.h"

#include "data/database_error.h"
#include "shell/message_box.h"

#include <QDebug>

namespace jotrak {

void RunGuarded(QWidget* owner, const std::function<void()>& action)
{
    try {
        action();
    } catch (const DatabaseError& error) {
        qWarning().noquote() << "database error:" << error.what();
        ShowMessage(
            owner,
            QString::fromUtf8("数据库操作失败,这一步没有完成(已保存的内容不受影响)。\n\n%1").arg(error.message()),
            QString::fromUtf8("数据库错误"), MessageButtons::Ok, error.details());
    } catch (const std::exception& error) {
        qWarning() << "unexpected error:" << error.what();
        ShowMessage(owner, QString::fromUtf8("出现了意外的错误,这一步没有完成(已保存的内容不受影响)。"),
                    QString::fromUtf8("错误"), MessageButtons::Ok, QString::fromLocal8Bit(error.what()));
    }
}

} // namespace jotrak
