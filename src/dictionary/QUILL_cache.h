// The vocabulary cache: official table sets of the source and destination languages paired id by id into
// ".cache" files ("SST2" then list index, source and translation records), built from vocabulary.txt.
#pragma once

#include "strings/QUILL_typedef.h"

#include <QByteArray>
#include <QString>
#include <array>

class TAppContext;
struct TAppState;

// Where one table of a set is.
enum class tTableSource : uint8_t { missing, loose, archive };

struct rVocabularySources {
    std::array<tTableSource, 3> source{};
    std::array<tTableSource, 3> destination{};
    std::array<QString, 3> sourcePath;      // the loose file, or the archive holding the table
    std::array<QString, 3> destinationPath; // the loose file, or the archive holding the table
    bool complete() const;
};

// The table-set name of a vocabulary.txt line: trimmed and lower-cased, from its ninth character on.
QString vocabularySetName(const QString& line);
// Whether the line names tables to pair (it begins with "strings").
bool vocabularyLineIsTableSet(const QString& line);
// "<Cache folder><file-name part of setName>_<SourceLang>_<DestLang>.cache".
QString cacheFilePath(const TAppState& state, const QString& setName);

// Finds the six tables of a set: a usable loose file wins, else the first of the set's archives beside
// stringsFolder (modArchiveNames) that holds "strings\<set>_<lang><ext>".
rVocabularySources findVocabularySources(const QString& stringsFolder, const QString& setName,
                                         const QString& sourceLang, const QString& destLang);

// Reads and pairs one set into `lists` (which the caller has emptied). A set with a missing table logs
// "Fbk_MissingVocabStr" and reads nothing (false).
bool pairVocabularySet(TAppContext& app, tListSet& lists, int lineIndex, const QString& stringsFolder,
                       const QString& setName);

// The cache bytes of `lists`: list 0, 1, 2 in list order, a pair equal under byDictionaryKey to one already written
// from the same list left out.
QByteArray buildCacheBytes(const tListSet& lists);
// The same bytes handed to `write` in parts of about a megabyte; false as soon as `write` fails.
bool writeCacheBytes(const tListSet& lists, const std::function<bool(const QByteArray&)>& write);
// Writes the cache whole or not at all; a failure is logged and shown.
bool writeCache(TAppContext& app, const tListSet& lists, const QString& path);

// Reads a cache into `lists` (sorted by byDictionaryKey, equal entries dropped). A missing file or one without the
// magic gives false silently; a damaged one reports "FbK_CacheLoadError" and keeps the entries before the fault.
bool loadCache(TAppContext& app, const QString& path, tListSet& lists, void* node, int& counter, int32_t folderId);

// "Build_Cache" without its bracket: one cache per line of the state's vocabulary list, from `stringsFolder`.
// `lists` are the working lists, emptied after each set. Returns the number of caches written; `failed`, when given,
// gets the number of sets read whose cache could not be written (each logged and shown).
int buildCaches(TAppContext& app, tListSet& lists, const QString& stringsFolder, int* failed = nullptr);
