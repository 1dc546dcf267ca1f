// The command line on string tables, archives and caches: open/dump/save/save-as, archive-read, build-cache,
// dump-cache.
#include "cli_runner.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

std::vector<QJsonObject> jsonLines(const QByteArray& out) {
    std::vector<QJsonObject> objects;
    for (const QByteArray& line : out.split('\n'))
        if (!line.trimmed().isEmpty()) objects.push_back(QJsonDocument::fromJson(line).object());
    return objects;
}

const QString kFixtures = QStringLiteral(QUILL_SHARED_FIXTURES "/testing-plugins/");

// English tables in code page 1252 (as the bundled codepage.txt says), canonical layout.
void writeEnglishSet(const TTempProgramDir& dir, const QString& folder) {
    dir.write(folder + "/MyMod_en.strings", buildRawStringTable(0, {{1, "Iron Sword"}, {2, "Caf\xE9"}, {5, {}, 0u}}));
    dir.write(folder + "/MyMod_en.dlstrings", buildRawStringTable(1, {{3, "A long\r\ntext."}}));
    dir.write(folder + "/MyMod_en.ilstrings", buildRawStringTable(2, {{4, "Hello."}}));
}

} // namespace

TEST(CliStrings, ArchiveReadGivesTheBytesOfRealArchivesAndRefusesVersion105) {
    QByteArray license = fileBytes(kFixtures + "LICENSE");
    license.replace("\n", "\r\n");
    for (const char* game : {"Oblivion", "Skyrim"}) {
        const rCliRun r = runCli({"archive-read", kFixtures + game + "/Blank.bsa", ".", "license"});
        EXPECT_EQ(r.status, 0) << game << r.err.toStdString();
        EXPECT_EQ(r.outBytes, license) << game;
    }
    const rCliRun sse = runCli({"archive-read", kFixtures + "SkyrimSE/Blank.bsa", ".", "license"});
    EXPECT_EQ(sse.status, 1);
    EXPECT_TRUE(sse.outBytes.isEmpty());
    EXPECT_TRUE(sse.err.contains("has unknown version: 105")) << sse.err.toStdString();
    const rCliRun missing = runCli({"archive-read", kFixtures + "Skyrim/Blank.bsa", ".", "readme.txt"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.outBytes.isEmpty());
    EXPECT_EQ(runCli({"archive-read", kFixtures + "Skyrim/Blank.bsa"}).status, 2);
}

TEST(CliStrings, ArchiveReadReadsBa2ArchivesAndRefusesTextureArchives) {
    const QString ba2 = QStringLiteral(QUILL_SHARED_FIXTURES "/ba2/");
    const rCliRun r = runCli({"archive-read", ba2 + "compression/normal.ba2", "Share", "LICENSE.txt"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.outBytes, fileBytes(ba2 + "compression/data/share/license.txt"));
    const rCliRun root = runCli({"archive-read", ba2 + "next-gen/gnrl_v8.ba2", ".", "license.txt"});
    EXPECT_EQ(root.status, 0) << root.err.toStdString();
    EXPECT_EQ(root.outBytes, fileBytes(ba2 + "next-gen/gnrl/License.txt"));
    const rCliRun textures = runCli({"archive-read", ba2 + "other/dx10-textures.ba2", ".", "a.dds"});
    EXPECT_EQ(textures.status, 1);
    EXPECT_TRUE(textures.err.contains("texture")) << textures.err.toStdString();
    EXPECT_EQ(runCli({"archive-read", ba2 + "compression/normal.ba2", "share", "nothing.txt"}).status, 1);
}

TEST(CliStrings, OpenDumpAndSaveAsConvertTheSetToTheDestinationLanguage) {
    TTempProgramDir dir;
    writeEnglishSet(dir, "in");
    const rCliRun r = runCli({"--program-dir", dir.path(), "--yes", dir.file("in/MyMod_en.dlstrings"), "--dump",
                              "--save-as", dir.file("out/Translated")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto objects = jsonLines(r.outBytes);
    ASSERT_EQ(objects.size(), 5u);
    EXPECT_EQ(objects[0]["list"].toInt(), 0);
    EXPECT_EQ(objects[1]["source"].toString(), QString::fromUtf8("Café"));
    EXPECT_EQ(objects[3]["list"].toInt(), 1);
    EXPECT_EQ(objects[3]["id"].toInt(), 3);
    // Nothing was translated: the exact pass copies each source, and fr is written in UTF-8.
    EXPECT_EQ(fileBytes(dir.file("out/Translated_fr.STRINGS")),
              buildRawStringTable(0, {{1, "Iron Sword"}, {2, QString::fromUtf8("Café").toUtf8()}, {5, {}, 0u}}));
    EXPECT_EQ(fileBytes(dir.file("out/Translated_fr.DLSTRINGS")), buildRawStringTable(1, {{3, "A long\r\ntext."}}));
    EXPECT_EQ(fileBytes(dir.file("out/Translated_fr.ILSTRINGS")), buildRawStringTable(2, {{4, "Hello."}}));
}

TEST(CliStrings, SaveWritesTheSetUnderDestLangAndAsksBeforeReplacingIt) {
    TTempProgramDir dir;
    writeEnglishSet(dir, "in");
    // Same language: the set is written back over itself, byte for byte.
    const QByteArray before = fileBytes(dir.file("in/MyMod_en.strings"));
    rCliRun r =
        runCli({"--program-dir", dir.path(), "--dest", "en", "--yes", dir.file("in/MyMod_en.strings"), "--save"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(dir.file("in/MyMod_en.strings")), before);
    EXPECT_EQ(QDir(dir.file("in")).entryList(QDir::Files).size(), 3);
    // Into French beside it; a second save without --yes leaves the file alone.
    r = runCli({"--program-dir", dir.path(), "--yes", dir.file("in/MyMod_en.strings"), "--save"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(dir.file("in/MyMod_fr.STRINGS")));
    dir.write("in/MyMod_fr.STRINGS", "keep me");
    r = runCli({"--program-dir", dir.path(), "--no", dir.file("in/MyMod_en.strings"), "--save"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(fileBytes(dir.file("in/MyMod_fr.STRINGS")), "keep me");
}

TEST(CliStrings, AMissingTableFailsToOpen) {
    TTempProgramDir dir;
    writeEnglishSet(dir, "in");
    QFile::remove(dir.file("in/MyMod_en.ilstrings"));
    const rCliRun r = runCli({"--program-dir", dir.path(), dir.file("in/MyMod_en.strings"), "--dump"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.outBytes.isEmpty());
}

TEST(CliStrings, BuildCacheThenDumpCache) {
    TTempProgramDir dir;
    const QString strings = dir.path() + "Game/Data/Strings/";
    writeUtf8TableSet(strings, "Fallout4", "de", {{{{1, "Eisen"}, {2, "Gold"}}, {{3, "Lang"}}, {{4, "Hallo"}}}});
    writeUtf8TableSet(strings, "Fallout4", "fr", {{{{1, "Fer"}}, {{3, "Long"}}, {{4, "Salut"}}}});
    const rCliRun build = runCli(
        {"--program-dir", dir.path(), "--source", "de", "--dest", "fr", "build-cache", "--strings-folder", strings});
    ASSERT_EQ(build.status, 0) << build.err.toStdString();
    const QString cache = dir.file("Cache/fallout4_de_fr.cache");
    ASSERT_TRUE(QFile::exists(cache));
    EXPECT_FALSE(QFile::exists(dir.file("Cache/dlcrobot_de_fr.cache"))); // an incomplete set gives no cache
    const rCliRun dump = runCli({"--program-dir", dir.path(), "dump-cache", cache});
    ASSERT_EQ(dump.status, 0) << dump.err.toStdString();
    const auto objects = jsonLines(dump.outBytes);
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0]["source"].toString(), "Eisen");
    EXPECT_EQ(objects[0]["translation"].toString(), "Fer");
    EXPECT_EQ(objects[2]["list"].toInt(), 2);
    EXPECT_EQ(runCli({"--program-dir", dir.path(), "dump-cache", dir.file("none.cache")}).status, 1);
    // A cache that cannot be written (a folder stands at its path) fails the command and leaves what was there.
    ASSERT_TRUE(QFile::remove(cache));
    ASSERT_TRUE(QDir().mkpath(cache));
    const rCliRun blocked = runCli(
        {"--program-dir", dir.path(), "--source", "de", "--dest", "fr", "build-cache", "--strings-folder", strings});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_TRUE(QFileInfo(cache).isDir());
    EXPECT_TRUE(blocked.err.contains(QStringLiteral("fallout4_de_fr.cache"))) << blocked.err.toStdString();
}
