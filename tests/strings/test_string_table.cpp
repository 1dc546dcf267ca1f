// String table files: parsing both forms, damaged input, sink modes, set lookup, the writer and backups.
#include "ba2_builder.h"
#include "bsa_builder.h"
#include "scripted_host.h"
#include "string_table_builder.h"
#include "strings/QUILL_backup.h"
#include "strings/QUILL_stringTable.h"
#include "temp_program_dir.h"

#include "core/QUILL_error.h"
#include "core/QUILL_main.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path); // a new file, as saves make: a backup may be a second name of the old one
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

std::vector<rTableEntry> parse(const QByteArray& bytes, int listIndex, rTableParseInfo* info = nullptr,
                               const rCodepage& cp = codepageFromNumber(65001)) {
    std::vector<rTableEntry> out;
    const rTableParseInfo i = parseStringTable(bytes, listIndex, cp, [&](qsizetype, uint32_t id, QString&& t) {
        out.push_back({id, t});
    });
    if (info) *info = i;
    return out;
}

std::unique_ptr<tSkyStr> entry(uint32_t id, const QString& source, const QString& trans = {}, int list = 0) {
    return std::make_unique<tSkyStr>(source, trans, list, id, 99);
}

struct Fixture : ::testing::Test {
    TScriptedHost host;
    TAppContext app{&host};
    QTemporaryDir dir;
    QString folder() const { return dir.path() + QLatin1Char('/'); }
};

} // namespace

TEST(StringTableParse, BothEntryFormsAndSharedOffsets) {
    const QByteArray strings =
        buildRawStringTable(0, {{7, "Iron"}, {3, QString::fromUtf8("Épée").toUtf8()}, {9, {}, 0u}});
    const auto s = parse(strings, 0);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].id, 7u);
    EXPECT_EQ(s[0].text, "Iron");
    EXPECT_EQ(s[1].text, QString::fromUtf8("Épée"));
    EXPECT_EQ(s[2].text, "Iron"); // points at the first entry's offset
    const QByteArray dl = buildRawStringTable(1, {{1, "Line one\r\nLine two"}, {2, ""}});
    const auto d = parse(dl, 1);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].text, "Line one\r\nLine two");
    EXPECT_EQ(d[1].text, "");
}

TEST(StringTableParse, LengthZeroOrOneAndMissingFinalZero) {
    rRawTableEntry zero{1, "", std::nullopt, 0u, false};
    rRawTableEntry one{2, "", std::nullopt, 1u, true};
    const auto d = parse(buildRawStringTable(2, {zero, one, {3, "ok"}}), 2);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].text, "");
    EXPECT_EQ(d[1].text, "");
    EXPECT_EQ(d[2].text, "ok");
    // The last STRINGS entry has no 0 byte: it reads up to the end of the input.
    rRawTableEntry last{5, "tail", std::nullopt, std::nullopt, false};
    const auto s = parse(buildRawStringTable(0, {{4, "a"}, last}), 0);
    EXPECT_EQ(s[1].text, "tail");
}

TEST(StringTableParse, EmptyInputAndCountZero) {
    rTableParseInfo info;
    EXPECT_TRUE(parse(QByteArray(), 0, &info).empty());
    EXPECT_EQ(info.count, 0u);
    EXPECT_TRUE(parse(QByteArray(8, '\0'), 1).empty());
}

TEST(StringTableParse, OffsetsAndLengthsPastTheEndStayInsideTheInput) {
    // An offset past the end gives an empty text; a length past the end gives what the input holds.
    rRawTableEntry far{2, {}, 1000000u};
    rRawTableEntry liar{3, "short", std::nullopt, 0xFFFFFFFFu};
    rTableParseInfo info;
    const auto d = parse(buildRawStringTable(1, {{1, "good"}, far, liar}), 1, &info);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].text, "good");
    EXPECT_EQ(d[1].text, "");
    EXPECT_EQ(d[2].text, QString("short") + QChar(0)); // the stored 0 byte is inside what was left
    EXPECT_EQ(info.damagedEntries, 2u);
    EXPECT_EQ(info.firstDamagedId, 2u);
    // A length field itself cut by the end of the input.
    QByteArray cut = buildRawStringTable(1, {{1, "x"}, {2, {}, 7u}});
    EXPECT_EQ(parse(cut, 1, &info)[1].text, "");
    EXPECT_EQ(info.damagedEntries, 1u);
    // STRINGS: an offset exactly at the end reads an empty text and is not damage.
    rRawTableEntry atEnd{9, {}, 2u};
    EXPECT_EQ(parse(buildRawStringTable(0, {{8, "a"}, atEnd}), 0, &info)[1].text, "");
    EXPECT_EQ(info.damagedEntries, 0u);
}

