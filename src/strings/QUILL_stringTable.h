// String table files (.STRINGS, .DLSTRINGS, .ILSTRINGS): the parser, the readers with their sink modes, reading a
// set of three from loose files or the plugin's archive, and the writer with shared data entries.
#pragma once

#include "core/QUILL_error.h"
#include "strings/QUILL_codepage.h"
#include "strings/QUILL_typedef.h"

#include <QByteArray>
#include <QString>
#include <functional>

class TAppContext;

// What happens to each entry a table read produces.
enum class tSinkMode : uint8_t {
    append = 0,            // vocabulary cache build: appended as read
    openTables = 1,        // opening a table set: parsed (initStrings) and appended
    localizedPlugin = 2,   // a plugin's localized strings: matched by id with the plugin's entries
    cacheDestination = 3,  // cache build, destination language: the text becomes the translation of the same id
    destinationTables = 4, // destination-language tables into the open work, through a predicate
};

struct rTableSink {
    tSinkMode mode = tSinkMode::append;
    // Mode 4: which existing entries take the destination text.
    tStringPredicate predicate = tStringPredicate::all;
    std::function<bool(const tSkyStr&)> isSelected;
    // Mode 2: a further plugin field sharing the id must now point at the owner entry (the plugin code knows how).
    std::function<void(tSkyStr& further, tSkyStr& owner)> relinkShared;
};

// ".strings", ".dlstrings", ".ilstrings" (or the upper-case forms used when writing).
QString tableExtension(int listIndex, bool upperCase = false);
// The list index of a table file name by its extension, or -1.
int tableKindOfFile(const QString& fileName);

// One parsed table entry.
struct rTableEntry {
    uint32_t id = 0;
    QString text;
};

// What a parse found besides its entries.
struct rTableParseInfo {
    uint32_t count = 0;
    uint32_t dataSize = 0;
    // Entries whose offset lay past the end of the input (they hold an empty text) or whose text ran past it
    // (they hold what the input has).
    uint32_t damagedEntries = 0;
    uint32_t firstDamagedId = 0;
};

// A table's header and directory, checked once; entry(i) locates one entry's text without reading outside the
// input, so entries can be taken in any order or from several threads.
class TTableDirectory {
public:
    // Throws TQuillError when the header or the directory does not fit the input. Empty input has no entries.
    TTableDirectory(QByteArrayView bytes, int listIndex);

    struct rLocated {
        uint32_t id = 0;
        QByteArrayView text;
        // The offset lay past the end of the input (the text is empty) or the text ran past it (it is cut there).
        bool damaged = false;
    };

    uint32_t count() const { return count_; }
    uint32_t dataSize() const { return dataSize_; }
    rLocated entry(qsizetype index) const;

private:
    QByteArrayView bytes_;
    qsizetype dataStart_ = 0;
    uint32_t count_ = 0;
    uint32_t dataSize_ = 0;
    bool prefixed_ = false;
};

// Parses a whole table held in memory. Empty input gives no entries. Throws TQuillError when the header or the
// directory does not fit the input; never reads outside it. `onEntry` gets each entry in directory order with the
// entry's index.
rTableParseInfo parseStringTable(QByteArrayView bytes, int listIndex, const rCodepage& codepage,
                                 const std::function<void(qsizetype index, uint32_t id, QString&& text)>& onEntry);

// A text whose encoding does not fit one table entry.
class TEntryTooLong : public TQuillError {
public:
    TEntryTooLong(uint32_t id, qsizetype bytes, const QString& message) : TQuillError(message), id(id), bytes(bytes) {}
    uint32_t id;
    qsizetype bytes; // encoded length with the final 0 byte
};

// One text to write, with its text hash (textHash), which the shared-entry lookup uses.
struct rTableText {
    uint32_t id = 0;
    QStringView text; // the text itself stays with its owner, which must keep it until the table is built
    uint32_t hash = 0;
};

// Builds the bytes of a table from (id, text) pairs in the order given; equal texts share one data entry.
// Throws TQuillError naming the id of a text whose encoding does not fit one entry (kMaxEntryBytes).
QByteArray buildStringTable(const std::vector<std::pair<uint32_t, QString>>& entries, int listIndex,
                            const rCodepage& codepage);
QByteArray buildStringTable(const std::vector<rTableText>& entries, int listIndex, const rCodepage& codepage);

// Reads one table into `list` through the sink. Returns the number of entries sink mode 2 did not match, or -1
// after a read error (logged and shown). The code page comes from the file name (or `name`).
qsizetype readTableFile(TAppContext& app, const QString& path, tSkyStrList& list, const rTableSink& sink, int score,
                        int listIndex, uint32_t idOffset);
qsizetype readTableBytes(TAppContext& app, const QByteArray& bytes, const QString& name, int score, int listIndex,
                         uint32_t idOffset, const rTableSink& sink, tSkyStrList& list);

// The loose table file of a set (found ignoring case), or empty.
QString findLooseTable(const QString& folder, const QString& pluginName, const QString& language, int listIndex);
// The folder holding the archives of the tables in `folder` ("Strings" sits beside the plugin and its archives).
QString tableSetArchiveFolder(const QString& folder);

// Reads the three tables of "<folder><pluginName>_<language>" into `lists`: a loose table first, else from the
// plugin's archives (modArchiveNames). An archive that lists a table but cannot give it fails the set.
// A missing table reports "Fbk_MissingStr" and reads nothing. `unmatched` receives the total sink mode 2 did not
// match.
bool readTableSet(TAppContext& app, tListSet& lists, const QString& folder, const QString& pluginName,
                  const rTableSink& sink, bool allowArchive, const QString& language, qsizetype* unmatched = nullptr);

// Writes `list` as the table "<basePath><extension>" (an existing file of that name in any letter case is replaced,
// whole or not at all). The list is sorted by id; a one-character source with an empty translation gets " ".
bool writeTable(TAppContext& app, const QString& basePath, tSkyStrList& list, int listIndex);

// Writes the three tables "<folder><pluginName>_<language>" without asking, as one set: each is written beside its
// file first, and only once all three are complete do they replace the old ones, so that the set is never a mix of
// new and old tables. Returns true when all three were replaced. A failure is reported ("Fbk_SavedError"); when a
// replacement fails after another succeeded, "Fbk_TablesPartlyWritten" names the tables written and those not.
bool writeTableSet(TAppContext& app, tListSet& lists, const QString& folder, const QString& pluginName,
                   const QString& language);
// True when any table of the set exists (ignoring case).
bool tableSetExists(const QString& folder, const QString& pluginName, const QString& language);
