// Vocabulary cache: finding the six tables, pairing by id, the file layout, dedup, building and loading.
#include "bsa_builder.h"
#include "dictionary/QUILL_cache.h"
#include "scripted_host.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_main.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

QByteArray record(uint8_t list, const QString& source, const QString& translation) {
    QByteArray out;
    binary_out::u8(out, list);
    binary_out::u32le(out, static_cast<uint32_t>(source.size() * 2));
    for (QChar c : source)
        binary_out::u16le(out, c.unicode());
    binary_out::u32le(out, static_cast<uint32_t>(translation.size() * 2));
    for (QChar c : translation)
        binary_out::u16le(out, c.unicode());
    return out;
}

struct CacheFixture : ::testing::Test {
    TScriptedHost host;
    TAppContext app{&host};
    QTemporaryDir dir;
    tListSet lists;
    QString data() const { return dir.path() + "/Data/"; }
    QString strings() const { return data() + "Strings/"; }
    void SetUp() override {
        app.state.SourceLang = "en";
        app.state.DestLang = "fr";
        app.state.cacheFolder = dir.path() + "/Cache/";
        app.texts.set("Fbk_MissingVocabStr", "Incomplete: %s");
    }
};

} // namespace

TEST(CacheNames, SetNameLineTestAndCachePath) {
    EXPECT_EQ(vocabularySetName("  Strings\\Fallout4 "), "fallout4");
    EXPECT_TRUE(vocabularyLineIsTableSet("STRINGS\\x"));
    EXPECT_FALSE(vocabularyLineIsTableSet("textures\\other"));
    EXPECT_EQ(vocabularySetName("textures\\other"), "\\other");
    TAppState st;
    st.cacheFolder = "/p/Cache/";
    st.SourceLang = "en";
    st.DestLang = "fr";
    EXPECT_EQ(cacheFilePath(st, "fallout4"), "/p/Cache/fallout4_en_fr.cache");
    EXPECT_EQ(cacheFilePath(st, "sub\\dlcrobot"), "/p/Cache/dlcrobot_en_fr.cache");
}

TEST_F(CacheFixture, PairsByIdDropsUnmatchedAndLogsOncePerList) {
    writeUtf8TableSet(strings(), "fallout4", "en",
                      {{{{3, "Sword"}, {1, "Shield"}, {2, "Lonely"}}, {{10, "A long text"}}, {{20, "Hello"}}}});
    writeUtf8TableSet(strings(), "fallout4", "fr",
                      {{{{1, "Bouclier"}, {3, QString::fromUtf8("Épée")}, {99, "Extra"}},
                        {{10, "Un long texte"}},
                        {{20, "Bonjour"}, {21, "Salut"}}}});
    app.texts.set("Fbk_CacheStrNoMatch", "NO MATCH");
    ASSERT_TRUE(pairVocabularySet(app, lists, 2, strings(), "fallout4"));
    ASSERT_EQ(lists[0].size(), 2u);
    EXPECT_EQ(lists[0][0]->gS, "Shield");
    EXPECT_EQ(lists[0][0]->gTrans, "Bouclier");
    EXPECT_EQ(lists[0][0]->id, 600001u); // (line index + 1) x 200000 + id
    EXPECT_EQ(lists[0][1]->gTrans, QString::fromUtf8("Épée"));
    EXPECT_EQ(lists[1][0]->gTrans, "Un long texte");
    EXPECT_EQ(lists[2].size(), 1u);
    EXPECT_EQ(host.log.count("NO MATCH"), 1);

    ASSERT_TRUE(writeCache(app, lists, cacheFilePath(app.state, "fallout4")));
    const QByteArray expected = QByteArray("SST2") + record(0, "Shield", "Bouclier") +
                                record(0, "Sword", QString::fromUtf8("Épée")) +
                                record(1, "A long text", "Un long texte") + record(2, "Hello", "Bonjour");
    EXPECT_EQ(fileBytes(dir.path() + "/Cache/fallout4_en_fr.cache"), expected);
}

