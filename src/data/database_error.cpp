#include "data/database_error.h"

#include <sqlite3.h>

namespace jotrak {

DatabaseError::DatabaseError(int code, QString message, QString details)
    : code_(code), message_(std::move(message)), details_(std::move(details)),
      utf8_((details_.isEmpty() ? message_ : message_ + QStringLiteral(" (") + details_ + u')').toStdString())
{
}

QString DatabaseSentence(int code, const QString& path)
{
    const char* sentence = nullptr;
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QString::fromUtf8("数据库文件正被另一个程序占用(可能是另一个打开着的 Jotrak),等了 5 秒仍未释放。"
                                 "请稍后再试,或先关闭占用它的程序。");
    case SQLITE_READONLY:
        sentence = "数据库文件 %1 是只读的,或它所在的文件夹不允许写入,修改没有保存。"
                   "请去掉文件的只读属性、检查文件夹的写入权限后再试。";
        break;
    case SQLITE_FULL: sentence = "磁盘已满,无法写入数据库文件 %1,修改没有保存。请清理磁盘空间后再试。"; break;
    case SQLITE_IOERR: sentence = "读写数据库文件 %1 时出错(磁盘或网络故障)。请检查磁盘或网络连接后再试。"; break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: sentence = "数据库文件 %1 已损坏,无法读取。请用备份替换这个文件。"; break;
    case SQLITE_CANTOPEN:
        sentence = "无法打开数据库文件 %1:文件或它所在的文件夹不存在,或不允许访问。请检查文件的位置和权限。";
        break;
    case SQLITE_PERM:
    case SQLITE_AUTH: sentence = "没有访问数据库文件 %1 的权限。请检查这个文件和它所在文件夹的权限。"; break;
    default: return QString::fromUtf8("数据库操作失败。请重新启动 Jotrak 后再试。");
    }
    return QString::fromUtf8(sentence).arg(path);
}

} // namespace jotrak
