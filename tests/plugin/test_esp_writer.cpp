// The plugin writer on its own: field updates, records and groups growing together, XXXX, recompression.
#include "plugin/QUILL_espStrings.h"
#include "plugin_test_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

using B = TPluginBuilder;

rCodepage utf8() {
    return codepageFromNumber(65001);
}

struct TLoaded {
    tPluginTree tree;
    tListSet lists;
    explicit TLoaded(const QByteArray& bytes, bool keepEveryField = false) {
        readInto(tree, bytes, true, nullptr, keepEveryField);
        markStringGroups(tree, false);
        collectInlineStrings(tree, lists, utf8(), builtInDefs());
        for (auto& list : lists)
            for (auto& e : list)
                e->setSTrans(e->gS);
    }
    tSkyStr& entry(int list, int i) { return *lists[list][i]; }
    QByteArray save() {
        encodeTranslations(lists, utf8(), true);
        return buildPluginBytes(tree);
    }
};

uint32_t u32At(const QByteArray& b, qsizetype at) {
    TBinaryCursor c(b);
    c.seek(at);
    return c.u32le();
}

QByteArray inflateAll(const QByteArray& data, uint32_t size) {
    QByteArray out(size, Qt::Uninitialized);
    uLongf len = size;
    uncompress(reinterpret_cast<Bytef*>(out.data()), &len, reinterpret_cast<const Bytef*>(data.constData()),
               static_cast<uLong>(data.size()));
    out.resize(static_cast<qsizetype>(len));
    return out;
}

} // namespace

TEST(PluginWriter, UnchangedPluginIsWrittenByteForByte) {
    B b;
    b.beginGroup("WEAP").record("WEAP", 1, {B::text("EDID", "Gun"), B::text("FULL", "Laser"), B::u32("DATA", 3)});
    b.record("WEAP", 2, {B::text("FULL", "Packed")}, 9).endGroup();
    b.beginGroup("CELL").beginGroup(5, 2).record("CELL", 3, {B::text("FULL", "Room")}, 1).endGroup().endGroup();
    // Bytes that are not valid UTF-8 stay as they are when nobody translated them.
    b.record("BOOK", 4, {B::raw("FULL", QByteArray("Caf\xe9\0", 5))});
    const QByteArray bytes = b.bytes();
    TLoaded doc(bytes);
    EXPECT_EQ(doc.save(), bytes);
    EXPECT_EQ(doc.save(), bytes); // a second save too
}

TEST(PluginWriter, GrowingFieldGrowsRecordAndEveryEnclosingGroup) {
    B b;
    b.beginGroup("CELL").beginGroup(5, 2).beginGroup(6, 3);
    b.record("CELL", 3, {B::text("EDID", "Room"), B::text("FULL", "Hall")}).endGroup().endGroup().endGroup();
    b.beginGroup("WEAP").record("WEAP", 4, {B::text("FULL", "Gun")}).endGroup();
    const QByteArray before = b.bytes();
    TLoaded doc(before);
    doc.entry(0, 0).setSTrans(QStringLiteral("Grande salle")); // 4 -> 12 characters
    const QByteArray after = doc.save();
    const int grow = 8;
    ASSERT_EQ(after.size(), before.size() + grow);
    const qsizetype tes4 = 24 + u32At(before, 4);
    for (qsizetype at : {tes4, tes4 + 24, tes4 + 48})
        EXPECT_EQ(u32At(after, at + 4), u32At(before, at + 4) + grow);
    EXPECT_EQ(u32At(after, tes4 + 72 + 4), u32At(before, tes4 + 72 + 4) + grow); // the record
    // The following group is untouched and the file reads back with the new text.
    tPluginTree again;
    readInto(again, after);
    EXPECT_EQ(again.root.children[1]->children[0]->children[0]->children[0]->record()->fList[1].buffer,
              QByteArray("Grande salle", 13));
    EXPECT_EQ(after.right(24 + 24 + 10), before.right(24 + 24 + 10));
}

