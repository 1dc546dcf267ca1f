// Fuzz target: the vocabulary cache loader and writer: whatever loads must write and load back the same pairs.
#include "core/QUILL_error.h"
#include "dictionary/QUILL_cache.h"
#include "dictionary/QUILL_vocabulary.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void load(const QByteArray& bytes, tListSet& lists) {
    quilldict::TSortedBatch batch;
    int counter = 0;
    try {
        quilldict::readCacheFile(bytes, batch, nullptr, 1, counter);
    } catch (const TQuillError&) {
    }
    batch.mergeInto(lists);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray("SST2") + QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    tListSet first;
    load(bytes, first);
    // The reader drops a one-character source with an empty translation before it removes trailing NUL characters,
    // so "A\0" -> "" loads as "A" -> "" and is then dropped on the second load: leave those out of the comparison.
    for (auto& list : first)
        std::erase_if(list, [](const auto& e) { return e->gS.size() == 1 && e->gTrans.isEmpty(); });
    tListSet second;
    load(buildCacheBytes(first), second);
    for (int i = 0; i < 3; ++i) {
        if (first[i].size() != second[i].size()) __builtin_trap();
        for (size_t k = 0; k < first[i].size(); ++k)
            if (first[i][k]->gS != second[i][k]->gS || first[i][k]->gTrans != second[i][k]->gTrans) __builtin_trap();
    }
    return 0;
}
