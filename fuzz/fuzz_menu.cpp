// Fuzz target for the menu translation file reader: decoding, entry lines, and the saved form read back.
#include "script/QUILL_menuFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::vector<rMenuEntry> entries = parseMenuText(decodeMenuBytes(bytes));
    for (const rMenuEntry& e : entries)
        if (!e.key.startsWith(QLatin1Char('$')) || e.key.contains(QLatin1Char('\t'))) std::abort();
    // What is written is read back as the same keys and texts, line breaks escaped.
    const std::vector<rMenuEntry> again = parseMenuText(decodeMenuBytes(encodeMenuFile(entries)));
    if (again.size() != entries.size()) std::abort();
    for (size_t i = 0; i < entries.size(); ++i)
        if (again[i].key != entries[i].key || again[i].value != escapeMenuText(entries[i].value)) std::abort();
    return 0;
}
