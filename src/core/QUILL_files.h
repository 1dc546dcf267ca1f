// File helpers every part shares: case-insensitive lookup, whole-or-nothing writes, the usable-file test.
#pragma once

#include "core/QUILL_cursor.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class QIODevice;

namespace quillfs {

// Finds `relative` (one or more components separated by '/' or '\') under `folder`, ignoring letter case in every
// component, so that "strings/mymod_en.strings" finds "Strings/MyMod_EN.STRINGS" on a case-sensitive file system.
// An exact match wins over a case-folded one. Returns the existing path, or an empty string.
QString findFileNoCase(const QString& folder, const QString& relative);

// The same for a full path: its folder part is taken as given when it exists, else looked up component by component.
QString findPathNoCase(const QString& path);

// How a symbolic link at a target is treated: written through (the file it names gets the new content, as an
// editor does) or replaced by the new file (files the program owns, whose path must never lead elsewhere).
enum class tLinkAtTarget : uint8_t { writeThrough, replace };

// A backup taken just before its file is replaced: `path` is where the original now also is (removed again when the
// replacement fails, empty when nothing was kept); `ok` false stops the replacement.
struct rKeptOriginal {
    bool ok = true;
    QString path;
    QString error;
};
using tKeepOriginal = std::function<rKeptOriginal(const QString& target)>;

// Files written whole or not at all. Each new content goes to a temporary file beside its target, is put on the
// disk and its size checked; only once every file of the set is complete are the targets replaced (renamed over),
// in the order added. A failure at any step leaves every target as it was, except a rename failing after another
// succeeded, which replaced() tells. A target that exists must be a regular file the user may write: a pipe or a
// device is never opened (the write would block or never end) and a read-only file is left alone.
class TFileWriteSet {
public:
    using tWriter = std::function<bool(QIODevice&)>;

    TFileWriteSet() = default;
    // Removes the temporary files of what was not committed.
    ~TFileWriteSet();
    TFileWriteSet(TFileWriteSet&& other) noexcept;
    TFileWriteSet& operator=(TFileWriteSet&& other) noexcept;
    TFileWriteSet(const TFileWriteSet&) = delete;
    TFileWriteSet& operator=(const TFileWriteSet&) = delete;

    // Writes the new content of `target` beside it. False when it could not (error() says why): the set then
    // commits nothing. `writer` writes into the device and returns false to abandon.
    bool add(const QString& target, const QByteArray& data, tLinkAtTarget links = tLinkAtTarget::writeThrough);
    bool add(const QString& target, const tWriter& writer, tLinkAtTarget links = tLinkAtTarget::writeThrough);
    // Takes over the files another set wrote (sets filled on other threads, committed together), after its own.
    void append(TFileWriteSet&& other);

    // Replaces every target, in order; `keep` runs just before each (a backup, which must leave the file at its
    // path). Stops at the first failure. Nothing is replaced when a file could not be written.
    bool commit(const tKeepOriginal& keep = {});

    bool failed() const { return !error_.isEmpty(); }
    // Why it failed, in the system's words, and the target that failed.
    const QString& error() const { return error_; }
    const QString& failedTarget() const { return failedTarget_; }
    // The targets as given, in order, and those already replaced.
    QStringList targets() const;
    const QStringList& replaced() const { return replaced_; }

private:
    struct rStaged {
        QString given;     // the target as the caller named it
        QString target;    // the path renamed over (a link written through is resolved)
        QString temporary; // empty once renamed
    };
    bool fail(const QString& target, const QString& reason);
    std::vector<rStaged> staged_;
    QString error_;
    QString failedTarget_;
    QStringList replaced_;
};

// Writes `data` to `path` whole or not at all: a set of one file. On failure returns false and puts the reason in
// `error` when given (unless the caller put one there already). `keep` as in TFileWriteSet::commit.
bool writeFileAtomic(const QString& path, const QByteArray& data, QString* error = nullptr,
                     const tKeepOriginal& keep = {});

// The same, for writers that stream their output: `writer` writes into the device and returns false to abandon.
bool writeFileAtomic(const QString& path, const std::function<bool(QIODevice&)>& writer, QString* error = nullptr,
                     const tKeepOriginal& keep = {});

// Keeps the file at `from` also under `to` (a new name): a hard link where the file system allows it, else a copy.
// The file at `from` must afterwards be replaced (renamed over), never rewritten in place, or the two would change
// together. False with the system's reason when neither worked.
bool keepCopyOf(const QString& from, const QString& to, QString* error = nullptr);

// The steps of writing a file a test may make fail as the system would: before the first byte, in the middle of the
// data, when it is put on the disk, and at the rename over the target.
enum class tWriteStep : uint8_t { open, write, flush, replace };
// Test seam: `fault` is asked at each step of every write (on any thread) and returns the reason to fail it with,
// or an empty string to go on. An empty function (the default) turns it off.
using tWriteFault = std::function<QString(tWriteStep step, const QString& target)>;
void setWriteFault(tWriteFault fault);

// "<path> is not a regular file": the reason given for pipes, devices and folders found where a file was expected.
QString notRegularFileReason(const QString& path);

// True when a regular file is at `path` and can be opened for reading. Whether it may be written is asked where it
// is written (TFileWriteSet refuses a read-only target).
bool fileIsUsable(const QString& path);

// Reads a whole file; false (with the reason) when it cannot be read.
bool readWholeFile(const QString& path, QByteArray& out, QString* error = nullptr);

// A path in the platform's own form, with a single trailing separator (for folders shown to the user).
QString withTrailingSeparator(const QString& folder);

} // namespace quillfs
