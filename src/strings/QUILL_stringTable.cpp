// String table parser, readers with sink modes, set lookup (loose or archived) and the writer.
#include "strings/QUILL_stringTable.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_error.h"
#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_main.h"
#include "core/QUILL_parallel.h"
#include "strings/QUILL_archive.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringEncoder>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>
#include <exception>

namespace {

const char* const kLowerExtensions[3] = {".strings", ".dlstrings", ".ilstrings"};
const char* const kUpperExtensions[3] = {".STRINGS", ".DLSTRINGS", ".ILSTRINGS"};

bool isLengthPrefixed(int listIndex) {
    return listIndex == 1 || listIndex == 2;
}

QString idText(uint32_t id) {
    return QStringLiteral("0x%1").arg(id, 8, 16, QLatin1Char('0'));
}

// Hands each new entry to its sink. Sink mode 2 keeps its orphans aside and merges them in id order at the end, so a
// table of many unknown ids does not shift the list once per entry.
class TTableSinkRunner {
public:
    TTableSinkRunner(tSkyStrList& list, const rTableSink& sink) : list_(list), sink_(sink) {
        if (sink_.mode != tSinkMode::append && sink_.mode != tSinkMode::openTables && !sortedById(list_))
            sortById(list_);
        // The sinks that only give texts look ids up in a copy of the list's ids side by side: hundreds of thousands
        // of searches then read no entry but the one found.
        if (sink_.mode == tSinkMode::cacheDestination || sink_.mode == tSinkMode::destinationTables) {
            ids_.resize(list_.size());
            for (size_t k = 0; k < list_.size(); ++k)
                ids_[k] = list_[k]->id;
        }
    }

    void take(std::unique_ptr<tSkyStr> entry) {
        switch (sink_.mode) {
        case tSinkMode::append:
            list_.push_back(std::move(entry));
            break;
        case tSinkMode::openTables:
            entry->initStrings();
            list_.push_back(std::move(entry));
            break;
        case tSinkMode::localizedPlugin:
            takeLocalized(std::move(entry));
            break;
        case tSinkMode::cacheDestination:
        case tSinkMode::destinationTables:
            takeText(entry->id, std::move(entry->gS), entry->hash);
            break;
        }
    }

    // The sinks that only give a text to the entry of the same id: a text read without trailing NULs, hashed.
    void takeText(uint32_t id, QString&& text, uint32_t hash) {
        const qsizetype at = findId(id);
        if (at < 0) return;
        tSkyStr& target = *list_[static_cast<size_t>(at)];
        if (sink_.mode == tSinkMode::cacheDestination) {
            target.sInternalparams.set(sStrInternalParam::matchedIDfound);
            target.setTransHashed(std::move(text), hash);
        } else if (matchesPredicate(target, sink_.predicate, sink_.isSelected)) {
            target.resetStatus({sStrParam::validated}, {sStrParam::incompleteTrans});
            target.setTransHashed(std::move(text), hash);
        }
    }

    // Merges the orphans of sink mode 2 into the list; returns how many there were.
    qsizetype finish() {
        prepareTaken();
        const qsizetype count = static_cast<qsizetype>(orphans_.size());
        if (orphans_.empty()) return 0;
        sortById(orphans_);
        tSkyStrList merged;
        merged.reserve(list_.size() + orphans_.size());
        std::merge(std::make_move_iterator(list_.begin()), std::make_move_iterator(list_.end()),
                   std::make_move_iterator(orphans_.begin()), std::make_move_iterator(orphans_.end()),
                   std::back_inserter(merged), [](const auto& a, const auto& b) { return a->id < b->id; });
        list_ = std::move(merged);
        orphans_.clear();
        orphanById_.clear();
        return count;
    }

private:
    // Where findSorted(list_, byId, ...) finds `id` (the same search, over ids_), or -1.
    qsizetype findId(uint32_t id) const {
        qsizetype lo = 0;
        qsizetype hi = static_cast<qsizetype>(ids_.size()) - 1;
        while (lo <= hi) {
            const qsizetype mid = (lo + hi) / 2;
            const uint32_t at = ids_[static_cast<size_t>(mid)];
            if (at < id)
                lo = mid + 1;
            else if (at > id)
                hi = mid - 1;
            else
                return mid;
        }
        return -1;
    }

    std::vector<uint32_t> ids_; // the ids of list_ for takeText