TEST_F(CacheFixture, MissingDestinationTableMeansNothingIsRead) {
    writeUtf8TableSet(strings(), "fallout4", "en", {{{{1, "a"}}, {{2, "b"}}, {{3, "c"}}}});
    writeUtf8TableSet(strings(), "fallout4", "fr", {{{{1, "x"}}, {{2, "y"}}, {{3, "z"}}}});
    QFile::remove(strings() + "fallout4_fr.ilstrings");
    const rVocabularySources where = findVocabularySources(strings(), "fallout4", "en", "fr");
    EXPECT_FALSE(where.complete());
    EXPECT_EQ(where.destination[2], tTableSource::missing);
    EXPECT_EQ(where.source[2], tTableSource::loose);
    EXPECT_FALSE(pairVocabularySet(app, lists, 0, strings(), "fallout4"));
    EXPECT_EQ(countListSet(lists), 0);
    EXPECT_TRUE(host.logContains("Incomplete: fallout4"));
    EXPECT_TRUE(host.messages.isEmpty()); // logged only
}

TEST_F(CacheFixture, ArchivedTablesAreReadAndALooseCopyWins) {
    rBsaSpec archiveLayout;
    archiveLayout.flags = 0x7;
    std::vector<rBsaFileSpec> files;
    for (const char* lang : {"en", "fr"})
        for (int i = 0; i < 3; ++i) {
            static const char* ext[3] = {".strings", ".dlstrings", ".ilstrings"};
            files.push_back({QString("dlcrobot_%1%2").arg(lang, ext[i]),
                             buildUtf8Table(i, {{uint32_t(i + 1), QString("%1 archived %2").arg(lang).arg(i)}})});
        }
    archiveLayout.folders.push_back({"strings", files});
    writeAll(data() + "DLCRobot.bsa", buildBsa(archiveLayout));
    writeAll(strings() + "DLCRobot_FR.STRINGS", buildUtf8Table(0, {{1, "fr loose"}}));
    const rVocabularySources where = findVocabularySources(strings(), "dlcrobot", "en", "fr");
    ASSERT_TRUE(where.complete());
    EXPECT_EQ(where.source[0], tTableSource::archive);
    EXPECT_EQ(where.destination[0], tTableSource::loose);
    ASSERT_TRUE(pairVocabularySet(app, lists, 0, strings(), "dlcrobot"));
    EXPECT_EQ(lists[0][0]->gS, "en archived 0");
    EXPECT_EQ(lists[0][0]->gTrans, "fr loose");
    EXPECT_EQ(lists[2][0]->gTrans, "fr archived 2");
}

TEST_F(CacheFixture, EqualPairsAreWrittenOncePerList) {
    for (int list : {0, 0, 0, 1})
        lists[list].push_back(std::make_unique<tSkyStr>("Iron", "Fer", list, 1, 99));
    lists[0][2]->setTransLite("FER"); // another translation hash: another pair
    lists[0].push_back(std::make_unique<tSkyStr>("Iron", "Fonte", 0, 2, 99));
    const QByteArray bytes = buildCacheBytes(lists);
    EXPECT_EQ(bytes, QByteArray("SST2") + record(0, "Iron", "Fer") + record(0, "Iron", "FER") +
                         record(0, "Iron", "Fonte") + record(1, "Iron", "Fer"));
    EXPECT_EQ(buildCacheBytes(tListSet{}), QByteArray("SST2"));
}

TEST_F(CacheFixture, LoadingSkipsSingleCharacterEmptyPairsAndDeduplicates) {
    const QString path = dir.path() + "/Cache/x_en_fr.cache";
    writeAll(path, QByteArray("SST2") + record(0, "A", "") + record(0, "Iron", "Fer") + record(0, "Iron", "Fer") +
                       record(2, "Hi", "Salut") + record(1, "B", "b"));
    int counter = 0;
    int node = 0;
    ASSERT_TRUE(loadCache(app, path, lists, &node, counter, 7));
    EXPECT_EQ(counter, 4);
    ASSERT_EQ(lists[0].size(), 1u);
    EXPECT_EQ(lists[0][0]->gTrans, "Fer");
    EXPECT_EQ(lists[0][0]->id, 7u);
    EXPECT_TRUE(lists[0][0]->hasFlag(sStrInternalParam::isCache));
    EXPECT_EQ(lists[0][0]->pNode, &node);
    EXPECT_EQ(lists[1].size(), 1u);
    EXPECT_EQ(lists[2][0]->gS, "Hi");
}

