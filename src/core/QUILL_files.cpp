// File helpers: case-insensitive lookup, atomic writes, usable-file test.
#include "core/QUILL_files.h"

#include "core/QUILL_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace quillfs {

namespace {

QStringList splitComponents(const QString& relative) {
    QString normal = relative;
    normal.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return normal.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

// The entry of `folder` named `name` ignoring case; an exact match is preferred.
QString findEntry(const QString& folder, const QString& name) {
    QDir dir(folder);
    if (name == QLatin1String(".") || name == QLatin1String("..")) return dir.filePath(name);
    if (QFileInfo::exists(dir.filePath(name))) return dir.filePath(name);
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return {};
}

} // namespace

QString findFileNoCase(const QString& folder, const QString& relative) {
    QString current = folder.isEmpty() ? QStringLiteral(".") : folder;
    if (!QFileInfo(current).isDir()) {
        current = findPathNoCase(current);
        if (current.isEmpty() || !QFileInfo(current).isDir()) return {};
    }
    const QStringList parts = splitComponents(relative);
    if (parts.isEmpty()) return {};
    for (const QString& part : parts) {
        current = findEntry(current, part);
        if (current.isEmpty()) return {};
    }
    return current;
}

QString findPathNoCase(const QString& path) {
    if (path.isEmpty()) return {};
    QString normal = path;
    normal.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo::exists(normal)) return normal;
    // Walk up to the deepest folder that exists as written, then look the rest up ignoring case.
    QStringList rest;
    QString base = normal;
    while (!base.isEmpty() && !QFileInfo::exists(base)) {
        const qsizetype slash = base.lastIndexOf(QLatin1Char('/'));
        if (slash < 0) {
            rest.prepend(base);
            base = QStringLiteral(".");
            break;
        }
        rest.prepend(base.mid(slash + 1));
        base = slash == 0 ? QStringLiteral("/") : base.left(slash);
    }
    if (rest.isEmpty()) return QFileInfo::exists(base) ? base : QString();
    return findFileNoCase(base, rest.join(QLatin1Char('/')));
}

namespace {

// Hands what a writer writes to the file and, every few tens of megabytes, asks the system to start putting it on
// disk: the final flush of a big file then waits for its last part only, not for the whole of it.
class TWritebackDevice : public QIODevice {
public:
    explicit TWritebackDevice(QSaveFile& file) : file_(file) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    void finish() { kick(); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override {
        qint64 done = 0;
        // Big buffers go in slices, so the disk starts on the first while the next is copied.
        while (done < length) {
            const qint64 slice = std::min<qint64>(length - done, kSlice);
            const qint64 written = file_.write(data + done, slice);
            if (written < 0) return done > 0 ? done : -1;
            done += written;
            pending_ += written;
            if (pending_ >= kSlice) kick();
            if (written < slice) break;
        }
        return done;
    }

private:
    static constexpr qint64 kSlice = 16 * 1024 * 1024;
    void kick() {
        if (pending_ == 0 || !file_.flush()) return;
        startWriteback(file_.handle(), kicked_, pending_);
        kicked_ += pending_;
        pending_ = 0;
    }
    QSaveFile& file_;
    qint64 kicked_ = 0;
    qint64 pending_ = 0;
};

} // namespace

bool writeFileAtomic(const QString& path, const std::function<bool(QIODevice&)>& writer, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    TWritebackDevice device(file);
    if (!writer(device)) {
        file.cancelWriting();
        if (error && error->isEmpty()) *error = file.errorString();
        return false;
    }
    device.finish();
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool writeFileAtomic(const QString& path, const QByteArray& data, QString* error) {
    return writeFileAtomic(
        path, [&data](QIODevice& device) { return device.write(data) == data.size(); }, error);
}

TChunkWriter::TChunkWriter(QIODevice& device, qint64 maxQueued)
    : device_(device), maxQueued_(maxQueued), worker_([this] { run(); }) {}

TChunkWriter::~TChunkWriter() {
    finish();
}

void TChunkWriter::push(QByteArray& chunk) {
    std::unique_lock<std::mutex> lock(mutex_);
    space_.wait(lock, [this] { return queued_ < maxQueued_ || !ok_; });
    if (!ok_ || closed_) {
        chunk.resize(0);
        return;
    }
    queued_ += chunk.size();
    queue_.push_back(std::move(chunk));
    chunk = QByteArray();
    if (!spare_.empty()) {
        chunk = std::move(spare_.back());
        spare_.pop_back();
    }
    ready_.notify_one();
}

bool TChunkWriter::finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    ready_.notify_one();
    if (worker_.joinable()) worker_.join();
    return ok_;
}

void TChunkWriter::run() {
    for (;;) {
        QByteArray chunk;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            ready_.wait(lock, [this] { return !queue_.empty() || closed_; });
            if (queue_.empty()) return;
            chunk = std::move(queue_.front());
            queue_.pop_front();
            queued_ -= chunk.size();
        }
        space_.notify_one();
        const bool written = device_.write(chunk) == chunk.size();
        std::lock_guard<std::mutex> lock(mutex_);
        if (!written) {
            ok_ = false;
            queue_.clear();
            queued_ = 0;
            space_.notify_one();
        } else if (spare_.size() < 2) {
            // Handed back under the lock: the buffer is no longer touched here.
            chunk.resize(0);
            spare_.push_back(std::move(chunk));
        }
    }
}

bool fileIsUsable(const QString& path) {
    if (path.isEmpty()) return false;
    QFileInfo info(path);
    if (!info.exists() || !info.isFile()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return false;
    file.close();
    return true;
}

bool readWholeFile(const QString& path, QByteArray& out, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    out = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

QString withTrailingSeparator(const QString& folder) {
    if (folder.isEmpty()) return folder;
    QString result = QDir::fromNativeSeparators(folder);
    while (result.size() > 1 && result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result + QLatin1Char('/');
}

} // namespace quillfs