TEST(PluginWriter, OneCharacterSourceNeverBecomesEmpty) {
    B b;
    b.record("WEAP", 1, {B::text("FULL", "X")});
    TLoaded doc(b.bytes());
    doc.entry(0, 0).setSTrans(QString());
    tPluginTree again;
    readInto(again, doc.save());
    EXPECT_EQ(again.root.children[1]->record()->fList[0].buffer, QByteArray(" ", 2));
}

TEST(PluginWriter, CompressedRecordIsRecompressedAtItsLevel) {
    for (int level : {1, 9, -1}) {
        B b;
        b.record("BOOK", 1, {B::text("EDID", "Tome"), B::text("FULL", "Old title"), B::u32("DATA", 7)}, level);
        TLoaded doc(b.bytes());
        doc.entry(0, 0).setSTrans(QStringLiteral("A much longer new title"));
        const QByteArray after = doc.save();
        const qsizetype rec = 24 + u32At(after, 4);
        const uint32_t dsize = u32At(after, rec + 4);
        EXPECT_EQ(after.size(), rec + 24 + dsize);
        const QByteArray data = after.mid(rec + 24, dsize);
        const uint32_t plainSize = u32At(data, 0);
        const QByteArray expected =
            B::fieldBytes({B::text("EDID", "Tome"), B::text("FULL", "A much longer new title"), B::u32("DATA", 7)});
        EXPECT_EQ(plainSize, static_cast<uint32_t>(expected.size()));
        EXPECT_EQ(inflateAll(data.mid(4), plainSize), expected);
        const uint8_t flevel = static_cast<uint8_t>(data[5]);
        EXPECT_EQ(flevel, level == 1 ? 0x01 : (level == 9 ? 0xDA : 0x9C)) << level;
        tPluginTree again;
        readInto(again, after);
        EXPECT_TRUE(again.root.children[1]->record()->compressed);
    }
}

TEST(PluginWriter, RecordThatFailedToInflateIsWrittenBackAsRead) {
    B b;
    QByteArray broken;
    binary_out::u32le(broken, 30);
    broken.append("\x78\x9c garbage garbage");
    b.rawRecord("WEAP", 1, broken, kRecordFlagCompressed);
    b.record("WEAP", 2, {B::text("FULL", "Fine")});
    const QByteArray bytes = b.bytes();
    TLoaded doc(bytes);
    doc.entry(0, 0).setSTrans(QStringLiteral("Bien"));
    const QByteArray after = doc.save();
    EXPECT_EQ(after.left(bytes.size() - 10), bytes.left(bytes.size() - 10));
}

TEST(PluginWriter, LongTextsAfterXxxx) {
    const QString big(70000, QLatin1Char('a'));
    B b;
    b.record("BOOK", 1, {B::text("DESC", big), B::text("FULL", "Short")});
    const QByteArray bytes = b.bytes();
    {
        // Changed but still long: XXXX holds the new size, the field's own size is 0.
        TLoaded doc(bytes);
        doc.entry(1, 0).setSTrans(QString(80000, QLatin1Char('b')));
        const QByteArray after = doc.save();
        tPluginTree again;
        readInto(again, after);
        trecord* r = again.root.children[1]->record();
        ASSERT_EQ(r->fList.size(), 3u);
        EXPECT_EQ(u32At(r->fList[0].buffer.toByteArray(), 0), 80001u);
        EXPECT_EQ(r->fList[1].header.dsize, 0);
        EXPECT_EQ(r->fList[1].buffer.size(), 80001);
        EXPECT_EQ(r->header.dsize, static_cast<uint32_t>(10 + 6 + 80001 + 6 + 6));
    }
    {
        // A short text growing past 65535 bytes gets an XXXX field; shrinking back removes it.
        TLoaded doc(bytes);
        doc.entry(0, 0).setSTrans(QString(66000, QLatin1Char('c')));
        tPluginTree again;
        readInto(again, doc.save());
        trecord* r = again.root.children[1]->record();
        ASSERT_EQ(r->fList.size(), 4u);
        EXPECT_EQ(r->fList[2].header.name, kSigXXXX);
        EXPECT_EQ(r->fList[3].buffer.size(), 66001);
        doc.entry(0, 0).setSTrans(QStringLiteral("Short"));
        EXPECT_EQ(doc.save(), bytes);
    }
}

