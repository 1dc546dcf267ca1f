// Reader of BSA archives (versions 103 and 104): name hash, one folder's file records, stored and zlib entries.
// The string tables and menu files look archives up through TModArchives (QUILL_archive.h).
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// Little-endian reads over a read-only device; every read is checked against the device's size and throws
// TQuillError when it would pass the end.
class TwbFileStream {
public:
    // Opens the file for reading; throws TQuillError when it cannot be opened.
    explicit TwbFileStream(const QString& path);
    // Reads from bytes held in memory (tests and fuzzing).
    explicit TwbFileStream(const QByteArray& bytes);
    ~TwbFileStream();

    qint64 size() const { return size_; }
    qint64 position() const;
    void seek(qint64 position);
    qint64 remaining() const { return size_ - position(); }

    uint8_t readU8();
    uint32_t readU32();
    uint64_t readU64();
    QByteArray readSignature() { return readBytes(4); }
    QByteArray readBytes(qint64 count);
    // A length byte followed by that many bytes; a final 0 byte is dropped.
    QString readLengthPrefixedName();
    // Bytes up to a 0 byte (consumed, not returned).
    QString readZeroTerminatedName();

private:
    std::unique_ptr<QIODevice> device_;
    qint64 size_ = 0;
};

struct TwbBSAFileRec {
    QString Name;
    uint64_t Hash = 0;
    uint32_t Size = 0; // stored size, with the bit-30 compression inversion
    uint32_t Offset = 0;
};

struct TwbBSAFolderRec {
    QString Name;
    uint64_t Hash = 0;
    std::vector<TwbBSAFileRec> Files;
};

constexpr uint32_t kBsaCompressedByDefault = 0x4;
constexpr uint32_t kBsaEmbeddedNames = 0x100; // version 104: each file's data starts with its path
constexpr uint32_t kBsaInvertCompression = 0x40000000;

// The archive's 64-bit name hash of a lower-cased file name (stem and extension) or, with isFolder, a folder path.
uint64_t bsaNameHash(const QString& name, bool isFolder);

class TwbBSAFile {
public:
    // Opens the archive at `path` for one folder; throws TQuillError when the file is not a readable archive.
    static std::unique_ptr<TwbBSAFile> openForFolder(const QString& path, const QString& folder);
    // The same over bytes in memory; `name` stands for the path in messages.
    static std::unique_ptr<TwbBSAFile> openForFolder(const QByteArray& bytes, const QString& name,
                                                     const QString& folder);

    QString bfFileName;
    uint32_t bfVersion = 0;
    uint32_t bfOffset = 0;
    uint32_t bfFlags = 0;
    uint32_t bfFileFlags = 0;
    std::vector<TwbBSAFolderRec> bfFolders;
    bool hashFdrMode = true;
    const TwbBSAFolderRec* bfHashFolder = nullptr; // the requested folder, or none

    // The folder this archive was opened for, normalised (lower case, '\' separators).
    const QString& openedFolder() const { return openedFolder_; }
    // The last file record of the opened folder whose hash matches `fileName` (with its extension), or none.
    const TwbBSAFileRec* findFile(const QString& fileName) const;
    // The bytes of a file record (inflated when compressed); throws TQuillError on any inconsistency. `shownName`
    // names the file in messages when the record has no name of its own.
    QByteArray readFileData(const TwbBSAFileRec& file, const QString& shownName = QString());

    // Folder paths are compared in this form; "." and "" both name the archive's root.
    static QString normaliseFolder(const QString& folder);

private:
    explicit TwbBSAFile(std::unique_ptr<TwbFileStream> stream);
    void open(const QString& folder);

    std::unique_ptr<TwbFileStream> bfStream;
    QString openedFolder_;
};
