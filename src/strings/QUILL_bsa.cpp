// BSA archive reader over a checked little-endian stream.
#include "strings/QUILL_bsa.h"

#include "core/QUILL_error.h"
#include "core/QUILL_files.h"
#include "strings/QUILL_archive.h"

#include <QBuffer>
#include <QFile>
#include <zlib.h>

namespace {

uint32_t stringHash(QStringView text) {
    uint32_t h = 0;
    for (const QChar c : text)
        h = h * 65599u + (c.unicode() & 0xFFu);
    return h;
}

uint32_t lowByte(QChar c) {
    return c.unicode() & 0xFFu;
}

} // namespace

// ---- TwbFileStream

TwbFileStream::TwbFileStream(const QString& path) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) throw TQuillError(path + QStringLiteral(": ") + file->errorString());
    size_ = file->size();
    device_ = std::move(file);
}

TwbFileStream::TwbFileStream(const QByteArray& bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    size_ = bytes.size();
    device_ = std::move(buffer);
}

TwbFileStream::~TwbFileStream() = default;

qint64 TwbFileStream::position() const {
    return device_->pos();
}

void TwbFileStream::seek(qint64 position) {
    if (position < 0 || position > size_ || !device_->seek(position))
        throw TQuillError(QStringLiteral("Seek outside the archive (offset %1, size %2)").arg(position).arg(size_));
}

QByteArray TwbFileStream::readBytes(qint64 count) {
    if (count < 0 || count > remaining())
        throw TQuillError(QStringLiteral("Read past the end of the archive (offset %1, %2 bytes wanted, %3 left)")
                              .arg(position())
                              .arg(count)
                              .arg(remaining()));
    QByteArray out = device_->read(count);
    if (out.size() != count) throw TQuillError(QStringLiteral("Archive read error: ") + device_->errorString());
    return out;
}

uint8_t TwbFileStream::readU8() {
    return static_cast<uint8_t>(readBytes(1)[0]);
}

uint32_t TwbFileStream::readU32() {
    const QByteArray b = readBytes(4);
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(b[i]);
    return v;
}

uint64_t TwbFileStream::readU64() {
    const uint64_t low = readU32();
    const uint64_t high = readU32();
    return low | (high << 32);
}

QString TwbFileStream::readLengthPrefixedName() {
    QByteArray name = readBytes(readU8());
    if (name.endsWith('\0')) name.chop(1);
    return QString::fromLatin1(name);
}

QString TwbFileStream::readZeroTerminatedName() {
    QByteArray name;
    for (;;) {
        const uint8_t b = readU8();
        if (b == 0) break;
        name.append(static_cast<char>(b));
    }
    return QString::fromLatin1(name);
}

// ---- Name hash

uint64_t bsaNameHash(const QString& name, bool isFolder) {
    QString lowered = name.toLower();
    lowered.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QString stem = lowered;
    QString extension;
    if (!isFolder) {
        const qsizetype dot = lowered.lastIndexOf(QLatin1Char('.'));
        const qsizetype slash = lowered.lastIndexOf(QLatin1Char('\\'));
        if (dot >= 0 && dot > slash) {
            stem = lowered.left(dot);
            extension = lowered.mid(dot);
        }
    }
    const qsizetype n = stem.size();
    uint32_t low = 0;
    if (n > 0) {
        low = lowByte(stem[n - 1]);
        if (n > 2) low += lowByte(stem[n - 2]) << 8;
        low += static_cast<uint32_t>(n) << 16;
        low += lowByte(stem[0]) << 24;
    }
    uint32_t high = 0;
    if (n > 3) high = stringHash(QStringView(stem).sliced(1, n - 3));
    if (!extension.isEmpty()) {
        high += stringHash(extension);
        if (extension == QLatin1String(".kf"))
            low += 0x80u;
        else if (extension == QLatin1String(".nif"))
            low += 0x8000u;
        else if (extension == QLatin1String(".dds"))
            low += 0x8080u;
        else if (extension == QLatin1String(".wav"))
            low += 0x80000000u;
    }
    return (static_cast<uint64_t>(high) << 32) | low;
}

// ---- TwbBSAFile

TwbBSAFile::TwbBSAFile(std::unique_ptr<TwbFileStream> stream) : bfStream(std::move(stream)) {}

QString TwbBSAFile::normaliseFolder(const QString& folder) {
    QString f = folder.toLower();
    f.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (f.startsWith(QLatin1Char('\\')))
        f.remove(0, 1);
    while (f.endsWith(QLatin1Char('\\')))
        f.chop(1);
    if (f.isEmpty()) f = QStringLiteral(".");
    return f;
}

std::unique_ptr<TwbBSAFile> TwbBSAFile::openForFolder(const QString& path, const QString& folder) {
    std::unique_ptr<TwbBSAFile> archive(new TwbBSAFile(std::make_unique<TwbFileStream>(path)));
    archive->bfFileName = path;
    archive->open(folder);
    return archive;
}

std::unique_ptr<TwbBSAFile> TwbBSAFile::openForFolder(const QByteArray& bytes, const QString& name,
                                                      const QString& folder) {
    std::unique_ptr<TwbBSAFile> archive(new TwbBSAFile(std::make_unique<TwbFileStream>(bytes)));
    archive->bfFileName = name;
    archive->open(folder);
    return archive;
}

