// Bounds-checked reading over a byte buffer, shared by every binary reader. A read past the end throws TQuillError.
#pragma once

#include "core/QUILL_error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QSysInfo>
#include <QtEndian>
#include <cstdint>
#include <cstring>

class TBinaryCursor {
public:
    TBinaryCursor() = default;
    explicit TBinaryCursor(QByteArrayView data) : data_(data) {}
    // The cursor only views the bytes: a temporary array would be gone before the first read.
    explicit TBinaryCursor(QByteArray&&) = delete;

    qsizetype pos() const { return pos_; }
    qsizetype size() const { return data_.size(); }
    qsizetype remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    QByteArrayView data() const { return data_; }

    void seek(qsizetype position) {
        if (position < 0 || position > data_.size()) fail(position - pos_);
        pos_ = position;
    }
    void skip(qsizetype count) {
        require(count);
        pos_ += count;
    }
    // Throws unless `count` more bytes can be read.
    void require(qsizetype count) const {
        if (count < 0 || count > remaining()) fail(count);
    }
    bool canRead(qsizetype count) const { return count >= 0 && count <= remaining(); }

    uint8_t u8() {
        require(1);
        return static_cast<uint8_t>(data_[pos_++]);
    }
    uint16_t u16le() { return static_cast<uint16_t>(readLe(2)); }
    uint32_t u32le() { return static_cast<uint32_t>(readLe(4)); }
    uint64_t u64le() { return readLe(8); }
    int16_t i16le() { return static_cast<int16_t>(u16le()); }
    int32_t i32le() { return static_cast<int32_t>(u32le()); }
    uint16_t u16be() { return static_cast<uint16_t>(readBe(2)); }
    uint32_t u32be() { return static_cast<uint32_t>(readBe(4)); }
    uint64_t u64be() { return readBe(8); }
    float f32le() { return bitsToFloat(u32le()); }
    float f32be() { return bitsToFloat(u32be()); }
    uint16_t u16(bool bigEndian) { return bigEndian ? u16be() : u16le(); }
    uint32_t u32(bool bigEndian) { return bigEndian ? u32be() : u32le(); }
    uint64_t u64(bool bigEndian) { return bigEndian ? u64be() : u64le(); }
    float f32(bool bigEndian) { return bigEndian ? f32be() : f32le(); }

    // A view of the next `count` bytes; the cursor moves past them.
    QByteArrayView view(qsizetype count) {
        require(count);
        QByteArrayView v = data_.sliced(pos_, count);
        pos_ += count;
        return v;
    }
    QByteArray bytes(qsizetype count) { return view(count).toByteArray(); }
    QByteArrayView peekView(qsizetype count) const {
        require(count);
        return data_.sliced(pos_, count);
    }

    // Bytes up to (not including) the next zero byte; the cursor moves past the zero. Throws when none is left.
    QByteArrayView zeroTerminated() {
        const qsizetype start = pos_;
        const char* base = data_.data();
        const void* zero = std::memchr(base + start, 0, static_cast<size_t>(remaining()));
        if (!zero) fail(remaining() + 1);
        const qsizetype length = static_cast<const char*>(zero) - (base + start);
        pos_ = start + length + 1;
        return data_.sliced(start, length);
    }
    // `units` UTF-16 code units stored little-endian (the bytes are checked before any text is allocated).
    QString utf16le(qsizetype units) {
        const QByteArrayView raw = view(units * 2);
        QString text(units, Qt::Uninitialized);
        std::memcpy(text.data(), raw.data(), static_cast<size_t>(raw.size()));
        if constexpr (QSysInfo::ByteOrder == QSysInfo::BigEndian)
            for (QChar& c : text)
                c = QChar(qFromLittleEndian(c.unicode()));
        return text;
    }
    // A 16-bit length followed by that many bytes.
    QByteArrayView lengthPrefixed16(bool bigEndian = false) { return view(u16(bigEndian)); }
    // A 32-bit length followed by that many bytes.
    QByteArrayView lengthPrefixed32(bool bigEndian = false) { return view(u32(bigEndian)); }

private:
    uint64_t readLe(int n) {
        require(n);
        uint64_t v = 0;
        for (int i = n - 1; i >= 0; --i)
            v = (v << 8) | static_cast<uint8_t>(data_[pos_ + i]);
        pos_ += n;
        return v;
    }
    uint64_t readBe(int n) {
        require(n);
        uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v = (v << 8) | static_cast<uint8_t>(data_[pos_ + i]);
        pos_ += n;
        return v;
    }
    static float bitsToFloat(uint32_t bits) {
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    [[noreturn]] void fail(qsizetype wanted) const {
        throw TQuillError(QStringLiteral("Read past the end of the data (offset %1, %2 bytes wanted, %3 left)")
                              .arg(pos_)
                              .arg(wanted)
                              .arg(remaining()));
    }

    QByteArrayView data_;
    qsizetype pos_ = 0;
};

// Little-endian appends for writers.
namespace binary_out {
inline void u8(QByteArray& out, uint8_t v) {
    out.append(static_cast<char>(v));
}
inline void u16le(QByteArray& out, uint16_t v) {
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.append(b, 2);
}
inline void u32le(QByteArray& out, uint32_t v) {
    const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    out.append(b, 4);
}
inline void u16be(QByteArray& out, uint16_t v) {
    const char b[2] = {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
    out.append(b, 2);
}
inline void u32be(QByteArray& out, uint32_t v) {
    const char b[4] = {static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF),
                       static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
    out.append(b, 4);
}
inline void u16(QByteArray& out, uint16_t v, bool bigEndian) {
    bigEndian ? u16be(out, v) : u16le(out, v);
}
inline void u32(QByteArray& out, uint32_t v, bool bigEndian) {
    bigEndian ? u32be(out, v) : u32le(out, v);
}
inline void u64(QByteArray& out, uint64_t v, bool bigEndian) {
    if (bigEndian) {
        u32be(out, static_cast<uint32_t>(v >> 32));
        u32be(out, static_cast<uint32_t>(v));
    } else {
        u32le(out, static_cast<uint32_t>(v));
        u32le(out, static_cast<uint32_t>(v >> 32));
    }
}
// The UTF-16 code units of `text`, little-endian, without a length.
inline void utf16le(QByteArray& out, QStringView text) {
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        out.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    } else {
        for (const QChar c : text)
            u16le(out, c.unicode());
    }
}
// Overwrites 4 bytes at `at` (for sizes known only after the content is written).
inline void patchU32le(QByteArray& out, qsizetype at, uint32_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    out[at + 2] = static_cast<char>((v >> 16) & 0xFF);
    out[at + 3] = static_cast<char>(v >> 24);
}
} // namespace binary_out
