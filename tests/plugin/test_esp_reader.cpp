// The plugin reader: groups closing at their exact end, XXXX, compressed records, pruning, names and bad input.
#include "plugin/QUILL_espStrings.h"
#include "plugin_test_support.h"
#include "strings/QUILL_codepage.h"

#include <gtest/gtest.h>

#include <QThread>
#include <algorithm>
#include <limits>

namespace {

using B = TPluginBuilder;

trecord* recordAt(tPluginTree& tree, std::initializer_list<int> path) {
    tPluginNode* node = &tree.root;
    for (int i : path)
        node = node->children.at(static_cast<size_t>(i)).get();
    return node->record();
}

} // namespace

TEST(PluginReader, HeaderProbe) {
    rPluginReadContext ctx;
    QByteArray plain = B(false).bytes(), localized = B(true).bytes();
    TBinaryCursor a(plain), b(localized);
    EXPECT_EQ(readPluginHeader(a, nullptr, ctx), 0);
    EXPECT_EQ(a.pos(), plain.size());
    EXPECT_EQ(readPluginHeader(b, nullptr, ctx), 1);
    QByteArray empty, other = plain;
    other.replace(0, 4, "TES3");
    const QByteArray head = plain.left(20); // the cursor only views its bytes: they must outlive it
    TBinaryCursor c(empty), d(other), e(head);
    EXPECT_EQ(readPluginHeader(c, nullptr, ctx), -1);
    EXPECT_EQ(readPluginHeader(d, nullptr, ctx), -1);
    EXPECT_EQ(readPluginHeader(e, nullptr, ctx), -1);
    // A truncated TES4 record added to a tree leaves the tree empty.
    tPluginTree tree;
    QByteArray cut = plain.left(30);
    TBinaryCursor f(cut);
    EXPECT_EQ(readPluginHeader(f, &tree, ctx), -1);
    EXPECT_TRUE(tree.empty());
}

TEST(PluginReader, NestedGroupsCloseTogetherAndEmptyGroups) {
    B b;
    b.beginGroup("CELL").beginGroup(7, 2).record("CELL", 0x10, {B::text("FULL", "Inner")}).endGroup().endGroup();
    b.beginGroup("WEAP").endGroup(); // empty group
    b.record("WEAP", 0x20, {B::text("FULL", "Top")});
    tPluginTree tree;
    readInto(tree, b.bytes());
    ASSERT_EQ(tree.root.children.size(), 4u); // TES4, CELL group, WEAP group, record
    tPluginNode& cell = *tree.root.children[1];
    ASSERT_EQ(cell.children.size(), 1u);
    EXPECT_EQ(cell.children[0]->children.size(), 1u);
    EXPECT_TRUE(tree.root.children[2]->children.empty());
    EXPECT_EQ(tree.root.children[2]->text(), QStringLiteral("GRUP - WEAP"));
    EXPECT_EQ(cell.children[0]->text(), QStringLiteral("GRUP - [00000007]"));
    EXPECT_NE(tree.root.children[3]->record(), nullptr);
    EXPECT_EQ(tree.root.children[3]->row, 3);
}

TEST(PluginReader, NamesOfRecordsAndGroups) {
    B b;
    b.beginGroup(0x41424344, 11).record("WEAP", 0x1abcd, {B::text("EDID", "MyGun"), B::text("FULL", "Gun")}).endGroup();
    b.record("MISC", 0x2, {B::u32("DATA", 1)});
    tPluginTree tree;
    readInto(tree, b.bytes());
    EXPECT_EQ(tree.root.children[1]->text(), QStringLiteral("GRUP - DCBA"));
    trecord* gun = recordAt(tree, {1, 0});
    EXPECT_EQ(gun->getStringName(), QStringLiteral("WEAP MyGun[0001abcd] [2|0|0]"));
    EXPECT_EQ(gun->getname(), QStringLiteral("WEAP [0001abcd] [2|0|0]"));
    trecord* misc = recordAt(tree, {2});
    EXPECT_TRUE(misc->rawRec);
    EXPECT_EQ(misc->getStringName(), QStringLiteral("MISC [00000002] [0|0|1]"));
    EXPECT_EQ(misc->EdidName(true), QStringLiteral("[00000002]"));
    EXPECT_EQ(misc->EdidName(false), QStringLiteral("00000002"));
    EXPECT_EQ(gun->edidNameHash, textHash(QStringLiteral("MyGun")));
    EXPECT_EQ(misc->edidNameHash, kTextHashSeed);
}

