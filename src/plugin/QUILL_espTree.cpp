// Records, groups and fields: reading one record's data (plain or compressed), pruning, names, and the plugin tree.
#include "plugin/QUILL_espTree.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_main.h"
#include "plugin/QUILL_espDefinition.h"

#include <QHash>
#include <zlib.h>

#include <algorithm>
#include <limits>

namespace {

const sHeaderSig kSigDNAM('D', 'N', 'A', 'M');
const sHeaderSig kSigNAM2('N', 'A', 'M', '2');

QString hex8(uint32_t v) {
    return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0'));
}

// The text hash of Latin-1 bytes, equal to textHash of their text (each byte is its own code unit).
uint32_t latin1Hash(QByteArrayView bytes) {
    uint32_t h = kTextHashSeed;
    for (const char c : bytes)
        h = (h ^ static_cast<uint8_t>(c)) * kTextHashPrime;
    return h;
}

QByteArrayView withoutLastByte(QByteArrayView data) {
    return data.isEmpty() ? data : data.first(data.size() - 1);
}

// zlib can grow data at most about 1032 times; a size beyond that cannot be this stream's output.
bool plausibleInflatedSize(uint64_t inflatedSize, qsizetype compressedSize) {
    return inflatedSize <= static_cast<uint64_t>(compressedSize) * 1040u + 1024u;
}

[[noreturn]] void refuse(const rPluginReadContext& ctx, const QString& key) {
    throw TQuillError(ctx.app ? ctx.app->uiText(key) : key);
}

// One inflate state per thread, reset for each record: setting one up allocates, and a plugin holds many
// compressed records.
class TInflater {
public:
    TInflater() { ready_ = inflateInit(&zs_) == Z_OK; }
    ~TInflater() {
        if (ready_) inflateEnd(&zs_);
    }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;
    z_stream* reset() { return ready_ && inflateReset(&zs_) == Z_OK ? &zs_ : nullptr; }

private:
    z_stream zs_{};
    bool ready_ = false;
};

bool inflateExactly(QByteArrayView in, QByteArray& out, uint32_t size) {
    out.resize(static_cast<qsizetype>(size));
    thread_local TInflater inflater;
    z_stream* zs = inflater.reset();
    if (!zs) return false;
    zs->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs->avail_in = static_cast<uInt>(in.size());
    zs->next_out = reinterpret_cast<Bytef*>(out.data());
    zs->avail_out = size;
    const int rc = inflate(zs, Z_FINISH);
    const uLong produced = zs->total_out;
    // The stream must end exactly at the announced size: shorter or longer output means the record is damaged.
    return rc == Z_STREAM_END && produced == size;
}

} // namespace

int zlibLevel(TZCompressionLevel level) {
    switch (level) {
    case TZCompressionLevel::zcNone:
        return 0;
    case TZCompressionLevel::zcFastest:
        return 1;
    case TZCompressionLevel::zcDefault:
        return Z_DEFAULT_COMPRESSION;
    case TZCompressionLevel::zcMax:
        return 9;
    }
    return Z_DEFAULT_COMPRESSION;
}

QString tGrup::GetGrupSubName() const {
    if (headerData.sType >= 1 && headerData.sType <= 10)
        return QLatin1Char('[') + hex8(headerData.sIdent) + QLatin1Char(']');
    char label[4];
    for (int i = 0; i < 4; ++i)
        label[i] = static_cast<char>((headerData.sIdent >> (8 * i)) & 0xFF);
    return QString::fromLatin1(label, 4);
}

QString tGrup::getname() const {
    return header.name.toString() + QStringLiteral(" - ") + GetGrupSubName();
}

TSharedBytes::TSharedBytes(QByteArray bytes) {
    if (bytes.isEmpty()) return;
    size_ = static_cast<uint32_t>(bytes.size());
    buffer_ = new rBuffer;
    buffer_->bytes = std::move(bytes);
}

TSharedBytes::TSharedBytes(const QByteArray& owner, QByteArrayView part) {
    const char* begin = owner.constData();
    if (part.isEmpty()) return; // nothing to keep alive
    if (part.data() >= begin && part.data() + part.size() <= begin + owner.size() &&
        part.data() - begin <= std::numeric_limits<uint32_t>::max()) {
        buffer_ = new rBuffer;
        buffer_->bytes = owner;
        offset_ = static_cast<uint32_t>(part.data() - begin);
        size_ = static_cast<uint32_t>(part.size());
    } else {
        *this = TSharedBytes(part.toByteArray());
    }
}

