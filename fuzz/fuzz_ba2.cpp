// Fuzz target: the BA2 reader, parsing the records and name table and reading every entry.
#include "core/QUILL_error.h"
#include "strings/QUILL_archive.h"
#include "strings/QUILL_ba2.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        auto archive = TBa2Archive::fromBytes(bytes, QStringLiteral("fuzz.ba2"));
        int read = 0;
        for (const rBa2Entry& entry : archive->entries()) {
            if (++read > 64) break;
            try {
                const QByteArray content = archive->read(entry);
                // Nothing may come out larger than zlib can produce from the archive's bytes, nor than the bound of
                // one archived text file.
                if (content.size() > bytes.size() * 1040 + 64 * 1024) __builtin_trap();
                if (static_cast<uint64_t>(content.size()) > kMaxArchivedFileSize) __builtin_trap();
            } catch (const TQuillError&) {
            }
            // A name table may disagree with the records' hashes: the lookup must then simply miss.
            if (!entry.name.isEmpty()) archive->find(entry.name);
        }
        archive->find(QStringLiteral("strings\\fuzz_en.strings"));
    } catch (const TQuillError&) {
    }
    return 0;
}
