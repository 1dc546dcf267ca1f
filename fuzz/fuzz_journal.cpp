// Fuzz target: the recovery journal reader. Whatever it accepts must encode back to the bytes it read.
#include "workspace/QUILL_journal.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    rJournalContents contents;
    if (!readJournal(bytes, contents)) return 0;
    QByteArray again = encodeJournalHeader(contents.header);
    for (const rJournalRecord& record : contents.records)
        appendJournalRecord(again, record);
    // The records read are a prefix of the input, written the same way.
    if (!bytes.startsWith(QByteArrayView(again))) __builtin_trap();
    return 0;
}
