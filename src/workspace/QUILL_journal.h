// The recovery journal: every undo step of the open document appended, by a background writer, to a file in
// UserDictionary/Recovery/ so that work not yet saved survives a crash; its reader, and the restore on open.
// The file format is in QUILL_journalFormat.cpp, the writer thread in QUILL_journalWriter.cpp and the recovery in
// QUILL_journalRecovery.cpp.
#pragma once

#include "workspace/QUILL_history.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLockFile>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QFile;
class QIODevice;
class TWorkspace;
struct TMenuDocument;

// ----- The file format

// What names an entry across a reopen of its document: a plugin field by its record's form id, its signature and
// its position among the record's fields of that signature; a menu-file line by its key and which of the equal
// keys it is; any other entry by its list and string id (a table's string id, a script's string index).
struct rEntryIdentity {
    enum class TKind : uint8_t { stringId = 0, pluginField = 1, menuKey = 2 };
    TKind kind = TKind::stringId;
    uint8_t list = 0;
    uint32_t number = 0; // string id; form id; or the occurrence among equal menu keys (0 for the first)
    sHeaderSig field;    // plugin fields only
    uint16_t index = 0;  // plugin fields only
    QString key;         // menu lines only

    bool operator==(const rEntryIdentity& other) const = default;
    // One line of text naming the entry: "L1:0000002a", "L0:0001abcd:FULL:0", "M:$Key" ("M:$Key#1" for the
    // second line with that key).
    QString toText() const;
};

rEntryIdentity entryIdentity(const TWorkspace& ws, const tSkyStr& entry);
// The same with the open menu document (null for any other kind) looked up once by the caller: a command over every
// entry asks for half a million identities.
rEntryIdentity entryIdentity(const TMenuDocument* menu, const tSkyStr& entry);

struct rEntryIdentityHash {
    size_t operator()(const rEntryIdentity& id) const noexcept;
};

// Which document a journal belongs to and the state of the file when its first step was written.
struct rJournalHeader {
    QString documentPath;
    QString kind; // the document kind's name ("plugin", "stringTables" ...)
    int64_t documentSize = -1;
    int64_t documentTime = 0; // last modification, milliseconds since the epoch (UTC)
    QString sourceLang;
    QString destLang;
    uint8_t workMode = 0;
};

// An undo or redo is journalled as the states it put back, so that every record replays the same way.
enum class TJournalStepKind : uint8_t { command = 1, undo = 2, redo = 3 };

struct rJournalChange {
    rEntryIdentity entry;
    rEntryState state; // the state the step left the entry in
    // False when the step left the translation as it was: the text is then neither kept nor written (a status
    // command over every entry stays small), and a replay keeps the entry's own.
    bool hasTranslation = true;
};

struct rJournalRecord {
    TJournalStepKind kind = TJournalStepKind::command;
    int64_t time = 0; // milliseconds since the epoch (UTC)
    std::vector<rJournalChange> changes;
};

struct rJournalContents {
    rJournalHeader header;
    std::vector<rJournalRecord> records;
};

// The file: an 8-byte magic, then the header and each record as a block: 32-bit length, CRC-32 of the payload,
// payload. A block torn by a crash (short, or its checksum wrong) ends the journal there.
QByteArray encodeJournalHeader(const rJournalHeader& header);
void appendJournalRecord(QByteArray& out, const rJournalRecord& record);
// False when the data does not start with a readable journal header; the records are those before the first torn
// or damaged block.
bool readJournal(QByteArrayView data, rJournalContents& out);
// The same from a device read block by block (a journal file is never held whole besides what it holds).
bool readJournal(QIODevice& device, rJournalContents& out);
// The largest journal the open document's work could make (a few dozen steps each changing every entry): a bigger
// file at its journal's path is damage or planted, refused before it is read.
qint64 journalSizeLimit(const TWorkspace& ws);