TSharedBytes TSharedBytes::part(QByteArrayView sub) const {
    TSharedBytes out;
    if (sub.isEmpty()) return out;
    const QByteArrayView whole = buffer();
    if (whole.isEmpty() || sub.data() < whole.data() || sub.data() + sub.size() > whole.data() + whole.size())
        return TSharedBytes(sub.toByteArray());
    out.buffer_ = buffer_;
    buffer_->refs.fetch_add(1, std::memory_order_relaxed);
    out.offset_ = static_cast<uint32_t>(sub.data() - whole.data());
    out.size_ = static_cast<uint32_t>(sub.size());
    return out;
}

// Bounds no real plugin meets, there only to stop files made to exhaust memory. Inflated bytes: the game's biggest
// file, Fallout4.esm (about 300 MB), inflates to a few times its size, far below 16 times plus 256 MB. Fields: a
// field object costs about 150 bytes however little its 6-byte header holds; a real plugin's fields average well
// over 8 bytes of file each, while a compressed record of empty fields makes a million from a few kilobytes.
TPluginReadBudget::TPluginReadBudget(qsizetype fileSize)
    : maxInflated_(256ull * 1024 * 1024 + 16ull * static_cast<uint64_t>(std::max<qsizetype>(fileSize, 0))),
      maxFields_(1000000ull + static_cast<uint64_t>(std::max<qsizetype>(fileSize, 0)) / 8) {}

bool TPluginReadBudget::takeInflated(uint64_t bytes) {
    return inflated_.fetch_add(bytes, std::memory_order_relaxed) + bytes <= maxInflated_;
}

bool TPluginReadBudget::takeFields(uint64_t count) {
    return fields_.fetch_add(count, std::memory_order_relaxed) + count <= maxFields_;
}

void trecord::assignData(const TSharedBytes& data, const rPluginReadContext& ctx) {
    rawRec = ctx.defs && ctx.defs->isSkippedRecord(header.name);
    if (!rawRec) {
        if (isCompressedFlag())
            readCompressed(data, ctx);
        else
            parseFields(data, ctx);
    }
    if (rawRec) {
        keepEdidName();
        clearFields();
        buffer = data;
    } else {
        buffer.clear();
        sourceData = data;
    }
    edidNameHash = latin1Hash(nameField ? withoutLastByte(nameField->buffer.view()) : edidNameString.view());
}

void trecord::clearFields() {
    nameField = nullptr;
    std::vector<tField>().swap(fList); // a raw record keeps no room for fields
}

void trecord::findNameField() {
    nameField = nullptr;
    for (tField& field : fList)
        if (field.params.has(sfieldParam::isEdid)) nameField = &field;
}

void trecord::parseFields(const TSharedBytes& data, const rPluginReadContext& ctx) {
    rawRec = true;
    // One pass over the fields' headers decides each field's list as it goes; field objects are made only for a
    // record that holds some text (most records hold none). The fields met are kept here meanwhile, up to the most
    // a record may hold; past that they are only counted (a record of that many fields is refused when a definition
    // names one of them, and kept raw otherwise, as before).
    struct rScanned {
        uint16_t dsize;
        int8_t listIndex;
        bool notNull;
    };
    thread_local std::vector<rFieldView> views;
    thread_local std::vector<rScanned> scanned;
    views.clear();
    scanned.clear();
    TRecordDefinitions::rFieldsSoFar soFar;
    QByteArrayView edid;
    size_t count = 0;
    bool named = !ctx.defs; // without definitions every field is made, and none is a text
    bool anyText = false;
    forEachFieldIn(data.view(), [&](sHeaderSig sig, uint16_t dsize, QByteArrayView fieldData) {
        if (sig == kSigEDID && !fieldData.isEmpty()) {
            edid = fieldData;
            if (soFar.firstEdid < 0) soFar.firstEdid = static_cast<qsizetype>(count);
        }
        named = named || ctx.defs->namesField(sig);
        if (count++ < kMaxRecordFields + 1) {
            views.push_back({sig, fieldData});
            rScanned s{dsize, -1, false};
            if (ctx.defs) {
                s.listIndex = static_cast<int8_t>(
                    ctx.defs->fieldListIndex(header.name, views.data(), count - 1, &soFar, &s.notNull));
                anyText = anyText || s.listIndex >= 0;
            }
            scanned.push_back(s);
        }
    });
    // A raw record keeps its name; a compressed one's is copied, as a part would keep the whole inflated record.
    const auto keepName = [&] {
        edidNameString = data.part(withoutLastByte(edid));
        if (compressed) edidNameString = edidNameString.detached();
    };
    if (!named) {
        keepName();
        return;
    }
    if (ctx.budget && !ctx.budget->takeFields(count)) refuse(ctx, QStringLiteral("Fbk_PluginTooBig"));
    if (count > kMaxRecordFields) {
        const QString key = QStringLiteral("Fbk_RecordTooManyFields");
        throw TQuillError(ctx.app ? ctx.app->uiTextFormat(key, {header.name.toString(), hex8(headerData.formID),
                                                                static_cast<qulonglong>(count),
                                                                static_cast<qulonglong>(kMaxRecordFields)})
                                  : key);
    }
    if (!anyText && ctx.defs) {
        keepName();
        return;
    }
    rawRec = !anyText;
    // Exactly the room counted: the fields never move once read.
    fList.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        tField& field = fList.emplace_back();
        field.header.name = views[i].sig;
        field.header.dsize = scanned[i].dsize;
        field.originalDsize = scanned[i].dsize;
        field.buffer = data.part(views[i].data);
        if (field.header.name == kSigEDID && !field.buffer.isEmpty()) {
            nameField = &field;
            field.params.set(sfieldParam::isEdid);
        }
        if (scanned[i].listIndex >= 0) {
            field.params.set(sfieldParam::isString);
            if (scanned[i].notNull) field.params.set(sfieldParam::notNull);
            field.listIndex = static_cast<uint8_t>(scanned[i].listIndex);
        }
    }
}