    void takeLocalized(std::unique_ptr<tSkyStr> entry) {
        // Tables usually list their ids in the order the plugin's entries are sorted in: the entry after the last
        // match is tried before a search.
        rFindResult hit;
        const qsizetype size = static_cast<qsizetype>(list_.size());
        if (hint_ < size && list_[hint_]->id == entry->id && (hint_ == 0 || list_[hint_ - 1]->id != entry->id))
            hit = {true, hint_};
        else
            hit = findSorted(list_, skycompare::byId, *entry, true);
        tSkyStr* owner = hit.found ? list_[hit.index].get() : orphanById_.value(entry->id, nullptr);
        if (!owner) {
            hint_ = hit.index;
            entry->sInternalparams.set(sStrInternalParam::isOrphean);
            toPrepare_.push_back(entry.get());
            orphanById_.insert(entry->id, entry.get());
            orphans_.push_back(std::move(entry));
            return;
        }
        owner->setSourceHashed(std::move(entry->gS), entry->hash); // already cut at its NULs and hashed
        toPrepare_.push_back(owner);
        owner->sInternalparams.set(sStrInternalParam::toLocalizedEsp);
        if (!hit.found) return;
        qsizetype k = hit.index + 1;
        for (; k < size && list_[k]->id == owner->id; ++k) {
            tSkyStr& further = *list_[k];
            if (&further == owner) continue;
            further.sInternalparams.set(sStrInternalParam::isDeleted);
            if (sink_.relinkShared) sink_.relinkShared(further, *owner);
            owner->sInternalparams.set(sStrInternalParam::toLocalizedSharedID);
        }
        hint_ = k;
    }

    // The source parse of every entry a table gave its text, once each (a repeated id gives its last text), done
    // after the table and on two threads for a big one: it is work on each entry alone.
    void prepareTaken() {
        std::sort(toPrepare_.begin(), toPrepare_.end());
        toPrepare_.erase(std::unique(toPrepare_.begin(), toPrepare_.end()), toPrepare_.end());
        splitAcrossTwoThreads(static_cast<qsizetype>(toPrepare_.size()), [this](qsizetype from, qsizetype to, bool) {
            for (qsizetype i = from; i < to; ++i)
                toPrepare_[static_cast<size_t>(i)]->initStrings();
        });
        toPrepare_.clear();
    }

    tSkyStrList& list_;
    const rTableSink& sink_;
    tSkyStrList orphans_;
    QHash<uint32_t, tSkyStr*> orphanById_;
    std::vector<tSkyStr*> toPrepare_;
    qsizetype hint_ = 0;
};

void logSeparator(TAppContext& app) {
    app.logSeparator();
}

} // namespace

QString tableExtension(int listIndex, bool upperCase) {
    if (listIndex < 0 || listIndex > 2) return {};
    return QString::fromLatin1(upperCase ? kUpperExtensions[listIndex] : kLowerExtensions[listIndex]);
}

int tableKindOfFile(const QString& fileName) {
    const QString suffix = QLatin1Char('.') + QFileInfo(fileName).suffix().toLower();
    for (int i = 0; i < 3; ++i)
        if (suffix == QLatin1String(kLowerExtensions[i])) return i;
    return -1;
}

TTableDirectory::TTableDirectory(QByteArrayView bytes, int listIndex)
    : bytes_(bytes), prefixed_(isLengthPrefixed(listIndex)) {
    if (bytes.isEmpty()) return;
    if (bytes.size() < 8)
        throw TQuillError(QStringLiteral("String table header cut short (%1 bytes)").arg(bytes.size()));
    TBinaryCursor cursor(bytes);
    count_ = cursor.u32le();
    dataSize_ = cursor.u32le();
    // The directory must fit before anything is taken for it: a count field can claim four billion entries.
    if (static_cast<qint64>(count_) * 8 > cursor.remaining())
        throw TQuillError(
            QStringLiteral("String table directory of %1 entries runs past the end of the file (%2 bytes)")
                .arg(count_)
                .arg(bytes.size()));
    dataStart_ = 8 + static_cast<qsizetype>(count_) * 8;
}

