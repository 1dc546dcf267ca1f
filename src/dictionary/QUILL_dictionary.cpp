// Dictionary files: record layout, writer, readers, names, addon hash and backups.
#include "dictionary/QUILL_dictionary.h"

#include "core/QUILL_files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace quilldict {

namespace {

const char* const kMagics[4] = {"SSU2", "SSU3", "SSU4", "SSU5"};

constexpr uint8_t kValidatedBit = 1u << static_cast<int>(sStrParam::validated);
constexpr uint8_t kIncompleteBit = 1u << static_cast<int>(sStrParam::incompleteTrans);

} // namespace

int dictionaryVersion(QByteArrayView head) {
    if (head.size() < 4) return 0;
    for (int v = 0; v < 4; ++v)
        if (std::memcmp(head.data(), kMagics[v], 4) == 0) return v + 1;
    return 0;
}

QByteArray dictionaryMagic(int version) {
    return version >= 1 && version <= 4 ? QByteArray(kMagics[version - 1], 4) : QByteArray();
}

QString readSizedText(TBinaryCursor& cursor) {
    const int32_t bytes = cursor.i32le();
    if (bytes < 0 || (bytes & 1) != 0)
        throw TQuillError(QStringLiteral("Bad text length %1 at offset %2").arg(bytes).arg(cursor.pos() - 4));
    return cursor.utf16le(bytes / 2);
}

void appendSizedText(QByteArray& out, const QString& text) {
    binary_out::u32le(out, static_cast<uint32_t>(text.size() * 2));
    binary_out::utf16le(out, text);
}

void readDictionaryRecord(TBinaryCursor& cursor, int version, rDictionaryRecord& record) {
    record = rDictionaryRecord{};
    const qsizetype start = cursor.pos();
    record.listIndex = cursor.u8();
    if (record.listIndex > 2)
        throw TQuillError(QStringLiteral("Bad list index %1 at offset %2").arg(record.listIndex).arg(start));
    if (version >= 2) {
        record.stringID = cursor.u32le();
        record.formID = cursor.u32le();
        record.fName = sHeaderSig::fromBytes(cursor.view(4).data());
    }
    if (version >= 3) record.index = cursor.u16le();
    if (version >= 4) {
        record.indexMax = cursor.u16le();
        record.edidHash = cursor.u32le();
    }
    record.flags = cursor.u8();
    record.source = readSizedText(cursor);
    record.translation = readSizedText(cursor);
}

void appendDictionaryRecord(QByteArray& out, const rDictionaryRecord& record) {
    binary_out::u8(out, record.listIndex);
    binary_out::u32le(out, record.stringID);
    binary_out::u32le(out, record.formID);
    out.append(record.fName.c, 4);
    binary_out::u16le(out, record.index);
    binary_out::u16le(out, record.indexMax);
    binary_out::u32le(out, record.edidHash);
    binary_out::u8(out, record.flags);
    appendSizedText(out, record.source);
    appendSizedText(out, record.translation);
}

rDictionaryRecord recordFromEntry(const tSkyStr& entry) {
    rDictionaryRecord r;
    r.listIndex = entry.listIndex;
    r.stringID = entry.id;
    r.formID = entry.esp.formID;
    r.fName = entry.esp.fName;
    const rFieldIndex fieldIndex = entry.getrFieldIndex();
    r.index = fieldIndex.index;
    r.indexMax = fieldIndex.indexMax;
    r.edidHash = entry.getEdidHash();
    r.flags = static_cast<uint8_t>(entry.sparams.bits() & ~kValidatedBit);
    r.source = entry.gS;
    r.translation = entry.gTrans;
    return r;
}

int parseDictionary(QByteArrayView data, const std::function<void(const rDictionaryRecord&)>& sink,
                    const std::function<void(qsizetype)>& progress, int every) {
    const int version = dictionaryVersion(data);
    if (version == 0) return 0;
    TBinaryCursor cursor(data);
    cursor.skip(4);
    if (version == 4) cursor.skip(1);
    rDictionaryRecord record;
    int n = 0;
    while (!cursor.atEnd()) {
        readDictionaryRecord(cursor, version, record);
        sink(record);
        if (progress && every > 0 && ++n % every == 0) progress(cursor.pos());
    }
    return version;
}

bool isSavedInDictionary(const tSkyStr& entry) {
    const auto& f = entry.sInternalparams;
    if (f.has(sStrInternalParam::isDeleted) || f.has(sStrInternalParam::Warning) || f.has(sStrInternalParam::nTrans) ||
        f.has(sStrInternalParam::pexNoTrans))
        return false;
    return entry.hasParam(sStrParam::translated) || entry.hasParam(sStrParam::incompleteTrans) ||
           entry.hasParam(sStrParam::validated);
}

