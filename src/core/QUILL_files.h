// File helpers every part shares: case-insensitive lookup, whole-or-nothing writes, the usable-file test.
#pragma once

#include "core/QUILL_cursor.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QFile;
class QIODevice;

namespace quillfs {

// Finds `relative` (one or more components separated by '/' or '\') under `folder`, ignoring letter case in every
// component, so that "strings/mymod_en.strings" finds "Strings/MyMod_EN.STRINGS" on a case-sensitive file system.
// An exact match wins over a case-folded one. Returns the existing path, or an empty string.
QString findFileNoCase(const QString& folder, const QString& relative);

// The same for a full path: its folder part is taken as given when it exists, else looked up component by component.
QString findPathNoCase(const QString& path);

// Writes `data` to `path` whole or not at all (a temporary file beside the target, renamed over it).
// On failure returns false and puts the reason in `error` when given.
bool writeFileAtomic(const QString& path, const QByteArray& data, QString* error = nullptr);

// The same, for writers that stream their output: `writer` writes into the device and returns false to abandon.
bool writeFileAtomic(const QString& path, const std::function<bool(QIODevice&)>& writer, QString* error = nullptr);

// True when the file exists and can be opened for reading and writing (a read-only file counts as unusable).
bool fileIsUsable(const QString& path);

// Reads a whole file; false (with the reason) when it cannot be read.
bool readWholeFile(const QString& path, QByteArray& out, QString* error = nullptr);

// Reads a file on a second thread, chunk by chunk, so that a reader can work on its first bytes while the rest come
// in: a TBinaryCursor over (buffer() cut to in(), this) waits for bytes not yet read. A file smaller than
// `streamFrom` is read whole by start(), without a thread. The buffer is sized to the file when it is opened and
// never moves; if the file turns out shorter, the read ends there, like a read to the end of the file.
class TFileStream final : public TByteSource {
public:
    static constexpr qsizetype kChunk = 256 * 1024;
    static constexpr qsizetype kStreamFrom = 1024 * 1024;

    explicit TFileStream(qsizetype chunk = kChunk, qsizetype streamFrom = kStreamFrom);
    ~TFileStream() override; // stops the read and waits for the thread
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    // Opens `path` and starts reading it; false (with the reason) when it cannot be opened. One file per stream.
    bool start(const QString& path, QString* error = nullptr);
    // Every byte the file had when opened; only the first in() are read so far. Read it through constData() only.
    const QByteArray& buffer() const { return buffer_; }
    qsizetype in() const { return in_.load(std::memory_order_acquire); }
    qsizetype waitFor(qsizetype count) override;
    // Waits for the end of the read. False (with the reason) when a read failed; either way `out` gets the bytes
    // read (all of them, unless the file was cut short meanwhile).
    bool finish(QByteArray& out, QString* error = nullptr);

private:
    void run();
    void publish(qsizetype in, bool done);

    const qsizetype chunk_;
    const qsizetype streamFrom_;
    std::unique_ptr<QFile> file_;
    QByteArray buffer_;
    char* target_ = nullptr;
    std::atomic<qsizetype> in_{0};
    std::atomic<bool> done_{true}; // nothing is read before start(): a wait returns at once
    std::atomic<bool> stop_{false};
    QString error_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::thread worker_;
};

// A path in the platform's own form, with a single trailing separator (for folders shown to the user).
QString withTrailingSeparator(const QString& folder);

} // namespace quillfs