void trecord::readCompressed(const TSharedBytes& data, const rPluginReadContext& ctx) {
    compressed = true;
    // Too short to hold a size and a stream: nothing to parse, and the data is written back as it is.
    if (data.size() <= 3) return;
    TBinaryCursor cursor(data.view());
    const uint32_t size = cursor.u32le();
    if (size == 0) return;
    const QByteArrayView stream = data.view().sliced(4);
    if (!plausibleInflatedSize(size, stream.size())) {
        if (ctx.inflateFailed) ctx.inflateFailed(*this);
        rawRec = true;
        return;
    }
    if (ctx.budget && !ctx.budget->takeInflated(size)) refuse(ctx, QStringLiteral("Fbk_PluginTooBig"));
    // Most compressed records hold no text: they are inflated into a reused buffer and only their name is kept.
    thread_local QByteArray scratch;
    // A big buffer is not kept for the next record: one large record would otherwise hold its memory to the end.
    constexpr qsizetype kKeptScratch = 4 * 1024 * 1024;
    struct rReleaseBig {
        ~rReleaseBig() {
            if (scratch.capacity() > kKeptScratch) scratch = QByteArray();
        }
    } releaseBig;
    if (!inflateExactly(stream, scratch, size)) {
        if (ctx.inflateFailed) ctx.inflateFailed(*this);
        rawRec = true;
        return;
    }
    // The fields share the inflated bytes; a record without text keeps none of them (its name is copied), and the
    // buffer serves the next record.
    parseFields(TSharedBytes(scratch), ctx);
    if (!rawRec) scratch = QByteArray();
    const uint16_t zlibHeader =
        stream.size() >= 2
            ? static_cast<uint16_t>(static_cast<uint8_t>(stream[0]) | (static_cast<uint8_t>(stream[1]) << 8))
            : 0;
    if (zlibHeader == 0x0178)
        zcomp = TZCompressionLevel::zcFastest;
    else if (zlibHeader == 0xDA78)
        zcomp = TZCompressionLevel::zcMax;
    else
        zcomp = TZCompressionLevel::zcDefault;
}

void trecord::keepEdidName() {
    // A compressed record's name is copied: a view would keep the whole inflated record alive.
    if (nameField) {
        edidNameString = nameField->buffer.withoutLastByte();
        if (compressed) edidNameString = edidNameString.detached();
    }
}