TEST(StringTableParse, TruncatedAndLyingHeadersAreErrors) {
    EXPECT_THROW(parse(QByteArray("\1\0\0", 3), 0), TQuillError);
    const QByteArray good = buildUtf8Table(0, {{1, "a"}, {2, "b"}});
    EXPECT_THROW(parse(good.left(12), 0), TQuillError);
    EXPECT_THROW(parse(buildRawStringTable(0, {{1, "a"}}, 0xFFFFFFFFu), 0), TQuillError);
    // A lying data size is not needed to read: entries are found by their offsets.
    EXPECT_EQ(parse(buildRawStringTable(0, {{1, "a"}}, std::nullopt, 0xFFFFFFu), 0).size(), 1u);
}

TEST_F(Fixture, ReadErrorsAreReportedAndGiveMinusOne) {
    tSkyStrList list;
    const qsizetype r = readTableBytes(app, QByteArray("\5\0\0\0\0\0\0\0", 8), "bad_en.strings", 99, 0, 0,
                                       rTableSink{tSinkMode::openTables}, list);
    EXPECT_EQ(r, -1);
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages[0].text.contains("bad_en.strings"));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(host.logContains(kLogSeparator));
    EXPECT_EQ(readTableFile(app, folder() + "none.strings", list, {}, 99, 0, 0), -1);
}

TEST_F(Fixture, SinkModesZeroAndOneKeepDirectoryOrderWithIdOffset) {
    tSkyStrList list;
    const QByteArray bytes = buildUtf8Table(1, {{5, "Five <Alias=Player>"}, {2, "Two"}});
    EXPECT_EQ(readTableBytes(app, bytes, "x_en.dlstrings", 99, 1, 400000, rTableSink{tSinkMode::append}, list), 0);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->id, 400005u);
    EXPECT_EQ(list[0]->listIndex, 1);
    EXPECT_EQ(list[0]->LDResult, 99.0f);
    EXPECT_FALSE(list[0]->hasFlag(sStrInternalParam::isSourceInitialized));
    tSkyStrList opened;
    readTableBytes(app, bytes, "x_en.dlstrings", 99, 1, 0, rTableSink{tSinkMode::openTables}, opened);
    EXPECT_TRUE(opened[0]->hasFlag(sStrInternalParam::isSourceInitialized));
    EXPECT_EQ(opened[0]->sTagCount, 1);
    EXPECT_TRUE(host.logContains("Log_Count"));
}

// A big table is made in two halves at once: the list must come out as a one-thread read would make it, in
// directory order, with damage in the second half still counted and named by its first id.
TEST_F(Fixture, BigTablesReadInTwoHalvesKeepOrderHashesAndDamageReport) {
    std::vector<rRawTableEntry> raw;
    const int n = 30001;
    for (int i = 0; i < n; ++i) {
        const QString text = QStringLiteral("Entry %1 <Alias=Player> caf\u00e9").arg(i);
        raw.push_back({static_cast<uint32_t>(n - i), text.toUtf8()});
    }
    raw[20000].offset = 0x7FFFFFF0u; // past the end: an empty text
    raw[25000].offset = 0x7FFFFFF0u;
    const QByteArray bytes = buildRawStringTable(1, raw);
    app.texts.set("Fbk_TableDamaged", "%d damaged, first %s");
    for (const tSinkMode mode : {tSinkMode::append, tSinkMode::openTables}) {
        tSkyStrList list;
        host.log.clear();
        EXPECT_EQ(readTableBytes(app, bytes, "big_en.dlstrings", 99, 1, 7, rTableSink{mode}, list), 0);
        ASSERT_EQ(list.size(), static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const tSkyStr& e = *list[static_cast<size_t>(i)];
            ASSERT_EQ(e.id, static_cast<uint32_t>(n - i + 7)) << i;
            const QString expected =
                (i == 20000 || i == 25000) ? QString() : QStringLiteral("Entry %1 <Alias=Player> caf\u00e9").arg(i);
            ASSERT_EQ(e.gS, expected) << i;
            ASSERT_EQ(e.hash, textHash(expected)) << i;
            ASSERT_EQ(e.hasFlag(sStrInternalParam::isSourceInitialized), mode == tSinkMode::openTables) << i;
        }
        EXPECT_EQ(list[5]->sTagCount, mode == tSinkMode::openTables ? 1 : 0);
        EXPECT_TRUE(host.logContains(QStringLiteral("2 damaged, first 0x%1").arg(n - 20000, 8, 16, QLatin1Char('0'))))
            << host.log.join('\n').toStdString();
    }
}