TTableDirectory::rLocated TTableDirectory::entry(qsizetype index) const {
    const char* base = bytes_.data();
    const qsizetype end = bytes_.size();
    const char* dir = base + 8 + index * 8;
    uint32_t id, offset;
    std::memcpy(&id, dir, 4);
    std::memcpy(&offset, dir + 4, 4);
    rLocated located;
    located.id = qFromLittleEndian(id);
    qsizetype at = dataStart_ + static_cast<qsizetype>(qFromLittleEndian(offset));
    if (at > end || (prefixed_ && at + 4 > end)) {
        located.damaged = true; // nothing of the entry lies inside the input: it holds an empty text
    } else if (prefixed_) {
        uint32_t length;
        std::memcpy(&length, base + at, 4);
        length = qFromLittleEndian(length);
        at += 4;
        qsizetype wanted = length > 1 ? static_cast<qsizetype>(length) - 1 : 0;
        if (wanted > end - at) {
            wanted = end - at;
            located.damaged = true;
        }
        located.text = QByteArrayView(base + at, wanted);
    } else {
        const void* zero = std::memchr(base + at, 0, static_cast<size_t>(end - at));
        const qsizetype length = zero ? static_cast<const char*>(zero) - (base + at) : end - at;
        located.text = QByteArrayView(base + at, length);
    }
    return located;
}

rTableParseInfo parseStringTable(QByteArrayView bytes, int listIndex, const rCodepage& codepage,
                                 const std::function<void(qsizetype, uint32_t, QString&&)>& onEntry) {
    const TTableDirectory directory(bytes, listIndex);
    rTableParseInfo info;
    info.count = directory.count();
    info.dataSize = directory.dataSize();
    for (qsizetype i = 0; i < static_cast<qsizetype>(info.count); ++i) {
        const TTableDirectory::rLocated e = directory.entry(i);
        if (e.damaged && info.damagedEntries++ == 0) info.firstDamagedId = e.id;
        onEntry(i, e.id, decodeText(e.text, codepage));
    }
    return info;
}

QByteArray buildStringTable(const std::vector<std::pair<uint32_t, QString>>& entries, int listIndex,
                            const rCodepage& codepage) {
    std::vector<rTableText> hashed;
    hashed.reserve(entries.size());
    for (const auto& [id, text] : entries)
        hashed.push_back({id, text, textHash(text)});
    return buildStringTable(hashed, listIndex, codepage);
}

namespace {

// For each entry, the index of the first entry with exactly the same text (itself when it is the first). Entries
// are first spread by the top bits of their hash into partitions small enough for their own lookup table to stay
// in cache; one big table probed in no order would miss the cache and the address translation on every probe.
std::vector<uint32_t> firstEqualTexts(const std::vector<rTableText>& entries) {
    const size_t n = entries.size();
    std::vector<uint32_t> first(n);
    for (size_t k = 0; k < n; ++k)
        first[k] = static_cast<uint32_t>(k);
    if (n < 2) return first;
    int bits = 0;
    while (bits < 16 && (n >> bits) > 4096)
        ++bits;
    const size_t partitions = size_t(1) << bits;
    const auto partitionOf = [bits](uint32_t hash) { return bits == 0 ? 0u : hash >> (32 - bits); };
    // Counting pass, then a stable scatter of the indices, so each partition lists its entries in order.
    std::vector<uint32_t> start(partitions + 1, 0);
    for (const rTableText& e : entries)
        ++start[partitionOf(e.hash) + 1];
    for (size_t p = 0; p < partitions; ++p)
        start[p + 1] += start[p];
    // Each partition lists (hash, index) pairs in index order, so a probe reads an entry's text only when two
    // hashes agree.
    struct rKey {
        uint32_t hash;
        uint32_t index;
    };
    std::vector<rKey> order(n);
    {
        std::vector<uint32_t> fill(start.begin(), start.end() - 1);
        for (size_t k = 0; k < n; ++k)
            order[fill[partitionOf(entries[k].hash)]++] = {entries[k].hash, static_cast<uint32_t>(k)};
    }
    struct rSlot {
        uint32_t hash = 0;
        int32_t index = -1;
    };
    std::vector<rSlot> lookup;
    for (size_t p = 0; p < partitions; ++p) {
        const uint32_t from = start[p], to = start[p + 1];
        if (to - from < 2) continue;
        size_t capacity = 16;
        while (capacity < size_t(to - from) * 2)
            capacity *= 2;
        const size_t mask = capacity - 1;
        lookup.assign(capacity, rSlot{});
        for (uint32_t at = from; at < to; ++at) {
            const auto [hash, k] = order[at];
            size_t slot = hash & mask;
            while (lookup[slot].index >= 0) {
                if (lookup[slot].hash == hash &&
                    entries[static_cast<size_t>(lookup[slot].index)].text == entries[k].text) {
                    first[k] = static_cast<uint32_t>(lookup[slot].index);
                    break;
                }
                slot = (slot + 1) & mask;
            }
            if (first[k] == k) lookup[slot] = {hash, static_cast<int32_t>(k)};
        }
    }
    return first;
}

} // namespace

