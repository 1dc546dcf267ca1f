// Fuzz target: the archive reader, opening for a folder and reading every file record of it.
#include "core/QUILL_error.h"
#include "strings/QUILL_archive.h"
#include "strings/QUILL_bsa.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const char* const folders[] = {"strings", ".", "interface\\translations", ""};
    const QString folder = QString::fromLatin1(folders[data[0] % 4]);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    try {
        auto archive = TwbBSAFile::openForFolder(bytes, QStringLiteral("fuzz.bsa"), folder);
        if (!archive->bfHashFolder) return 0;
        int read = 0;
        for (const TwbBSAFileRec& file : archive->bfHashFolder->Files) {
            if (++read > 64) break;
            try {
                const QByteArray content = archive->readFileData(file);
                // Nothing may come out larger than zlib can produce from the archive's bytes, nor than the bound of
                // one archived text file.
                if (content.size() > bytes.size() * 1040 + 64 * 1024) __builtin_trap();
                if (static_cast<uint64_t>(content.size()) > kMaxArchivedFileSize) __builtin_trap();
            } catch (const TQuillError&) {
            }
        }
        archive->findFile(QStringLiteral("fuzz_en.strings"));
    } catch (const TQuillError&) {
    }
    return 0;
}