// Matching a big table to a localized plugin's entries parses the matched texts on two threads after the table:
// each entry once, with its last text when the table repeats an id, and orphans too.
TEST_F(Fixture, BigTablesMatchedToPluginEntriesAreParsedOnceEach) {
    tSkyStrList list;
    std::vector<std::pair<uint32_t, QString>> texts;
    for (uint32_t id = 1; id <= 24000; ++id) {
        list.push_back(entry(id * 2, ""));
        texts.emplace_back(id * 2, QStringLiteral("Text <Alias=Player> %1").arg(id));
    }
    texts.emplace_back(10, QStringLiteral("Repeated"));        // id 10 again: its last text wins
    texts.emplace_back(7, QStringLiteral("Orphan <Alias=A>")); // no plugin entry
    EXPECT_EQ(readTableBytes(app, buildUtf8Table(0, texts), "big_en.strings", 99, 0, 0,
                             rTableSink{tSinkMode::localizedPlugin}, list),
              1);
    ASSERT_EQ(list.size(), 24001u);
    for (const auto& e : list) {
        ASSERT_TRUE(e->hasFlag(sStrInternalParam::isSourceInitialized)) << e->id;
        ASSERT_EQ(e->sTagCount, e->id == 10 ? 0 : 1) << e->id;
        if (e->id != 7) {
            ASSERT_TRUE(e->hasFlag(sStrInternalParam::toLocalizedEsp)) << e->id;
        }
    }
    EXPECT_EQ(list[0]->id, 2u);
    EXPECT_EQ(list[3]->id, 7u);
    EXPECT_TRUE(list[3]->hasFlag(sStrInternalParam::isOrphean));
    EXPECT_EQ(list[5]->gS, "Repeated");
    EXPECT_EQ(list[5]->ld(), "repeated");
}

TEST_F(Fixture, SinkModeTwoMatchesPluginIdsSharesAndKeepsOrphansInIdOrder) {
    tSkyStrList list;
    list.push_back(entry(10, ""));
    list.push_back(entry(20, ""));
    list.push_back(entry(20, "")); // a second field sharing id 20
    list.push_back(entry(30, ""));
    std::vector<std::pair<tSkyStr*, tSkyStr*>> relinked;
    rTableSink sink{tSinkMode::localizedPlugin};
    sink.relinkShared = [&](tSkyStr& further, tSkyStr& owner) { relinked.push_back({&further, &owner}); };
    const QByteArray bytes = buildUtf8Table(0, {{30, "Thirty"}, {20, "Twenty"}, {25, "Orphan"}, {5, "Early"}});
    EXPECT_EQ(readTableBytes(app, bytes, "p_en.strings", 99, 0, 0, sink, list), 2);
    ASSERT_EQ(list.size(), 6u);
    std::vector<uint32_t> ids;
    for (const auto& e : list)
        ids.push_back(e->id);
    EXPECT_EQ(ids, (std::vector<uint32_t>{5, 10, 20, 20, 25, 30}));
    EXPECT_TRUE(list[0]->hasFlag(sStrInternalParam::isOrphean));
    EXPECT_EQ(list[0]->gS, "Early");
    EXPECT_EQ(list[1]->gS, "");
    EXPECT_FALSE(list[1]->hasFlag(sStrInternalParam::toLocalizedEsp));
    EXPECT_EQ(list[2]->gS, "Twenty");
    EXPECT_TRUE(list[2]->hasFlag(sStrInternalParam::toLocalizedEsp));
    EXPECT_TRUE(list[2]->hasFlag(sStrInternalParam::toLocalizedSharedID));
    EXPECT_TRUE(list[3]->hasFlag(sStrInternalParam::isDeleted));
    ASSERT_EQ(relinked.size(), 1u);
    EXPECT_EQ(relinked[0].first, list[3].get());
    EXPECT_EQ(relinked[0].second, list[2].get());
    EXPECT_TRUE(list[4]->hasFlag(sStrInternalParam::isOrphean));
    EXPECT_TRUE(list[4]->hasFlag(sStrInternalParam::isSourceInitialized));
    EXPECT_EQ(list[5]->gS, "Thirty");
}

TEST_F(Fixture, SinkModeThreeSetsTranslationsOfMatchingIds) {
    tSkyStrList list;
    list.push_back(entry(2, "Sword"));
    list.push_back(entry(1, "Shield"));
    readTableBytes(app, buildUtf8Table(0, {{1, "Bouclier"}, {7, "Rien"}}), "v_fr.strings", 99, 0, 0,
                   rTableSink{tSinkMode::cacheDestination}, list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->id, 1u); // sorted by id for the lookup
    EXPECT_EQ(list[0]->gTrans, "Bouclier");
    EXPECT_EQ(list[0]->hashTrans, textHash(u"Bouclier"));
    EXPECT_TRUE(list[0]->hasFlag(sStrInternalParam::matchedIDfound));
    EXPECT_FALSE(list[1]->hasFlag(sStrInternalParam::matchedIDfound));
    EXPECT_EQ(list[1]->gTrans, "");
}