namespace {

// Encodes the data entries of the entries that are the first of their text into `buffer` from `origin` on,
// growing it when a text needs more room than was reserved; offsets[k] receives each one's position relative to
// `origin`. Returns the position after the last entry.
qsizetype encodeTableData(const std::vector<rTableText>& entries, const std::vector<uint32_t>& firstEqual,
                          bool prefixed, const rCodepage& codepage, QByteArray& buffer, qsizetype origin,
                          std::vector<uint32_t>& offsets) {
    char* base = buffer.data();
    qsizetype pos = origin;
    // Stateless: half a surrogate pair at the end of a text is an error there, not carried into the next text.
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const size_t to = entries.size();
    for (size_t k = 0; k < to; ++k) {
        if (firstEqual[k] != k) continue;
        const rTableText& e = entries[k];
        const qsizetype entryStart = pos;
        // The length field, the most any encoding takes (three bytes a UTF-16 unit) and the final 0.
        const qsizetype room = 4 + 3 * e.text.size() + 1;
        if (pos + room > buffer.size()) {
            buffer.resize(std::max(pos + room, buffer.size() * 3 / 2));
            base = buffer.data();
        }
        if (prefixed) pos += 4; // the length is written once known
        const qsizetype textStart = pos;
        if (codepage.isUtf8) pos = utf8.appendToBuffer(base + pos, e.text) - base;
        if (!codepage.isUtf8 || utf8.hasError()) {
            // A code page, or an unpaired surrogate, which QString::toUtf8 (as every other writer) writes as '?'.
            utf8.resetState();
            pos = textStart;
            const QByteArray encoded = encodeText(e.text, codepage);
            std::memcpy(base + pos, encoded.constData(), static_cast<size_t>(encoded.size()));
            pos += encoded.size();
        }
        const qsizetype encodedSize = pos - textStart;
        if (encodedSize + 1 > kMaxEntryBytes)
            throw TEntryTooLong(e.id, encodedSize + 1,
                                QStringLiteral("String %1 is %2 bytes long once encoded; an entry holds at most %3")
                                    .arg(idText(e.id))
                                    .arg(encodedSize + 1)
                                    .arg(kMaxEntryBytes));
        if (static_cast<quint64>(pos - origin) + 1 > 0xFFFFFFFFull)
            throw TQuillError(QStringLiteral("String table data exceeds 4 GB"));
        base[pos++] = '\0';
        if (prefixed) {
            const uint32_t length = qToLittleEndian(static_cast<uint32_t>(encodedSize + 1));
            std::memcpy(base + entryStart, &length, 4);
        }
        offsets[k] = static_cast<uint32_t>(entryStart - origin);
    }
    return pos;
}

// Room for mostly one-byte text with a quarter to spare, so a typical table is never moved while it grows (pages
// of a buffer are only touched as they are written).
qsizetype expectedDataBytes(const std::vector<rTableText>& entries, bool prefixed) {
    qsizetype units = 0;
    for (const rTableText& e : entries)
        units += e.text.size();
    return units + units / 4 + static_cast<qsizetype>(entries.size()) * (prefixed ? 5 : 1) + 16;
}

} // namespace

QByteArray buildStringTable(const std::vector<rTableText>& entries, int listIndex, const rCodepage& codepage) {
    const bool prefixed = isLengthPrefixed(listIndex);
    if (entries.size() > static_cast<size_t>(INT32_MAX))
        throw TQuillError(QStringLiteral("Too many strings for one table"));
    const size_t n = entries.size();
    // Identical translations share one data entry; texts differing in letter case are different texts.
    const std::vector<uint32_t> firstEqual = firstEqualTexts(entries);
    std::vector<uint32_t> offsets(n, 0);

    // One buffer holds the header, the directory and then the data, so the data is never copied behind the
    // directory. Offsets count from the start of the data.
    const qsizetype dataStart = 8 + static_cast<qsizetype>(n) * 8;
    QByteArray out;
    out.resize(dataStart + expectedDataBytes(entries, prefixed));
    const qsizetype pos = encodeTableData(entries, firstEqual, prefixed, codepage, out, dataStart, offsets);
    out.truncate(pos);

    char* base = out.data();
    const auto putU32 = [base](qsizetype at, uint32_t v) {
        v = qToLittleEndian(v);
        std::memcpy(base + at, &v, 4);
    };
    putU32(0, static_cast<uint32_t>(n));
    putU32(4, static_cast<uint32_t>(pos - dataStart));
    for (size_t k = 0; k < n; ++k) {
        putU32(8 + static_cast<qsizetype>(k) * 8, entries[k].id);
        putU32(12 + static_cast<qsizetype>(k) * 8, offsets[firstEqual[k]]);
    }
    return out;
}