QByteArray buildDictionaryFile(const tListSet& lists, const std::function<void(int)>& progress) {
    QByteArray out = dictionaryMagic(kWrittenDictionaryVersion);
    binary_out::u8(out, 0);
    int n = 0;
    for (const auto& list : lists) {
        for (const auto& entry : list) {
            if (!isSavedInDictionary(*entry)) continue;
            appendDictionaryRecord(out, recordFromEntry(*entry));
            if (progress && ++n % 1000 == 0) progress(n);
        }
    }
    return out;
}

size_t TSortedBatch::add(std::unique_ptr<tSkyStr> entry) {
    const size_t seq = count_++;
    const int list = std::min<int>(entry->listIndex, 2);
    const uint32_t hash = entry->hash, hashTrans = entry->hashTrans;
    pending_[list].push_back({hash, hashTrans, seq, std::move(entry)});
    return seq;
}

void TSortedBatch::mergeInto(tListSet& target) {
    survivors_.assign(count_, nullptr);
    // byDictionaryKey with the hashes read from the pending array (the entries are only reached on equal hashes),
    // then the order of adding: the first of equal entries comes first and is the one kept.
    const auto less = [](const rPending& a, const rPending& b) {
        if (a.hash != b.hash) return a.hash < b.hash;
        if (int c = skycompare::compareText(a.entry->gS, b.entry->gS)) return c < 0;
        if (a.hashTrans != b.hashTrans) return a.hashTrans < b.hashTrans;
        if (int c = skycompare::compareText(a.entry->gTrans, b.entry->gTrans)) return c < 0;
        return a.seq < b.seq;
    };
    for (int li = 0; li < 3; ++li) {
        auto& incoming = pending_[li];
        if (incoming.empty()) continue;
        std::sort(incoming.begin(), incoming.end(), less);
        tSkyStrList& existing = target[li];
        tSkyStrList merged;
        merged.reserve(existing.size() + incoming.size());
        size_t i = 0, j = 0;
        while (i < existing.size() || j < incoming.size()) {
            const bool takeExisting =
                j >= incoming.size() ||
                (i < existing.size() && skycompare::byDictionaryKey(*existing[i], *incoming[j].entry) <= 0);
            if (takeExisting) {
                merged.push_back(std::move(existing[i++]));
                continue;
            }
            rPending& p = incoming[j++];
            // Equal entries have equal hashes: the last kept entry is reached only when both hashes match.
            if (!merged.empty() && merged.back()->hash == p.hash && merged.back()->hashTrans == p.hashTrans &&
                skycompare::byDictionaryKey(*merged.back(), *p.entry) == 0) {
                survivors_[p.seq] = merged.back().get();
                continue; // p.entry is freed with `incoming`
            }
            survivors_[p.seq] = p.entry.get();
            merged.push_back(std::move(p.entry));
        }
        existing = std::move(merged);
        incoming.clear();
    }
}

int readDictionaryFile(const QByteArray& data, TSortedBatch& batch, const rDictionaryLoad& options, int& counter,
                       std::vector<rPendingRef>* references, const std::function<void(qsizetype)>& progress) {
    int version = dictionaryVersion(data);
    if (version == 0) return 0;
    const bool keepReferences = options.withReferences && version == 4 && references;
    parseDictionary(
        data,
        [&](const rDictionaryRecord& r) {
            if (isSingleCharAndEmpty(r.source, r.translation)) return;
            uint8_t flags = r.flags;
            if ((flags & options.unlessFlags) == 0) flags |= options.addFlags;
            if ((flags & kIncompleteBit) && !options.withReferences) return;
            ++counter;
            auto entry = std::make_unique<tSkyStr>(
                r.source, r.translation, r.listIndex, static_cast<uint32_t>(options.folderId), 0,
                sStrParams::fromBits(flags), sStrInternalParams{sStrInternalParam::isCache}, options.node);
            const size_t seq = batch.add(std::move(entry));
            if (keepReferences) {
                rPendingRef ref{seq, {}};
                ref.key.stringID = r.stringID;
                ref.key.formID = r.formID;
                ref.key.fName = r.fName;
                ref.key.index = r.index;
                ref.key.indexMax = r.indexMax;
                ref.key.edidHash = r.edidHash;
                references->push_back(std::move(ref));
            }
        },
        progress, 50);
    return version;
}

namespace {

void reportLoadError(TAppContext& app, const QString& path, const QString& detail) {
    app.logMessage(app.uiTextFormat(QStringLiteral("FbK_SSTLoadError"), {QFileInfo(path).fileName(), detail}), true,
                   dbOk);
}

bool readFileForLoad(TAppContext& app, const QString& path, QByteArray& data) {
    if (!QFileInfo::exists(path)) return false;
    QString error;
    if (!quillfs::readWholeFile(path, data, &error)) {
        reportLoadError(app, path, error);
        return false;
    }
    return true;
}

std::function<void(qsizetype)> progressTo(TAppContext& app) {
    return [&app](qsizetype pos) {
        app.progressAt(pos);
        app.host().processEvents();
    };
}

} // namespace

