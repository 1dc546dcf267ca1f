// Writing a plugin back: field updates, record rebuilds with recompression, group sizes and the file in tree order.
#include "plugin/QUILL_espWriter.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_error.h"
#include "core/QUILL_files.h"

#include <QIODevice>
#include <zlib.h>

#include <limits>

void tField::updateBuffer(const QString& s, const QString& strans, const tFieldEncoder& encode, bool keepWhenSame) {
    // A field that was one character long never becomes empty.
    const QString text = (s.size() == 1 && strans.isEmpty()) ? QStringLiteral(" ") : strans;
    if (!encode) return;
    if (keepWhenSame && text == s) {
        restoreOriginal();
        return;
    }
    const QByteArray bytes = encode(text);
    if (originalBuffer() == bytes) {
        restoreOriginal();
        return;
    }
    keepOriginal();
    buffer = bytes;
    changed = true;
}

tField::tField(const tField& other)
    : header(other.header), params(other.params), listIndex(other.listIndex), maxStrSize(other.maxStrSize),
      rIndex(other.rIndex), sk(other.sk), buffer(other.buffer), hasCR(other.hasCR), changed(other.changed),
      sizeInXXXX(other.sizeInXXXX), originalDsize(other.originalDsize),
      original_(other.original_ ? std::make_unique<TSharedBytes>(*other.original_) : nullptr) {}

tField& tField::operator=(const tField& other) {
    if (this != &other) *this = tField(other);
    return *this;
}

namespace {

// A field as written: its header and data, after the XXXX field that announces its size when it has one of the
// writer's own.
void putField(QByteArray& out, const tField& f) {
    if (f.params.has(sfieldParam::opaque)) {
        out.append(f.buffer.view()); // the fields' headers and data as read
        return;
    }
    if (f.sizeInXXXX) {
        out.append(kSigXXXX.c, 4);
        binary_out::u16le(out, 4);
        binary_out::u32le(out, static_cast<uint32_t>(f.buffer.size()));
    }
    out.append(f.header.name.c, 4);
    binary_out::u16le(out, f.header.dsize);
    out.append(f.buffer.view());
}

QByteArray compressAtLevel(const QByteArray& data, TZCompressionLevel level) {
    uLongf bound = compressBound(static_cast<uLong>(data.size()));
    QByteArray out(static_cast<qsizetype>(bound), Qt::Uninitialized);
    const int rc =
        compress2(reinterpret_cast<Bytef*>(out.data()), &bound, reinterpret_cast<const Bytef*>(data.constData()),
                  static_cast<uLong>(data.size()), zlibLevel(level));
    if (rc != Z_OK) throw TQuillError(QStringLiteral("zlib compression failed (%1)").arg(rc));
    out.resize(static_cast<qsizetype>(bound));
    return out;
}

} // namespace

void trecord::rebuildData() {
    if (rawRec) return;
    buffer.clear();
    if (!dirty()) {
        header.dsize = static_cast<uint32_t>(sourceData.size());
        return;
    }
    // Sizes first: a text longer than a 16-bit size can hold is announced by an XXXX field, whose value is kept
    // true to the field after it; a text that had none in the file gets one of the writer's own (sizeInXXXX).
    for (size_t i = 0; i < fList.size(); ++i) {
        tField& f = fList[i];
        if (f.header.name == kSigXXXX || f.params.has(sfieldParam::opaque)) continue;
        f.sizeInXXXX = false;
        if (i > 0 && fList[i - 1].header.name == kSigXXXX) {
            tField& x = fList[i - 1];
            if (!f.changed) {
                // Back to the bytes as read: so are the sizes.
                if (x.changed) x.restoreOriginal();
                f.header.dsize = f.originalDsize;
                continue;
            }
            QByteArray value;
            binary_out::u32le(value, static_cast<uint32_t>(f.buffer.size()));
            if (x.buffer != value) {
                x.keepOriginal();
                x.buffer = value;
                x.changed = true;
            }
            f.header.dsize = 0;
        } else if (f.buffer.size() > std::numeric_limits<uint16_t>::max()) {
            f.sizeInXXXX = true;
            f.header.dsize = 0;
        } else {
            f.header.dsize = static_cast<uint16_t>(f.buffer.size());
        }
    }
    if (!dirty()) {
        header.dsize = static_cast<uint32_t>(sourceData.size());
        return;
    }
    uint64_t size = 0;
    for (const tField& f : fList)
        size += (f.sizeInXXXX ? kFieldHeaderSize + 4 : 0) + (f.params.has(sfieldParam::opaque) ? 0 : kFieldHeaderSize) +
                static_cast<uint64_t>(f.buffer.size());
    if (!compressed) {
        if (size > std::numeric_limits<uint32_t>::max())
            throw TQuillError(QStringLiteral("Record %1 is too large to be written").arg(getname()));
        header.dsize = static_cast<uint32_t>(size);
        return;
    }
    QByteArray plain;
    plain.reserve(static_cast<qsizetype>(size));
    for (const tField& f : fList)
        putField(plain, f);
    QByteArray packed;
    binary_out::u32le(packed, static_cast<uint32_t>(plain.size()));
    packed.append(compressAtLevel(plain, zcomp));
    header.dsize = static_cast<uint32_t>(packed.size());
    buffer = std::move(packed);
}

