// BSA archive builder for tests.
#include "bsa_builder.h"

#include "core/QUILL_cursor.h"
#include "strings/QUILL_bsa.h"

#include <zlib.h>

namespace {

QByteArray zlibCompress(const QByteArray& data) {
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    QByteArray out(static_cast<qsizetype>(length), '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(data.constData()),
              static_cast<uLong>(data.size()), Z_BEST_COMPRESSION);
    out.truncate(static_cast<qsizetype>(length));
    return out;
}

} // namespace

QByteArray buildBsa(const rBsaSpec& archiveLayout) {
    uint32_t totalFolderNames = 0, totalFileNames = 0, fileCount = 0;
    for (const auto& folder : archiveLayout.folders) {
        totalFolderNames += static_cast<uint32_t>(folder.name.toLatin1().size() + 1);
        for (const auto& file : folder.files)
            totalFileNames += static_cast<uint32_t>(file.name.toLatin1().size() + 1);
        fileCount += static_cast<uint32_t>(folder.files.size());
    }
    QByteArray out("BSA\0", 4);
    binary_out::u32le(out, archiveLayout.version);
    binary_out::u32le(out, archiveLayout.headerSize);
    binary_out::u32le(out, archiveLayout.flags);
    binary_out::u32le(out, static_cast<uint32_t>(archiveLayout.folders.size()));
    binary_out::u32le(out, fileCount);
    binary_out::u32le(out, totalFolderNames);
    binary_out::u32le(out, totalFileNames);
    binary_out::u32le(out, 0);

    // Folder records, patched once the blocks' positions are known.
    const qsizetype folderRecords = out.size();
    for (const auto& folder : archiveLayout.folders) {
        const uint64_t hash = folder.name.isEmpty() ? 0 : bsaNameHash(folder.name, true);
        binary_out::u64(out, hash, false);
        binary_out::u32le(out, static_cast<uint32_t>(folder.files.size()));
        binary_out::u32le(out, 0);
    }
    std::vector<qsizetype> fileRecordAt;
    for (size_t f = 0; f < archiveLayout.folders.size(); ++f) {
        const auto& folder = archiveLayout.folders[f];
        binary_out::patchU32le(out, folderRecords + static_cast<qsizetype>(f) * 16 + 12,
                               static_cast<uint32_t>(out.size()) + totalFileNames);
        const QByteArray name = folder.name.toLatin1();
        binary_out::u8(out, static_cast<uint8_t>(name.size() + 1));
        out.append(name);
        out.append('\0');
        for (const auto& file : folder.files) {
            fileRecordAt.push_back(out.size());
            binary_out::u64(out, bsaNameHash(file.name, false), false);
            binary_out::u32le(out, 0);
            binary_out::u32le(out, 0);
        }
    }
    for (const auto& folder : archiveLayout.folders)
        for (const auto& file : folder.files) {
            out.append(file.name.toLatin1());
            out.append('\0');
        }
    size_t index = 0;
    const bool byDefault = (archiveLayout.flags & 0x4) != 0;
    for (const auto& folder : archiveLayout.folders)
        for (const auto& file : folder.files) {
            const qsizetype start = out.size();
            if (archiveLayout.version == 104 && (archiveLayout.flags & 0x100)) {
                const QByteArray path = (folder.name + QLatin1Char('\\') + file.name).toLatin1();
                binary_out::u8(out, static_cast<uint8_t>(path.size()));
                out.append(path);
            }
            if (byDefault != file.invert) {
                binary_out::u32le(out, file.uncompressedSizeOverride.value_or(static_cast<uint32_t>(file.data.size())));
                if (!file.data.isEmpty()) out.append(zlibCompress(file.data));
            } else {
                out.append(file.data);
            }
            uint32_t size = file.sizeOverride.value_or(static_cast<uint32_t>(out.size() - start));
            if (file.invert) size |= 0x40000000u;
            binary_out::patchU32le(out, fileRecordAt[index] + 8, size);
            binary_out::patchU32le(out, fileRecordAt[index] + 12, static_cast<uint32_t>(start));
            ++index;
        }
    return out;
}
