// File helpers: case-insensitive lookup, atomic writes, usable-file test.
#include "core/QUILL_files.h"

#include "core/QUILL_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>
#include <utility>

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

std::mutex faultMutex;
tWriteFault writeFault;

QString injectedFault(tWriteStep step, const QString& target) {
    tWriteFault fault;
    {
        const std::lock_guard<std::mutex> lock(faultMutex);
        if (!writeFault) return {};
        fault = writeFault;
    }
    return fault(step, target);
}

QString systemReason(std::errc code) {
    return QString::fromStdString(std::make_error_code(code).message());
}

QString withReason(const QString& path, const QString& reason) {
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
}

std::filesystem::path fileSystemPath(const QString& path) {
    return QFileInfo(path).filesystemFilePath();
}

// The device a writer writes into: every byte reaches the temporary file or the first failure is kept with the
// system's reason (a short write is retried, so that a full disk answers with its own error). A test fault for the
// middle of the data lets half of the first piece through, then fails.
class TStagingDevice final : public QIODevice {
public:
    TStagingDevice(QFile& file, QString midwayFault) : file_(file), midwayFault_(std::move(midwayFault)) {
        QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    qint64 written() const { return written_; }
    const QString& failure() const { return failure_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override {
        if (!failure_.isEmpty()) return -1;
        if (!midwayFault_.isEmpty()) {
            put(data, length / 2);
            return fail(std::exchange(midwayFault_, QString()));
        }
        return put(data, length) ? length : -1;
    }

private:
    bool put(const char* data, qint64 length) {
        while (length > 0) {
            const qint64 n = file_.write(data, length);
            if (n <= 0) {
                fail(file_.error() != QFileDevice::NoError ? file_.errorString() : systemReason(std::errc::io_error));
                return false;
            }
            data += n;
            length -= n;
            written_ += n;
        }
        return true;
    }
    qint64 fail(const QString& reason) {
        failure_ = reason;
        setErrorString(reason);
        return -1;
    }

    QFile& file_;
    QString midwayFault_;
    QString failure_;
    qint64 written_ = 0;
};

// Creates a new file beside `target` that no one else has, with `permissions`.
bool createTemporary(const QString& target, QFile::Permissions permissions, QFile& file, QString& error) {
    const QFileInfo info(target);
    // The name stays well below the file systems' 255-byte limit whatever the target's.
    const QString stem = QLatin1Char('.') + info.fileName().left(160) + QLatin1Char('.');
    for (int attempt = 0; attempt < 32; ++attempt) {
        const QString candidate = info.dir().filePath(
            stem + QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".tmp"));
        file.setFileName(candidate);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered, permissions)) return true;
        if (!QFileInfo::exists(candidate)) break; // not a name collision: the folder refuses
    }
    error = file.errorString();
    return false;
}

} // namespace

void setWriteFault(tWriteFault fault) {
    const std::lock_guard<std::mutex> lock(faultMutex);
    writeFault = std::move(fault);
}

QString notRegularFileReason(const QString& path) {
    return QStringLiteral("%1 is not a regular file").arg(QDir::toNativeSeparators(path));
}

TFileWriteSet::~TFileWriteSet() {
    for (const rStaged& staged : staged_)
        if (!staged.temporary.isEmpty()) QFile::remove(staged.temporary);
}

TFileWriteSet::TFileWriteSet(TFileWriteSet&& other) noexcept
    : staged_(std::move(other.staged_)), error_(std::move(other.error_)), failedTarget_(std::move(other.failedTarget_)),
      replaced_(std::move(other.replaced_)) {
    other.staged_.clear();
}

TFileWriteSet& TFileWriteSet::operator=(TFileWriteSet&& other) noexcept {
    if (this != &other) {
        for (const rStaged& staged : staged_)
            if (!staged.temporary.isEmpty()) QFile::remove(staged.temporary);
        staged_ = std::move(other.staged_);
        error_ = std::move(other.error_);
        failedTarget_ = std::move(other.failedTarget_);
        replaced_ = std::move(other.replaced_);
        other.staged_.clear();
    }
    return *this;
}

bool TFileWriteSet::fail(const QString& target, const QString& reason) {
    failedTarget_ = target;
    error_ = reason.isEmpty() ? systemReason(std::errc::io_error) : reason;
    return false;
}

bool TFileWriteSet::add(const QString& target, const QByteArray& data, tLinkAtTarget links) {
    return add(
        target, [&data](QIODevice& device) { return device.write(data) == data.size(); }, links);
}