TEST(PluginWriter, TranslationBackToTheSourceRestoresTheBytes) {
    B b;
    b.beginGroup("WEAP").record("WEAP", 1, {B::text("FULL", "Gun")}, 1).endGroup();
    const QByteArray bytes = b.bytes();
    TLoaded doc(bytes);
    doc.entry(0, 0).setSTrans(QStringLiteral("Fusil"));
    EXPECT_NE(doc.save(), bytes);
    doc.entry(0, 0).setSTrans(QStringLiteral("Gun"));
    EXPECT_EQ(doc.save(), bytes);
}

// Runs of fields nothing reads one by one are held as their bytes: a plugin translated and saved is the same file
// whether its records kept every field or such runs, with XXXX before texts and before other fields, empty fields,
// compressed records and an INFO's DNAM among them.
TEST(PluginWriter, OpaqueRunsWriteWhatEveryFieldWould) {
    const std::vector<rBuiltField> weapon{B::text("EDID", "Gun"),
                                          B::raw("OBND", QByteArray(12, 1)),
                                          B::raw("ZZZZ", {}),
                                          B::text("FULL", "Laser gun"),
                                          B::u32("DATA", 7),
                                          B::raw("MODT", QByteArray(70000, 'm')),
                                          B::u32("KSIZ", 2),
                                          B::raw("KWDA", QByteArray(8, 2)),
                                          B::text("DESC", "A long gun"),
                                          B::raw("DNAM", QByteArray(40, 3)),
                                          B::raw("ZZZZ", {})};
    B b;
    b.beginGroup("WEAP");
    b.record("WEAP", 0x10, weapon);
    b.record("WEAP", 0x11, weapon, 9);
    b.record("WEAP", 0x12, weapon, -1);
    b.record("WEAP", 0x13, {B::text("EDID", "Plain"), B::u32("DATA", 1), B::u32("KSIZ", 0)});
    b.endGroup();
    b.beginGroup("DIAL");
    b.record("DIAL", 0x20, {B::text("EDID", "Topic"), B::text("FULL", "Ask"), B::u32("DATA", 0)});
    b.beginGroup(0x20, 7);
    b.record("INFO", 0x21,
             {B::raw("ENAM", QByteArray(4, 0)), B::u32("TPIC", 0x20), B::u32("DNAM", 0x22),
              B::raw("TRDT", QByteArray(24, 5)), B::text("NAM1", "Hello"), B::raw("NAM3", QByteArray(2, 6)),
              B::text("RNAM", "Hi"), B::u32("ANAM", 1)});
    b.endGroup();
    b.endGroup();
    const QByteArray bytes = b.bytes();
    QByteArray saved[2];
    for (const bool every : {false, true}) {
        TLoaded doc(bytes, every);
        const trecord* gun = doc.tree.root.children[1]->children[0]->record();
        ASSERT_EQ(gun->fieldCount(), weapon.size() + 1); // the XXXX before MODT
        EXPECT_EQ(gun->fList.size() < gun->fieldCount(), !every);
        // The dialogue tools read an INFO's DNAM (a form id) by itself.
        const trecord* info = doc.tree.root.children[2]->children[1]->children[0]->record();
        EXPECT_TRUE(std::any_of(info->fList.begin(), info->fList.end(), [](const tField& f) {
            return f.header.name == sHeaderSig('D', 'N', 'A', 'M') && f.buffer.size() == 4;
        }));
        int n = 0;
        for (auto& list : doc.lists)
            for (auto& e : list)
                e->setSTrans(++n == 3 ? QString(70000, QLatin1Char('t')) : e->gS + QStringLiteral(" é%1").arg(n));
        ASSERT_GE(n, 8);
        saved[every] = doc.save();
        EXPECT_NE(saved[every], bytes);
    }
    EXPECT_EQ(saved[0], saved[1]);
}