TEST(PluginReader, RawRecordsKeepTheirEdidAndBytes) {
    B b;
    b.record("MISC", 0x3, {B::text("EDID", "Thing"), B::u32("DATA", 9)});
    b.record("NAVM", 0x4, {B::text("FULL", "Skipped")});
    tPluginTree tree;
    const QByteArray bytes = b.bytes();
    readInto(tree, bytes);
    trecord* misc = recordAt(tree, {1});
    EXPECT_TRUE(misc->rawRec);
    EXPECT_TRUE(misc->fList.empty());
    EXPECT_EQ(misc->EdidNameEx(), QStringLiteral("Thing"));
    EXPECT_EQ(misc->buffer.size(), static_cast<qsizetype>(misc->header.dsize));
    trecord* navm = recordAt(tree, {2});
    EXPECT_TRUE(navm->rawRec); // skipped types are never parsed, whatever they hold
    EXPECT_EQ(buildPluginBytes(tree), bytes);
}

TEST(PluginReader, XxxxGivesTheNextFieldItsSize) {
    const QString big(70000, QLatin1Char('a'));
    B b;
    b.record("BOOK", 0x5, {B::text("EDID", "Big"), B::text("DESC", big), B::text("FULL", "After")});
    tPluginTree tree;
    const QByteArray bytes = b.bytes();
    readInto(tree, bytes);
    trecord* book = recordAt(tree, {1});
    ASSERT_EQ(book->fList.size(), 4u);
    EXPECT_EQ(book->fList[1].header.name, kSigXXXX);
    EXPECT_EQ(book->fList[2].header.dsize, 0);
    EXPECT_EQ(book->fList[2].buffer.size(), 70001);
    EXPECT_TRUE(book->fList[2].params.has(sfieldParam::isString));
    EXPECT_EQ(book->fList[3].buffer, QByteArray("After", 6));
    EXPECT_EQ(buildPluginBytes(tree), bytes);
}

TEST(PluginReader, CompressedRecordsLevelsZeroSizeAndFailure) {
    B b;
    b.record("WEAP", 0x6, {B::text("FULL", "Fast")}, 1);
    b.record("WEAP", 0x7, {B::text("FULL", "Max")}, 9);
    b.record("WEAP", 0x8, {B::text("FULL", "Default")}, -1);
    b.record("WEAP", 0x9, {B::text("FULL", "Five")}, 5);
    QByteArray zero;
    binary_out::u32le(zero, 0);
    zero.append("junk");
    b.rawRecord("WEAP", 0xA, zero, kRecordFlagCompressed);
    QByteArray broken;
    binary_out::u32le(broken, 50);
    broken.append("\x78\x9c not a stream at all");
    b.rawRecord("WEAP", 0xB, broken, kRecordFlagCompressed);
    QByteArray liar; // announces more than the stream holds
    binary_out::u32le(liar, 4000000000u);
    liar.append(QByteArray(20, 'x'));
    b.rawRecord("WEAP", 0xC, liar, kRecordFlagCompressed);
    b.rawRecord("WEAP", 0xD, QByteArray("ab", 2), kRecordFlagCompressed);
    tPluginTree tree;
    int failures = 0;
    const QByteArray bytes = b.bytes();
    readInto(tree, bytes, true, &failures);
    EXPECT_EQ(recordAt(tree, {1})->zcomp, TZCompressionLevel::zcFastest);
    EXPECT_EQ(recordAt(tree, {2})->zcomp, TZCompressionLevel::zcMax);
    EXPECT_EQ(recordAt(tree, {3})->zcomp, TZCompressionLevel::zcDefault);
    EXPECT_EQ(recordAt(tree, {4})->zcomp, TZCompressionLevel::zcDefault);
    EXPECT_EQ(recordAt(tree, {1})->fList[0].buffer, QByteArray("Fast", 5));
    trecord* empty = recordAt(tree, {5});
    EXPECT_TRUE(empty->compressed);
    EXPECT_FALSE(empty->rawRec);
    EXPECT_TRUE(empty->fList.empty());
    EXPECT_TRUE(recordAt(tree, {6})->rawRec);
    EXPECT_TRUE(recordAt(tree, {7})->rawRec);
    EXPECT_EQ(failures, 2);
    EXPECT_FALSE(recordAt(tree, {8})->rawRec);
    EXPECT_EQ(buildPluginBytes(tree), bytes);
}

