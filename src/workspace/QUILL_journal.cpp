// The recovery journal: entry identities, the file format, the background writer and the restore on open.
#include "workspace/QUILL_journal.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_files.h"
#include "core/QUILL_platform.h"
#include "workspace/QUILL_document.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsScript.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <unordered_map>
#include <utility>
#include <zlib.h>

namespace {

constexpr char kMagic[8] = {'Q', 'U', 'I', 'L', 'L', 'J', 'N', 'L'};
constexpr uint32_t kVersion = 1;
constexpr int kDiscardedDays = 7;
// The smallest encoded change: identity (1 + 1 + 4 + 4 + 2), the parts byte, hash, status, flags, LD (4 + 1 + 4 + 4 +
// 4). A count no block could hold is damage, not a reason to reserve memory.
constexpr qsizetype kMinChangeBytes = 30;
constexpr uint8_t kHasTranslation = 1;

void appendText(QByteArray& out, const QString& text) {
    binary_out::u32le(out, static_cast<uint32_t>(text.size()));
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        out.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    } else {
        for (const QChar c : text)
            binary_out::u16le(out, c.unicode());
    }
}

QString readText(TBinaryCursor& cursor) {
    const uint32_t length = cursor.u32le();
    const QByteArrayView bytes = cursor.view(static_cast<qsizetype>(length) * 2);
    QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        std::memcpy(text.data(), bytes.data(), static_cast<size_t>(bytes.size()));
    } else {
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                                  (static_cast<uint8_t>(bytes[2 * i + 1]) << 8)));
    }
    return text;
}

uint32_t checksum(QByteArrayView bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    qsizetype left = bytes.size();
    while (left > 0) {
        const uInt chunk = static_cast<uInt>(std::min<qsizetype>(left, 1 << 30));
        crc = crc32(crc, data, chunk);
        data += chunk;
        left -= chunk;
    }
    return static_cast<uint32_t>(crc);
}

// Appends a block: length, checksum, then the payload `fill` writes.
template <typename Fill> void appendBlock(QByteArray& out, Fill fill) {
    const qsizetype start = out.size();
    binary_out::u32le(out, 0);
    binary_out::u32le(out, 0);
    fill(out);
    const qsizetype payload = out.size() - start - 8;
    binary_out::patchU32le(out, start, static_cast<uint32_t>(payload));
    binary_out::patchU32le(out, start + 4, checksum(QByteArrayView(out).sliced(start + 8, payload)));
}

// Reads exactly `size` bytes into `out`; false at the end of the device or on an error.
bool readExactly(QIODevice& device, qint64 size, QByteArray& out) {
    // A block longer than what is left of the device is torn: nothing is reserved for its claimed length.
    if (!device.isSequential() && size > device.size() - device.pos()) return false;
    out.resize(static_cast<qsizetype>(size));
    qint64 in = 0;
    while (in < size) {
        const qint64 n = device.read(out.data() + in, size - in);
        if (n <= 0) return false;
        in += n;
    }
    return true;
}

// The payload of the next block, false when the block is torn or damaged.
bool nextBlock(QIODevice& device, QByteArray& payload) {
    QByteArray head;
    if (!readExactly(device, 8, head)) return false;
    TBinaryCursor cursor(head);
    const uint32_t length = cursor.u32le();
    const uint32_t sum = cursor.u32le();
    if (!readExactly(device, length, payload)) return false;
    return checksum(payload) == sum;
}

void appendChange(QByteArray& out, const rJournalChange& change) {
    const rEntryIdentity& id = change.entry;
    binary_out::u8(out, static_cast<uint8_t>(id.kind));
    binary_out::u8(out, id.list);
    binary_out::u32le(out, id.number);
    out.append(id.field.c, 4);
    binary_out::u16le(out, id.index);
    if (id.kind == rEntryIdentity::TKind::menuKey) appendText(out, id.key);
    const rEntryState& s = change.state;
    binary_out::u8(out, change.hasTranslation ? kHasTranslation : 0);
    if (change.hasTranslation) appendText(out, s.translation);
    binary_out::u32le(out, s.translationHash);
    binary_out::u8(out, s.status.bits());
    binary_out::u32le(out, s.flags.bits());
    uint32_t ld;
    std::memcpy(&ld, &s.LDResult, 4);
    binary_out::u32le(out, ld);
    binary_out::u32le(out, static_cast<uint32_t>(s.LDFound));
}