bool TFileWriteSet::add(const QString& given, const tWriter& writer, tLinkAtTarget links) {
    if (failed()) return false;
    rStaged staged{given, given, {}};
    // A link written through: the file it leads to is the one replaced, so the link stays a link.
    QFileInfo info(given);
    if (links == tLinkAtTarget::writeThrough) {
        for (int depth = 0; info.isSymLink(); ++depth) {
            if (depth == 40) return fail(given, systemReason(std::errc::too_many_symbolic_link_levels));
            info.setFile(info.symLinkTarget());
        }
        staged.target = info.filePath();
    }
    const bool linkReplaced = links == tLinkAtTarget::replace && info.isSymLink();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup |
                                     QFile::ReadOther | QFile::WriteOther; // less the user's mask
    if (!linkReplaced && info.exists()) {
        if (!info.isFile()) return fail(given, notRegularFileReason(staged.target));
        // A file the user may not write is left alone (a rename would replace it all the same); opening it, which
        // changes nothing, gives the system's reason.
        QFile probe(staged.target);
        if (!probe.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return fail(given, probe.errorString());
        probe.close();
        permissions = info.permissions();
    }
    if (const QString fault = injectedFault(tWriteStep::open, given); !fault.isEmpty()) return fail(given, fault);

    // The temporary file goes whatever ends the write early, a writer's exception too (declared before the file, so
    // that the file is closed first).
    struct rRemoveUnlessKept {
        QString path;
        ~rRemoveUnlessKept() {
            if (!path.isEmpty()) QFile::remove(path);
        }
    } temporary;
    QFile file;
    QString error;
    if (!createTemporary(staged.target, permissions, file, error)) return fail(given, error);
    temporary.path = file.fileName();
    const auto abandon = [&](const QString& reason) {
        file.close();
        return fail(given, reason);
    };
    TStagingDevice device(file, injectedFault(tWriteStep::write, given));
    const bool complete = writer(device);
    if (!device.failure().isEmpty()) return abandon(device.failure());
    if (!complete) return abandon(systemReason(std::errc::operation_canceled));
    if (const QString fault = injectedFault(tWriteStep::flush, given); !fault.isEmpty()) return abandon(fault);
    // What the system only finds out when the data goes to the disk (a full disk on some file systems, a quota)
    // shows here, before anything is replaced.
    if (!file.flush()) return abandon(file.errorString());
    if (QString reason; !syncFileToDisk(file, &reason)) return abandon(reason);
    file.close();
    const qint64 onDisk = QFileInfo(temporary.path).size();
    if (onDisk != device.written())
        return abandon(QStringLiteral("%1 bytes of %2 were written").arg(onDisk).arg(device.written()));
    staged.temporary = std::exchange(temporary.path, QString());
    staged_.push_back(std::move(staged));
    return true;
}

void TFileWriteSet::append(TFileWriteSet&& other) {
    if (failed() || other.failed()) {
        if (!failed()) {
            error_ = other.error_;
            failedTarget_ = other.failedTarget_;
        }
        other = TFileWriteSet(); // its temporary files go
        return;
    }
    for (rStaged& staged : other.staged_)
        staged_.push_back(std::move(staged));
    other.staged_.clear();
}

QStringList TFileWriteSet::targets() const {
    QStringList out;
    for (const rStaged& staged : staged_)
        out.append(staged.given);
    return out;
}

bool TFileWriteSet::commit(const tKeepOriginal& keep) {
    if (failed()) return false;
    for (rStaged& staged : staged_) {
        if (staged.temporary.isEmpty()) continue; // replaced by an earlier commit
        rKeptOriginal kept;
        if (keep) {
            kept = keep(staged.given);
            if (!kept.ok) return fail(staged.given, kept.error);
        }
        QString reason = injectedFault(tWriteStep::replace, staged.given);
        if (reason.isEmpty()) {
            std::error_code code;
            std::filesystem::rename(fileSystemPath(staged.temporary), fileSystemPath(staged.target), code);
            if (code) reason = QString::fromStdString(code.message());
        }
        if (!reason.isEmpty()) {
            // The original is still at its path: a second name for it would only mislead.
            if (!kept.path.isEmpty()) QFile::remove(kept.path);
            return fail(staged.given, reason);
        }
        staged.temporary.clear();
        replaced_.append(staged.given);
    }
    return true;
}

bool writeFileAtomic(const QString& path, const std::function<bool(QIODevice&)>& writer, QString* error,
                     const tKeepOriginal& keep) {
    TFileWriteSet set;
    if (set.add(path, writer) && set.commit(keep)) return true;
    if (error && error->isEmpty()) *error = set.error();
    return false;
}

bool writeFileAtomic(const QString& path, const QByteArray& data, QString* error, const tKeepOriginal& keep) {
    return writeFileAtomic(
        path, [&data](QIODevice& device) { return device.write(data) == data.size(); }, error, keep);
}

bool keepCopyOf(const QString& from, const QString& to, QString* error) {
    std::error_code code;
    std::filesystem::create_hard_link(fileSystemPath(from), fileSystemPath(to), code);
    if (!code) return true;
    // Another disk, or a file system without links: a copy.
    QFile source(from);
    if (source.copy(to)) return true;
    if (error) *error = withReason(to, source.errorString());
    return false;
}

bool fileIsUsable(const QString& path) {
    if (path.isEmpty()) return false;
    QFileInfo info(path);
    if (!info.exists() || !info.isFile()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    file.close();
    return true;
}

bool readWholeFile(const QString& path, QByteArray& out, QString* error) {
    // Only a regular file has a size to read up to: a pipe would block the open, a device never end.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        if (error) *error = notRegularFileReason(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error) *error = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    if (size < 0 || size > std::numeric_limits<qsizetype>::max()) {
        if (error) *error = file.errorString();
        return false;
    }
    try {
        QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
        // At most the size the file had when opened: a file that grows meanwhile is read as it was.
        qint64 in = 0;
        while (in < size) {
            const qint64 n = file.read(bytes.data() + in, size - in);
            if (n < 0) {
                if (error) *error = file.errorString();
                return false;
            }
            if (n == 0) break; // shorter than announced: it was cut meanwhile
            in += n;
        }
        bytes.truncate(static_cast<qsizetype>(in));
        out = std::move(bytes);
    } catch (const std::bad_alloc&) {
        if (error) *error = QString::fromStdString(std::make_error_code(std::errc::not_enough_memory).message());
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