TEST_F(CacheFixture, DamagedCachesKeepWhatCameBeforeTheFault) {
    int counter = 0;
    EXPECT_FALSE(loadCache(app, dir.path() + "/none.cache", lists, nullptr, counter, 0));
    writeAll(dir.path() + "/bad.cache", "SST1xxxx");
    EXPECT_FALSE(loadCache(app, dir.path() + "/bad.cache", lists, nullptr, counter, 0));
    EXPECT_TRUE(host.messages.isEmpty());

    app.texts.set("FbK_CacheLoadError", "Cannot read %s");
    const QByteArray good = QByteArray("SST2") + record(0, "Iron", "Fer");
    QByteArray oddLength = record(0, "Gold", "Or");
    oddLength[1] = 7;
    QByteArray listThree = record(3, "Gold", "Or");
    const QByteArray cut = record(0, "Gold", "Or").chopped(1);
    QByteArray huge = record(0, "Gold", "Or");
    huge[4] = 0x7F;
    for (const QByteArray& tail : {oddLength, listThree, cut, huge}) {
        tListSet loaded;
        host.messages.clear();
        writeAll(dir.path() + "/damaged.cache", good + tail);
        EXPECT_FALSE(loadCache(app, dir.path() + "/damaged.cache", loaded, nullptr, counter, 0));
        ASSERT_EQ(loaded[0].size(), 1u);
        EXPECT_EQ(loaded[0][0]->gS, "Iron");
        ASSERT_EQ(host.messages.size(), 1);
        EXPECT_EQ(host.messages[0].text, "Cannot read damaged.cache");
    }
}

TEST_F(CacheFixture, BuildCachesWritesOneCachePerCompleteSetAndNoEmptyOnes) {
    writeUtf8TableSet(strings(), "fallout4", "en", {{{{1, "Iron"}}, {{2, "Long"}}, {{3, "Hi"}}}});
    writeUtf8TableSet(strings(), "fallout4", "fr", {{{{1, "Fer"}}, {{2, "Longue"}}, {{3, "Salut"}}}});
    writeUtf8TableSet(strings(), "dlccoast", "en", {{{{1, "Boat"}}, {{2, "Sea"}}, {{3, "Fog"}}}});
    app.state.vocabularyList = {"strings\\fallout4", "strings\\dlccoast", "textures\\noise"};
    EXPECT_EQ(buildCaches(app, lists, strings()), 1);
    EXPECT_EQ(countListSet(lists), 0);
    EXPECT_EQ(fileBytes(dir.path() + "/Cache/fallout4_en_fr.cache"),
              QByteArray("SST2") + record(0, "Iron", "Fer") + record(1, "Long", "Longue") + record(2, "Hi", "Salut"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/Cache/dlccoast_en_fr.cache"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/Cache/noise_en_fr.cache"));
    EXPECT_TRUE(host.logContains("Incomplete: dlccoast"));
}

TEST_F(CacheFixture, ABigCacheIsWrittenInPartsAndAFailedPartStopsTheWrite) {
    // Over two megabytes of pairs: the parts, end to end, are the records in list order.
    QByteArray expected("SST2");
    for (int list = 0; list < 3; ++list)
        for (int i = 0; i < 10000; ++i) {
            const QString source = QStringLiteral("Source text %1 of list %2").arg(i).arg(list);
            const QString translation = QStringLiteral("Texte source %1").arg(i);
            lists[list].push_back(std::make_unique<tSkyStr>(source, translation, list, uint32_t(i), 99));
            expected += record(list, source, translation);
        }
    ASSERT_GT(expected.size(), 2 << 20);
    QByteArray joined;
    int parts = 0;
    EXPECT_TRUE(writeCacheBytes(lists, [&](const QByteArray& part) {
        joined += part;
        ++parts;
        return true;
    }));
    EXPECT_EQ(joined, expected);
    EXPECT_GE(parts, 3);
    int calls = 0;
    EXPECT_FALSE(writeCacheBytes(lists, [&](const QByteArray&) { return ++calls > 1; }));
    EXPECT_EQ(calls, 1);
}
