// Reader of Fallout 4's general-files archives ("BTDX" header, type "GNRL"; versions 1, 7 and 8): the file records,
// the optional name table, stored and zlib-compressed entries. Texture archives ("DX10") hold no text and are
// refused.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct rBa2Entry {
    uint32_t nameHash = 0;   // hash of the lower-cased file name without its extension
    uint32_t folderHash = 0; // hash of the lower-cased folder path, '\' separated
    char extension[4] = {};  // the extension without its dot, zero padded
    uint64_t offset = 0;
    uint32_t packedSize = 0; // 0 when stored
    uint32_t size = 0;
    QString name; // from the name table; empty when the archive has none
};

// The archive's 32-bit name hash (a CRC-32 with a zero start value and no final inversion).
uint32_t ba2NameHash(QByteArrayView lowerCaseLatin1);

class TBa2Archive {
public:
    // Opens the archive at `path` (mapped, not read whole); throws TQuillError when it is not a readable archive.
    static std::unique_ptr<TBa2Archive> open(const QString& path);
    // The same over bytes in memory; `name` stands for the path in messages.
    static std::unique_ptr<TBa2Archive> fromBytes(QByteArray bytes, const QString& name);
    ~TBa2Archive();

    const QString& fileName() const { return fileName_; }
    uint32_t version() const { return version_; }
    const std::vector<rBa2Entry>& entries() const { return entries_; }
    bool hasNameTable() const { return hasNames_; }

    // The entry stored at `path` ('\' or '/' separated, any case), or none.
    const rBa2Entry* find(const QString& path) const;
    // The bytes of an entry, inflated when compressed; throws TQuillError when the archive cannot give them.
    QByteArray read(const rBa2Entry& entry) const;

private:
    TBa2Archive() = default;
    void parse();

    QString fileName_;
    std::unique_ptr<QFile> file_; // kept open while mapped
    QByteArray owned_;            // the bytes, when not mapped
    QByteArrayView data_;
    uint32_t version_ = 0;
    bool hasNames_ = false;
    std::vector<rBa2Entry> entries_;
};

// True when the bytes start like a BA2 archive (whatever its type or version).
bool looksLikeBa2(QByteArrayView head);