TEST_F(Fixture, SinkModeFourAppliesThroughThePredicateAndValidates) {
    tSkyStrList list;
    list.push_back(entry(1, "Sword", "Sword"));
    list.push_back(entry(2, "Shield", "Ecu"));
    list[0]->sparams = {sStrParam::incompleteTrans};
    list[1]->sparams = {sStrParam::translated};
    rTableSink sink{tSinkMode::destinationTables};
    sink.predicate = tStringPredicate::notTranslated;
    app.state.dictionaryModified = false;
    readTableBytes(app, buildUtf8Table(0, {{1, QString::fromUtf8("Épée")}, {2, "Bouclier"}, {3, "Arc"}}),
                   "d_fr.strings", 99, 0, 0, sink, list);
    EXPECT_EQ(list[0]->gTrans, QString::fromUtf8("Épée"));
    EXPECT_EQ(list[0]->sparams, sStrParams{sStrParam::validated});
    EXPECT_EQ(list[1]->gTrans, "Ecu");          // translated: refused by the predicate
    EXPECT_FALSE(app.state.dictionaryModified); // what a change means is the caller's business
}

// A table long enough to be decoded in two halves at once: every text reaches the entry of its id, whichever half
// read it, in both sinks that take texts by id.
TEST_F(Fixture, TheSinksTakingTextsByIdMatchEveryIdOfALongTable) {
    constexpr uint32_t kCount = 30000;
    std::vector<std::pair<uint32_t, QString>> texts;
    for (uint32_t id = kCount; id >= 1; --id) // the table's own order, not the list's
        texts.push_back({id, QStringLiteral("T%1").arg(id) + (id == 15000 ? QStringLiteral("\0\0") : QString())});
    texts.push_back({99999, QStringLiteral("nobody")});
    const QByteArray table = buildUtf8Table(0, texts);
    for (const tSinkMode mode : {tSinkMode::cacheDestination, tSinkMode::destinationTables}) {
        tSkyStrList list;
        for (uint32_t id = 1; id <= kCount + 1; ++id)
            list.push_back(entry(id, "Source"));
        rTableSink sink{mode};
        readTableBytes(app, table, "long_fr.strings", 99, 0, 0, sink, list);
        ASSERT_EQ(list.size(), kCount + 1);
        for (uint32_t id = 1; id <= kCount; ++id) {
            const tSkyStr& e = *list[id - 1];
            ASSERT_EQ(e.gTrans, QStringLiteral("T%1").arg(id)) << id;
            ASSERT_EQ(e.hashTrans, textHash(e.gTrans)) << id;
            ASSERT_EQ(e.hasFlag(sStrInternalParam::matchedIDfound), mode == tSinkMode::cacheDestination) << id;
        }
        EXPECT_FALSE(list.back()->hasFlag(sStrInternalParam::matchedIDfound));
        EXPECT_NE(list.back()->gTrans, QStringLiteral("nobody"));
    }
}

TEST_F(Fixture, ReadTableSetNeedsAllThreeTablesAndFindsNamesInAnyCase) {
    const QString strings = folder() + "Data/Strings/";
    writeUtf8TableSet(strings, "MyMod", "EN", {{{{1, "Name"}}, {{2, "Desc"}}, {}}});
    QFile::remove(strings + "MyMod_EN.ilstrings");
    tListSet lists;
    app.texts.set("Fbk_MissingStr", "Missing: %s");
    EXPECT_FALSE(readTableSet(app, lists, strings, "mymod", rTableSink{tSinkMode::openTables}, false, "en"));
    EXPECT_TRUE(host.logContains("Missing: "));
    EXPECT_EQ(countListSet(lists), 0);
    writeAll(strings + "MYMOD_en.ILSTRINGS", buildUtf8Table(2, {{3, "Line"}}));
    EXPECT_TRUE(readTableSet(app, lists, strings, "mymod", rTableSink{tSinkMode::openTables}, false, "en"));
    EXPECT_EQ(lists[0][0]->gS, "Name");
    EXPECT_EQ(lists[2][0]->gS, "Line");
}

