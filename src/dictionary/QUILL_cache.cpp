// Vocabulary cache: finding and pairing official table sets, writing and loading ".cache" files.
#include "dictionary/QUILL_cache.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_error.h"
#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_main.h"
#include "core/QUILL_parallel.h"
#include "dictionary/QUILL_dictionary.h"
#include "dictionary/QUILL_vocabulary.h"
#include "strings/QUILL_archive.h"
#include "strings/QUILL_stringTable.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <tuple>
#include <utility>

namespace {

constexpr uint32_t kIdOffsetStep = 200000;

QString archiveEntryName(const QString& setName, const QString& lang) {
    return QFileInfo(setName).fileName() + QLatin1Char('_') + lang.toLower();
}

} // namespace

bool rVocabularySources::complete() const {
    for (int i = 0; i < 3; ++i)
        if (source[i] == tTableSource::missing || destination[i] == tTableSource::missing) return false;
    return true;
}

QString vocabularySetName(const QString& line) {
    return line.trimmed().toLower().mid(8);
}

bool vocabularyLineIsTableSet(const QString& line) {
    return line.trimmed().toLower().startsWith(QLatin1String("strings"));
}

QString cacheFilePath(const TAppState& state, const QString& setName) {
    QString normal = setName;
    normal.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString filePart = normal.mid(normal.lastIndexOf(QLatin1Char('/')) + 1);
    return quillfs::withTrailingSeparator(state.cacheFolder) + filePart + QLatin1Char('_') + state.SourceLang +
           QLatin1Char('_') + state.DestLang + QStringLiteral(".cache");
}

rVocabularySources findVocabularySources(const QString& stringsFolder, const QString& setName,
                                         const QString& sourceLang, const QString& destLang) {
    rVocabularySources found;
    TModArchives archives(tableSetArchiveFolder(stringsFolder), QFileInfo(setName).fileName());
    auto locate = [&](const QString& lang, int i, QString& path) {
        path = findLooseTable(stringsFolder, setName, lang, i);
        if (!path.isEmpty() && quillfs::fileIsUsable(path)) return tTableSource::loose;
        path = archives.locate(QStringLiteral("strings"), archiveEntryName(setName, lang) + tableExtension(i));
        return path.isEmpty() ? tTableSource::missing : tTableSource::archive;
    };
    for (int i = 0; i < 3; ++i) {
        found.source[i] = locate(sourceLang, i, found.sourcePath[i]);
        found.destination[i] = locate(destLang, i, found.destinationPath[i]);
    }
    return found;
}

bool pairVocabularySet(TAppContext& app, tListSet& lists, int lineIndex, const QString& stringsFolder,
                       const QString& setName) {
    const TAppState& st = app.state;
    const rVocabularySources where = findVocabularySources(stringsFolder, setName, st.SourceLang, st.DestLang);
    if (!where.complete()) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_MissingVocabStr"), {setName}));
        app.logSeparator();
        return false;
    }
    const uint32_t idOffset = static_cast<uint32_t>(lineIndex + 1) * kIdOffsetStep;
    auto readOne = [&](tTableSource source, const QString& path, const QString& lang, int i, tSinkMode mode) {
        rTableSink sink;
        sink.mode = mode;
        if (source == tTableSource::loose) {
            app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_ReadFile"), {QDir::toNativeSeparators(path)}));
            readTableFile(app, path, lists[i], sink, 99, i, idOffset);
            return;
        }
        const QString entry = archiveEntryName(setName, lang) + tableExtension(i);
        const QString inside = QStringLiteral("strings\\") + entry;
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_ReadBsa"),
                                        {QDir::toNativeSeparators(path) + QStringLiteral(": ") + inside}));
        QByteArray bytes;
        try {
            TModArchives archive(path);
            if (archive.read(QStringLiteral("strings"), entry, bytes))
                readTableBytes(app, bytes, inside, 99, i, idOffset, sink, lists[i]);
            else
                app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_MissingStr"), {inside}));
        } catch (const TQuillError& error) {
            app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_ArchiveError"), {error.message()}), true);
        }
    };
    for (int i = 0; i < 3; ++i) {
        readOne(where.source[i], where.sourcePath[i], st.SourceLang, i, tSinkMode::append);
        sortById(lists[i]);
        readOne(where.destination[i], where.destinationPath[i], st.DestLang, i, tSinkMode::cacheDestination);
        tSkyStrList& list = lists[i];
        const auto kept = std::stable_partition(
            list.begin(), list.end(), [](const auto& e) { return e->hasFlag(sStrInternalParam::matchedIDfound); });
        if (kept != list.end()) {
            list.erase(kept, list.end());
            app.logMessage(app.uiText(QStringLiteral("Fbk_CacheStrNoMatch")));
            app.logSeparator();
        }
    }
    return true;
}

