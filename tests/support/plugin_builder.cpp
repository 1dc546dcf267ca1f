// Plugin files built in memory.
#include "plugin_builder.h"

#include "core/QUILL_cursor.h"

#include <zlib.h>

namespace {

void putSig(QByteArray& out, const char* sig) {
    out.append(sig, 4);
}

void putRecordHeader(QByteArray& out, const char* sig, uint32_t size, uint32_t flags, uint32_t formId) {
    putSig(out, sig);
    binary_out::u32le(out, size);
    binary_out::u32le(out, flags);
    binary_out::u32le(out, formId);
    binary_out::u32le(out, 0x0012ABCD); // version control
    binary_out::u16le(out, 131);        // form version
    binary_out::u16le(out, 0);
}

} // namespace

TPluginBuilder::TPluginBuilder(bool localized, uint32_t extraFlags) {
    QByteArray hedr;
    binary_out::u32le(hedr, 0x3F733333); // version 0.95 as a float's bits
    binary_out::u32le(hedr, 0);
    binary_out::u32le(hedr, 0x800);
    record("TES4", 0, {raw("HEDR", hedr), text("CNAM", QStringLiteral("Quillery"))}, kNotCompressed,
           (localized ? 0x80u : 0u) | extraFlags);
}

TPluginBuilder& TPluginBuilder::beginGroup(const char* signature) {
    uint32_t label = 0;
    for (int i = 0; i < 4; ++i)
        label |= static_cast<uint32_t>(static_cast<uint8_t>(signature[i])) << (8 * i);
    return beginGroup(label, 0);
}

TPluginBuilder& TPluginBuilder::beginGroup(uint32_t label, uint32_t type) {
    open_.push_back(out_.size());
    putSig(out_, "GRUP");
    binary_out::u32le(out_, 0);
    binary_out::u32le(out_, label);
    binary_out::u32le(out_, type);
    binary_out::u16le(out_, 0x1234);
    binary_out::u16le(out_, 1);
    binary_out::u16le(out_, 2);
    binary_out::u16le(out_, 3);
    return *this;
}

TPluginBuilder& TPluginBuilder::endGroup() {
    if (open_.empty()) return *this;
    const qsizetype at = open_.back();
    open_.pop_back();
    binary_out::patchU32le(out_, at + 4, static_cast<uint32_t>(out_.size() - at));
    return *this;
}

QByteArray TPluginBuilder::fieldBytes(const std::vector<rBuiltField>& fields) {
    QByteArray data;
    for (const rBuiltField& f : fields) {
        if (f.data.size() > 0xFFFF) {
            putSig(data, "XXXX");
            binary_out::u16le(data, 4);
            binary_out::u32le(data, static_cast<uint32_t>(f.data.size()));
            data.append(f.sig.constData(), 4);
            binary_out::u16le(data, 0);
        } else {
            data.append(f.sig.constData(), 4);
            binary_out::u16le(data, static_cast<uint16_t>(f.data.size()));
        }
        data.append(f.data);
    }
    return data;
}

TPluginBuilder& TPluginBuilder::record(const char* signature, uint32_t formId, const std::vector<rBuiltField>& fields,
                                       int zlibLevel, uint32_t flags) {
    QByteArray data = fieldBytes(fields);
    if (zlibLevel != kNotCompressed) {
        uLongf bound = compressBound(static_cast<uLong>(data.size()));
        QByteArray packed(static_cast<qsizetype>(bound), Qt::Uninitialized);
        compress2(reinterpret_cast<Bytef*>(packed.data()), &bound, reinterpret_cast<const Bytef*>(data.constData()),
                  static_cast<uLong>(data.size()), zlibLevel);
        packed.resize(static_cast<qsizetype>(bound));
        QByteArray stored;
        binary_out::u32le(stored, static_cast<uint32_t>(data.size()));
        stored.append(packed);
        data = stored;
        flags |= 0x00040000u;
    }
    return rawRecord(signature, formId, data, flags);
}

TPluginBuilder& TPluginBuilder::rawRecord(const char* signature, uint32_t formId, const QByteArray& data,
                                          uint32_t flags) {
    putRecordHeader(out_, signature, static_cast<uint32_t>(data.size()), flags, formId);
    out_.append(data);
    return *this;
}

TPluginBuilder& TPluginBuilder::rawBytes(const QByteArray& bytes) {
    out_.append(bytes);
    return *this;
}

QByteArray TPluginBuilder::bytes() {
    while (!open_.empty())
        endGroup();
    return out_;
}

rBuiltField TPluginBuilder::text(const char* sig, const QString& value) {
    QByteArray data = value.toUtf8();
    data.append('\0');
    return {QByteArray(sig, 4), data};
}

rBuiltField TPluginBuilder::u32(const char* sig, uint32_t value) {
    QByteArray data;
    binary_out::u32le(data, value);
    return {QByteArray(sig, 4), data};
}

rBuiltField TPluginBuilder::raw(const char* sig, const QByteArray& data) {
    return {QByteArray(sig, 4), data};
}