TEST(PluginReader, RepeatedFieldIndices) {
    B b;
    b.record("MESG", 0x10,
             {B::text("FULL", "Title"), B::text("ITXT", "Yes"), B::u32("CTDA", 0), B::text("ITXT", "No"),
              B::text("ITXT", "Maybe")});
    tPluginTree tree;
    readInto(tree, b.bytes());
    trecord* m = recordAt(tree, {1});
    EXPECT_EQ(m->fList[0].rIndex.index, 0);
    EXPECT_EQ(m->fList[0].rIndex.indexMax, 0);
    for (int i : {1, 3, 4})
        EXPECT_EQ(m->fList[i].rIndex.indexMax, 2) << i;
    EXPECT_EQ(m->fList[1].rIndex.index, 0);
    EXPECT_EQ(m->fList[3].rIndex.index, 1);
    EXPECT_EQ(m->fList[4].rIndex.index, 2);

    // Signatures interleaved are numbered apart; a field of the same signature that is not a text (an EPFD not right
    // after an EPFT of 7) still counts in its group's numbering and takes the group's highest number.
    B c;
    c.record(
        "MESG", 0x11,
        {B::text("ITXT", "a"), B::text("NNAM", "b"), B::text("ITXT", "c"), B::text("NNAM", "d"), B::text("ITXT", "e")});
    c.record("PERK", 0x12,
             {B::raw("EPFT", QByteArray(1, 7)), B::text("EPFD", "A"), B::raw("EPFT", QByteArray(1, 1)),
              B::u32("EPFD", 1), B::u32("EPFD", 2), B::raw("EPFT", QByteArray(1, 7)), B::text("EPFD", "B")});
    readInto(tree, c.bytes(), true, nullptr, true); // every field, numbered ones or not
    const auto indices = [](const trecord* r) {
        std::vector<std::pair<int, int>> out;
        for (const tField& f : r->fList)
            out.emplace_back(f.rIndex.index, f.rIndex.indexMax);
        return out;
    };
    EXPECT_EQ(indices(recordAt(tree, {1})), (std::vector<std::pair<int, int>>{{0, 2}, {0, 1}, {1, 2}, {1, 1}, {2, 2}}));
    EXPECT_EQ(indices(recordAt(tree, {2})),
              (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {0, 0}, {0, 1}, {0, 1}, {0, 0}, {1, 1}}));
}

