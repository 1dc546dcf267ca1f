// BA2 archives: the public sample archives read back byte for byte, damaged ones fail cleanly, and the string
// tables and menu files of a mod are found in "<mod> - Main.ba2" and "<mod>.ba2" after loose files and the BSA.
#include "ba2_builder.h"
#include "bsa_builder.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"

#include "core/QUILL_error.h"
#include "strings/QUILL_archive.h"
#include "strings/QUILL_ba2.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kBa2 = QStringLiteral(QUILL_SHARED_FIXTURES "/ba2/");

QString writeTemp(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// Every file under `dataFolder` must be in the archive, by its relative path, with the same bytes.
void expectArchiveHoldsFolder(const QString& archivePath, const QString& dataFolder, int expectedCount) {
    auto archive = TBa2Archive::open(archivePath);
    EXPECT_EQ(static_cast<int>(archive->entries().size()), expectedCount) << archivePath.toStdString();
    int compared = 0;
    QDirIterator it(dataFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(dataFolder).relativeFilePath(path);
        const rBa2Entry* entry = archive->find(relative.toUpper());
        ASSERT_NE(entry, nullptr) << relative.toStdString() << " in " << archivePath.toStdString();
        EXPECT_EQ(archive->read(*entry), fileBytes(path)) << relative.toStdString();
        ++compared;
    }
    EXPECT_EQ(compared, expectedCount);
}

} // namespace

TEST(Ba2Hash, IsACrcWithoutStartOrFinalInversion) {
    // Values stored by the game's archive tools for "misc\example.txt".
    EXPECT_EQ(ba2NameHash("example"), 0xF38044E1u);
    EXPECT_EQ(ba2NameHash("misc"), 0x5EE3C5A6u);
    EXPECT_EQ(ba2NameHash(""), 0u);
}

TEST(Ba2SampleArchives, EveryFileReadsBackByteForByte) {
    expectArchiveHoldsFolder(kBa2 + "compression/normal.ba2", kBa2 + "compression/data", 19);
    expectArchiveHoldsFolder(kBa2 + "compression/xbox.ba2", kBa2 + "compression/data", 19);
    expectArchiveHoldsFolder(kBa2 + "next-gen/gnrl_v7.ba2", kBa2 + "next-gen/gnrl", 2);
    expectArchiveHoldsFolder(kBa2 + "next-gen/gnrl_v8.ba2", kBa2 + "next-gen/gnrl", 2);
    expectArchiveHoldsFolder(kBa2 + "no-name-table/in.ba2", kBa2 + "no-name-table/data", 1);
    EXPECT_EQ(TBa2Archive::open(kBa2 + "next-gen/gnrl_v8.ba2")->version(), 8u);

    auto named = TBa2Archive::open(kBa2 + "other/empty-gnrl.ba2");
    ASSERT_EQ(named->entries().size(), 1u);
    EXPECT_EQ(named->entries()[0].name, "misc/example.txt");
    auto hashed = TBa2Archive::open(kBa2 + "no-name-table/in.ba2");
    EXPECT_FALSE(hashed->hasNameTable());
    // Found by the name hashes alone, whatever the separator or case.
    for (const char* path : {"misc/example.txt", "MISC\\Example.TXT", "\\misc\\example.txt"})
        EXPECT_NE(hashed->find(path), nullptr) << path;
    for (const char* path : {"misc/example.txt2", "example.txt", "misc/examples.txt", "other/example.txt"})
        EXPECT_EQ(hashed->find(path), nullptr) << path;
}

TEST(Ba2SampleArchives, TexturesAndDamagedArchivesAreRefusedWithAMessage) {
    try {
        TBa2Archive::open(kBa2 + "other/dx10-textures.ba2");
        FAIL() << "a texture archive was read";
    } catch (const TQuillError& e) {
        EXPECT_TRUE(e.message().contains("texture")) << e.message().toStdString();
    }
    for (const char* name : {"invalid_exhausted", "invalid_format", "invalid_magic", "invalid_sentinel", "invalid_size",
                             "invalid_version"}) {
        const QString path = kBa2 + "invalid/" + name + ".ba2";
        try {
            TBa2Archive::open(path);
            ADD_FAILURE() << name << " was read";
        } catch (const TQuillError& e) {
            EXPECT_TRUE(e.message().startsWith(QDir::toNativeSeparators(path))) << e.message().toStdString();
        }
        // Through the mod lookup the archive is skipped with its message kept, never taken as empty.
        TModArchives archives(path);
        QByteArray bytes;
        EXPECT_FALSE(archives.read("misc", "example.txt", bytes)) << name;
        EXPECT_EQ(archives.errors().size(), 1) << name;
    }
}

