#include "app/command_line.h"

#include "app/translation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace jotrak {

namespace {

enum class OptionId { DataDir, NoStartPage, QuitAfterStartup, ReportPaint, Unattended };

struct Option {
    OptionId id;
    const char* name;
    const char* valueName; // null: a switch
    const char* description;
};

const Option kOptions[] = {
    {OptionId::DataDir, "data-dir", "文件夹", "使用<文件夹>保存数据(数据库、格言、模板和起始页),不存在时新建。"},
    {OptionId::NoStartPage, "no-start-page", nullptr, "不显示起始页(不启动网页引擎)。"},
    {OptionId::QuitAfterStartup, "quit-after-startup", "毫秒", "启动完成<毫秒>后关闭窗口(检查安装包、测量启动时间)。"},
    {OptionId::ReportPaint, "report-paint", nullptr,
     "在标准错误上报告窗口的首次绘制(JOTRAK_SHOWN)、启动完成(JOTRAK_READY)和今日一行的每次绘制(JOTRAK_TODAY)。"},
    {OptionId::Unattended, "unattended", nullptr, "无人值守:消息写到标准错误,并当作按了“确定”。"},
};

// Qt's own options, which QApplication takes out of the command line
// (QGuiApplication, QApplication and the X11 platform); Qt reads each with one
// dash or two.
const char* const kQtOptionsWithValue[] = {"platform",      "platformpluginpath",
                                           "platformtheme", "plugin",
                                           "session",       "qwindowgeometry",
                                           "qwindowtitle",  "qwindowicon",
                                           "geometry",      "title",
                                           "icon",          "display",
                                           "name",          "style",
                                           "stylesheet"};
const char* const kQtSwitches[] = {"reverse", "testability", "widgetcount", "nograb", "dograb", "sync"};
const char* const kQtOptionsWithEquals[] = {"style", "stylesheet", "qmljsdebugger"};

bool OneOf(const QString& name, const auto& names)
{
    for (const char* candidate : names)
        if (name == QLatin1String(candidate))
            return true;
    return false;
}

const Option* FindOption(const QString& name)
{
    for (const Option& option : kOptions)
        if (name == QLatin1String(option.name))
            return &option;
    return nullptr;
}

std::unique_ptr<QCommandLineParser> MakeParser()
{
    auto parser = std::make_unique<QCommandLineParser>();
    parser->setApplicationDescription(QString::fromUtf8("Jotrak:记录每年、每月、每天的工作目标和工作细项的工作日志。\n"
                                                        "数据默认保存在用户的数据文件夹(~/.local/share/Jotrak/Dt);"
                                                        "程序旁边有可写的 Dt 文件夹时使用它。\n"
                                                        "命令行有错时,程序说明原因并以退出码 1 结束。"));
    parser->addHelpOption();
    parser->addVersionOption();
    for (const Option& option : kOptions)
        parser->addOption({QString::fromLatin1(option.name), QString::fromUtf8(option.description),
                           option.valueName ? QString::fromUtf8(option.valueName) : QString()});
    return parser;
}

// Prints the answer to --help or --version through Qt's parser (its headings in
// Chinese) and ends the process; no window system is reached.
[[noreturn]] void Answer(int argc, char* argv[], const char* asked)
{
    QCoreApplication application(argc, argv);
    InstallQtTranslation();
    MakeParser()->process(QStringList{QCoreApplication::arguments().constFirst(), QString::fromLatin1(asked)});
    std::exit(0); // not reached: process() ends the process after answering
}

class Reader {
public:
    explicit Reader(QStringList arguments) : arguments_(std::move(arguments)) {}

    // The trouble with the command line, or an empty string.
    QString read()
    {
        bool optionsEnded = false;
        for (next_ = 0; next_ < arguments_.size();) {
            const QString argument = arguments_.at(next_++);
            if (optionsEnded || !argument.startsWith(u'-') || argument == u"-")
                fail(QString::fromUtf8("Jotrak 不接受参数“%1”;数据文件夹用 --data-dir <文件夹> 指定。").arg(argument));
            else if (argument == u"--")
                optionsEnded = true;
            else
                readOption(argument);
        }
        return trouble_;
    }