rJournalChange readChange(TBinaryCursor& cursor) {
    rJournalChange change;
    rEntryIdentity& id = change.entry;
    const uint8_t kind = cursor.u8();
    if (kind > static_cast<uint8_t>(rEntryIdentity::TKind::menuKey))
        throw TQuillError(QStringLiteral("Unknown entry kind %1").arg(kind));
    id.kind = static_cast<rEntryIdentity::TKind>(kind);
    id.list = cursor.u8();
    id.number = cursor.u32le();
    id.field = sHeaderSig::fromBytes(cursor.view(4).data());
    id.index = cursor.u16le();
    if (id.kind == rEntryIdentity::TKind::menuKey) id.key = readText(cursor);
    rEntryState& s = change.state;
    const uint8_t parts = cursor.u8();
    if (parts & ~kHasTranslation) throw TQuillError(QStringLiteral("Unknown change parts %1").arg(parts));
    change.hasTranslation = (parts & kHasTranslation) != 0;
    if (change.hasTranslation) s.translation = readText(cursor);
    s.translationHash = cursor.u32le();
    s.status = sStrParams::fromBits(cursor.u8());
    s.flags = sStrInternalParams::fromBits(cursor.u32le());
    s.LDResult = cursor.f32le();
    s.LDFound = cursor.i32le();
    return change;
}

bool readRecord(QByteArrayView payload, rJournalRecord& record) {
    try {
        TBinaryCursor cursor(payload);
        const uint8_t kind = cursor.u8();
        if (kind < static_cast<uint8_t>(TJournalStepKind::command) ||
            kind > static_cast<uint8_t>(TJournalStepKind::redo))
            return false;
        record.kind = static_cast<TJournalStepKind>(kind);
        record.time = static_cast<int64_t>(cursor.u64le());
        const uint32_t count = cursor.u32le();
        if (count > cursor.remaining() / kMinChangeBytes) return false;
        record.changes.reserve(count);
        for (uint32_t i = 0; i < count; ++i)
            record.changes.push_back(readChange(cursor));
        return cursor.atEnd();
    } catch (const TQuillError&) {
        return false;
    }
}

bool journalled(const TWorkspace& ws) {
    return ws.document && ws.document->journalled();
}

int64_t nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

QString recoveryFolder(const TWorkspace& ws) {
    return ws.app.state.userDictionaryFolder + QStringLiteral("Recovery/");
}

bool sameHeader(const rJournalHeader& a, const rJournalHeader& b) {
    return a.documentPath.compare(b.documentPath, Qt::CaseInsensitive) == 0 && a.kind == b.kind &&
           a.sourceLang.compare(b.sourceLang, Qt::CaseInsensitive) == 0 &&
           a.destLang.compare(b.destLang, Qt::CaseInsensitive) == 0 && a.workMode == b.workMode;
}

// Moves a journal to Recovery/Discarded/, dated now, and removes discarded journals older than a week.
void discardJournal(const TWorkspace& ws, const QString& path) {
    const QString folder = recoveryFolder(ws) + QStringLiteral("Discarded/");
    QDir().mkpath(folder);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime limit = now.addDays(-kDiscardedDays);
    const QFileInfoList old = QDir(folder).entryInfoList({QStringLiteral("*.journal")}, QDir::Files);
    for (const QFileInfo& info : old)
        if (info.lastModified() < limit) QFile::remove(info.absoluteFilePath());
    const QString target = folder + QFileInfo(path).completeBaseName() + QLatin1Char('-') +
                           now.toString(QStringLiteral("yyyyMMddHHmmsszzz")) + QStringLiteral(".journal");
    if (!QFile::rename(path, target)) {
        QFile::remove(path);
        return;
    }
    // The week counts from the discarding, not from the last step written.
    QFile moved(target);
    if (moved.open(QIODevice::ReadWrite)) moved.setFileTime(now, QFileDevice::FileModificationTime);
}

} // namespace

QString rEntryIdentity::toText() const {
    switch (kind) {
    case TKind::pluginField:
        return QStringLiteral("L%1:%2:%3:%4")
            .arg(list)
            .arg(number, 8, 16, QLatin1Char('0'))
            .arg(field.toString())
            .arg(index);
    case TKind::menuKey:
        return QStringLiteral("M:") + key + (number ? QStringLiteral("#%1").arg(number) : QString());
    case TKind::stringId:
        break;
    }
    return QStringLiteral("L%1:%2").arg(list).arg(number, 8, 16, QLatin1Char('0'));
}

