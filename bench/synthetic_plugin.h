// The synthetic plugin the plugin benchmarks share (about 300 MB at a million records, ten million fields): ten
// record types, each in blocks of 1000 records in nested groups, one record in ten compressed, every record with an
// EDID and nine data fields of 196 bytes of loosely repetitive data in all, and one record in five with a FULL text
// field, as the game's master file holds about ten fields a record.
#pragma once

#include "plugin_builder.h"

#include <QByteArray>
#include <QStringLiteral>
#include <cstdint>
#include <vector>

namespace quillbench {

// Loosely repetitive data, so that compressed records shrink about as real ones do.
inline QByteArray filler(uint32_t n, int size) {
    QByteArray b(size, Qt::Uninitialized);
    uint32_t x = n * 2654435761u + 1;
    for (int i = 0; i < size; ++i) {
        b[i] = static_cast<char>("abcdefgh01234567"[(x >> 13) & 15]);
        if (i % 8 == 7) x = x * 1103515245u + 12345u;
    }
    return b;
}

// Adds the records to `b`; `addFull(formId, fields)` appends the FULL field of the records that carry one.
template <typename AddFull> void addSyntheticRecords(TPluginBuilder& b, int records, AddFull&& addFull) {
    static const char* const types[] = {"WEAP", "ARMO", "MISC", "BOOK", "ALCH", "KEYM", "AMMO", "NPC_", "CONT", "FURN"};
    const int perType = records / 10;
    uint32_t formId = 0x01000000;
    for (const char* type : types) {
        b.beginGroup(type);
        for (int i = 0; i < perType; ++i) {
            if (i % 1000 == 0) {
                if (i) b.endGroup().endGroup();
                b.beginGroup(static_cast<uint32_t>(i / 1000), 2).beginGroup(static_cast<uint32_t>(i), 3);
            }
            ++formId;
            std::vector<rBuiltField> fields{
                TPluginBuilder::text("EDID", QStringLiteral("Synthetic%1").arg(formId, 0, 16))};
            // OBND and KSIZ of their usual sizes, the rest of the data split over seven fields.
            static const char* const dataFields[] = {"OBND", "VMAD", "MODL", "KSIZ", "KWDA",
                                                     "PRPS", "DATA", "DNAM", "ZNAM"};
            static const int dataSizes[] = {12, 26, 26, 4, 26, 26, 26, 25, 25};
            const QByteArray data = filler(formId, 196);
            int at = 0;
            for (int k = 0; k < 9; ++k) {
                fields.push_back(TPluginBuilder::raw(dataFields[k], data.mid(at, dataSizes[k])));
                at += dataSizes[k];
            }
            if (formId % 5 == 0) addFull(formId, fields);
            b.record(type, formId, fields, formId % 10 == 3 ? -1 : TPluginBuilder::kNotCompressed);
        }
        b.endGroup().endGroup().endGroup();
    }
}

} // namespace quillbench
