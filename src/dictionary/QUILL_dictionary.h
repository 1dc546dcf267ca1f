// Dictionary files (.sst): the record layout of the four versions, the version-4 writer, the two readers, the
// addon hash and the timestamped backups.
#pragma once

#include "core/QUILL_cursor.h"
#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_main.h"
#include "strings/QUILL_typedef.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace quilldict {

// The version a file's first four bytes announce: 1 "SSU2", 2 "SSU3", 3 "SSU4", 4 "SSU5"; 0 for anything else.
int dictionaryVersion(QByteArrayView head);
// The magic of a version (1 to 4).
QByteArray dictionaryMagic(int version);
constexpr int kWrittenDictionaryVersion = 4;

// One record as stored, whatever the version (fields the version lacks keep these defaults).
struct rDictionaryRecord {
    uint8_t listIndex = 0;
    uint32_t stringID = 0;
    uint32_t formID = 0;
    sHeaderSig fName{'0', '0', '0', '0'};
    uint16_t index = 0;
    uint16_t indexMax = 0;
    uint32_t edidHash = 0;
    uint8_t flags = 0;
    QString source;
    QString translation;
};

// A text of the system's own files: an i32 byte count then UTF-16LE code units. A negative or odd count, or one
// beyond the end of the data, throws before anything is allocated.
QString readSizedText(TBinaryCursor& cursor);
void appendSizedText(QByteArray& out, const QString& text);

// Reads the next record of `version`; throws TQuillError on a record cut short, an odd text length or a list
// index above 2.
void readDictionaryRecord(TBinaryCursor& cursor, int version, rDictionaryRecord& record);
// Appends a version-4 record.
void appendDictionaryRecord(QByteArray& out, const rDictionaryRecord& record);
// The version-4 record of an entry (validated never stored; no plugin field gives index 0, maximum 0, hash 0).
rDictionaryRecord recordFromEntry(const tSkyStr& entry);

// Parses a whole dictionary file, calling `sink` for every record in file order; returns the version, or 0 when
// the data is not a dictionary. Throws TQuillError when a record is malformed (records before it were delivered).
// `progress` gets the read position every `every` records.
int parseDictionary(QByteArrayView data, const std::function<void(const rDictionaryRecord&)>& sink,
                    const std::function<void(qsizetype)>& progress = {}, int every = 50);

// Whether the writer keeps an entry: no isDeleted, Warning, nTrans, pexNoTrans; some translated, incompleteTrans
// or validated status.
bool isSavedInDictionary(const tSkyStr& entry);
// The bytes of a version-4 dictionary holding the saved entries of `lists`, list 0 first.
QByteArray buildDictionaryFile(const tListSet& lists, const std::function<void(int)>& progress = {});

// Entries read from one or more files, merged into sorted lists in one step. The result equals inserting each
// entry in turn by binary search under byDictionaryKey (an entry equal to one already there is dropped and the
// one there stands for it), without the quadratic cost of moving the tails of large lists.
class TSortedBatch {
public:
    // Takes an entry; returns its sequence number (for `standsFor` after the merge).
    size_t add(std::unique_ptr<tSkyStr> entry);
    size_t size() const { return count_; }
    // Merges into `target`, whose lists must be sorted by byDictionaryKey without equal entries.
    void mergeInto(tListSet& target);
    // After the merge: the entry that stands for the entry added with sequence number `seq`.
    tSkyStr* standsFor(size_t seq) const { return survivors_[seq]; }

private:
    struct rPending {
        uint32_t hash;
        uint32_t hashTrans;
        size_t seq;
        std::unique_ptr<tSkyStr> entry;
    };
    std::array<std::vector<rPending>, 3> pending_;
    std::vector<tSkyStr*> survivors_;
    size_t count_ = 0;
};

// Sorts lists that are in byDictionaryKey order into byHashSourceId order, exactly as a stable sort would, by
// ordering only the runs of equal source (hash and text) by id.
void sortByHashSourceIdFromKeyOrder(tListSet& lists);

// Options of loadDictionary.
struct rDictionaryLoad {
    bool withReferences = false;
    uint8_t addFlags = 0;
    uint8_t unlessFlags = 0;
    int32_t folderId = 0;
    void* node = nullptr;
};

// Reads a dictionary into `batch` for the vocabulary or for application. Returns the version read (0 when the
// file is missing or not a dictionary); `counter` grows by one per record taken in. With references, a
// version-4 file adds one reference per record taken in, pointing at the batch sequence of its entry (resolved
// by the caller after the merge). Throws TQuillError on a malformed record, after delivering the ones before it.
struct rPendingRef {
    size_t seq;
    rDictionaryRecord key; // texts left empty
};
int readDictionaryFile(const QByteArray& data, TSortedBatch& batch, const rDictionaryLoad& options, int& counter,
                       std::vector<rPendingRef>* references, const std::function<void(qsizetype)>& progress = {});

// The full readers: read the file at `path`, merge into the target lists, resolve references, and report a
// malformed file with "FbK_SSTLoadError" (entries read before the fault stay). True when read to the end.
bool loadDictionary(TAppContext& app, tListSet& target, const QString& path, const rDictionaryLoad& options,
                    int& counter, std::vector<tEspStrRef>* references);
bool loadDictionaryForEdit(TAppContext& app, tListSet& target, const QString& path, bool initStrings, uint8_t addFlags,
                           uint8_t unlessFlags, int& counter);
// Writes the saved entries of `lists` as a version-4 file, whole or not at all (`keep` makes the backup just before
// the file is replaced, see quillfs::TFileWriteSet). Exceptions and write failures are logged and shown; false then.
bool writeDictionary(TAppContext& app, const tListSet& lists, const QString& path,
                     const quillfs::tKeepOriginal& keep = {});

// The hash step folded over the source hashes of every entry, list 0 first.
uint32_t computeAddonHash(const tListSet& lists);

// The custom dictionary's fixed name.
inline QString customDictionaryName() {
    return QStringLiteral("_userCustomDictionary");
}

// Backups: `backupDictionary` (strings/QUILL_backup.h) keeps UserDictionary/f in the backup folder.
// Keeps at most sstbackupCount backups of `fileName`, deleting the oldest.
void pruneDictionaryBackups(const TAppState& state, const QString& fileName);

} // namespace quilldict