namespace {

// The identity with the open menu document (null for any other kind) looked up once by the caller: a command over
// every entry asks for half a million identities.
rEntryIdentity identityOf(const TMenuDocument* menu, const tSkyStr& entry) {
    rEntryIdentity id;
    id.list = entry.listIndex;
    if (menu) {
        id.kind = rEntryIdentity::TKind::menuKey;
        if (entry.listIndex != 0 || entry.id >= static_cast<uint32_t>(menu->menuKeys.size())) return id;
        id.key = menu->menuKeys[entry.id];
        for (qsizetype i = 0; i < static_cast<qsizetype>(entry.id); ++i)
            if (menu->menuKeys[i] == id.key) ++id.number;
        return id;
    }
    if (entry.isEspAssigned()) {
        id.kind = rEntryIdentity::TKind::pluginField;
        id.number = entry.esp.formID;
        id.field = entry.esp.fName;
        id.index = entry.getrFieldIndex().index;
        return id;
    }
    id.number = entry.id;
    return id;
}

} // namespace

rEntryIdentity entryIdentity(const TWorkspace& ws, const tSkyStr& entry) {
    return identityOf(ws.menu(), entry);
}

size_t rEntryIdentityHash::operator()(const rEntryIdentity& id) const noexcept {
    size_t h = (static_cast<size_t>(id.kind) << 8 | id.list) * 0x9E3779B97F4A7C15ull;
    h ^= (static_cast<size_t>(id.number) << 16 ^ id.index ^ static_cast<size_t>(id.field.asUint()) << 24) +
         0x9E3779B9u + (h << 6) + (h >> 2);
    if (!id.key.isEmpty()) h ^= qHash(id.key, 0) + 0x9E3779B9u + (h << 6) + (h >> 2);
    return h;
}

QByteArray encodeJournalHeader(const rJournalHeader& header) {
    QByteArray out(kMagic, sizeof kMagic);
    binary_out::u32le(out, kVersion);
    appendBlock(out, [&](QByteArray& o) {
        appendText(o, header.documentPath);
        appendText(o, header.kind);
        binary_out::u64(o, static_cast<uint64_t>(header.documentSize), false);
        binary_out::u64(o, static_cast<uint64_t>(header.documentTime), false);
        appendText(o, header.sourceLang);
        appendText(o, header.destLang);
        binary_out::u8(o, header.workMode);
    });
    return out;
}

void appendJournalRecord(QByteArray& out, const rJournalRecord& record) {
    appendBlock(out, [&](QByteArray& o) {
        binary_out::u8(o, static_cast<uint8_t>(record.kind));
        binary_out::u64(o, static_cast<uint64_t>(record.time), false);
        binary_out::u32le(o, static_cast<uint32_t>(record.changes.size()));
        for (const rJournalChange& change : record.changes)
            appendChange(o, change);
    });
}

bool readJournal(QIODevice& device, rJournalContents& out) {
    out = {};
    QByteArray head;
    if (!readExactly(device, 12, head) || QByteArrayView(head).first(8) != QByteArrayView(kMagic, sizeof kMagic))
        return false;
    if (TBinaryCursor(QByteArrayView(head).sliced(8)).u32le() != kVersion) return false;
    QByteArray payload;
    if (!nextBlock(device, payload)) return false;
    try {
        TBinaryCursor header(payload);
        out.header.documentPath = readText(header);
        out.header.kind = readText(header);
        out.header.documentSize = static_cast<int64_t>(header.u64le());
        out.header.documentTime = static_cast<int64_t>(header.u64le());
        out.header.sourceLang = readText(header);
        out.header.destLang = readText(header);
        out.header.workMode = header.u8();
        if (!header.atEnd()) return false;
    } catch (const TQuillError&) {
        return false;
    }
    while (nextBlock(device, payload)) {
        rJournalRecord record;
        if (!readRecord(payload, record)) break;
        out.records.push_back(std::move(record));
    }
    return true;
}

bool readJournal(QByteArrayView data, rJournalContents& out) {
    QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readJournal(buffer, out);
}