namespace {

void putRecordHeader(QByteArray& out, const trecord& r) {
    out.append(r.header.name.c, 4);
    binary_out::u32le(out, r.header.dsize);
    binary_out::u32le(out, r.headerData.flags);
    binary_out::u32le(out, r.headerData.formID);
    binary_out::u32le(out, r.headerData.Version);
    binary_out::u16le(out, r.headerData.fVersion);
    binary_out::u16le(out, r.headerData.vInfo);
}

void putGroupHeader(QByteArray& out, const tGrup& g) {
    out.append(g.header.name.c, 4);
    binary_out::u32le(out, g.header.dsize);
    binary_out::u32le(out, g.headerData.sIdent);
    binary_out::u32le(out, g.headerData.sType);
    binary_out::u16le(out, g.headerData.sTStamp);
    binary_out::u16le(out, g.headerData.param1);
    binary_out::u16le(out, g.headerData.param2);
    binary_out::u16le(out, g.headerData.param3);
}

// Sets every group's size from its content and returns the node's own size on disk.
uint64_t sizeNode(tPluginNode& node) {
    if (trecord* r = node.record()) return kObjectHeaderSize + static_cast<uint64_t>(r->header.dsize);
    uint64_t size = node.grup() ? kObjectHeaderSize : 0;
    for (auto& child : node.children)
        size += sizeNode(*child);
    if (tGrup* g = node.grup()) {
        if (size > std::numeric_limits<uint32_t>::max())
            throw TQuillError(QStringLiteral("Group %1 is too large to be written").arg(g->getname()));
        g->header.dsize = static_cast<uint32_t>(size);
    }
    return size;
}

} // namespace

void writePluginTree(tPluginTree& tree, const std::function<void(const QByteArray&)>& sink,
                     const std::function<void(int, qsizetype)>& progress) {
    qsizetype index = 0;
    auto step = [&](int pass) {
        if (progress && ++index % 100 == 0) progress(pass, index);
    };
    tree.forEach([&](tPluginNode& node) {
        if (trecord* r = node.record()) r->rebuildData();
        step(0);
    });
    index = 0;
    sizeNode(tree.root);
    // Written in chunks: the file is never held twice in memory.
    constexpr qsizetype kChunk = 4 * 1024 * 1024;
    QByteArray out;
    out.reserve(kChunk + 1024);
    auto flush = [&](bool force) {
        if (out.isEmpty() || (!force && out.size() < kChunk)) return;
        sink(out);
        out.resize(0);
    };
    tree.forEach([&](tPluginNode& node) {
        if (tGrup* g = node.grup()) {
            putGroupHeader(out, *g);
        } else if (trecord* r = node.record()) {
            putRecordHeader(out, *r);
            if (r->rawRec) {
                out.append(r->buffer.view());
            } else if (!r->dirty()) {
                out.append(r->sourceData.view());
            } else if (r->compressed) {
                out.append(r->buffer.view());
                r->buffer.clear();
            } else {
                for (const tField& f : r->fList)
                    putField(out, f);
            }
        }
        flush(false);
        step(2);
    });
    flush(true);
}

QByteArray buildPluginBytes(tPluginTree& tree, const std::function<void(int, qsizetype)>& progress) {
    QByteArray all;
    writePluginTree(
        tree, [&all](const QByteArray& chunk) { all.append(chunk); }, progress);
    return all;
}

bool savePluginTree(tPluginTree& tree, const QString& path, QString* error,
                    const std::function<void(int, qsizetype)>& progress, const quillfs::tKeepOriginal& keep) {
    try {
        return quillfs::writeFileAtomic(
            path,
            [&](QIODevice& device) {
                bool written = true;
                writePluginTree(
                    tree, [&](const QByteArray& chunk) { written = written && device.write(chunk) == chunk.size(); },
                    progress);
                return written;
            },
            error, keep);
    } catch (const TQuillError& e) {
        if (error) *error = e.message();
        return false;
    }
}
