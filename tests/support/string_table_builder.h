// Builds string table bytes and table-set folders for tests, benchmarks and fuzz seeds, independently of the writer.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// One directory entry of a raw table: its id, its encoded text (no final 0) and, when set, the offset it points at
// instead of a fresh data entry, or a lying length field (length-prefixed kinds).
struct rRawTableEntry {
    uint32_t id = 0;
    QByteArray bytes;
    std::optional<uint32_t> offset;
    std::optional<uint32_t> lengthField;
    bool withZero = true; // the final 0 byte of the text
};

// Lays out the table: header, directory in the given order, data entries in the same order (an entry with an
// explicit offset writes no data). listIndex 0 is zero-terminated, 1 and 2 length-prefixed.
QByteArray buildRawStringTable(int listIndex, const std::vector<rRawTableEntry>& entries,
                               std::optional<uint32_t> countOverride = std::nullopt,
                               std::optional<uint32_t> dataSizeOverride = std::nullopt);

// A UTF-8 table of (id, text), each text its own data entry.
QByteArray buildUtf8Table(int listIndex, const std::vector<std::pair<uint32_t, QString>>& entries);

using rTableSetTexts = std::array<std::vector<std::pair<uint32_t, QString>>, 3>;

// Writes "<folder>/<plugin>_<lang>.strings|.dlstrings|.ilstrings" (UTF-8); returns the three paths.
std::array<QString, 3> writeUtf8TableSet(const QString& folder, const QString& plugin, const QString& lang,
                                         const rTableSetTexts& texts);
