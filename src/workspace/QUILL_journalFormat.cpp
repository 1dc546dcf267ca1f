// The recovery journal's file: entry identities, the records a step leaves, and their blocks.
#include "workspace/QUILL_journal.h"

#include "core/QUILL_cursor.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsScript.h"

#include <QBuffer>
#include <QDateTime>
#include <zlib.h>

namespace {

constexpr char kMagic[8] = {'Q', 'U', 'I', 'L', 'L', 'J', 'N', 'L'};
constexpr uint32_t kVersion = 1;
// The smallest encoded change: identity (1 + 1 + 4 + 4 + 2), the parts byte, hash, status, flags, LD (4 + 1 + 4 + 4 +
// 4). A count no block could hold is damage, not a reason to reserve memory.
constexpr qsizetype kMinChangeBytes = 30;
constexpr uint8_t kHasTranslation = 1;

void appendText(QByteArray& out, const QString& text) {
    binary_out::u32le(out, static_cast<uint32_t>(text.size()));
    binary_out::utf16le(out, text);
}

QString readText(TBinaryCursor& cursor) {
    return cursor.utf16le(cursor.u32le());
}

uint32_t checksum(QByteArrayView bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    qsizetype left = bytes.size();
    while (left > 0) {
        const uInt chunk = static_cast<uInt>(std::min<qsizetype>(left, 1 << 30));
        crc = crc32(crc, data, chunk);
        data += chunk;
        left -= chunk;
    }
    return static_cast<uint32_t>(crc);
}

// Appends a block: length, checksum, then the payload `fill` writes.
template <typename Fill> void appendBlock(QByteArray& out, Fill fill) {
    const qsizetype start = out.size();
    binary_out::u32le(out, 0);
    binary_out::u32le(out, 0);
    fill(out);
    const qsizetype payload = out.size() - start - 8;
    binary_out::patchU32le(out, start, static_cast<uint32_t>(payload));
    binary_out::patchU32le(out, start + 4, checksum(QByteArrayView(out).sliced(start + 8, payload)));
}

// Reads exactly `size` bytes into `out`; false at the end of the device or on an error.
bool readExactly(QIODevice& device, qint64 size, QByteArray& out) {
    // A block longer than what is left of the device is torn: nothing is reserved for its claimed length.
    if (!device.isSequential() && size > device.size() - device.pos()) return false;
    out.resize(static_cast<qsizetype>(size));
    qint64 in = 0;
    while (in < size) {
        const qint64 n = device.read(out.data() + in, size - in);
        if (n <= 0) return false;
        in += n;
    }
    return true;
}

// The payload of the next block, false when the block is torn or damaged.
bool nextBlock(QIODevice& device, QByteArray& payload) {
    QByteArray head;
    if (!readExactly(device, 8, head)) return false;
    TBinaryCursor cursor(head);
    const uint32_t length = cursor.u32le();
    const uint32_t sum = cursor.u32le();
    if (!readExactly(device, length, payload)) return false;
    return checksum(payload) == sum;
}

void appendChange(QByteArray& out, const rJournalChange& change) {
    const rEntryIdentity& id = change.entry;
    binary_out::u8(out, static_cast<uint8_t>(id.kind));
    binary_out::u8(out, id.list);
    binary_out::u32le(out, id.number);
    out.append(id.field.c, 4);
    binary_out::u16le(out, id.index);
    if (id.kind == rEntryIdentity::TKind::menuKey) appendText(out, id.key);
    const rEntryState& s = change.state;
    binary_out::u8(out, change.hasTranslation ? kHasTranslation : 0);
    if (change.hasTranslation) appendText(out, s.translation);
    binary_out::u32le(out, s.translationHash);
    binary_out::u8(out, s.status.bits());
    binary_out::u32le(out, s.flags.bits());
    uint32_t ld;
    std::memcpy(&ld, &s.LDResult, 4);
    binary_out::u32le(out, ld);
    binary_out::u32le(out, static_cast<uint32_t>(s.LDFound));
}

rJournalChange readChange(TBinaryCursor& cursor) {
    rJournalChange change;
    rEntryIdentity& id = change.entry;
    const uint8_t kind = cursor.u8();
    if (kind > static_cast<uint8_t>(rEntryIdentity::TKind::menuKey))
        throw TQuillError(QStringLiteral("Unknown entry kind %1").arg(kind));
    id.kind = static_cast<rEntryIdentity::TKind>(kind);
    id.list = cursor.u8();
    id.number = cursor.u32le();
    id.field = sHeaderSig::fromBytes(cursor.view(4).data());
    id.index = cursor.u16le();
    if (id.kind == rEntryIdentity::TKind::menuKey) id.key = readText(cursor);
    rEntryState& s = change.state;
    const uint8_t parts = cursor.u8();
    if (parts & ~kHasTranslation) throw TQuillError(QStringLiteral("Unknown change parts %1").arg(parts));
    change.hasTranslation = (parts & kHasTranslation) != 0;
    if (change.hasTranslation) s.translation = readText(cursor);
    s.translationHash = cursor.u32le();
    s.status = sStrParams::fromBits(cursor.u8());
    s.flags = sStrInternalParams::fromBits(cursor.u32le());
    s.LDResult = cursor.f32le();
    s.LDFound = cursor.i32le();
    return change;
}

bool readRecord(QByteArrayView payload, rJournalRecord& record) {
    try {
        TBinaryCursor cursor(payload);
        const uint8_t kind = cursor.u8();
        if (kind < static_cast<uint8_t>(TJournalStepKind::command) ||
            kind > static_cast<uint8_t>(TJournalStepKind::redo))
            return false;
        record.kind = static_cast<TJournalStepKind>(kind);
        record.time = static_cast<int64_t>(cursor.u64le());
        const uint32_t count = cursor.u32le();
        if (count > cursor.remaining() / kMinChangeBytes) return false;
        record.changes.reserve(count);
        for (uint32_t i = 0; i < count; ++i)
            record.changes.push_back(readChange(cursor));
        return cursor.atEnd();
    } catch (const TQuillError&) {
        return false;
    }
}

} // namespace