namespace {

// What making a range of entries found: damaged entries and the first of them.
struct rMadeRange {
    uint32_t damagedEntries = 0;
    uint32_t firstDamagedId = 0;
};

constexpr int kDecodeBatch = 64;

// Decodes the `n` directory entries from `first` into texts (without their trailing NULs), ids (offset) and hashes,
// four hashes side by side.
void decodeBatch(const TTableDirectory& directory, qsizetype first, int n, const rCodepage& codepage, uint32_t idOffset,
                 QString* texts, uint32_t* ids, uint32_t* hashes, rMadeRange& made) {
    for (int k = 0; k < n; ++k) {
        const TTableDirectory::rLocated e = directory.entry(first + k);
        if (e.damaged && made.damagedEntries++ == 0) made.firstDamagedId = e.id;
        QString text = decodeText(e.text, codepage);
        // A text ends at its first trailing NUL (a length-prefixed entry may carry more than one).
        qsizetype length = text.size();
        while (length > 0 && text.at(length - 1).isNull())
            --length;
        if (length < text.size()) text.truncate(length);
        texts[k] = std::move(text);
        ids[k] = e.id + idOffset;
    }
    textHashes(texts, n, hashes);
}

// Directory entries [from, to) decoded, for the sinks that take texts by id.
struct rDecodedTexts {
    std::vector<QString> texts;
    std::vector<uint32_t> ids;
    std::vector<uint32_t> hashes;
    rMadeRange made;
};

void decodeTableTexts(const TTableDirectory& directory, qsizetype from, qsizetype to, const rCodepage& codepage,
                      uint32_t idOffset, rDecodedTexts& out, const std::function<void(qsizetype)>& progress) {
    const size_t n = static_cast<size_t>(to - from);
    out.texts.resize(n);
    out.ids.resize(n);
    out.hashes.resize(n);
    for (qsizetype first = from; first < to; first += kDecodeBatch) {
        if (progress) progress(first);
        const size_t at = static_cast<size_t>(first - from);
        decodeBatch(directory, first, static_cast<int>(std::min<qsizetype>(kDecodeBatch, to - first)), codepage,
                    idOffset, &out.texts[at], &out.ids[at], &out.hashes[at], out.made);
    }
}

// Makes list entries for directory entries [from, to), in order, into `out`; with `prepare` each entry gets its
// source parse as well. `progress`, when given, hears the index of every 64th entry.
rMadeRange makeTableEntries(const TTableDirectory& directory, qsizetype from, qsizetype to, const rCodepage& codepage,
                            int listIndex, uint32_t idOffset, int score, bool prepare, tSkyStrList& out,
                            const std::function<void(qsizetype)>& progress) {
    rMadeRange made;
    std::array<QString, kDecodeBatch> texts;
    std::array<uint32_t, kDecodeBatch> ids;
    std::array<uint32_t, kDecodeBatch> hashes;
    out.reserve(out.size() + static_cast<size_t>(to - from));
    for (qsizetype first = from; first < to; first += kDecodeBatch) {
        const int n = static_cast<int>(std::min<qsizetype>(kDecodeBatch, to - first));
        if (progress) progress(first);
        decodeBatch(directory, first, n, codepage, idOffset, texts.data(), ids.data(), hashes.data(), made);
        for (int k = 0; k < n; ++k) {
            auto entry = std::make_unique<tSkyStr>(QString(), QString(), listIndex, ids[k], score);
            entry->setSourceHashed(std::move(texts[k]), hashes[k]);
            if (prepare) entry->initStrings();
            out.push_back(std::move(entry));
        }
    }
    return made;
}

} // namespace