void trecord::computeFieldIndices() {
    if (fList.size() > kMaxRecordFields) throw TQuillError(QStringLiteral("Fbk_RecordTooManyFields"));
    if (std::none_of(fList.begin(), fList.end(), [](const tField& f) { return f.params.has(sfieldParam::isString); }))
        return;
    // The fields grouped by signature, in record order within each group. In a group g0, g1 ... a string field gj
    // (j >= 1) is numbered one past g(j-1), and every field up to the group's last such string takes that string's
    // number as the highest; the first of a group keeps the number it has.
    std::vector<std::pair<uint32_t, uint32_t>> order; // (signature, position)
    order.reserve(fList.size());
    for (size_t i = 0; i < fList.size(); ++i)
        order.emplace_back(fList[i].header.name.asUint(), static_cast<uint32_t>(i));
    std::sort(order.begin(), order.end());
    for (size_t begin = 0; begin < order.size();) {
        size_t end = begin + 1;
        while (end < order.size() && order[end].first == order[begin].first)
            ++end;
        size_t last = begin; // the group's last numbered string, or `begin` when there is none
        for (size_t k = begin + 1; k < end; ++k) {
            tField& field = fList[order[k].second];
            if (!field.params.has(sfieldParam::isString)) continue;
            field.rIndex.index = static_cast<uint16_t>(fList[order[k - 1].second].rIndex.index + 1);
            last = k;
        }
        if (last != begin) {
            const uint16_t highest = fList[order[last].second].rIndex.index;
            for (size_t k = begin; k <= last; ++k)
                fList[order[k].second].rIndex.indexMax = highest;
        }
        begin = end;
    }
}

void trecord::collapseOpaqueFields() {
    const size_t n = fList.size();
    if (rawRec || n < 2) return;
    // The bytes the fields lie in, from their start: the record's data, or for a compressed record its inflated
    // data (the whole buffer any of its non-empty fields is a part of).
    TSharedBytes base = sourceData;
    if (compressed) {
        base.clear();
        for (const tField& f : fList)
            if (!f.buffer.isEmpty()) {
                base = f.buffer.part(f.buffer.buffer());
                break;
            }
    }
    const QByteArrayView data = base.view();
    if (data.isEmpty()) return;
    const bool info = header.name == kSigINFO;
    std::vector<uint8_t> keep(n);
    for (size_t i = n; i-- > 0;) {
        const tField& f = fList[i];
        keep[i] = f.params.has(sfieldParam::isString) ||
                  (info && (f.header.name == kSigDNAM || f.header.name == kSigNAM2)) ||
                  (f.header.name == kSigXXXX && i + 1 < n && keep[i + 1]);
    }
    // Where each field's header starts: the fields follow each other, each after a 6-byte header. The positions
    // must agree with the fields' own bytes, else nothing changes.
    std::vector<qsizetype> at(n + 1);
    qsizetype pos = 0;
    for (size_t i = 0; i < n; ++i) {
        at[i] = pos;
        const tField& f = fList[i];
        pos += kFieldHeaderSize;
        if (f.params.has(sfieldParam::opaque) || (!f.buffer.isEmpty() && f.buffer.constData() != data.data() + pos))
            return;
        pos += f.buffer.size();
    }
    if (pos != data.size()) return;
    at[n] = pos;
    size_t count = 0;
    for (size_t i = 0; i < n; ++i)
        count += keep[i] || i == 0 || keep[i - 1];
    if (count >= n) return;
    std::vector<tField> out;
    out.reserve(count);
    for (size_t i = 0; i < n;) {
        if (keep[i]) {
            out.push_back(std::move(fList[i++]));
            continue;
        }
        size_t end = i + 1;
        while (end < n && !keep[end])
            ++end;
        tField& run = out.emplace_back();
        run.params.set(sfieldParam::opaque);
        run.buffer = base.part(data.sliced(at[i], at[end] - at[i]));
        i = end;
    }
    // The name went into a run: it is kept as a raw record keeps it (a part of the bytes the runs hold anyway).
    if (nameField) edidNameString = nameField->buffer.withoutLastByte();
    readFieldCount_ = static_cast<uint32_t>(n);
    fList = std::move(out);
    nameField = nullptr;
}

bool trecord::pruneForLocalized() {
    const bool info = header.name == kSigINFO;
    for (size_t i = fList.size(); i-- > 0;) {
        const tField& f = fList[i];
        if (info && (f.header.name == kSigDNAM || f.header.name == kSigNAM2)) continue;
        bool drop = !f.params.has(sfieldParam::isString) && !f.params.has(sfieldParam::isEdid);
        if (!drop && f.params.has(sfieldParam::isString)) {
            if (f.buffer.size() != 4) {
                drop = true;
            } else {
                TBinaryCursor c(f.buffer.view());
                drop = c.i32le() <= 0;
            }
        }
        if (drop) fList.erase(fList.begin() + static_cast<std::ptrdiff_t>(i));
    }
    findNameField();
    if (header.name == kSigDIAL) return true;
    if (fList.empty()) return false;
    if (fList.size() == 1 && &fList.front() == nameField) return false;
    return true;
}