TEST(PluginReader, PruningForLocalizedPlugins) {
    B b(true);
    b.beginGroup("WEAP");
    b.record("WEAP", 0x1, {B::text("EDID", "Zero"), B::u32("FULL", 0), B::u32("DATA", 5)});
    b.record("WEAP", 0x2, {B::text("EDID", "Kept"), B::u32("FULL", 42), B::u32("DATA", 5)});
    b.record("WEAP", 0x3, {B::u32("FULL", 0xFFFFFFFF)});
    b.endGroup();
    b.beginGroup("DIAL").record("DIAL", 0x4, {B::text("EDID", "Topic")}).endGroup();
    b.beginGroup("INFO").record("INFO", 0x5, {B::u32("DNAM", 0), B::u32("NAM2", 7), B::u32("NAM1", 9)}).endGroup();
    b.beginGroup("MISC").record("MISC", 0x6, {B::u32("DATA", 1)}).endGroup();
    tPluginTree tree;
    readInto(tree, b.bytes(), false);
    markStringGroups(tree, true);
    ASSERT_EQ(tree.root.children.size(), 4u); // no TES4 node
    tPluginNode& weapons = *tree.root.children[0];
    ASSERT_EQ(weapons.children.size(), 1u);
    trecord* kept = weapons.children[0]->record();
    ASSERT_EQ(kept->fList.size(), 2u); // EDID and FULL
    EXPECT_EQ(kept->EdidNameEx(), QStringLiteral("Kept"));
    EXPECT_EQ(tree.root.children[1]->children.size(), 1u); // a DIAL is kept
    trecord* info = tree.root.children[2]->children[0]->record();
    EXPECT_EQ(info->fList.size(), 3u); // DNAM and NAM2 whatever they hold
    EXPECT_TRUE(tree.root.children[3]->children.empty());
    EXPECT_TRUE(tree.root.children[3]->hidden);
    EXPECT_FALSE(weapons.hidden);
}

// A plugin of many records keeps them in tree order, prunes what a localized plugin does not need, and reports
// each record that does not inflate once.
// Each block of eight records mixes the cases: kept and dropped string ids, compressed records with and without
// text, and a record whose stream does not inflate (reported once, in tree order).
TEST(PluginReader, ManyRecordsKeepTreeOrderPruningAndFailures) {
    // Read in one piece and in two halves at once (which report progress and failures from this thread only).
    for (const qsizetype splitFrom : {std::numeric_limits<qsizetype>::max(), qsizetype(0)})
        for (const bool localized : {false, true}) {
            B b(localized);
            constexpr int kBlocks = 500;
            QByteArray broken;
            binary_out::u32le(broken, 50);
            broken.append("\x78\x9c not a stream at all");
            for (int block = 0; block < kBlocks; ++block) {
                b.beginGroup("WEAP");
                const uint32_t id = static_cast<uint32_t>(block * 8);
                const auto name = [&](uint32_t k) {
                    return localized ? B::u32("FULL", k % 2 ? id + k : 0)
                                     : B::text("FULL", QStringLiteral("N%1").arg(id + k));
                };
                b.record("WEAP", id + 1, {B::text("EDID", "A"), name(1)});
                b.record("WEAP", id + 2, {B::text("EDID", "B"), name(2)});
                b.record("WEAP", id + 3, {B::text("EDID", "C"), name(3)}, -1);
                b.record("WEAP", id + 4, {B::text("EDID", "D"), B::u32("DATA", 1)}, 9);
                b.rawRecord("WEAP", id + 5, broken, kRecordFlagCompressed);
                b.record("WEAP", id + 6, {name(5), name(7)});
                b.endGroup();
            }
            tPluginTree tree;
            int failures = 0;
            std::vector<uint32_t> failedIds;
            tree.fileData = b.bytes();
            TBinaryCursor stream(tree.fileData);
            rPluginReadContext ctx;
            ctx.defs = &builtInDefs();
            ctx.splitFrom = splitFrom;
            const Qt::HANDLE reader = QThread::currentThreadId();
            ctx.inflateFailed = [&](const trecord& r) {
                ASSERT_EQ(QThread::currentThreadId(), reader);
                ++failures;
                failedIds.push_back(r.headerData.formID);
            };
            std::vector<qsizetype> progress;
            ctx.progress = [&](qsizetype at) {
                ASSERT_EQ(QThread::currentThreadId(), reader);
                progress.push_back(at);
            };
            ASSERT_GE(readPluginHeader(stream, localized ? nullptr : &tree, ctx), 0);
            readPluginTree(stream, tree, !localized, ctx);
            EXPECT_EQ(failures, kBlocks);
            EXPECT_TRUE(std::is_sorted(failedIds.begin(), failedIds.end()));
            EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
            ASSERT_FALSE(progress.empty());
            EXPECT_LE(progress.back(), tree.fileData.size());
            const size_t groupsFrom = localized ? 0 : 1; // a plain plugin keeps its TES4 node first
            ASSERT_EQ(tree.root.children.size(), groupsFrom + kBlocks);
            for (int block = 0; block < kBlocks; ++block) {
                const tPluginNode& group = *tree.root.children[groupsFrom + static_cast<size_t>(block)];
                const uint32_t id = static_cast<uint32_t>(block * 8);
                // Localized: records 1 and 3 hold a non-zero string id, record 6 two of them; the others are dropped.
                const std::vector<uint32_t> expected =
                    localized ? std::vector<uint32_t>{id + 1, id + 3, id + 6}
                              : std::vector<uint32_t>{id + 1, id + 2, id + 3, id + 4, id + 5, id + 6};
                ASSERT_EQ(group.children.size(), expected.size()) << block;
                for (size_t row = 0; row < expected.size(); ++row) {
                    const tPluginNode& node = *group.children[row];
                    ASSERT_EQ(node.row, static_cast<int>(row));
                    ASSERT_EQ(node.parent, &group);
                    ASSERT_EQ(node.record()->headerData.formID, expected[row]);
                    ASSERT_EQ(node.record()->espRec, &node);
                }
                if (!localized) {
                    ASSERT_EQ(group.children[2]->record()->fList[1].buffer,
                              QStringLiteral("N%1").arg(id + 3).toUtf8() + '\0');
                    ASSERT_TRUE(group.children[3]->record()->rawRec); // compressed, no text
                    ASSERT_TRUE(group.children[4]->record()->rawRec); // does not inflate
                }
            }
            if (!localized) {
                EXPECT_EQ(buildPluginBytes(tree), tree.fileData);
                // The entries are numbered and linked in tree order.
                tListSet lists;
                const rPluginStringCounts counts =
                    collectInlineStrings(tree, lists, codepageFromNumber(65001), builtInDefs());
                ASSERT_EQ(counts.fields, 5 * kBlocks);
                ASSERT_EQ(lists[0].size(), static_cast<size_t>(5 * kBlocks));
                for (size_t i = 0; i < lists[0].size(); ++i) {
                    const tSkyStr& e = *lists[0][i];
                    ASSERT_EQ(e.id, i + 1);
                    ASSERT_EQ(e.esp.field->sk, &e);
                    ASSERT_EQ(e.gS.toUtf8() + '\0', e.esp.field->buffer);
                    ASSERT_TRUE(e.hasFlag(sStrInternalParam::isSourceInitialized));
                }
            }
        }
}

