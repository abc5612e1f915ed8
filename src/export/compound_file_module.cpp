// The compound-file reader and writer over libgsf, built as a module of its own
// (jotrak_compound_file) that compound_file.cpp loads at the first export: the
// library and what it brings (GLib's GIO, libxml2, libbz2) cost every start its
// loading and linking otherwise.
#include "export/compound_file.h"

#include <QtGlobal>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <mutex>

namespace jotrak::xls {

namespace {

constexpr int kMaxDepth = 32;
constexpr qint64 kMaxStreamSize = qint64{1} << 30;
constexpr qint64 kChunk = 1 << 16;

void InitGsf()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        // A damaged file is reported by the caller; the library's own notes on what it
        // found wrong would only clutter the terminal.
        g_log_set_handler(
            "libgsf:msole",
            static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO |
                                        G_LOG_LEVEL_DEBUG),
            [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    });
}

// Holds one reference to a GObject and drops it on every path.
template <typename T> class GRef {
public:
    explicit GRef(T* object = nullptr) : object_(object) {}
    ~GRef()
    {
        if (object_)
            g_object_unref(object_);
    }
    GRef(const GRef&) = delete;
    GRef& operator=(const GRef&) = delete;

    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_;
};

class GErrorHolder {
public:
    GErrorHolder() = default;
    ~GErrorHolder()
    {
        if (error_)
            g_error_free(error_);
    }
    GErrorHolder(const GErrorHolder&) = delete;
    GErrorHolder& operator=(const GErrorHolder&) = delete;

    GError** out() { return &error_; }
    QString text() const { return error_ && error_->message ? QString::fromUtf8(error_->message) : QString(); }

private:
    GError* error_ = nullptr;
};

bool IsA(void* object, GType type)
{
    return object && g_type_check_instance_is_a(static_cast<GTypeInstance*>(object), type);
}

template <typename To, typename From> To* As(From* object)
{
    return reinterpret_cast<To*>(object);
}

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool ReadStream(GsfInput* input, QByteArray* data, QString* error)
{
    const gsf_off_t size = gsf_input_size(input);
    if (size < 0 || size > kMaxStreamSize)
        return Fail(error, QString::fromUtf8("复合文件中的数据流大小不正常"));
    data->resize(static_cast<qsizetype>(size));
    qint64 done = 0;
    while (done < size) {
        const qint64 n = std::min(kChunk, size - done);
        if (!gsf_input_read(input, static_cast<size_t>(n), reinterpret_cast<guint8*>(data->data() + done)))
            return Fail(error, QString::fromUtf8("复合文件中的数据流无法读取(文件被截断?)"));
        done += n;
    }
    return true;
}

bool ReadStorage(GsfInfile* storage, CompoundEntry* entry, int depth, QString* error)
{
    if (depth > kMaxDepth)
        return Fail(error, QString::fromUtf8("复合文件的目录嵌套过深"));
    const int count = gsf_infile_num_children(storage);
    for (int i = 0; i < count; ++i) {
        const char* name = gsf_infile_name_by_index(storage, i);
        GRef<GsfInput> child(gsf_infile_child_by_index(storage, i));
        if (!child || !name)
            return Fail(error, QString::fromUtf8("复合文件的目录项无法读取"));
        CompoundEntry item;
        item.name = QString::fromUtf8(name);
        GsfInfile* sub = IsA(child.get(), gsf_infile_get_type()) ? As<GsfInfile>(child.get()) : nullptr;
        item.isStorage = sub && gsf_infile_num_children(sub) >= 0;
        if (item.isStorage) {
            if (IsA(child.get(), gsf_infile_msole_get_type()))
                gsf_infile_msole_get_class_id(As<GsfInfileMSOle>(child.get()), item.clsid.data());
            if (!ReadStorage(sub, &item, depth + 1, error))
                return false;
        } else if (!ReadStream(child.get(), &item.data, error)) {
            return false;
        }
        entry->children.push_back(std::move(item));
    }
    return true;
}