bool trecord::pruneNonStrings() {
    for (size_t i = fList.size(); i-- > 0;) {
        if (fList[i].params.has(sfieldParam::isString)) continue;
        fList.erase(fList.begin() + static_cast<std::ptrdiff_t>(i));
    }
    findNameField();
    if (fList.empty()) return false;
    computeFieldIndices();
    return true;
}

bool trecord::dirty() const {
    for (const tField& f : fList)
        if (f.changed) return true;
    return false;
}

QString trecord::EdidNameEx() const {
    if (nameField) return QString::fromLatin1(withoutLastByte(nameField->buffer.view()));
    return QString::fromLatin1(edidNameString.view());
}

QString trecord::EdidName(bool formatted) const {
    const QString name = EdidNameEx();
    if (!name.isEmpty()) return name;
    const QString hex = hex8(headerData.formID);
    return formatted ? QLatin1Char('[') + hex + QLatin1Char(']') : hex;
}

QString trecord::getname() const {
    return QStringLiteral("%1 [%2] [%3|%4|%5]")
        .arg(header.name.toString(), hex8(headerData.formID))
        .arg(fieldCount())
        .arg(compressed ? 1 : 0)
        .arg(rawRec ? 1 : 0);
}

QString trecord::getStringName() const {
    return QStringLiteral("%1 %2[%3] [%4|%5|%6]")
        .arg(header.name.toString(), EdidNameEx(), hex8(headerData.formID))
        .arg(fieldCount())
        .arg(compressed ? 1 : 0)
        .arg(rawRec ? 1 : 0);
}

tPluginNode* tPluginNode::append(std::unique_ptr<tGenericRecord> object) {
    auto node = std::make_unique<tPluginNode>();
    node->p = std::move(object);
    node->parent = this;
    node->row = static_cast<int>(children.size());
    children.push_back(std::move(node));
    return children.back().get();
}

QString tPluginNode::text() const {
    if (const trecord* r = record()) return r->getStringName();
    if (const tGrup* g = grup()) return g->getname();
    return {};
}

bool tPluginNode::dimmed() const {
    if (const trecord* r = record()) return r->rawRec;
    if (const tGrup* g = grup()) return !g->grupString;
    return false;
}

void tPluginTree::clear() {
    root.children.clear();
    compareRecordList.clear();
    fileData.clear();
}

namespace {

template <typename Node, typename Visit> void walk(Node& node, const Visit& visit) {
    for (auto& child : node.children) {
        visit(*child);
        walk(*child, visit);
    }
}

} // namespace

void tPluginNode::forEachBelow(const std::function<void(tPluginNode&)>& visit) {
    walk(*this, visit);
}

void tPluginNode::forEachBelow(const std::function<void(const tPluginNode&)>& visit) const {
    walk(*this, visit);
}

void tPluginTree::forEach(const std::function<void(tPluginNode&)>& visit) {
    root.forEachBelow(visit);
}

void tPluginTree::forEach(const std::function<void(const tPluginNode&)>& visit) const {
    root.forEachBelow(visit);
}

qsizetype tPluginTree::nodeCount() const {
    qsizetype n = 0;
    forEach([&n](const tPluginNode&) { ++n; });
    return n;
}

const tPluginNode* dialogueResponseGroup(const tPluginTree& tree, const tPluginNode& info) {
    const tPluginNode* group = info.parent;
    return group && group->grup() && group->parent && group->parent != &tree.root ? group : nullptr;
}

namespace {

struct rDialogueWalk {
    const tPluginTree& tree;
    const std::function<bool(const tPluginNode&, const trecord&)>& visit;
    QHash<uint32_t, const trecord*> topics; // the first DIAL of each form id met so far

    bool below(const tPluginNode& node) {
        for (const auto& child : node.children) {
            if (const trecord* r = child->record()) {
                if (r->header.name == kSigDIAL && !topics.contains(r->headerData.formID)) {
                    topics.insert(r->headerData.formID, r);
                } else if (r->header.name == kSigINFO) {
                    const tPluginNode* group = dialogueResponseGroup(tree, *child);
                    const trecord* topic = group ? topics.value(group->grup()->headerData.sIdent) : nullptr;
                    if (topic && visit(*child, *topic)) return true;
                }
            }
            if (below(*child)) return true;
        }
        return false;
    }
};

} // namespace

void forEachDialogueResponse(const tPluginTree& tree,
                             const std::function<bool(const tPluginNode& info, const trecord& topic)>& visit) {
    rDialogueWalk walk{tree, visit, {}};
    walk.below(tree.root);
}
