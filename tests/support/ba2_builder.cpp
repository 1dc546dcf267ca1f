#include "ba2_builder.h"

#include "strings/QUILL_ba2.h"

#include <zlib.h>

namespace {

void u16(QByteArray& out, uint16_t v) {
    out.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
}
void u32(QByteArray& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void u64(QByteArray& out, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

QByteArray deflate(const QByteArray& in) {
    uLongf size = compressBound(static_cast<uLong>(in.size()));
    QByteArray out(static_cast<qsizetype>(size), '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(in.constData()),
              static_cast<uLong>(in.size()), Z_BEST_COMPRESSION);
    out.resize(static_cast<qsizetype>(size));
    return out;
}

} // namespace

QByteArray buildBa2(const rBa2Spec& layout) {
    const qsizetype dataStart = 24 + 36 * static_cast<qsizetype>(layout.files.size());
    QByteArray records;
    QByteArray data;
    QByteArray names;
    for (const rBa2FileSpec& f : layout.files) {
        QString path = f.path.toLower();
        path.replace(QLatin1Char('/'), QLatin1Char('\\'));
        const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
        const QString folder = slash < 0 ? QString() : path.left(slash);
        const QString file = path.mid(slash + 1);
        const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
        const QByteArray stem = (dot < 0 ? file : file.left(dot)).toLatin1();
        QByteArray ext = dot < 0 ? QByteArray() : file.mid(dot + 1).toLatin1().left(4);
        ext.resize(4, '\0');
        const bool compressed = f.compress || !f.packed.isEmpty();
        const QByteArray stored = !f.packed.isEmpty() ? f.packed : f.compress ? deflate(f.data) : f.data;
        u32(records, ba2NameHash(stem));
        records.append(ext);
        u32(records, ba2NameHash(folder.toLatin1()));
        records.append('\0').append('\1');
        u16(records, 16);
        u64(records, static_cast<uint64_t>(dataStart + data.size()));
        u32(records, compressed ? static_cast<uint32_t>(stored.size()) : 0);
        u32(records, f.size.value_or(static_cast<uint32_t>(f.data.size())));
        u32(records, 0xBAADF00Du);
        data.append(stored.left(stored.size() - f.cutData));
        const QByteArray name = f.path.toUtf8();
        u16(names, static_cast<uint16_t>(name.size()));
        names.append(name);
    }
    QByteArray out("BTDX");
    u32(out, layout.version);
    out.append("GNRL");
    u32(out, static_cast<uint32_t>(layout.files.size()));
    u64(out, layout.nameTable ? static_cast<uint64_t>(dataStart + data.size()) : 0);
    out.append(records).append(data);
    if (layout.nameTable) out.append(names);
    return out;
}