TEST_F(Fixture, ReadTableSetTakesArchivedTablesAndALooseCopyWins) {
    const QString data = folder() + "Data/";
    rBsaSpec archiveLayout;
    archiveLayout.flags = 0x7;
    archiveLayout.folders.push_back({"strings",
                                     {{"mymod_en.strings", buildUtf8Table(0, {{1, "From archive"}})},
                                      {"mymod_en.dlstrings", buildUtf8Table(1, {{2, "Archived desc"}})},
                                      {"mymod_en.ilstrings", buildUtf8Table(2, {{3, "Archived line"}}), true}}});
    writeAll(data + "MyMod.bsa", buildBsa(archiveLayout));
    writeAll(data + "Strings/mymod_en.strings", buildUtf8Table(0, {{1, "Loose"}}));
    tListSet lists;
    EXPECT_FALSE(readTableSet(app, lists, data + "Strings/", "mymod", rTableSink{tSinkMode::openTables}, false, "en"));
    EXPECT_TRUE(readTableSet(app, lists, data + "Strings/", "mymod", rTableSink{tSinkMode::openTables}, true, "en"));
    EXPECT_EQ(lists[0][0]->gS, "Loose");
    EXPECT_EQ(lists[1][0]->gS, "Archived desc");
    EXPECT_EQ(lists[2][0]->gS, "Archived line");
    EXPECT_TRUE(host.logContains("Fbk_ReadBsa"));
}

TEST_F(Fixture, ReadTableSetFindsTablesInTheModsBa2AndFailsOnOneItCannotGive) {
    const QString data = folder() + "Data/";
    writeAll(data + "MyMod - Main.ba2",
             buildBa2({1,
                       true,
                       {{"Strings/MyMod_en.STRINGS", buildUtf8Table(0, {{1, "From main"}})},
                        {"Strings/MyMod_en.DLSTRINGS", buildUtf8Table(1, {{2, "Main desc"}}), true}}}));
    writeAll(data + "MyMod.ba2",
             buildBa2({1, true, {{"strings/mymod_en.ilstrings", buildUtf8Table(2, {{3, "Line"}})}}}));
    tListSet lists;
    ASSERT_TRUE(readTableSet(app, lists, data + "Strings/", "MyMod", rTableSink{tSinkMode::openTables}, true, "en"));
    EXPECT_EQ(lists[0][0]->gS, "From main");
    EXPECT_EQ(lists[1][0]->gS, "Main desc");
    EXPECT_EQ(lists[2][0]->gS, "Line");

    // The archive lists the table but its data is cut short: the set fails with the archive's message.
    writeAll(data + "MyMod.ba2",
             buildBa2({1, false, {{"strings/mymod_en.ilstrings", buildUtf8Table(2, {{3, "Line"}}), false, 3}}}));
    tListSet again;
    host.log.clear();
    EXPECT_FALSE(readTableSet(app, again, data + "Strings/", "MyMod", rTableSink{tSinkMode::openTables}, true, "en"));
    EXPECT_TRUE(host.logContains("Fbk_ArchiveError"));
}

TEST_F(Fixture, CodePageIsChosenFromTheFileName) {
    app.state.codepageList = {"en=1252"};
    tSkyStrList list;
    readTableBytes(app, buildRawStringTable(0, {{1, "caf\xE9"}}), "x_en.strings", 99, 0, 0, {}, list);
    EXPECT_EQ(list[0]->gS, QString::fromUtf8("café"));
    app.state.ForceUtf8Load = true;
    readTableBytes(app, buildRawStringTable(0, {{1, "caf\xE9"}}), "x_en.strings", 99, 0, 0, {}, list);
    EXPECT_EQ(list[1]->gS, QString::fromUtf8("caf\uFFFD"));
}

TEST_F(Fixture, WriterSharesEqualTextsOnlyAndSortsTheDirectory) {
    tSkyStrList list;
    list.push_back(entry(9, "b", "Same"));
    list.push_back(entry(2, "a", "Same"));
    list.push_back(entry(5, "c", "same"));
    list.push_back(entry(7, "d", "")); // one character, empty translation: a single space
    ASSERT_TRUE(writeTable(app, folder() + "w_fr", list, 0));
    const QByteArray bytes = fileBytes(folder() + "w_fr.STRINGS");
    const QByteArray expected = buildRawStringTable(0, {{2, "Same"}, {5, "same"}, {7, " "}, {9, {}, 0u}});
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(list[2]->gTrans, " ");
    // Length-prefixed kinds share in the same way.
    tSkyStrList dl;
    dl.push_back(entry(1, "x", "Text", 1));
    dl.push_back(entry(2, "y", "Text", 1));
    ASSERT_TRUE(writeTable(app, folder() + "w_fr", dl, 1));
    EXPECT_EQ(fileBytes(folder() + "w_fr.DLSTRINGS"), buildRawStringTable(1, {{1, "Text"}, {2, {}, 0u}}));
    tSkyStrList none;
    ASSERT_TRUE(writeTable(app, folder() + "w_fr", none, 2));
    EXPECT_EQ(fileBytes(folder() + "w_fr.ILSTRINGS"), QByteArray(8, '\0'));
}

