// Fuzz target: the string table parser and readers (every sink mode, every code page), and the writer's round trip.
#include "core/QUILL_main.h"
#include "strings/QUILL_stringTable.h"

#include <cstddef>
#include <cstdint>

namespace {

const int kCodepages[] = {65001, 1252, 1251, 932, 1256, 65535};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte picks the table kind, the code page and the sink mode; the rest is the table.
    const uint8_t options = data[0];
    const int listIndex = options % 3;
    const rCodepage codepage = codepageFromNumber(kCodepages[(options / 3) % 6]);
    const QByteArray table(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));

    std::vector<std::pair<uint32_t, QString>> entries;
    try {
        parseStringTable(table, listIndex, codepage,
                         [&](qsizetype, uint32_t id, QString&& text) { entries.emplace_back(id, std::move(text)); });
    } catch (const TQuillError&) {
        entries.clear();
    }

    // UTF-8 texts come back unchanged through the writer (a text holding a 0 character ends early in the
    // zero-terminated kind, so those are left out).
    if (codepage.isUtf8 && !entries.empty()) {
        std::vector<std::pair<uint32_t, QString>> clean;
        for (const auto& e : entries)
            if (!e.second.contains(QChar(0))) clean.push_back(e);
        try {
            const QByteArray rebuilt = buildStringTable(clean, listIndex, codepage);
            size_t k = 0;
            parseStringTable(rebuilt, listIndex, codepage, [&](qsizetype, uint32_t id, QString&& text) {
                if (k >= clean.size() || clean[k].first != id || clean[k].second != text) __builtin_trap();
                ++k;
            });
            if (k != clean.size()) __builtin_trap();
        } catch (const TEntryTooLong&) {
        }
    }

    // The readers with their sinks over a list holding some of the same ids.
    TAppContext app;
    rTableSink sink;
    sink.mode = static_cast<tSinkMode>((options / 18) % 5);
    sink.relinkShared = [](tSkyStr& further, tSkyStr& owner) {
        if (&further == &owner) __builtin_trap();
    };
    tSkyStrList list;
    for (uint32_t id = 0; id < 6; ++id)
        list.push_back(std::make_unique<tSkyStr>("s", "t", listIndex, id / 2, 99));
    readTableBytes(app, table, QStringLiteral("fuzz_en.strings"), 99, listIndex, 0, sink, list);
    for (size_t i = 1; i < list.size() && sink.mode == tSinkMode::localizedPlugin; ++i)
        if (list[i - 1]->id > list[i]->id) __builtin_trap();
    return 0;
}
