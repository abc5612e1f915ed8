#include "settings/settings_dialog.h"

#include "backup/backup_dialog.h"
#include "backup/backup_settings.h"
#include "settings/maxims_dialog.h"
#include "reminders/desktop_notice.h"
#include "shell/app_context.h"
#include "shell/desktop.h"
#include "shell/file_dialogs.h"
#include "shell/message_box.h"
#include "shell/settings_store.h"
#include "shell/text_font.h"

#include <QCheckBox>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <cmath>

namespace jotrak {

namespace {

template <class W> W* Put(W* widget, const QString& name, const QRect& dlu)
{
    widget->setObjectName(name);
    widget->setGeometry(dlu);
    return widget;
}

QString SizeText(double points)
{
    return QString::number(std::round(points * 2) / 2);
}

// The size in points of a font chosen here, or of the built-in one (sized in pixels).
double PointsOf(const QFont& font)
{
    return font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
}

std::optional<double> SizeOf(const QString& text)
{
    bool isNumber = false;
    const double size = QLocale::c().toDouble(text.trimmed(), &isNumber);
    if (!isNumber || !(size >= kMinTextFontSize && size <= kMaxTextFontSize))
        return std::nullopt;
    return size;
}

// The installed family of that name, letter case aside; empty when there is none.
QString InstalledFamily(const QString& name)
{
    const QStringList families = QFontDatabase::families();
    const auto found = std::find_if(families.begin(), families.end(), [&](const QString& family) {
        return family.compare(name, Qt::CaseInsensitive) == 0;
    });
    return found == families.end() ? QString() : *found;
}

} // namespace

SettingsDialog::SettingsDialog(QWidget* parent) : JotrakDialog(parent, QStringLiteral("设置"), 200, 178)
{
    setObjectName(QStringLiteral("SettingsDialog"));
    Put(new QLabel(QStringLiteral("设置字体名称"), this), QStringLiteral("FontNameLabel"), Dlu(12, 14, 52, 10));
    fontName_ = Put(new QLineEdit(this), QStringLiteral("edit1004"), Dlu(68, 12, 120, 14));
    Put(new QLabel(QStringLiteral("字体大小"), this), QStringLiteral("FontSizeLabel"), Dlu(12, 36, 52, 10));
    fontSize_ = Put(new QLineEdit(this), QStringLiteral("edit1005"), Dlu(68, 34, 40, 14));
    fontSize_->setToolTip(QStringLiteral("单位:磅,6 到 72"));
    const QFont& current = App().fontText;
    shownFamily_ = current.pointSizeF() > 0 ? current.family() : QFontInfo(current).family();
    shownSize_ = SizeText(PointsOf(current));
    fontName_->setText(shownFamily_);
    fontName_->setCursorPosition(0);
    fontSize_->setText(shownSize_);

    auto* chooseFont =
        Put(new QPushButton(QStringLiteral("字体设置"), this), QStringLiteral("btn1012"), Dlu(118, 34, 70, 14));
    connect(chooseFont, &QPushButton::clicked, this, &SettingsDialog::chooseFont);
    auto* maxims =
        Put(new QPushButton(QStringLiteral("格言警句设置"), this), QStringLiteral("btn1011"), Dlu(12, 56, 70, 14));
    connect(maxims, &QPushButton::clicked, this, [this] {
        if (OpenMaximsDialog(this))
            emit maximsChanged();
    });
    // "btnSearch": the search dialog, over this one while it is open
    auto* search =
        Put(new QPushButton(QStringLiteral("搜索"), this), QStringLiteral("btnSearch"), Dlu(118, 56, 70, 14));
    search->setToolTip(QStringLiteral("搜索所有的目标和工作内容 (Ctrl+F)"));
    connect(search, &QPushButton::clicked, this, &SettingsDialog::searchRequested);

    // where the data lives, and what keeps it safe
    const QString dataDir = QDir::toNativeSeparators(App().dataDir);
    Put(new QLabel(QStringLiteral("数据文件夹"), this), QStringLiteral("DataDirLabel"), Dlu(12, 80, 52, 10));
    auto* open = Put(new QPushButton(QStringLiteral("打开数据文件夹"), this), QStringLiteral("btnOpenDataDir"),
                     Dlu(118, 78, 70, 14));
    connect(open, &QPushButton::clicked, this, [this] { OpenOrTell(this, App().dataDir); });
    auto* folder = Put(new QLineEdit(dataDir, this), QStringLiteral("DataDirEdit"), Dlu(12, 96, 176, 14));
    folder->setReadOnly(true);
    folder->setToolTip(dataDir);
    folder->setCursorPosition(0);

    auto* last =
        Put(new QLabel(LastBackupText(App().dataDir), this), QStringLiteral("LastBackupLabel"), Dlu(12, 118, 176, 10));
    auto* backups = Put(new QPushButton(QStringLiteral("备份与恢复"), this), QStringLiteral("btnBackupRestore"),
                        Dlu(118, 132, 70, 14));
    connect(backups, &QPushButton::clicked, this, [this, last] {
        BackupDialog(this).exec();
        last->setText(LastBackupText(App().dataDir));
    });

    notices_ = Put(new QCheckBox(QStringLiteral("提醒也发到桌面通知"), this), QStringLiteral("DesktopNoticeBox"),
                   Dlu(12, 134, 100, 10));
    notices_->setChecked(DesktopNotificationsOn());

    auto* sync = Put(new QPushButton(QStringLiteral("同步..."), this), QStringLiteral("btnSync"), Dlu(12, 156, 50, 14));
    sync->setToolTip(QStringLiteral("在几台电脑上使用同一份日志"));
    connect(sync, &QPushButton::clicked, this, &SettingsDialog::syncRequested);
    auto* ok = Put(new QPushButton(QStringLiteral("确定"), this), QStringLiteral("btn1"), Dlu(84, 156, 50, 14));
    auto* cancel = Put(new QPushButton(QStringLiteral("取消"), this), QStringLiteral("btn2"), Dlu(138, 156, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (!takeFont())
            return;
        if (notices_->isChecked() != DesktopNotificationsOn())
            SetDesktopNotificationsOn(notices_->isChecked());
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void SettingsDialog::chooseFont()
{
    const QString family = InstalledFamily(fontName_->text().trimmed());
    QFont initial(family.isEmpty() ? shownFamily_ : family);
    initial.setPointSizeF(SizeOf(fontSize_->text()).value_or(PointsOf(App().fontText)));
    if (const std::optional<QFont> chosen = ChooseFont(this, QStringLiteral("字体设置"), initial)) {
        fontName_->setText(chosen->family());
        fontName_->setCursorPosition(0);
        fontSize_->setText(SizeText(PointsOf(*chosen)));
    }
}

// A changed font is checked, applied and kept; false (with a message) when it is refused.
bool SettingsDialog::takeFont()
{
    const QString name = fontName_->text().trimmed();
    if (name == shownFamily_ && fontSize_->text().trimmed() == shownSize_)
        return true;
    const std::optional<double> size = SizeOf(fontSize_->text());
    if (!size) {
        ShowMessage(this, QStringLiteral("字体大小应为 6 到 72 之间的数字(单位:磅)"));
        fontSize_->setFocus();
        return false;
    }
    const QString family = InstalledFamily(name);
    if (family.isEmpty()) {
        ShowMessage(this,
                    name.isEmpty() ? QStringLiteral("请输入字体名称")
                                   : QStringLiteral("没有找到字体“%1”,请用“字体设置”选择一种已安装的字体").arg(name),
                    QStringLiteral("设置"));
        fontName_->setFocus();
        return false;
    }
    const QFont font = TextFont(family, *size);
    ApplyTextFont(font);
    if (!StoreTextFont(font))
        ShowMessage(this,
                    QStringLiteral("新字体已用于本次运行,但设置文件 %1 无法写入,下次启动时不会保留。")
                        .arg(QDir::toNativeSeparators(SettingsFile())),
                    QStringLiteral("设置"));
    return true;
}

} // namespace jotrak
