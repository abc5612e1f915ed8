// Reaches the compound-file module (compound_file_module.cpp), loaded at the
// first export rather than with the program: libgsf and the libraries it pulls
// in are not needed to show the window.
#include "export/compound_file.h"

#include "shell/module_path.h"

#include <mutex>

namespace jotrak::xls {

namespace {

using ReadFunction = bool (*)(const QByteArrayView*, CompoundEntry*, QString*);
using WriteFunction = bool (*)(const CompoundEntry*, QByteArray*, QString*);

struct Module {
    ReadFunction read = nullptr;
    WriteFunction write = nullptr;
    QString trouble; // why it could not be loaded (the loader's words)
};

const Module& LoadedModule()
{
    static Module module;
    static std::once_flag once;
    std::call_once(once, [] {
        const auto found =
            LoadModuleFunctions(QStringLiteral(JOTRAK_COMPOUND_FILE_MODULE),
                                {"jotrak_read_compound_file", "jotrak_write_compound_file"}, &module.trouble);
        module.read = reinterpret_cast<ReadFunction>(found[0]);
        module.write = reinterpret_cast<WriteFunction>(found[1]);
    });
    return module;
}

void Report(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

QString CompoundFileModuleTrouble()
{
    const Module& module = LoadedModule();
    if (module.read && module.write)
        return {};
    return QString::fromUtf8("无法载入 Jotrak 的电子表格模块 %1,不能读写 Excel 文件,请重新安装 Jotrak。\n%2")
        .arg(QStringLiteral(JOTRAK_COMPOUND_FILE_MODULE), module.trouble);
}

CompoundEntry* CompoundEntry::findStream(const QString& streamName)
{
    for (CompoundEntry& child : children)
        if (!child.isStorage && child.name.compare(streamName, Qt::CaseInsensitive) == 0)
            return &child;
    return nullptr;
}

const CompoundEntry* CompoundEntry::findStream(const QString& streamName) const
{
    return const_cast<CompoundEntry*>(this)->findStream(streamName);
}

namespace {

// Calls into the loaded module; without it, error says why and nothing is made.
template <class Result, class Call> std::optional<Result> WithModule(QString* error, Call call)
{
    const Module& module = LoadedModule();
    if (!module.read || !module.write) {
        Report(error, CompoundFileModuleTrouble());
        return std::nullopt;
    }
    Result result{};
    if (!call(module, result))
        return std::nullopt;
    return result;
}

} // namespace

std::optional<CompoundEntry> ReadCompoundFile(QByteArrayView bytes, QString* error)
{
    return WithModule<CompoundEntry>(
        error, [&](const Module& module, CompoundEntry& root) { return module.read(&bytes, &root, error); });
}

std::optional<QByteArray> WriteCompoundFile(const CompoundEntry& root, QString* error)
{
    return WithModule<QByteArray>(
        error, [&](const Module& module, QByteArray& out) { return module.write(&root, &out, error); });
}

} // namespace jotrak::xls