QString rEntryIdentity::toText() const {
    switch (kind) {
    case TKind::pluginField:
        return QStringLiteral("L%1:%2:%3:%4")
            .arg(list)
            .arg(number, 8, 16, QLatin1Char('0'))
            .arg(field.toString())
            .arg(index);
    case TKind::menuKey:
        return QStringLiteral("M:") + key + (number ? QStringLiteral("#%1").arg(number) : QString());
    case TKind::stringId:
        break;
    }
    return QStringLiteral("L%1:%2").arg(list).arg(number, 8, 16, QLatin1Char('0'));
}

rEntryIdentity entryIdentity(const TMenuDocument* menu, const tSkyStr& entry) {
    rEntryIdentity id;
    id.list = entry.listIndex;
    if (menu) {
        id.kind = rEntryIdentity::TKind::menuKey;
        if (entry.listIndex != 0 || entry.id >= static_cast<uint32_t>(menu->menuKeys.size())) return id;
        id.key = menu->menuKeys[entry.id];
        for (qsizetype i = 0; i < static_cast<qsizetype>(entry.id); ++i)
            if (menu->menuKeys[i] == id.key) ++id.number;
        return id;
    }
    if (entry.isEspAssigned()) {
        id.kind = rEntryIdentity::TKind::pluginField;
        id.number = entry.esp.formID;
        id.field = entry.esp.fName;
        id.index = entry.getrFieldIndex().index;
        return id;
    }
    id.number = entry.id;
    return id;
}

rEntryIdentity entryIdentity(const TWorkspace& ws, const tSkyStr& entry) {
    return entryIdentity(ws.menu(), entry);
}

size_t rEntryIdentityHash::operator()(const rEntryIdentity& id) const noexcept {
    size_t h = (static_cast<size_t>(id.kind) << 8 | id.list) * 0x9E3779B97F4A7C15ull;
    h ^= (static_cast<size_t>(id.number) << 16 ^ id.index ^ static_cast<size_t>(id.field.asUint()) << 24) +
         0x9E3779B9u + (h << 6) + (h >> 2);
    if (!id.key.isEmpty()) h ^= qHash(id.key, 0) + 0x9E3779B9u + (h << 6) + (h >> 2);
    return h;
}

