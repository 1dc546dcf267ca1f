// The string texts the table benchmarks share: about 60 bytes a line of loosely repeated words, a little of it
// outside ASCII, split over the three kinds of table as the game's own sets are.
#pragma once

#include "string_table_builder.h"

#include <QString>
#include <cstdint>

namespace quillbench {

inline QString tableSentence(uint32_t n, bool french) {
    static const char* const words[] = {"iron", "sword", "of",         "the",   "north",  "water", "purified",
                                        "old",  "radio", "power",      "armor", "molé",   "rat",   "gun",
                                        "with", "and",   "settlement", "vault", "raider", "café"};
    QString s;
    uint32_t x = n * 2654435761u + 12345u;
    const int count = 6 + static_cast<int>(n % 9);
    for (int i = 0; i < count; ++i) {
        if (i) s += QLatin1Char(' ');
        s += QString::fromUtf8(words[x % 20]);
        x = x * 1103515245u + 12345u;
    }
    if (french) s += QStringLiteral(" (fr)");
    return s + QString::number(n % 70000);
}

// Splits n entries over the three kinds: 60 % names, 25 % descriptions, 15 % dialogue lines.
inline rTableSetTexts tableSetTexts(int n, bool french) {
    rTableSetTexts texts;
    for (int i = 0; i < n; ++i) {
        const int kind = i % 20 < 12 ? 0 : (i % 20 < 17 ? 1 : 2);
        texts[kind].emplace_back(static_cast<uint32_t>(i + 1), tableSentence(static_cast<uint32_t>(i), french));
    }
    return texts;
}

} // namespace quillbench
