// The record structure text: field sizes as their headers hold them, hex lines cut at 1025 bytes, raw and compressed
// records, and the lookup by form id.
#include "plugin/QUILL_recordStruct.h"
#include "plugin_test_support.h"

#include <gtest/gtest.h>

namespace {

using B = TPluginBuilder;

trecord* recordOf(tPluginTree& tree, uint32_t formId) {
    trecord* r = findRecordByFormId(tree, formId);
    if (!r) throw TQuillError(QStringLiteral("no record"));
    return r;
}

QByteArray counting(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i & 0xFF);
    return bytes;
}

} // namespace

TEST(RecordStruct, FieldsWithSizesAndHexCutAt1025Bytes) {
    tPluginTree tree;
    B b;
    b.beginGroup("WEAP");
    b.record("WEAP", 0x1abcd,
             {B::text("EDID", "Gun"), B::text("FULL", "Laser"), B::raw("DATA", counting(2000)), B::raw("DNAM", {})});
    readInto(tree, b.bytes());
    const QStringList lines = recordStructureLines(*recordOf(tree, 0x1abcd));
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], QStringLiteral("WEAP Gun[0001abcd] [4|0|0]"));
    EXPECT_EQ(lines[1], QStringLiteral("EDID 4"));
    EXPECT_EQ(lines[2], QStringLiteral("47:75:6e:00:"));
    EXPECT_EQ(lines[3], QStringLiteral("FULL 6"));
    EXPECT_EQ(lines[4], QStringLiteral("4c:61:73:65:72:00:"));
    EXPECT_EQ(lines[5], QStringLiteral("DATA 2000"));
    // 1025 bytes of two digits and a colon each: 0x00 ... 0xff four times, then 0x00.
    EXPECT_EQ(lines[6].size(), 1025 * 3);
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("00:01:02:")));
    EXPECT_TRUE(lines[6].endsWith(QStringLiteral(":fe:ff:00:")));
    // An empty field has its size line only.
    EXPECT_EQ(lines[7], QStringLiteral("DNAM 0"));
    EXPECT_EQ(recordStructureText(*recordOf(tree, 0x1abcd)), lines.join('\n'));
}

TEST(RecordStruct, BigFieldShowsItsXXXXAndHeaderSizeZero) {
    tPluginTree tree;
    B b;
    b.beginGroup("BOOK");
    b.record("BOOK", 0x900, {B::text("EDID", "Tome"), B::raw("DESC", counting(70000))});
    readInto(tree, b.bytes());
    const QStringList lines = recordStructureLines(*recordOf(tree, 0x900));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[3], QStringLiteral("XXXX 4"));
    EXPECT_EQ(lines[4], QStringLiteral("70:11:01:00:")); // 70000 little-endian
    EXPECT_EQ(lines[5], QStringLiteral("DESC 0"));
    EXPECT_EQ(lines[6].size(), 1025 * 3);
}

TEST(RecordStruct, RawAndCompressedRecordsAndLookup) {
    tPluginTree tree;
    B b;
    b.beginGroup("GMST");
    b.record("GMST", 0x801, {B::text("EDID", "iCount"), B::u32("DATA", 12)}); // no text field: kept raw
    b.endGroup();
    b.beginGroup("WEAP");
    b.record("WEAP", 0x802, {B::text("EDID", "Packed"), B::text("FULL", "Zipped")}, 9);
    readInto(tree, b.bytes());

    const trecord* raw = recordOf(tree, 0x801);
    ASSERT_TRUE(raw->rawRec);
    EXPECT_EQ(recordStructureLines(*raw), QStringList{raw->getStringName()});
    // A compressed record shows its inflated fields.
    const QStringList packed = recordStructureLines(*recordOf(tree, 0x802));
    ASSERT_EQ(packed.size(), 5);
    EXPECT_EQ(packed[0], QStringLiteral("WEAP Packed[00000802] [2|1|0]"));
    EXPECT_EQ(packed[3], QStringLiteral("FULL 7"));
    EXPECT_EQ(packed[4], QStringLiteral("5a:69:70:70:65:64:00:"));

    EXPECT_EQ(findRecordByFormId(tree, 0x803), nullptr);
    const trecord* header = findRecordByFormId(tree, 0);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->getname().left(4), QStringLiteral("TES4"));
}