TEST_F(Fixture, ASetRoundTripsByteForByteWhenNoTextChanged) {
    const QString in = folder() + "in/";
    const QByteArray s = buildRawStringTable(0, {{1, "Iron Sword"}, {4, "Shield"}, {6, {}, 0u}});
    const QByteArray d =
        buildRawStringTable(1, {{3, QString::fromUtf8("Une épée\r\nforgée").toUtf8()}, {8, ""}, {9, "z"}});
    const QByteArray il = buildRawStringTable(2, {{2, "Hello."}, {5, "Bye."}});
    writeAll(in + "mod_en.strings", s);
    writeAll(in + "mod_en.dlstrings", d);
    writeAll(in + "mod_en.ilstrings", il);
    tListSet lists;
    ASSERT_TRUE(readTableSet(app, lists, in, "mod", rTableSink{tSinkMode::openTables}, false, "en"));
    for (auto& list : lists)
        for (auto& e : list)
            e->setSTrans(e->gS);
    ASSERT_TRUE(writeTableSet(app, lists, folder() + "out", "mod", "en"));
    EXPECT_EQ(fileBytes(folder() + "out/mod_en.STRINGS"), s);
    EXPECT_EQ(fileBytes(folder() + "out/mod_en.DLSTRINGS"), d);
    EXPECT_EQ(fileBytes(folder() + "out/mod_en.ILSTRINGS"), il);
}

// Sets in three Windows code pages and UTF-8: each decodes to the right text and writes back to the same bytes.
TEST_F(Fixture, SetsRoundTripByteForByteInEveryKindOfCodePage) {
    app.state.codepageList = {"fr=1252", "ru=1251", "ja=932"};
    const struct {
        const char* language;
        const char* converter;
        QString texts[3];
    } sets[] = {
        {"fr", "windows-1252", {QString::fromUtf8("Épée"), QString::fromUtf8("Œuvre à 5 €"), "Bye."}},
        {"ru", "windows-1251", {QString::fromUtf8("Привет"), QString::fromUtf8("Щит\r\nи меч"), "ok"}},
        {"ja", "windows-932", {QString::fromUtf8("日本語"), QString::fromUtf8("ｶﾀｶﾅ と ABC"), QString::fromUtf8("剣")}},
        {"de", "UTF-8", {QString::fromUtf8("Schwert 😀"), QString::fromUtf8("Straße"), ""}},
    };
    for (const auto& set : sets) {
        const QString language = QString::fromLatin1(set.language);
        QStringEncoder encoder(set.converter);
        QByteArray original[3];
        for (int i = 0; i < 3; ++i) {
            const QByteArray text = encoder.encode(set.texts[i]);
            // The first text also serves a second id (a shared data entry).
            original[i] = buildRawStringTable(i, {{1, text}, {5, {}, 0u}, {9, encoder.encode(set.texts[(i + 1) % 3])}});
            writeAll(folder() + "in/mod_" + language + tableExtension(i), original[i]);
        }
        tListSet lists;
        ASSERT_TRUE(
            readTableSet(app, lists, folder() + "in/", "mod", rTableSink{tSinkMode::openTables}, false, language));
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(lists[i].size(), 3u);
            EXPECT_EQ(lists[i][0]->gS, set.texts[i]) << set.language;
            EXPECT_EQ(lists[i][2]->gS, set.texts[(i + 1) % 3]) << set.language;
            for (auto& e : lists[i])
                e->setSTrans(e->gS);
        }
        ASSERT_TRUE(writeTableSet(app, lists, folder() + "out", "mod", language));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(fileBytes(folder() + "out/mod_" + language + tableExtension(i, true)), original[i])
                << set.language << i;
    }
}

// The writer's UTF-8 is QString::toUtf8's, unpaired surrogates included: a text ending in half a pair gets its
// replacement and leaves nothing behind for the next text.
TEST(StringTableWriter, Utf8BytesAreThoseOfToUtf8EvenForUnpairedSurrogates) {
    const QString texts[] = {QStringLiteral("a") + QChar(0xD83D), QString(QChar(0xDE00)) + QStringLiteral("b"),
                             QString::fromUtf8("é ’ 😀 \u07FF\u0800"), QString(QChar(0xD83D)), QStringLiteral("plain")};
    std::vector<std::pair<uint32_t, QString>> entries;
    std::vector<rRawTableEntry> expected;
    for (uint32_t k = 0; k < 5; ++k) {
        entries.emplace_back(k + 1, texts[k]);
        expected.push_back({k + 1, texts[k].toUtf8()});
    }
    for (int listIndex : {0, 1})
        EXPECT_EQ(buildStringTable(entries, listIndex, codepageFromNumber(65001)),
                  buildRawStringTable(listIndex, expected))
            << listIndex;
}