qint64 journalSizeLimit(const TWorkspace& ws) {
    // One step changing every entry costs at most its identity and states plus the translation in UTF-16, taken as
    // long as the source and the translation together. Sixty-four such steps are far more than a session makes.
    constexpr qint64 kBase = 64ll * 1024 * 1024;
    constexpr qint64 kFullSteps = 64;
    qint64 fullStep = 0;
    const auto add = [&](const tSkyStr& entry) {
        fullStep += kMinChangeBytes + 16 + 2 * (entry.gS.size() + entry.gTrans.size());
    };
    for (const auto& list : ws.loadedLists)
        for (const auto& entry : list)
            add(*entry);
    for (const auto& entry : ws.sharedIdList)
        add(*entry);
    if (const TMenuDocument* menu = ws.menu())
        for (const QString& key : menu->menuKeys)
            fullStep += 2 * key.size();
    return kBase + kFullSteps * fullStep;
}

rJournalRecord captureJournalRecord(const TWorkspace& ws, const std::vector<rEntryChange>& changes,
                                    TJournalStepKind kind) {
    rJournalRecord record;
    record.kind = kind;
    record.time = nowMs();
    record.changes.reserve(changes.size());
    const TMenuDocument* menu = ws.menu();
    const auto add = [&](const rEntryChange& change, const rEntryState& from, const rEntryState& to) {
        // The same shared text is the same text; anything else is compared.
        const bool same = from.translation.constData() == to.translation.constData()
                              ? from.translation.size() == to.translation.size()
                              : from.translation == to.translation;
        rJournalChange& out = record.changes.emplace_back();
        out.entry = identityOf(menu, *change.entry);
        out.hasTranslation = !same;
        if (!same) out.state.translation = to.translation;
        out.state.translationHash = to.translationHash;
        out.state.status = to.status;
        out.state.flags = to.flags;
        out.state.LDResult = to.LDResult;
        out.state.LDFound = to.LDFound;
    };
    // An undo puts the states back last change first (see TEditHistory::undo); the journal keeps that order.
    if (kind == TJournalStepKind::undo) {
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            add(*it, it->after, it->before);
    } else {
        for (const rEntryChange& change : changes)
            add(change, change.before, change.after);
    }
    return record;
}

// ----- The writer

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

// ----- The workspace's side

QString journalPathFor(const TWorkspace& ws) {
    const TAppState& st = ws.app.state;
    const rDocumentKind* kind = documentKindOf(ws.document->path);
    const QString identity = QFileInfo(ws.document->path).absoluteFilePath().toLower() + QLatin1Char('|') +
                             QLatin1String(kind ? kind->name : "") + QLatin1Char('|') + st.SourceLang.toLower() +
                             QLatin1Char('|') + st.DestLang.toLower();
    const QByteArray digest = QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return recoveryFolder(ws) + QFileInfo(ws.document->path).fileName() + QLatin1Char('-') +
           QString::fromLatin1(digest) + QStringLiteral(".journal");
}

rJournalHeader currentJournalHeader(const TWorkspace& ws) {
    const TAppState& st = ws.app.state;
    rJournalHeader header;
    header.documentPath = QFileInfo(ws.document->path).absoluteFilePath();
    const rDocumentKind* kind = documentKindOf(ws.document->path);
    header.kind = QLatin1String(kind ? kind->name : "");
    const QFileInfo info(ws.document->path);
    if (info.exists()) {
        header.documentSize = info.size();
        header.documentTime = info.lastModified().toMSecsSinceEpoch();
    }
    header.sourceLang = st.SourceLang;
    header.destLang = st.DestLang;
    header.workMode = static_cast<uint8_t>(st.WorkMode);
    return header;
}

void journalStep(TWorkspace& ws, const std::vector<rEntryChange>& changes, TJournalStepKind kind) {
    if (!ws.journal || changes.empty() || !journalled(ws)) return;
    // A failed write is told once; the steps go on being written (a later one may succeed).
    const QString error = ws.journal->takeError();
    if (!error.isEmpty()) ws.app.logMessage(ws.app.uiTextFormat(QStringLiteral("Fbk_JournalError"), {error}));
    if (!ws.journal->active()) {
        const QString path = journalPathFor(ws);
        // Another window holds this document's journal: its steps must not be overwritten by these.
        if (!ws.journal->claimed(path)) return;
        ws.journal->start(path, currentJournalHeader(ws));
    }
    ws.journal->append(captureJournalRecord(ws, changes, kind));
}

void endJournal(TWorkspace& ws) {
    if (ws.journal && ws.journal->active()) ws.journal->remove();
}

void closeJournal(TWorkspace& ws) {
    if (!ws.journal) return;
    if (ws.journal->active()) {
        if (ws.hasUnsavedWork())
            ws.journal->close();
        else
            ws.journal->remove();
        ws.journal->waitIdle();
    }
    ws.journal->release();
}

