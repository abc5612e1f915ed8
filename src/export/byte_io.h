#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

namespace jotrak::xls {

// Little-endian reads that never leave the view: a read past the end yields 0
// and marks the reader failed, so callers check ok() once after a group of reads.
class ByteReader {
public:
    explicit ByteReader(QByteArrayView data) : data_(data) {}

    bool ok() const { return ok_; }
    qsizetype position() const { return pos_; }
    qsizetype remaining() const { return data_.size() - pos_; }

    quint8 u8()
    {
        if (!need(1))
            return 0;
        return static_cast<quint8>(data_[pos_++]);
    }
    quint16 u16()
    {
        if (!need(2))
            return 0;
        const quint16 v = static_cast<quint16>(byteAt(pos_) | (byteAt(pos_ + 1) << 8));
        pos_ += 2;
        return v;
    }
    quint32 u32()
    {
        if (!need(4))
            return 0;
        const quint32 v =
            byteAt(pos_) | (byteAt(pos_ + 1) << 8) | (byteAt(pos_ + 2) << 16) | (quint32{byteAt(pos_ + 3)} << 24);
        pos_ += 4;
        return v;
    }
    QByteArrayView take(qsizetype n)
    {
        if (n < 0 || !need(n))
            return {};
        const QByteArrayView v = data_.sliced(pos_, n);
        pos_ += n;
        return v;
    }
    bool skip(qsizetype n)
    {
        if (n < 0 || !need(n))
            return false;
        pos_ += n;
        return true;
    }

private:
    bool need(qsizetype n)
    {
        if (ok_ && n <= remaining())
            return true;
        ok_ = false;
        return false;
    }
    quint32 byteAt(qsizetype i) const { return static_cast<quint8>(data_[i]); }

    QByteArrayView data_;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

inline quint16 ReadU16(QByteArrayView data, qsizetype at)
{
    ByteReader r(data);
    r.skip(at);
    return r.u16();
}

inline quint32 ReadU32(QByteArrayView data, qsizetype at)
{
    ByteReader r(data);
    r.skip(at);
    return r.u32();
}

inline void PutU8(QByteArray& out, quint32 v)
{
    out.append(static_cast<char>(v & 0xff));
}

inline void PutU16(QByteArray& out, quint32 v)
{
    PutU8(out, v);
    PutU8(out, v >> 8);
}

inline void PutU32(QByteArray& out, quint32 v)
{
    PutU16(out, v);
    PutU16(out, v >> 16);
}

// Writes into a raw buffer the caller sized.
inline void StoreU16(char* at, quint16 v)
{
    at[0] = static_cast<char>(v & 0xff);
    at[1] = static_cast<char>(v >> 8);
}

// Overwrites bytes in place; the caller has checked the size.
inline void SetU16(QByteArray& out, qsizetype at, quint32 v)
{
    out[at] = static_cast<char>(v & 0xff);
    out[at + 1] = static_cast<char>((v >> 8) & 0xff);
}

inline void SetU32(QByteArray& out, qsizetype at, quint32 v)
{
    SetU16(out, at, v);
    SetU16(out, at + 2, v >> 16);
}

} // namespace jotrak::xls
