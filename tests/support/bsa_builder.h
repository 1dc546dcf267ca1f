// Builds BSA archives (versions 103/104) in memory for tests, benchmarks and fuzz seeds.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

struct rBsaFileSpec {
    QString name;        // file name with extension, as stored (hashed lower-cased)
    QByteArray data;     // the file's bytes (compressed by the builder when the entry is compressed)
    bool invert = false; // sets bit 30: the opposite of the archive's compression default
    std::optional<uint32_t> uncompressedSizeOverride; // a lying size for compressed entries
    std::optional<uint32_t> sizeOverride;             // a lying stored size (bit 30 is still applied)
};

struct rBsaFolderSpec {
    QString name; // folder path with '\' separators; "" is written as an empty name with hash 0
    std::vector<rBsaFileSpec> files;
};

struct rBsaSpec {
    uint32_t version = 104;
    uint32_t flags = 0x3; // bit 2 (4): compressed by default; bit 8 (0x100, version 104): names before the data
    uint32_t headerSize = 36;
    std::vector<rBsaFolderSpec> folders;
};

QByteArray buildBsa(const rBsaSpec& archiveLayout);