bool WriteStorage(GsfOutfile* storage, const CompoundEntry& entry, QString* error)
{
    for (const CompoundEntry& item : entry.children) {
        const QByteArray name = item.name.toUtf8();
        GRef<GsfOutput> child(gsf_outfile_new_child(storage, name.constData(), item.isStorage));
        if (!child)
            return Fail(error, QString::fromUtf8("无法在复合文件中建立 %1").arg(item.name));
        if (item.isStorage) {
            gsf_outfile_msole_set_class_id(As<GsfOutfileMSOle>(child.get()), item.clsid.data());
            if (!WriteStorage(As<GsfOutfile>(child.get()), item, error))
                return false;
        } else {
            for (qsizetype done = 0; done < item.data.size();) {
                const qsizetype n = std::min<qsizetype>(kChunk, item.data.size() - done);
                if (!gsf_output_write(child.get(), static_cast<size_t>(n),
                                      reinterpret_cast<const guint8*>(item.data.constData() + done)))
                    return Fail(error, QString::fromUtf8("无法写入复合文件中的 %1").arg(item.name));
                done += n;
            }
        }
        if (!gsf_output_close(child.get()))
            return Fail(error, QString::fromUtf8("无法写入复合文件中的 %1").arg(item.name));
    }
    return true;
}

std::optional<CompoundEntry> ReadWithGsf(QByteArrayView bytes, QString* error)
{
    InitGsf();
    if (bytes.isEmpty()) {
        Fail(error, QString::fromUtf8("文件是空的"));
        return std::nullopt;
    }
    GRef<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()), bytes.size(), FALSE));
    GErrorHolder gerror;
    GRef<GsfInfile> root(input ? gsf_infile_msole_new(input.get(), gerror.out()) : nullptr);
    if (!root) {
        Fail(error, QString::fromUtf8("不是复合文档格式的文件 %1").arg(gerror.text()).trimmed());
        return std::nullopt;
    }
    CompoundEntry entry;
    entry.name = QStringLiteral("Root Entry");
    entry.isStorage = true;
    if (IsA(root.get(), gsf_infile_msole_get_type()))
        gsf_infile_msole_get_class_id(As<GsfInfileMSOle>(root.get()), entry.clsid.data());
    if (!ReadStorage(root.get(), &entry, 0, error))
        return std::nullopt;
    return entry;
}

std::optional<QByteArray> WriteWithGsf(const CompoundEntry& root, QString* error)
{
    InitGsf();
    GRef<GsfOutput> sink(gsf_output_memory_new());
    if (!sink) {
        Fail(error, QString::fromUtf8("无法分配内存"));
        return std::nullopt;
    }
    {
        GRef<GsfOutfile> outfile(gsf_outfile_msole_new(sink.get()));
        if (!outfile) {
            Fail(error, QString::fromUtf8("无法建立复合文件"));
            return std::nullopt;
        }
        gsf_outfile_msole_set_class_id(As<GsfOutfileMSOle>(outfile.get()), root.clsid.data());
        const bool written = WriteStorage(outfile.get(), root, error);
        // Closing the root writes the directory and allocation tables.
        const bool closed = gsf_output_close(As<GsfOutput>(outfile.get()));
        if (!written)
            return std::nullopt;
        if (!closed) {
            Fail(error, QString::fromUtf8("无法完成复合文件"));
            return std::nullopt;
        }
    }
    if (!gsf_output_is_closed(sink.get()))
        gsf_output_close(sink.get());
    const gsf_off_t size = gsf_output_size(sink.get());
    const guint8* data = gsf_output_memory_get_bytes(As<GsfOutputMemory>(sink.get()));
    if (size < 0 || (size > 0 && !data)) {
        Fail(error, QString::fromUtf8("无法完成复合文件"));
        return std::nullopt;
    }
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace

} // namespace jotrak::xls

// The module's entry points, resolved by name (compound_file.cpp).
extern "C" Q_DECL_EXPORT bool jotrak_read_compound_file(const QByteArrayView* bytes, jotrak::xls::CompoundEntry* root,
                                                        QString* error)
{
    std::optional<jotrak::xls::CompoundEntry> read = jotrak::xls::ReadWithGsf(*bytes, error);
    if (read)
        *root = std::move(*read);
    return read.has_value();
}

extern "C" Q_DECL_EXPORT bool jotrak_write_compound_file(const jotrak::xls::CompoundEntry* root, QByteArray* out,
                                                         QString* error)
{
    std::optional<QByteArray> written = jotrak::xls::WriteWithGsf(*root, error);
    if (written)
        *out = std::move(*written);
    return written.has_value();
}