bool loadDictionary(TAppContext& app, tListSet& target, const QString& path, const rDictionaryLoad& options,
                    int& counter, std::vector<tEspStrRef>* references) {
    QByteArray data;
    if (!readFileForLoad(app, path, data)) return false;
    if (dictionaryVersion(data) == 0) return false;
    app.progressMax(data.size());
    TSortedBatch batch;
    std::vector<rPendingRef> pending;
    bool ok = true;
    try {
        readDictionaryFile(data, batch, options, counter, references ? &pending : nullptr, progressTo(app));
    } catch (const TQuillError& e) {
        reportLoadError(app, path, e.message());
        ok = false;
    } catch (const std::bad_alloc&) {
        reportLoadError(app, path, QString());
        ok = false;
    }
    // Entries read before a fault stay, as do their references.
    batch.mergeInto(target);
    if (references) {
        references->reserve(references->size() + pending.size());
        for (const rPendingRef& p : pending)
            references->emplace_back(batch.standsFor(p.seq), p.key.stringID, p.key.formID, p.key.edidHash, p.key.fName,
                                     p.key.index, p.key.indexMax, 0u);
    }
    if (ok) app.progressAt(data.size());
    return ok;
}

bool loadDictionaryForEdit(TAppContext& app, tListSet& target, const QString& path, bool initStrings, uint8_t addFlags,
                           uint8_t unlessFlags, int& counter) {
    QByteArray data;
    if (!readFileForLoad(app, path, data)) return false;
    const int version = dictionaryVersion(data);
    if (version == 0) return false;
    app.progressMax(data.size());
    try {
        parseDictionary(
            data,
            [&](const rDictionaryRecord& r) {
                if (isSingleCharAndEmpty(r.source, r.translation)) return;
                uint8_t flags = r.flags;
                if ((flags & unlessFlags) == 0) flags |= addFlags;
                ++counter;
                auto entry =
                    std::make_unique<tSkyStr>(r.source, r.translation, r.listIndex, 0u, 0, sStrParams::fromBits(flags),
                                              sStrInternalParams{}, nullptr, initStrings);
                // Only version 2 kept these for editing; later versions locate strings by plugin field instead.
                if (version == 2) {
                    entry->id = r.stringID;
                    entry->esp.formID = r.formID;
                    entry->esp.fName = r.fName;
                }
                target[r.listIndex].push_back(std::move(entry));
            },
            progressTo(app), 50);
    } catch (const TQuillError& e) {
        reportLoadError(app, path, e.message());
        return false;
    } catch (const std::bad_alloc&) {
        reportLoadError(app, path, QString());
        return false;
    }
    app.progressAt(data.size());
    return true;
}

bool writeDictionary(TAppContext& app, const tListSet& lists, const QString& path, const quillfs::tKeepOriginal& keep) {
    app.progressMax(countListSet(lists));
    QString error;
    bool ok = false;
    try {
        qsizetype kept = 0;
        for (const auto& list : lists)
            kept += std::count_if(list.begin(), list.end(), [](const auto& e) { return isSavedInDictionary(*e); });
        app.progressMax(kept);
        const QByteArray bytes = buildDictionaryFile(lists, [&app](int n) { app.progressStep(n, 1000); });
        ok = quillfs::writeFileAtomic(path, bytes, &error, keep);
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
        ok = false;
    }
    if (!ok) {
        app.logMessage(error, true, dbOk);
        return false;
    }
    return true;
}

uint32_t computeAddonHash(const tListSet& lists) {
    uint32_t h = 0;
    for (const auto& list : lists)
        for (const auto& entry : list)
            h = hashStep(h, entry->hash);
    return h;
}

void pruneDictionaryBackups(const TAppState& state, const QString& fileName) {
    QDir dir(state.dictionaryBackupFolder);
    QStringList names = dir.entryList({fileName + QStringLiteral(".*")}, QDir::Files);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    const int keep = std::max(0, state.sstbackupCount);
    while (names.size() > keep) {
        QFile::remove(dir.filePath(names.takeFirst()));
    }
}

} // namespace quilldict

namespace quilldict {

void sortByHashSourceIdFromKeyOrder(tListSet& lists) {
    for (auto& list : lists) {
        size_t i = 0;
        while (i < list.size()) {
            size_t j = i + 1;
            while (j < list.size() && skycompare::byHashAndSource(*list[i], *list[j]) == 0)
                ++j;
            if (j - i > 1)
                std::stable_sort(list.begin() + static_cast<qsizetype>(i), list.begin() + static_cast<qsizetype>(j),
                                 [](const auto& a, const auto& b) { return a->id < b->id; });
            i = j;
        }
    }
}

} // namespace quilldict