bool writeCacheBytes(const tListSet& lists, const std::function<bool(const QByteArray&)>& write) {
    // Written a megabyte at a time: the whole file (twice the texts, in UTF-16) is never held beside the entries.
    constexpr qsizetype kChunk = qsizetype{1} << 20;
    QByteArray out("SST2", 4);
    out.reserve(kChunk + 4096);
    for (int i = 0; i < 3; ++i) {
        const tSkyStrList& list = lists[i];
        // A pair equal to an earlier one of the same list (byDictionaryKey) is left out. Equal pairs share both
        // hashes, so positions are grouped by the two hashes and only a group's texts are compared.
        // The hashes are copied beside the positions, so that sorting reads no entry.
        struct rKey {
            uint32_t hash;
            uint32_t hashTrans;
            size_t at;
            bool operator<(const rKey& o) const {
                return std::tie(hash, hashTrans, at) < std::tie(o.hash, o.hashTrans, o.at);
            }
        };
        std::vector<rKey> order(list.size());
        for (size_t k = 0; k < list.size(); ++k)
            order[k] = {list[k]->hash, list[k]->hashTrans, k};
        std::sort(order.begin(), order.end());
        std::vector<bool> skip(list.size(), false);
        for (size_t first = 0; first < order.size();) {
            size_t last = first + 1;
            while (last < order.size() && order[last].hash == order[first].hash &&
                   order[last].hashTrans == order[first].hashTrans)
                ++last;
            for (size_t a = first; a < last; ++a) {
                if (skip[order[a].at]) continue;
                for (size_t b = a + 1; b < last; ++b)
                    if (!skip[order[b].at] && skycompare::byDictionaryKey(*list[order[a].at], *list[order[b].at]) == 0)
                        skip[order[b].at] = true; // positions within a group stay in list order: b came later
            }
            first = last;
        }
        for (size_t k = 0; k < list.size(); ++k) {
            if (skip[k]) continue;
            binary_out::u8(out, static_cast<uint8_t>(i));
            quilldict::appendSizedText(out, list[k]->gS);
            quilldict::appendSizedText(out, list[k]->gTrans);
            if (out.size() >= kChunk) {
                if (!write(out)) return false;
                out.resize(0);
            }
        }
    }
    return out.isEmpty() || write(out);
}

QByteArray buildCacheBytes(const tListSet& lists) {
    QByteArray all;
    writeCacheBytes(lists, [&all](const QByteArray& part) {
        all.append(part);
        return true;
    });
    return all;
}

bool writeCache(TAppContext& app, const tListSet& lists, const QString& path) {
    QString error;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const auto writer = [&lists](QIODevice& device) {
        return writeCacheBytes(lists, [&device](const QByteArray& part) { return device.write(part) == part.size(); });
    };
    if (quillfs::writeFileAtomic(path, writer, &error)) return true;
    app.logMessage(QDir::toNativeSeparators(path) + QStringLiteral(": ") + error, true);
    return false;
}

bool loadCache(TAppContext& app, const QString& path, tListSet& lists, void* node, int& counter, int32_t folderId) {
    const QString existing = quillfs::findPathNoCase(path);
    QByteArray data;
    if (existing.isEmpty() || !quillfs::readWholeFile(existing, data)) return false;
    if (data.size() < 4 || !data.startsWith("SST2")) return false;
    app.progressMax(data.size());
    quilldict::TSortedBatch batch;
    bool ok = true;
    try {
        ok = quilldict::readCacheFile(data, batch, node, folderId, counter,
                                      [&app](qsizetype at) { app.progressAt(at); });
    } catch (const std::exception&) {
        ok = false;
        app.logMessage(app.uiTextFormat(QStringLiteral("FbK_CacheLoadError"), {QFileInfo(existing).fileName()}), true);
    }
    batch.mergeInto(lists);
    if (ok) app.progressAt(data.size());
    return ok;
}

int buildCaches(TAppContext& app, tListSet& lists, const QString& stringsFolder, int* failed) {
    app.host().setStatusText(2, app.uiText(QStringLiteral("Fbk_BuildingCache")));
    const QStringList lines = app.state.vocabularyList;
    int written = 0;
    for (int k = 0; k < lines.size(); ++k) {
        const QString setName = vocabularySetName(lines[k]);
        if (vocabularyLineIsTableSet(lines[k])) pairVocabularySet(app, lists, k, stringsFolder, setName);
        // A set whose tables were not found gives nothing to write: no empty cache is left to list.
        if (countListSet(lists) > 0) {
            if (writeCache(app, lists, cacheFilePath(app.state, setName)))
                ++written;
            else if (failed)
                ++*failed;
        }
        // A set of hundreds of thousands of entries takes a tenth of a second to free: a worker frees it while the
        // next set is read (or the command line ends, leaving it to the operating system). A hand-over waits for the
        // last one, so an empty set is not handed over.
        if (countListSet(lists) > 0) backgroundRelease().release(std::exchange(lists, tListSet{}));
        app.progressStep(k, 1);
    }
    return written;
}