    const CommandLine& commandLine() const { return commandLine_; }
    const char* asked() const { return asked_; }

private:
    // Keeps the first trouble; the rest is still read for --help and --version.
    void fail(const QString& trouble)
    {
        if (trouble_.isEmpty())
            trouble_ = trouble;
    }

    void readOption(const QString& argument)
    {
        const bool doubleDash = argument.startsWith(u"--");
        const QString body = argument.mid(doubleDash ? 2 : 1);
        const qsizetype equals = body.indexOf(u'=');
        const QString name = body.left(equals);
        const std::optional<QString> attached = equals < 0 ? std::nullopt : std::optional(body.mid(equals + 1));
        if (name == u"help-all")
            asked_ = "--help-all";
        else if (OneOf(name, std::initializer_list<const char*>{"h", "?", "help"}))
            asked_ = "--help";
        else if (OneOf(name, std::initializer_list<const char*>{"v", "version"}))
            asked_ = asked_ ? asked_ : "--version";
        else if (const Option* option = doubleDash ? FindOption(name) : nullptr)
            readValue(*option, attached);
        else if (attached ? OneOf(name, kQtOptionsWithEquals) : OneOf(name, kQtSwitches))
            ; // Qt's own
        else if (!attached && OneOf(name, kQtOptionsWithValue))
            ++next_; // Qt's own, with its value
        else
            fail(QString::fromUtf8("未知的选项“%1”。").arg(argument));
    }

    void readValue(const Option& option, const std::optional<QString>& attached)
    {
        const QString written = QStringLiteral("--") + QLatin1String(option.name);
        if (!option.valueName && attached) {
            fail(QString::fromUtf8("选项 %1 不带值。").arg(written));
            return;
        }
        QString value;
        if (option.valueName) {
            if (!attached && next_ >= arguments_.size()) {
                fail(QString::fromUtf8("选项 %1 后面缺少<%2>。").arg(written, QString::fromUtf8(option.valueName)));
                return;
            }
            value = attached ? *attached : arguments_.at(next_++);
        }
        switch (option.id) {
        case OptionId::DataDir:
            if (value.isEmpty())
                fail(QString::fromUtf8("选项 %1 的文件夹是空的;请写出文件夹,例如 %1 ~/工作日志。").arg(written));
            else if (QFileInfo(value).exists() && !QFileInfo(value).isDir())
                fail(QString::fromUtf8("%1 给出的“%2”是一个文件,不是文件夹。").arg(written, value));
            commandLine_.dataDir = value;
            break;
        case OptionId::QuitAfterStartup: {
            bool isNumber = false;
            commandLine_.quitAfterStartupMs = value.toInt(&isNumber);
            if (!isNumber || commandLine_.quitAfterStartupMs < 0)
                fail(QString::fromUtf8("选项 %1 需要一个不小于 0 的毫秒数,“%2”不是。").arg(written, value));
            break;
        }
        case OptionId::NoStartPage: commandLine_.startPage = false; break;
        case OptionId::ReportPaint: commandLine_.reportPaint = true; break;
        case OptionId::Unattended: commandLine_.unattended = true; break;
        }
    }

    QStringList arguments_;
    qsizetype next_ = 0;
    QString trouble_;
    CommandLine commandLine_;
    const char* asked_ = nullptr;
};

} // namespace

CommandLineReading ReadCommandLine(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Reader reader(arguments);
    const QString trouble = reader.read();
    if (reader.asked())
        Answer(argc, argv, reader.asked());
    if (!trouble.isEmpty()) {
        std::fprintf(stderr, "jotrak: %s\n%s\n", qPrintable(trouble),
                     qPrintable(QString::fromUtf8("用 jotrak --help 查看可用的选项。")));
        return {{}, 1};
    }
    return {reader.commandLine(), std::nullopt};
}

} // namespace jotrak