int replayJournal(TWorkspace& ws, const std::vector<rJournalRecord>& records, int* missing) {
    std::unordered_map<rEntryIdentity, tSkyStr*, rEntryIdentityHash> entries;
    size_t total = ws.sharedIdList.size();
    for (const auto& list : ws.loadedLists)
        total += list.size();
    entries.reserve(total);
    const TMenuDocument* menu = ws.menu();
    for (const auto& list : ws.loadedLists)
        for (const auto& entry : list)
            entries.emplace(identityOf(menu, *entry), entry.get());
    for (const auto& entry : ws.sharedIdList)
        entries.emplace(identityOf(menu, *entry), entry.get());

    int notFound = 0;
    TEntryCommand command(ws, QStringLiteral("Step_Recover"));
    for (const rJournalRecord& record : records)
        for (const rJournalChange& change : record.changes) {
            const auto it = entries.find(change.entry);
            if (it == entries.end()) {
                ++notFound;
                continue;
            }
            tSkyStr& entry = *it->second;
            if (change.hasTranslation) {
                change.state.applyTo(entry);
            } else {
                rEntryState state = change.state;
                state.translation = entry.gTrans;
                state.applyTo(entry);
            }
        }
    if (missing) *missing = notFound;
    return command.finish();
}

int offerJournal(TWorkspace& ws) {
    if (!journalled(ws)) return 0;
    // A journal of the document closed just before must be removed or kept before this one is looked for.
    if (ws.journal) ws.journal->waitIdle();
    const QString path = journalPathFor(ws);
    // Only the window writes, so only the window tidies up.
    const bool writes = ws.journal != nullptr;
    if (writes && !ws.journal->claim(path)) {
        ws.app.logMessage(ws.app.uiText(QStringLiteral("Fbk_JournalInUse")), true);
        return 0;
    }
    if (ws.recovery == TRecoveryUse::ignore) return 0;
    const QFileInfo found(path);
    if (!found.exists() && !found.isSymLink()) return 0;
    TAppContext& app = ws.app;
    const QString shown = QDir::toNativeSeparators(path);
    // A link would make the journal another file (planted there to be read, or overwritten by the writer): it is
    // neither followed nor removed; the first step written replaces it with the journal itself.
    if (found.isSymLink()) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_JournalLink"), {shown}), true);
        return 0;
    }
    if (found.size() > journalSizeLimit(ws)) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_JournalTooBig"),
                                        {shown, static_cast<qlonglong>(found.size() / (1024 * 1024))}),
                       true);
        if (writes) discardJournal(ws, path);
        return 0;
    }
    QFile file;
    QString error;
    rJournalContents contents;
    if (!openFileNoFollow(file, path, QIODevice::ReadOnly, &error)) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_JournalUnreadable"), {shown, error}));
        return 0;
    }
    try {
        // A journal of another document (or of other languages) is not offered, and left alone.
        if (!readJournal(file, contents) || !sameHeader(contents.header, currentJournalHeader(ws))) return 0;
    } catch (const std::bad_alloc&) {
        app.logMessage(app.uiText(QStringLiteral("Fbk_OutOfMemory")), true);
        return 0;
    }
    file.close();
    if (contents.records.empty()) {
        if (writes) QFile::remove(path);
        return 0;
    }
    const rJournalHeader now = currentJournalHeader(ws);
    const bool changed =
        now.documentSize != contents.header.documentSize || now.documentTime != contents.header.documentTime;
    const QString date = QDateTime::fromMSecsSinceEpoch(contents.records.back().time)
                             .toLocalTime()
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const QVariantList args{static_cast<int>(contents.records.size()), date};
    const QString question =
        app.uiTextFormat(changed ? QStringLiteral("Ask_RecoverChanged") : QStringLiteral("Ask_RecoverJournal"), args);
    if (ws.recovery == TRecoveryUse::ask) {
        if (app.messageDialog(question, dbYesNo) != drYes) {
            if (writes) discardJournal(ws, path);
            return 0;
        }
    } else {
        app.logMessage(question + QStringLiteral(" -> yes"));
    }
    int missing = 0;
    const int restored = replayJournal(ws, contents.records, &missing);
    if (missing > 0) app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_RecoverMissing"), {missing}), true, dbOk);
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_Recovered"), {restored}));
    // The restored step started a new journal over this one; when it changed nothing, nothing replaces the old one.
    if (writes && restored == 0) discardJournal(ws, path);
    return restored;
}