QByteArray encodeJournalHeader(const rJournalHeader& header) {
    QByteArray out(kMagic, sizeof kMagic);
    binary_out::u32le(out, kVersion);
    appendBlock(out, [&](QByteArray& o) {
        appendText(o, header.documentPath);
        appendText(o, header.kind);
        binary_out::u64(o, static_cast<uint64_t>(header.documentSize), false);
        binary_out::u64(o, static_cast<uint64_t>(header.documentTime), false);
        appendText(o, header.sourceLang);
        appendText(o, header.destLang);
        binary_out::u8(o, header.workMode);
    });
    return out;
}

void appendJournalRecord(QByteArray& out, const rJournalRecord& record) {
    appendBlock(out, [&](QByteArray& o) {
        binary_out::u8(o, static_cast<uint8_t>(record.kind));
        binary_out::u64(o, static_cast<uint64_t>(record.time), false);
        binary_out::u32le(o, static_cast<uint32_t>(record.changes.size()));
        for (const rJournalChange& change : record.changes)
            appendChange(o, change);
    });
}

bool readJournal(QIODevice& device, rJournalContents& out) {
    out = {};
    QByteArray head;
    if (!readExactly(device, 12, head) || QByteArrayView(head).first(8) != QByteArrayView(kMagic, sizeof kMagic))
        return false;
    if (TBinaryCursor(QByteArrayView(head).sliced(8)).u32le() != kVersion) return false;
    QByteArray payload;
    if (!nextBlock(device, payload)) return false;
    try {
        TBinaryCursor header(payload);
        out.header.documentPath = readText(header);
        out.header.kind = readText(header);
        out.header.documentSize = static_cast<int64_t>(header.u64le());
        out.header.documentTime = static_cast<int64_t>(header.u64le());
        out.header.sourceLang = readText(header);
        out.header.destLang = readText(header);
        out.header.workMode = header.u8();
        if (!header.atEnd()) return false;
    } catch (const TQuillError&) {
        return false;
    }
    while (nextBlock(device, payload)) {
        rJournalRecord record;
        if (!readRecord(payload, record)) break;
        out.records.push_back(std::move(record));
    }
    return true;
}

bool readJournal(QByteArrayView data, rJournalContents& out) {
    QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readJournal(buffer, out);
}

qint64 journalSizeLimit(const TWorkspace& ws) {
    // One step changing every entry costs at most its identity and states plus the translation in UTF-16, taken as
    // long as the source and the translation together. Sixty-four such steps are far more than a session makes.
    constexpr qint64 kBase = 64ll * 1024 * 1024;
    constexpr qint64 kFullSteps = 64;
    qint64 fullStep = 0;
    const auto add = [&](const tSkyStr& entry) {
        fullStep += kMinChangeBytes + 16 + 2 * (entry.gS.size() + entry.gTrans.size());
    };
    for (const auto& list : ws.loadedLists)
        for (const auto& entry : list)
            add(*entry);
    for (const auto& entry : ws.sharedIdList)
        add(*entry);
    if (const TMenuDocument* menu = ws.menu())
        for (const QString& key : menu->menuKeys)
            fullStep += 2 * key.size();
    return kBase + kFullSteps * fullStep;
}

rJournalRecord captureJournalRecord(const TWorkspace& ws, const std::vector<rEntryChange>& changes,
                                    TJournalStepKind kind) {
    rJournalRecord record;
    record.kind = kind;
    record.time = QDateTime::currentMSecsSinceEpoch();
    record.changes.reserve(changes.size());
    const TMenuDocument* menu = ws.menu();
    const auto add = [&](const rEntryChange& change, const rEntryState& from, const rEntryState& to) {
        // The same shared text is the same text; anything else is compared.
        const bool same = from.translation.constData() == to.translation.constData()
                              ? from.translation.size() == to.translation.size()
                              : from.translation == to.translation;
        rJournalChange& out = record.changes.emplace_back();
        out.entry = entryIdentity(menu, *change.entry);
        out.hasTranslation = !same;
        out.state = to;
        if (same) out.state.translation.clear();
    };
    // An undo puts the states back last change first (see TEditHistory::undo); the journal keeps that order.
    if (kind == TJournalStepKind::undo) {
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            add(*it, it->after, it->before);
    } else {
        for (const rEntryChange& change : changes)
            add(change, change.before, change.after);
    }
    return record;
}