TEST(PluginReader, MarkStringGroupsAndDimming) {
    B b;
    b.beginGroup("MISC").record("MISC", 0x1, {B::u32("DATA", 1)}).endGroup();
    b.beginGroup("CELL").beginGroup(1, 2).record("CELL", 0x2, {B::text("FULL", "Room")}).endGroup().endGroup();
    tPluginTree tree;
    readInto(tree, b.bytes());
    markStringGroups(tree, false);
    EXPECT_FALSE(tree.root.children[1]->grup()->grupString);
    EXPECT_TRUE(tree.root.children[1]->dimmed());
    EXPECT_FALSE(tree.root.children[1]->hidden);
    EXPECT_TRUE(tree.root.children[2]->grup()->grupString);
    EXPECT_TRUE(tree.root.children[2]->children[0]->grup()->grupString);
    EXPECT_FALSE(tree.root.children[2]->dimmed());
}

TEST(PluginReader, FlatReaderKeepsOnlyStringFields) {
    B b;
    b.beginGroup("WEAP").record("WEAP", 0x1, {B::text("EDID", "A"), B::text("FULL", "Gun"), B::u32("DATA", 1)});
    b.record("WEAP", 0x2, {B::text("EDID", "B"), B::u32("DATA", 1)}).endGroup();
    tPluginTree tree;
    tree.fileData = b.bytes();
    TBinaryCursor stream(tree.fileData);
    rPluginReadContext ctx;
    ctx.defs = &builtInDefs();
    ASSERT_EQ(readPluginHeader(stream, nullptr, ctx), 0);
    readPluginRecords(stream, tree.fileData, tree, ctx);
    ASSERT_EQ(tree.compareRecordList.size(), 1u);
    trecord& r = *tree.compareRecordList[0];
    EXPECT_EQ(r.fList.size(), 1u);
    EXPECT_EQ(r.nameField, nullptr);
    EXPECT_EQ(r.edidNameHash, textHash(QStringLiteral("A")));
    // The kept text is a copy: the file's bytes are not held by the record.
    EXPECT_EQ(r.fList[0].buffer, QByteArrayView("Gun", 4));
    const char* file = tree.fileData.constData();
    EXPECT_TRUE(r.fList[0].buffer.constData() < file || r.fList[0].buffer.constData() >= file + tree.fileData.size());
    EXPECT_TRUE(r.sourceData.isEmpty());
}