TEST_F(Fixture, WriterReplacesAnExistingFileOfAnyCaseWhole) {
    writeAll(folder() + "w_fr.strings", "old");
    tSkyStrList list;
    list.push_back(entry(1, "a", "b"));
    ASSERT_TRUE(writeTable(app, folder() + "w_fr", list, 0));
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{"w_fr.strings"});
    EXPECT_EQ(fileBytes(folder() + "w_fr.strings"), buildRawStringTable(0, {{1, "b"}}));
}

TEST_F(Fixture, OverLongTextIsRefusedNamingItsIdAndLeavesTheOldTable) {
    writeAll(folder() + "w_fr.DLSTRINGS", "previous");
    app.texts.set("Fbk_StringTooLong", "%s: string %s is %d bytes long");
    tSkyStrList list;
    list.push_back(entry(1, "ok", "fine", 1));
    list.push_back(entry(0xABCD, "long", QString(65535, 'x'), 1));
    EXPECT_FALSE(writeTable(app, folder() + "w_fr", list, 1));
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages[0].text.contains("string 0x0000abcd is 65536 bytes long"))
        << host.messages[0].text.toStdString();
    EXPECT_EQ(fileBytes(folder() + "w_fr.DLSTRINGS"), "previous");
    // 65534 bytes and the 0 byte fit exactly.
    list[1]->setSTrans(QString(65534, 'x'));
    EXPECT_TRUE(writeTable(app, folder() + "w_fr", list, 1));
    tSkyStrList back;
    readTableFile(app, folder() + "w_fr.DLSTRINGS", back, {}, 99, 1, 0);
    EXPECT_EQ(back[1]->gS.size(), 65534);
}

TEST_F(Fixture, ForceDelocTablesHaveEveryOffsetInsideTheirData) {
    app.state.codepageList = {"fr=65535"};
    tSkyStrList list;
    list.push_back(entry(1, "a", "Alpha"));
    list.push_back(entry(2, "b", "Beta"));
    ASSERT_TRUE(writeTable(app, folder() + "d_fr", list, 0));
    const QByteArray bytes = fileBytes(folder() + "d_fr.STRINGS");
    rTableParseInfo info;
    const auto back = parse(bytes, 0, &info, codepageFromNumber(kCodepageForceDeloc));
    EXPECT_EQ(info.damagedEntries, 0u);
    EXPECT_EQ(qsizetype(8 + 16 + info.dataSize), bytes.size());
    EXPECT_EQ(back[1].text, "Beta");
}

// A table that cannot be written keeps the whole set from being replaced: the set on disk is never a mix.
TEST_F(Fixture, WriteTableSetReportsAFailedTableAndWritesNone) {
    tListSet lists;
    lists[0].push_back(entry(1, "a", "b"));
    lists[1].push_back(entry(1, "a", QString(70000, 'x'), 1));
    app.texts.set("Fbk_SavedError", "Not saved: %s");
    writeAll(folder() + "m_fr.STRINGS", "old");
    EXPECT_FALSE(writeTableSet(app, lists, folder(), "m", "fr"));
    EXPECT_EQ(fileBytes(folder() + "m_fr.STRINGS"), "old");
    EXPECT_FALSE(QFileInfo::exists(folder() + "m_fr.DLSTRINGS"));
    EXPECT_FALSE(QFileInfo::exists(folder() + "m_fr.ILSTRINGS"));
    EXPECT_TRUE(host.logContains("Not saved: "));
}