qsizetype readTableBytes(TAppContext& app, const QByteArray& bytes, const QString& name, int score, int listIndex,
                         uint32_t idOffset, const rTableSink& sink, tSkyStrList& list) {
    const TAppState& st = app.state;
    const rCodepage codepage = chooseCodepage(QFileInfo(name).fileName(), st.codepageList, st.ForceUtf8Load);
    app.host().setStatusText(2, name);
    app.logMessage(name);
    if (bytes.isEmpty()) return 0;
    TTableSinkRunner runner(list, sink);
    qsizetype unmatched = 0;
    try {
        TBinaryCursor header(bytes);
        const uint32_t count = bytes.size() >= 8 ? header.u32le() : 0;
        const uint32_t dataSize = bytes.size() >= 8 ? header.u32le() : 0;
        app.logMessage(app.uiTextFormat(QStringLiteral("Log_Count"), {count}));
        app.logMessage(app.uiTextFormat(QStringLiteral("Log_Size"), {dataSize}));
        app.logMessage(app.uiTextFormat(QStringLiteral("Log_codepage"), {codepage.s}));
        app.progressMax(count);
        const TTableDirectory directory(bytes, listIndex);
        const qsizetype total = directory.count();
        const auto progress = [&app](qsizetype i) { app.progressStep(static_cast<int>(i), 1); };
        rMadeRange made;
        if (sink.mode == tSinkMode::append || sink.mode == tSinkMode::openTables) {
            // These sinks only append, so the entries can be made in two halves at once, the second on a worker
            // thread, and appended in directory order. The worker's half is half the instructions of reading or
            // opening a 1,000,000-entry set (callgrind, bench_strings read-set and open-set).
            const bool prepare = sink.mode == tSinkMode::openTables;
            const bool split = worthSplitting(total);
            tSkyStrList second;
            rMadeRange secondMade;
            splitAcrossTwoThreads(total, [&](qsizetype from, qsizetype to, bool first) {
                if (first)
                    made = makeTableEntries(directory, from, to, codepage, listIndex, idOffset, score, prepare, list,
                                            [&](qsizetype i) { progress(split ? 2 * i : i); });
                else
                    secondMade = makeTableEntries(directory, from, to, codepage, listIndex, idOffset, score, prepare,
                                                  second, {});
            });
            list.insert(list.end(), std::make_move_iterator(second.begin()), std::make_move_iterator(second.end()));
            if (made.damagedEntries == 0) made.firstDamagedId = secondMade.firstDamagedId;
            made.damagedEntries += secondMade.damagedEntries;
        } else if (sink.mode == tSinkMode::cacheDestination || sink.mode == tSinkMode::destinationTables) {
            // These sinks only give each text to the entry of its id: the texts are decoded in two halves at once,
            // then handed over in directory order, with no entry made for them.
            const bool split = worthSplitting(total);
            rDecodedTexts halves[2];
            splitAcrossTwoThreads(total, [&](qsizetype from, qsizetype to, bool first) {
                decodeTableTexts(directory, from, to, codepage, idOffset, halves[first ? 0 : 1],
                                 first
                                     ? std::function<void(qsizetype)>([&](qsizetype i) { progress(split ? 2 * i : i); })
                                     : std::function<void(qsizetype)>());
            });
            for (rDecodedTexts& half : halves) {
                for (size_t k = 0; k < half.texts.size(); ++k)
                    runner.takeText(half.ids[k], std::move(half.texts[k]), half.hashes[k]);
                if (made.damagedEntries == 0) made.firstDamagedId = half.made.firstDamagedId;
                made.damagedEntries += half.made.damagedEntries;
            }
        } else {
            // The other sinks look entries up as they come: made in batches, handed over one by one.
            tSkyStrList batch;
            constexpr qsizetype kRun = 4096;
            for (qsizetype first = 0; first < total; first += kRun) {
                batch.clear();
                progress(first);
                const rMadeRange part = makeTableEntries(directory, first, std::min(total, first + kRun), codepage,
                                                         listIndex, idOffset, score, false, batch, {});
                if (made.damagedEntries == 0) made.firstDamagedId = part.firstDamagedId;
                made.damagedEntries += part.damagedEntries;
                for (auto& entry : batch)
                    runner.take(std::move(entry));
            }
        }
        unmatched = runner.finish();
        if (made.damagedEntries > 0)
            app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_TableDamaged"),
                                            {made.damagedEntries, idText(made.firstDamagedId)}));
        logSeparator(app);
        return unmatched;
    } catch (const TQuillError& e) {
        runner.finish();
        logSeparator(app);
        app.logMessage(name + QStringLiteral(": ") + e.message(), true);
        return -1;
    }
}

qsizetype readTableFile(TAppContext& app, const QString& path, tSkyStrList& list, const rTableSink& sink, int score,
                        int listIndex, uint32_t idOffset) {
    QByteArray bytes;
    QString error;
    if (!quillfs::readWholeFile(path, bytes, &error)) {
        app.logMessage(path + QStringLiteral(": ") + error, true);
        return -1;
    }
    return readTableBytes(app, bytes, path, score, listIndex, idOffset, sink, list);
}

QString findLooseTable(const QString& folder, const QString& pluginName, const QString& language, int listIndex) {
    return quillfs::findFileNoCase(folder, pluginName + QLatin1Char('_') + language + tableExtension(listIndex));
}