TEST(PluginReader, BadInputIsAnErrorNotACrash) {
    const QByteArray good = [] {
        B b;
        b.beginGroup("WEAP").record("WEAP", 0x1, {B::text("FULL", "Gun")}).endGroup();
        return b.bytes();
    }();
    const qsizetype tes4 = 24 + static_cast<uint8_t>(good[4]);
    tPluginTree tree;
    // Truncated anywhere after the header.
    for (qsizetype cut = tes4 + 1; cut < good.size(); ++cut)
        EXPECT_THROW(readInto(tree, good.left(cut)), TQuillError);
    // A group whose size is smaller than its header, or passes the file's end.
    QByteArray small = good;
    binary_out::patchU32le(small, tes4 + 4, 10);
    EXPECT_THROW(readInto(tree, small), TQuillError);
    QByteArray large = good;
    binary_out::patchU32le(large, tes4 + 4, 0x7FFFFFFF);
    EXPECT_THROW(readInto(tree, large), TQuillError);
    // A record that passes its group's end.
    B b;
    b.beginGroup("WEAP").record("WEAP", 0x1, {B::text("FULL", "Gun")}).endGroup();
    b.record("WEAP", 0x2, {B::text("FULL", "Two")});
    QByteArray crossing = b.bytes();
    binary_out::patchU32le(crossing, tes4 + 4, static_cast<uint32_t>(24 + 24 + 5));
    EXPECT_THROW(readInto(tree, crossing), TQuillError);
    // A field size passing the record's data.
    QByteArray field = good;
    const qsizetype fieldSize = tes4 + 24 + 24 + 4;
    field[fieldSize] = static_cast<char>(0xFF);
    EXPECT_THROW(readInto(tree, field), TQuillError);
    // A damaged record before a record that does not inflate: the read stops at the first, as in one piece it
    // would, with no report of the second (readInto compares the reports of both reads).
    QByteArray notAStream;
    binary_out::u32le(notAStream, 50);
    notAStream.append("\x78\x9c not a stream");
    B d;
    d.beginGroup("WEAP").record("WEAP", 0x1, {B::text("FULL", "Gun")}).endGroup();
    d.beginGroup("MISC").rawRecord("MISC", 0x2, notAStream, kRecordFlagCompressed).endGroup();
    QByteArray damagedFirst = d.bytes();
    damagedFirst[tes4 + 24 + 24 + 4] = static_cast<char>(0xFF);
    int failures = 0;
    EXPECT_THROW(readInto(tree, damagedFirst, true, &failures), TQuillError);
    EXPECT_EQ(failures, 0);
    // An XXXX value passing the data.
    B x;
    x.record("BOOK", 0x1, {B::raw("XXXX", QByteArray("\xff\xff\x00\x00", 4)), B::text("DESC", "short")});
    EXPECT_THROW(readInto(tree, x.bytes()), TQuillError);
    B y;
    y.record("BOOK", 0x1, {B::raw("XXXX", QByteArray("\x01", 1)), B::text("DESC", "short")});
    EXPECT_THROW(readInto(tree, y.bytes()), TQuillError);
}