TEST(Ba2Reader, EntriesThatCannotBeGivenThrow) {
    const QByteArray text("Bonjour le monde, bonjour le monde, bonjour le monde.");
    // Stored data cut short.
    auto cut = TBa2Archive::fromBytes(buildBa2({1, false, {{"strings/a_en.strings", text, false, 5}}}), "cut.ba2");
    EXPECT_THROW(cut->read(*cut->find("strings/a_en.strings")), TQuillError);
    // A compressed stream cut short, and one with a damaged byte.
    auto packedCut = TBa2Archive::fromBytes(buildBa2({1, false, {{"a.txt", text, true, 4}}}), "p.ba2");
    EXPECT_THROW(packedCut->read(*packedCut->find("a.txt")), TQuillError);
    QByteArray damaged = buildBa2({1, false, {{"a.txt", text, true}}});
    damaged[24 + 36 + 6] = static_cast<char>(damaged[24 + 36 + 6] ^ 0x55);
    auto bad = TBa2Archive::fromBytes(damaged, "d.ba2");
    EXPECT_THROW(bad->read(*bad->find("a.txt")), TQuillError);
    // A declared size zlib could never produce from the stream is refused before any allocation.
    QByteArray lying = buildBa2({1, false, {{"a.txt", text, true}}});
    lying[24 + 28 + 3] = 0x7F;
    auto liar = TBa2Archive::fromBytes(lying, "l.ba2");
    EXPECT_THROW(liar->read(*liar->find("a.txt")), TQuillError);
    // A record count that cannot fit.
    QByteArray many = buildBa2({1, true, {{"a.txt", text}}});
    many[12] = static_cast<char>(0xFF);
    EXPECT_THROW(TBa2Archive::fromBytes(many, "n.ba2"), TQuillError);
    // The builder's archives read back, stored and compressed.
    auto good = TBa2Archive::fromBytes(
        buildBa2({8, true, {{"Strings/A_en.STRINGS", text}, {"Interface/Translations/a_en.txt", text, true}}}),
        "g.ba2");
    EXPECT_EQ(good->read(*good->find("strings\\a_en.strings")), text);
    EXPECT_EQ(good->read(*good->find("interface/translations/A_EN.txt")), text);
}

TEST(ModArchives, LooseBsaMainBa2AndBa2InThatOrder) {
    EXPECT_EQ(modArchiveNames("MyMod"), QStringList({"MyMod.bsa", "MyMod - Main.ba2", "MyMod.ba2"}));
    EXPECT_EQ(modNameOfArchive("MyMod - Main.ba2"), "MyMod");
    EXPECT_EQ(modNameOfArchive("/x/MyMod - main.BA2"), "MyMod");
    EXPECT_EQ(modNameOfArchive("MyMod.ba2"), "MyMod");
    EXPECT_EQ(modNameOfArchive("MyMod - Main.bsa"), "MyMod - Main");

    QTemporaryDir dir;
    writeTemp(dir, "MyMod - Main.ba2", buildBa2({1, true, {{"strings/mymod_en.strings", "main"}}}));
    writeTemp(dir, "mymod.ba2",
              buildBa2({1, true, {{"strings/mymod_en.strings", "plain"}, {"strings/mymod_en.dlstrings", "plain dl"}}}));
    TModArchives archives(dir.path(), "MyMod");
    QByteArray bytes;
    QString from;
    ASSERT_TRUE(archives.read("strings", "mymod_en.strings", bytes, &from));
    EXPECT_EQ(bytes, "main");
    EXPECT_TRUE(from.endsWith("MyMod - Main.ba2"));
    ASSERT_TRUE(archives.read("Strings", "MyMod_en.DLSTRINGS", bytes, &from));
    EXPECT_EQ(bytes, "plain dl");
    EXPECT_TRUE(from.endsWith("mymod.ba2"));

    // A BSA comes before both.
    rBsaSpec bsa;
    bsa.folders.push_back({"strings", {{"mymod_en.strings", "bsa"}}});
    writeTemp(dir, "MyMod.bsa", buildBsa(bsa));
    TModArchives withBsa(dir.path(), "MyMod");
    ASSERT_TRUE(withBsa.read("strings", "mymod_en.strings", bytes));
    EXPECT_EQ(bytes, "bsa");
    ASSERT_TRUE(withBsa.read("strings", "mymod_en.dlstrings", bytes));
    EXPECT_EQ(bytes, "plain dl");
}

// What one archived text file may unpack to is bounded whatever its compressed size: a menu file claiming 3.75 GiB
// from 3.9 MB of stream (which the ratio check alone let through, in either format) is refused with a message naming
// the file and the bound, before any memory is taken for it. A file of exactly the bound is still unpacked.
TEST(ModArchives, ArchivedTextFilesHaveABoundedSize) {
    constexpr uint32_t kBomb = 0xF0000000u; // 3.75 GiB
    QByteArray stream(static_cast<qsizetype>(kBomb / 1032 + 1), Qt::Uninitialized);
    QRandomGenerator(29).fillRange(reinterpret_cast<quint32*>(stream.data()), stream.size() / 4);
    QTemporaryDir dir;
    rBa2FileSpec ba2Bomb{"Interface/Translations/bomb_en.txt", {}, false, 0, stream, kBomb};
    writeTemp(dir, "Bomb - Main.ba2", buildBa2({1, true, {ba2Bomb}}));
    rBsaFileSpec bsaBomb{"bomb_en.txt", stream, true};
    bsaBomb.uncompressedSizeOverride = kBomb;
    rBsaSpec bsa;
    bsa.folders.push_back({"interface\\translations", {bsaBomb}});
    writeTemp(dir, "Other.bsa", buildBsa(bsa));
    for (const char* mod : {"Bomb", "Other"}) {
        TModArchives archives(dir.path(), mod);
        QByteArray bytes;
        try {
            archives.read("interface\\translations", "bomb_en.txt", bytes);
            ADD_FAILURE() << mod << ": read";
        } catch (const TQuillError& e) {
            EXPECT_TRUE(e.message().contains("bomb_en.txt")) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains("(256 MB at most)")) << e.message().toStdString();
        }
    }
    // At the bound the size is taken (the stream, not a real one, then fails to unpack); one byte more is refused.
    for (const uint32_t size : {uint32_t(kMaxArchivedFileSize), uint32_t(kMaxArchivedFileSize + 1)}) {
        auto archive = TBa2Archive::fromBytes(buildBa2({1, true, {{"a.txt", {}, false, 0, stream.left(300000), size}}}),
                                              "edge.ba2");
        try {
            archive->read(*archive->find("a.txt"));
            ADD_FAILURE() << size;
        } catch (const TQuillError& e) {
            EXPECT_EQ(e.message().contains("damaged"), size == kMaxArchivedFileSize) << e.message().toStdString();
        }
    }
}