void TwbBSAFile::open(const QString& folder) {
    TwbFileStream& s = *bfStream;
    if (s.size() < 4 || s.readSignature() != QByteArray("BSA\0", 4))
        throw TQuillError(bfFileName + QStringLiteral(" is not a valid BSA file"));
    bfVersion = s.readU32();
    if (bfVersion != 103 && bfVersion != 104)
        throw TQuillError(bfFileName + QStringLiteral(" has unknown version: ") + QString::number(bfVersion));
    bfOffset = s.readU32();
    if (bfOffset != 36)
        throw TQuillError(bfFileName + QStringLiteral(" has unexpected Offset: ") + QString::number(bfOffset));
    bfFlags = s.readU32();
    const uint32_t folderCount = s.readU32();
    s.readU32(); // file count
    s.readU32(); // total folder name length
    const uint32_t totalFileNameLength = s.readU32();
    bfFileFlags = s.readU32();

    openedFolder_ = normaliseFolder(folder);
    hashFdrMode = true;
    bfHashFolder = nullptr;
    // Archive tools store the root either as "." or as an empty name (hash 0): both are the root.
    const bool wantsRoot = openedFolder_ == QLatin1String(".");
    const uint64_t wanted = bsaNameHash(openedFolder_, true);
    // A lying count only makes the walk stop at the end of the file.
    if (static_cast<qint64>(folderCount) * 16 > s.remaining())
        throw TQuillError(bfFileName + QStringLiteral(": folder count %1 does not fit the file").arg(folderCount));
    for (uint32_t i = 0; i < folderCount; ++i) {
        const uint64_t hash = s.readU64();
        const uint32_t fileCount = s.readU32();
        const uint32_t offset = s.readU32();
        if (hash != wanted && !(wantsRoot && hash == 0)) continue;

        TwbBSAFolderRec rec;
        rec.Hash = hash;
        const qint64 block = static_cast<qint64>(offset) - totalFileNameLength;
        s.seek(block);
        rec.Name = s.readLengthPrefixedName();
        if (static_cast<qint64>(fileCount) * 16 > s.remaining())
            throw TQuillError(bfFileName + QStringLiteral(": file count %1 does not fit the file").arg(fileCount));
        rec.Files.reserve(fileCount);
        for (uint32_t k = 0; k < fileCount; ++k) {
            TwbBSAFileRec file;
            file.Hash = s.readU64();
            file.Size = s.readU32();
            file.Offset = s.readU32();
            rec.Files.push_back(file);
        }
        bfFolders.push_back(std::move(rec));
        bfHashFolder = &bfFolders.back();
        break;
    }
}

const TwbBSAFileRec* TwbBSAFile::findFile(const QString& fileName) const {
    if (!bfHashFolder) return nullptr;
    const uint64_t hash = bsaNameHash(fileName, false);
    const TwbBSAFileRec* hit = nullptr;
    for (const TwbBSAFileRec& file : bfHashFolder->Files)
        if (file.Hash == hash) hit = &file;
    return hit;
}

QByteArray TwbBSAFile::readFileData(const TwbBSAFileRec& file, const QString& shownName) {
    const QString name = file.Name.isEmpty() ? shownName : file.Name;
    TwbFileStream& s = *bfStream;
    qint64 storedSize = file.Size & ~kBsaInvertCompression;
    const bool compressed = ((file.Size & kBsaInvertCompression) != 0) != ((bfFlags & kBsaCompressedByDefault) != 0);
    s.seek(file.Offset);
    if (bfVersion == 104 && (bfFlags & kBsaEmbeddedNames)) {
        // The file's path comes first (a length byte and the text); it is not part of the file.
        const uint8_t nameLength = s.readU8();
        s.readBytes(nameLength);
        storedSize -= 1 + nameLength;
        if (storedSize < 0)
            throw TQuillError(bfFileName + QStringLiteral(": entry size smaller than its embedded name"));
    }
    if (!compressed) {
        if (const QString problem = archivedSizeProblem(bfFileName, name, storedSize, std::nullopt); !problem.isEmpty())
            throw TQuillError(problem);
        return s.readBytes(storedSize);
    }

    if (storedSize < 4) throw TQuillError(bfFileName + QStringLiteral(": compressed entry without its size"));
    const qint64 unpackedSize = s.readU32();
    const qint64 packedSize = storedSize - 4;
    if (packedSize > s.remaining())
        throw TQuillError(bfFileName + QStringLiteral(": compressed entry runs past the end of the archive"));
    // The declared size decides how much memory is taken: it is checked before anything is.
    if (const QString problem = archivedSizeProblem(bfFileName, name, static_cast<uint64_t>(unpackedSize),
                                                    static_cast<uint64_t>(packedSize));
        !problem.isEmpty())
        throw TQuillError(problem);
    QByteArray out(unpackedSize, '\0');
    if (unpackedSize == 0 || packedSize == 0) return out;
    const QByteArray packed = s.readBytes(packedSize);
    uLongf outLength = static_cast<uLongf>(unpackedSize);
    const int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &outLength,
                              reinterpret_cast<const Bytef*>(packed.constData()), static_cast<uLong>(packed.size()));
    if (rc != Z_OK || static_cast<qint64>(outLength) != unpackedSize)
        throw TQuillError(bfFileName + QStringLiteral(": compressed entry is damaged (zlib %1)").arg(rc));
    return out;
}