QString tableSetArchiveFolder(const QString& folder) {
    return parentFolder(folder);
}

bool readTableSet(TAppContext& app, tListSet& lists, const QString& folder, const QString& pluginName,
                  const rTableSink& sink, bool allowArchive, const QString& language, qsizetype* unmatched) {
    if (unmatched) *unmatched = 0;
    std::unique_ptr<TModArchives> archives;
    if (allowArchive) archives = std::make_unique<TModArchives>(tableSetArchiveFolder(folder), pluginName);
    const QString entryName = pluginName.toLower() + QLatin1Char('_') + language.toLower();
    const QString inFolder = QStringLiteral("strings");
    QString loose[3];
    QString archived[3];
    bool complete = true;
    for (int i = 0; i < 3; ++i) {
        loose[i] = findLooseTable(folder, pluginName, language, i);
        if (!loose[i].isEmpty() && !quillfs::fileIsUsable(loose[i])) loose[i].clear();
        if (loose[i].isEmpty() && archives) archived[i] = archives->locate(inFolder, entryName + tableExtension(i));
        if (loose[i].isEmpty() && archived[i].isEmpty()) complete = false;
    }
    if (archives)
        for (const QString& error : archives->errors())
            app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_ArchiveError"), {error}), true);
    if (!complete) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_MissingStr"),
                                        {QDir::toNativeSeparators(folder + pluginName + QLatin1Char('_') + language)}),
                       true);
        return false;
    }
    qsizetype total = 0;
    for (int i = 0; i < 3; ++i) {
        qsizetype result;
        if (!loose[i].isEmpty()) {
            app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_ReadFile"), {QDir::toNativeSeparators(loose[i])}));
            result = readTableFile(app, loose[i], lists[i], sink, 99, i, 0);
        } else {
            const QString inside = inFolder + QLatin1Char('\\') + entryName + tableExtension(i);
            app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_ReadBsa"),
                                            {QDir::toNativeSeparators(archived[i]) + QStringLiteral(": ") + inside}));
            QByteArray bytes;
            // A table the archive lists but cannot give fails the whole set: an empty table would pass for one
            // with nothing to translate.
            try {
                if (!archives->read(inFolder, entryName + tableExtension(i), bytes)) {
                    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_MissingStr"), {inside}), true);
                    return false;
                }
            } catch (const TQuillError& error) {
                app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_ArchiveError"), {error.message()}), true);
                return false;
            }
            result = readTableBytes(app, bytes, inside, 99, i, 0, sink, lists[i]);
        }
        if (result < 0) return false;
        total += result;
    }
    if (unmatched) *unmatched = total;
    if (total > 0) app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_StrOrphean2"), {total, QString()}));
    return true;
}

namespace {

// The outcome of writing one table; the caller reports it from the thread that owns the log.
struct rTableWritten {
    bool ok = true;
    bool tooLong = false;
    uint32_t id = 0;
    qsizetype bytes = 0;
    QString error;
    quillfs::TFileWriteSet file; // the table, complete beside its target until committed
};

// Builds one table and writes it beside its file, without touching the log, so it may run on a worker thread.
rTableWritten buildAndStageTable(const QString& basePath, tSkyStrList& list, int listIndex, const rCodepage& codepage) {
    rTableWritten result;
    try {
        // One pass over the entries gathers the texts and checks the id order; an unsorted list is sorted and
        // gathered again.
        std::vector<rTableText> entries;
        for (int pass = 0; pass < 2; ++pass) {
            entries.clear();
            entries.reserve(list.size());
            bool sorted = true;
            uint32_t previous = 0;
            for (size_t k = 0; k < list.size(); ++k) {
                tSkyStr* entry = list[k].get();
                // A one-character text never becomes empty in the game's tables.
                if (isSingleCharAndEmpty(entry->gS, entry->gTrans)) entry->setSTrans(QStringLiteral(" "));
                if (entry->id < previous) sorted = false;
                previous = entry->id;
                entries.push_back({entry->id, entry->gTrans, entry->hashTrans});
            }
            if (sorted) break;
            sortById(list);
        }
        const QByteArray bytes = buildStringTable(entries, listIndex, codepage);
        // Replace the file that is there in whatever letter case, rather than creating a twin beside it.
        QString target = quillfs::findPathNoCase(basePath + tableExtension(listIndex, true));
        if (target.isEmpty()) target = basePath + tableExtension(listIndex, true);
        if (!result.file.add(target, bytes))
            throw TQuillError(QDir::toNativeSeparators(target) + QStringLiteral(": ") + result.file.error());
    } catch (const TEntryTooLong& e) {
        result.ok = false;
        result.tooLong = true;
        result.id = e.id;
        result.bytes = e.bytes;
    } catch (const TQuillError& e) {
        result.ok = false;
        result.error = e.message();
    } catch (const std::exception& e) {
        result.ok = false;
        result.error = QString::fromLocal8Bit(e.what());
    }
    return result;
}

rCodepage exportCodepage(const TAppState& st, const QString& basePath) {
    return chooseCodepage(QFileInfo(basePath).fileName(), st.codepageList, st.ForceUtf8Export);
}

void logTableStart(TAppContext& app, const QString& basePath, int listIndex, const rCodepage& codepage) {
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_Saving"),
                                    {QDir::toNativeSeparators(basePath + tableExtension(listIndex))}));
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_Codepage"), {codepage.s}));
}