// The step a command, an undo or a redo just left, as the journal keeps it. Runs on the window's thread: only the
// identities are worked out and the states copied (the texts are shared, not copied).
rJournalRecord captureJournalRecord(const TWorkspace& ws, const std::vector<rEntryChange>& changes,
                                    TJournalStepKind kind);

// ----- The writer thread

// Writes journals on its own thread: the caller only queues. One journal at a time; starting another (or ending the
// current one) comes after everything queued before it.
class TJournalWriter {
public:
    TJournalWriter();
    // Writes what is queued, then stops.
    ~TJournalWriter();
    TJournalWriter(const TJournalWriter&) = delete;
    TJournalWriter& operator=(const TJournalWriter&) = delete;

    // The records appended from now go to a new journal at `path` (replacing a file there when the first one is
    // written: the file is made whole with the header and that record, then appended to).
    void start(const QString& path, const rJournalHeader& header);
    void append(rJournalRecord record);
    // Ends the current journal: records not yet written are dropped and its file removed.
    void remove();
    // Ends the current journal and keeps its file (the work it holds was not saved).
    void close();
    // Waits until everything queued is written.
    void waitIdle();

    // Set by start, cleared by remove and close: the window's side of the writer.
    bool active() const { return active_; }
    const QString& path() const { return path_; }
    // The last write error since the last call, empty when none; cleared by the call.
    QString takeError();

    // Claims the journal at `path` for this process while its document is open (a lock file beside it), so that a
    // second window on the same document neither offers nor overwrites the journal of the first. A lock left by a
    // process that died is taken over. False when a live process holds it.
    bool claim(const QString& path);
    bool claimed(const QString& path) const { return lock_ && lockedPath_ == path; }
    // Lets the claim go (the document was closed).
    void release();

private:
    struct rJob {
        enum class TType { start, append, remove, close } type;
        QString path;
        rJournalHeader header;
        rJournalRecord record;
    };
    void run();
    void perform(rJob& job);
    void push(rJob job);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<rJob> jobs_;
    bool working_ = false;
    bool stopping_ = false;
    QString error_;
    // The writer thread's own state.
    std::unique_ptr<QFile> file_;
    QString filePath_;
    rJournalHeader fileHeader_;
    // The window thread's.
    bool active_ = false;
    QString path_;
    std::unique_ptr<QLockFile> lock_;
    QString lockedPath_;
    std::thread thread_; // last: started once everything above is made
};

// ----- Recovery

// What opening a document does with a journal a crash left: nothing (the command line unless --recover yes), ask
// (the window), or restore without asking (--recover yes).
enum class TRecoveryUse : uint8_t { ignore = 0, ask = 1, restore = 2 };

// The journal file of a document: Recovery/<file name>-<digest of path, kind and languages>.journal.
QString journalPathFor(const TWorkspace& ws);
// The header of the open document's journal, as things stand now.
rJournalHeader currentJournalHeader(const TWorkspace& ws);

// Hooks the workspace calls. Each does nothing unless the workspace writes a journal.
// A step was pushed, undone or redone.
void journalStep(TWorkspace& ws, const std::vector<rEntryChange>& changes, TJournalStepKind kind);
// The work was saved or dropped ("No" to the unsaved-work question): the journal is removed.
void endJournal(TWorkspace& ws);
// The document is being closed: the journal is removed when nothing is unsaved, else kept.
void closeJournal(TWorkspace& ws);
// Run once a document is open: a journal left for it is offered ("Ask_RecoverJournal"), replayed as one undo step
// ("Step_Recover") on Yes, moved to Recovery/Discarded/ on No. A symbolic link at the journal's path is never
// followed ("Fbk_JournalLink"); a file bigger than journalSizeLimit is not read ("Fbk_JournalTooBig") and is moved
// to Recovery/Discarded/ by the window. Returns the number of entries restored.
int offerJournal(TWorkspace& ws);
// Replays the records onto the open document as one undo step; `missing` counts the changes naming no entry.
int replayJournal(TWorkspace& ws, const std::vector<rJournalRecord>& records, int* missing = nullptr);
