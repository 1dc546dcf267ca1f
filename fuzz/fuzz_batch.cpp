// Fuzz target for the batch file reader: decoding, the rule blocks, and each rule applied to a few entries.
#include "aids/QUILL_search.h"
#include "core/QUILL_dataList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = decodeTextFile(bytes);
    const std::vector<rSearchData> rules = parseBatchRules(text);
    // Every rule comes from a closed block, so there are never more rules than "endrule" lines.
    if (static_cast<qsizetype>(rules.size()) > text.count(QStringLiteral("endrule"), Qt::CaseInsensitive)) std::abort();
    tListSet lists;
    for (int i = 0; i < 3; ++i)
        lists[static_cast<size_t>(i)].push_back(std::make_unique<tSkyStr>(
            QStringLiteral("Open <Alias=Player> door"), QStringLiteral("Ouvrir la porte"), i, 1u, 99));
    for (size_t k = 0; k < rules.size(); ++k) {
        const rSearchData& rule = rules[k];
        if (!rule.caseSensitive && rule.s1 != rule.s1.toLower()) std::abort();
        // A chain of rules may grow a text geometrically (a -> aa -> aaaa ...), as a real file could: a few suffice.
        if (k < 6) applySearchRule(rule, lists, 0, [](const tSkyStr&) { return true; });
    }
    return 0;
}