// A big set is written on two threads (the largest table on a worker): the files must be those a one-thread
// write gives, and a refused table on the worker must be reported in table order, and none written.
TEST_F(Fixture, BigSetsWrittenOnTwoThreadsMatchOneTableWritesAndReportInOrder) {
    tListSet lists;
    for (int i = 0; i < 25000; ++i) {
        lists[0].push_back(entry(static_cast<uint32_t>(i + 1), "s", QStringLiteral("Name %1").arg(i % 9000)));
        if (i % 5 == 0)
            lists[1].push_back(entry(static_cast<uint32_t>(i + 1), "d", QStringLiteral("Text %1").arg(i), 1));
    }
    lists[2].push_back(entry(3, "i", QString::fromUtf8("Réplique"), 2));
    ASSERT_TRUE(writeTableSet(app, lists, folder() + "set", "big", "fr"));
    QDir().mkpath(folder() + "one");
    for (int i = 0; i < 3; ++i) {
        const QString name = QStringLiteral("big_fr") + tableExtension(i, true);
        ASSERT_TRUE(writeTable(app, folder() + "one/big_fr", lists[i], i));
        EXPECT_EQ(fileBytes(folder() + "set/" + name), fileBytes(folder() + "one/" + name)) << i;
    }
    // Shared entries: 25,000 names over 9,000 texts.
    rTableParseInfo info;
    parse(fileBytes(folder() + "set/big_fr.STRINGS"), 0, &info);
    EXPECT_EQ(info.count, 25000u);
    EXPECT_LT(info.dataSize, 9000u * 12);

    lists[0][7]->setSTrans(QString(70000, 'x')); // the worker's table is refused
    app.texts.set("Fbk_SavedError", "Not saved: %s");
    app.texts.set("Fbk_StringTooLong", "too long: %s %s %d");
    app.texts.set("Fbk_Saving", "Saving %s");
    host.log.clear();
    EXPECT_FALSE(writeTableSet(app, lists, folder() + "set2", "big", "fr"));
    EXPECT_FALSE(QFileInfo::exists(folder() + "set2/big_fr.STRINGS"));
    EXPECT_FALSE(QFileInfo::exists(folder() + "set2/big_fr.DLSTRINGS"));
    const qsizetype refused = host.log.indexOf(QRegularExpression("too long: .*STRINGS 0x00000008 .*"));
    const qsizetype secondTable = host.log.indexOf(QRegularExpression("Saving .*big_fr\\.dlstrings"));
    ASSERT_GE(refused, 0) << host.log.join('\n').toStdString();
    EXPECT_LT(refused, secondTable);
}

// A backup keeps the file under a second name and leaves it at its path (the save then renames the new file over it).
TEST_F(Fixture, BackupOfWrittenFilesBesideOrInTheBackupFolderWithCollisions) {
    const QDateTime when(QDate(2016, 3, 5), QTime(14, 7, 9));
    writeAll(folder() + "X.esp", "one");
    QString kept;
    ASSERT_TRUE(backupWrittenFile(app, folder() + "X.esp", when, &kept));
    EXPECT_EQ(fileBytes(folder() + "X.esp"), "one");
    EXPECT_EQ(kept, folder() + "X.esp.2016_03_05_14_07_09");
    EXPECT_EQ(fileBytes(folder() + "X.esp.2016_03_05_14_07_09"), "one");
    writeAll(folder() + "X.esp", "two");
    ASSERT_TRUE(backupWrittenFile(app, folder() + "X.esp", when));
    EXPECT_EQ(fileBytes(folder() + "X.esp.2016_03_05_14_07_09 (2)"), "two");
    // Into the backup folder.
    app.state.EspBackupOptFolder = true;
    app.state.EspBackup = folder() + "EspBackup/";
    writeAll(folder() + "X.esp", "three");
    ASSERT_TRUE(backupWrittenFile(app, folder() + "X.esp", when));
    EXPECT_EQ(fileBytes(folder() + "EspBackup/X.esp.2016_03_05_14_07_09"), "three");
    // Off, or nothing to back up: success without touching anything.
    writeAll(folder() + "Y.esp", "y");
    app.state.EspBackupOptSimple = false;
    EXPECT_TRUE(backupWrittenFile(app, folder() + "Y.esp", when, &kept));
    EXPECT_TRUE(kept.isEmpty());
    EXPECT_EQ(QDir(folder()).entryList({"Y.esp*"}, QDir::Files), QStringList{"Y.esp"});
    app.state.EspBackupOptSimple = true;
    EXPECT_TRUE(backupWrittenFile(app, folder() + "None.esp", when));
    EXPECT_TRUE(host.messages.isEmpty());
}

TEST_F(Fixture, BackupOfDictionariesIsKeptInTheBackupFolder) {
    app.state.userDictionaryFolder = folder() + "UserDictionary/";
    app.state.dictionaryBackupFolder = folder() + "UserDictionary/Backup/";
    const QDateTime when(QDate(2020, 1, 2), QTime(3, 4, 5));
    writeAll(folder() + "UserDictionary/mymod_en_fr.sst", "sst");
    ASSERT_TRUE(backupDictionary(app, "mymod_en_fr.sst", when));
    EXPECT_EQ(fileBytes(folder() + "UserDictionary/Backup/mymod_en_fr.sst.2020_01_02_03_04_05"), "sst");
    EXPECT_EQ(fileBytes(folder() + "UserDictionary/mymod_en_fr.sst"), "sst");
    app.texts.set("Fbk_RenameError", "Cannot move %s");
    EXPECT_FALSE(backupDictionary(app, "missing.sst", when));
    EXPECT_TRUE(host.logContains("Cannot move "));
}