bool reportTableWritten(TAppContext& app, const QString& basePath, int listIndex, const rTableWritten& result) {
    if (result.ok) {
        logSeparator(app);
    } else if (result.tooLong) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_StringTooLong"),
                                        {QDir::toNativeSeparators(basePath + tableExtension(listIndex, true)),
                                         idText(result.id), static_cast<qlonglong>(result.bytes)}),
                       true);
    } else {
        app.logMessage(result.error, true);
    }
    return result.ok;
}

} // namespace

bool writeTable(TAppContext& app, const QString& basePath, tSkyStrList& list, int listIndex) {
    const rCodepage codepage = exportCodepage(app.state, basePath);
    logTableStart(app, basePath, listIndex, codepage);
    rTableWritten result = buildAndStageTable(basePath, list, listIndex, codepage);
    if (result.ok && !result.file.commit()) {
        result.ok = false;
        result.error =
            QDir::toNativeSeparators(result.file.failedTarget()) + QStringLiteral(": ") + result.file.error();
    }
    return reportTableWritten(app, basePath, listIndex, result);
}

bool tableSetExists(const QString& folder, const QString& pluginName, const QString& language) {
    for (int i = 0; i < 3; ++i)
        if (!findLooseTable(folder, pluginName, language, i).isEmpty()) return true;
    return false;
}

bool writeTableSet(TAppContext& app, tListSet& lists, const QString& folder, const QString& pluginName,
                   const QString& language) {
    const QString base = quillfs::withTrailingSeparator(folder) + pluginName + QLatin1Char('_') + language;
    QDir().mkpath(folder);
    // A big set is written by two threads: the table with the most entries on a worker, the other two here. Each
    // table's work touches only its own list and file; the log hears every table in order afterwards. The worker's
    // table is 60 % of the instructions of writing a 1,000,000-entry set (callgrind, bench_strings write-set).
    std::array<rTableWritten, 3> results;
    const std::array<size_t, 3> sizes = {lists[0].size(), lists[1].size(), lists[2].size()};
    const int largest = static_cast<int>(std::max_element(sizes.begin(), sizes.end()) - sizes.begin());
    const rCodepage codepage = exportCodepage(app.state, base);
    const auto build = [&](int i) { results[i] = buildAndStageTable(base, lists[i], i, codepage); };
    runSideBySide(
        worthSplitting(countListSet(lists)),
        [&] {
            for (int i = 0; i < 3; ++i)
                if (i != largest) build(i);
        },
        [&] { build(largest); });
    bool allStaged = true;
    for (int i = 0; i < 3; ++i) {
        logTableStart(app, base, i, codepage);
        if (!reportTableWritten(app, base, i, results[i])) allStaged = false;
        app.progressStep(i, 1);
    }
    const QString shownBase = QDir::toNativeSeparators(base);
    if (!allStaged) {
        // Nothing replaced: the tables on disk stay the set they were.
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_SavedError"), {shownBase}), true);
        return false;
    }
    quillfs::TFileWriteSet set;
    for (rTableWritten& result : results)
        set.append(std::move(result.file));
    if (set.commit()) return true;
    app.logMessage(QDir::toNativeSeparators(set.failedTarget()) + QStringLiteral(": ") + set.error(), true);
    QStringList written, notWritten;
    for (const QString& target : set.targets())
        (set.replaced().contains(target) ? written : notWritten).append(QDir::toNativeSeparators(target));
    if (!written.isEmpty())
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_TablesPartlyWritten"),
                                        {written.join(QStringLiteral(", ")), notWritten.join(QStringLiteral(", "))}),
                       true);
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_SavedError"), {shownBase}), true);
    return false;
}