namespace {

// A record whose data is `plain` compressed, with its 4-byte size in front, as the game writes it.
QByteArray compressedData(const QByteArray& plain, int level = 9) {
    QByteArray data;
    binary_out::u32le(data, static_cast<uint32_t>(plain.size()));
    data.append(qCompress(plain, level).mid(4)); // qCompress puts its own big-endian size first
    return data;
}

QString readError(const QByteArray& bytes, bool keepAll = true) {
    tPluginTree tree;
    try {
        readInto(tree, bytes, keepAll);
    } catch (const TQuillError& e) {
        return e.message();
    }
    return {};
}

} // namespace

// Groups nested deeper than the game nests them are refused (the walks over the tree would otherwise recurse once
// per level), while the deepest nesting allowed still reads and writes back byte for byte.
TEST(PluginReader, DeepNestingIsRefused) {
    auto nested = [](int levels) {
        B b;
        for (int i = 0; i < levels; ++i)
            b.beginGroup(static_cast<uint32_t>(i), 1 + i % 10);
        b.record("WEAP", 0x1, {B::text("FULL", "Deep")});
        return b.bytes();
    };
    const QByteArray deepest = nested(kMaxGroupDepth);
    tPluginTree tree;
    readInto(tree, deepest);
    EXPECT_EQ(buildPluginBytes(tree), deepest);
    EXPECT_EQ(readError(nested(kMaxGroupDepth + 1)), QStringLiteral("Fbk_PluginTooDeep"));
    EXPECT_EQ(readError(nested(kMaxGroupDepth + 1), false), QStringLiteral("Fbk_PluginTooDeep"));
    EXPECT_EQ(readError(nested(100000)), QStringLiteral("Fbk_PluginTooDeep"));
}

// A small file cannot make the reader take gigabytes: compressed records that inflate to millions of empty fields,
// or several records whose inflated sizes add up past the file's bound, are refused.
TEST(PluginReader, InflationBombsAreRefused) {
    QByteArray fields = B::fieldBytes({B::text("EDID", "Bomb"), B::text("FULL", "Boom")});
    const QByteArray empty("ZZZZ\0\0", 6);
    fields.append(empty.repeated(2000000)); // 12 MB of field headers from about 12 KB on disk
    B bomb;
    bomb.rawRecord("WEAP", 0x1, compressedData(fields), kRecordFlagCompressed);
    EXPECT_EQ(readError(bomb.bytes()), QStringLiteral("Fbk_PluginTooBig"));
    EXPECT_EQ(readError(bomb.bytes(), false), QStringLiteral("Fbk_PluginTooBig"));

    // Each record alone is within bounds (and raw: nothing of it is kept), all three are not.
    const QByteArray big = compressedData(B::fieldBytes({B::raw("DATA", QByteArray(65000, '\0'))}).repeated(1600), 1);
    B several;
    for (uint32_t id = 1; id <= 3; ++id)
        several.rawRecord("ZZZZ", id, big, kRecordFlagCompressed);
    const QByteArray severalBytes = several.bytes();
    EXPECT_EQ(readError(severalBytes), QStringLiteral("Fbk_PluginTooBig"));
    B two;
    two.rawRecord("ZZZZ", 1, big, kRecordFlagCompressed).rawRecord("ZZZZ", 2, big, kRecordFlagCompressed);
    const QByteArray twoBytes = two.bytes();
    tPluginTree tree;
    readInto(tree, twoBytes);
    EXPECT_EQ(buildPluginBytes(tree), twoBytes);
}

