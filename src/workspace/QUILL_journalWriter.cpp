// The journal's writer thread: the window queues, the thread writes, one journal at a time.
#include "workspace/QUILL_journal.h"

#include "core/QUILL_files.h"
#include "core/QUILL_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

TJournalWriter::TJournalWriter() {
    thread_ = std::thread([this] { run(); });
}

TJournalWriter::~TJournalWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

bool TJournalWriter::claim(const QString& path) {
    if (claimed(path)) return true;
    release();
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    // Only a lock whose process is gone is stale, however old: a window may stay open for days.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) return false;
    lock_ = std::move(lock);
    lockedPath_ = path;
    return true;
}

void TJournalWriter::release() {
    lock_.reset(); // unlocks
    lockedPath_.clear();
}

void TJournalWriter::push(rJob job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void TJournalWriter::start(const QString& path, const rJournalHeader& header) {
    active_ = true;
    path_ = path;
    push({rJob::TType::start, path, header, {}});
}

void TJournalWriter::append(rJournalRecord record) {
    if (!active_) return;
    push({rJob::TType::append, {}, {}, std::move(record)});
}

void TJournalWriter::remove() {
    active_ = false;
    std::lock_guard<std::mutex> lock(mutex_);
    // What is still queued for this journal would only be written to be removed.
    while (!jobs_.empty() && jobs_.back().type == rJob::TType::append)
        jobs_.pop_back();
    jobs_.push_back({rJob::TType::remove, {}, {}, {}});
    wake_.notify_one();
}

void TJournalWriter::close() {
    active_ = false;
    push({rJob::TType::close, {}, {}, {}});
}

void TJournalWriter::waitIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !working_; });
}

QString TJournalWriter::takeError() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(error_, QString());
}

void TJournalWriter::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) {
            if (stopping_) break;
            continue;
        }
        rJob job = std::move(jobs_.front());
        jobs_.pop_front();
        working_ = true;
        lock.unlock();
        perform(job);
        // The job's texts are released here, off the window's thread.
        job = rJob{};
        lock.lock();
        working_ = false;
        if (jobs_.empty()) idle_.notify_all();
    }
    lock.unlock();
    if (file_) file_->flush();
    file_.reset();
}

void TJournalWriter::perform(rJob& job) {
    QString error;
    switch (job.type) {
    case rJob::TType::start:
        file_.reset();
        filePath_ = job.path;
        fileHeader_ = job.header;
        break;
    case rJob::TType::append: {
        if (filePath_.isEmpty()) break;
        if (!file_) {
            // The first step makes the file whole (replacing whatever was left at that path), then it is appended to.
            QByteArray data = encodeJournalHeader(fileHeader_);
            appendJournalRecord(data, job.record);
            QDir().mkpath(QFileInfo(filePath_).absolutePath());
            // A symbolic link at the path is replaced, never written through: the journal goes nowhere else.
            quillfs::TFileWriteSet set;
            if (!set.add(filePath_, data, quillfs::tLinkAtTarget::replace) || !set.commit()) {
                error = set.error();
                break;
            }
            auto file = std::make_unique<QFile>();
            if (!openFileNoFollow(*file, filePath_, QIODevice::WriteOnly | QIODevice::Append, &error)) break;
            file_ = std::move(file);
            break;
        }
        QByteArray data;
        appendJournalRecord(data, job.record);
        if (file_->write(data) != data.size() || !file_->flush()) error = file_->errorString();
        syncFileToDisk(*file_);
        break;
    }
    case rJob::TType::remove:
        file_.reset();
        if (!filePath_.isEmpty() && QFileInfo::exists(filePath_) && !QFile::remove(filePath_))
            error = QStringLiteral("Cannot remove ") + filePath_;
        filePath_.clear();
        break;
    case rJob::TType::close:
        if (file_) file_->flush();
        file_.reset();
        filePath_.clear();
        break;
    }
    if (!error.isEmpty()) {
        std::lock_guard<std::mutex> lock(mutex_);
        error_ = error;
    }
}
