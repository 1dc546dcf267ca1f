// Fuzz target: the dictionary readers (every version) and the vocabulary cache reader, through the sorted batch.
#include "dictionary/QUILL_dictionary.h"
#include "dictionary/QUILL_vocabulary.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The first byte picks the reader options; the rest is the file.
    const uint8_t options = size > 0 ? data[0] : 0;
    const QByteArray file = bytes.mid(1);
    try {
        quilldict::TSortedBatch batch;
        quilldict::rDictionaryLoad load;
        load.withReferences = (options & 1) != 0;
        load.addFlags = options & 0x0E;
        load.unlessFlags = options & 0xF0;
        std::vector<quilldict::rPendingRef> refs;
        int counter = 0;
        quilldict::readDictionaryFile(file, batch, load, counter, &refs);
        tListSet lists;
        batch.mergeInto(lists);
        for (const auto& r : refs)
            if (!batch.standsFor(r.seq)) __builtin_trap();
    } catch (const TQuillError&) {
    }
    try {
        quilldict::TSortedBatch batch;
        int counter = 0;
        quilldict::readCacheFile(file, batch, nullptr, 0, counter);
        tListSet lists;
        batch.mergeInto(lists);
    } catch (const TQuillError&) {
    }
    return 0;
}
