// Builds general-files BA2 archives in memory for tests and fuzz seeds.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

struct rBa2FileSpec {
    QString path;    // '\' or '/' separated, as stored in the name table
    QByteArray data; // the file's bytes (compressed by the builder when `compress`)
    bool compress = false;
    int64_t cutData = 0; // bytes of the stored data left out at the end of the archive (a damaged entry)
    QByteArray packed;   // when not empty: the entry's compressed stream as it is, unpacking to `data.size()` bytes
                         // unless `size` says otherwise
    std::optional<uint32_t> size; // a declared (unpacked) size other than the data's
};

struct rBa2Spec {
    uint32_t version = 1;
    bool nameTable = true;
    std::vector<rBa2FileSpec> files;
};

QByteArray buildBa2(const rBa2Spec& layout);