// A record may hold no more fields than a 16-bit position can number: compressed records of a million or eighty
// thousand empty FULL fields (a few kilobytes on disk; numbering them took quadratic time, and positions wrapped past
// 65,535) are refused at once. A record of exactly that many fields is read, numbered to the end and written back.
TEST(PluginReader, RecordsOfMoreFieldsThanTheirIndexCountsAreRefused) {
    const QByteArray full("FULL\0\0", 6);
    for (const qsizetype count : {qsizetype(1000000), qsizetype(80000), qsizetype(kMaxRecordFields + 1)}) {
        B b;
        b.rawRecord("WEAP", 0x1, compressedData(full.repeated(count)), kRecordFlagCompressed);
        EXPECT_EQ(readError(b.bytes()), QStringLiteral("Fbk_RecordTooManyFields")) << count;
        EXPECT_EQ(readError(b.bytes(), false), QStringLiteral("Fbk_RecordTooManyFields")) << count;
    }
    B most;
    most.rawRecord("WEAP", 0x1, compressedData(full.repeated(kMaxRecordFields)), kRecordFlagCompressed);
    const QByteArray bytes = most.bytes();
    tPluginTree tree;
    readInto(tree, bytes);
    const trecord* r = recordAt(tree, {1});
    ASSERT_EQ(r->fList.size(), kMaxRecordFields);
    EXPECT_EQ(r->fList.back().rIndex.index, kMaxRecordFields - 1);
    EXPECT_EQ(r->fList.front().rIndex.indexMax, kMaxRecordFields - 1);
    EXPECT_EQ(buildPluginBytes(tree), bytes);

    // Fields whose definition has a condition on the fields before them are decided without looking back over all
    // of them (eight seconds a record before): a GMST's DATA after its EDID, a PERK's EPFD after an EPFT of 7.
    B conditioned;
    QByteArray gmst = B::fieldBytes({B::text("EDID", "sName")});
    gmst.append(B::fieldBytes({B::text("DATA", "x")}).repeated(kMaxRecordFields - 1));
    conditioned.rawRecord("GMST", 0x2, compressedData(gmst), kRecordFlagCompressed);
    QByteArray perk = B::fieldBytes({B::u32("EPFD", 1)}).repeated(kMaxRecordFields - 2);
    perk.append(B::fieldBytes({B::raw("EPFT", QByteArray(1, 7)), B::text("EPFD", "Text")}));
    conditioned.rawRecord("PERK", 0x3, compressedData(perk), kRecordFlagCompressed);
    readInto(tree, conditioned.bytes());
    const auto strings = [](const trecord* record) {
        return std::count_if(record->fList.begin(), record->fList.end(),
                             [](const tField& f) { return f.params.has(sfieldParam::isString); });
    };
    EXPECT_EQ(strings(recordAt(tree, {1})), qsizetype(kMaxRecordFields - 1));
    EXPECT_EQ(strings(recordAt(tree, {2})), 1);
}

// Fields and raw records share the file's bytes and keep them alive: the tree stays whole after the buffer it was
// read from is dropped, and a field's new data never touches the bytes other records still share.
TEST(PluginReader, FieldsKeepTheBytesTheyShare) {
    B b;
    b.record("WEAP", 0x1, {B::text("EDID", "Gun"), B::text("FULL", "Laser")});
    b.record("WEAP", 0x2, {B::text("EDID", "Gun2"), B::text("FULL", "Plasma")}, 9);
    b.record("ZZZZ", 0x3, {B::text("EDID", "Raw"), B::raw("DATA", "12345678")});
    const QByteArray bytes = b.bytes();
    tPluginTree tree;
    readInto(tree, QByteArray(bytes.constData(), bytes.size()));
    tree.fileData = QByteArray(); // the reader's buffer goes; the records keep what they need of it
    EXPECT_EQ(recordAt(tree, {1})->fList[1].buffer, QByteArray("Laser", 6));
    EXPECT_EQ(recordAt(tree, {2})->fList[1].buffer, QByteArray("Plasma", 7));
    EXPECT_EQ(recordAt(tree, {3})->EdidNameEx(), QStringLiteral("Raw"));
    EXPECT_EQ(buildPluginBytes(tree), bytes);
    tField& laser = recordAt(tree, {1})->fList[1];
    laser.updateBuffer(
        QStringLiteral("Laser"), QStringLiteral("Fusil"), [](const QString& t) { return t.toUtf8() + '\0'; }, true);
    EXPECT_EQ(laser.originalBuffer(), QByteArray("Laser", 6));
    EXPECT_EQ(laser.buffer, QByteArray("Fusil", 6));
    TSharedBytes moved = std::move(laser.buffer);
    EXPECT_TRUE(laser.buffer.isEmpty());
    EXPECT_EQ(moved, QByteArray("Fusil", 6));
}
