// Archive reader: name hash, folder and file lookup, stored and compressed entries, real archives.
#include "bsa_builder.h"
#include "strings/QUILL_archive.h"
#include "strings/QUILL_bsa.h"
#include "temp_program_dir.h"

#include "core/QUILL_error.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kFixtures = QStringLiteral(QUILL_SHARED_FIXTURES "/testing-plugins/");

QString writeTemp(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

rBsaSpec stringsArchive(uint32_t version, uint32_t flags) {
    rBsaSpec archiveLayout;
    archiveLayout.version = version;
    archiveLayout.flags = flags;
    archiveLayout.folders.push_back({"meshes", {{"a.nif", "mesh"}}});
    archiveLayout.folders.push_back(
        {"strings", {{"mymod_en.strings", "stored or packed"}, {"mymod_en.dlstrings", QByteArray(5000, 'd')}}});
    return archiveLayout;
}

} // namespace

TEST(BsaNameHash, FilesWithAndWithoutExtensionsAndFolders) {
    // Values of the real archives (license in the root folder) and worked by hand.
    EXPECT_EQ(bsaNameHash("license", false), 0x4670b6836c077365ull);
    EXPECT_EQ(bsaNameHash("LICENSE", false), 0x4670b6836c077365ull);
    EXPECT_EQ(bsaNameHash(".", true), 0x2e01002eull);
    EXPECT_EQ(bsaNameHash("mymod_en.strings", false), 0x3adf6f8a6d08656eull);
    EXPECT_EQ(bsaNameHash("strings", true), 0x4da2984373076773ull);
    EXPECT_EQ(bsaNameHash("interface\\translations", true), 0x7c15d56969166e73ull);
    EXPECT_EQ(bsaNameHash("interface/translations", true), 0x7c15d56969166e73ull);
    // Extension marks.
    EXPECT_EQ(bsaNameHash("ab.kf", false), 0x1711e3e9610200e2ull);
    EXPECT_EQ(bsaNameHash("meshes.nif", false), 0xc4fc80976d06e573ull);
    EXPECT_EQ(bsaNameHash("x.dds", false), 0x8ddba9c5780180f8ull);
    EXPECT_EQ(bsaNameHash("sound.wav", false), 0x97a2eb64f3056e64ull);
    // A folder keeps its dots in the stem.
    EXPECT_NE(bsaNameHash("a.kf", true), bsaNameHash("a.kf", false));
}

TEST(BsaRealArchives, Versions103And104GiveTheLicenseAnd105IsRefused) {
    QByteArray license = fileBytes(kFixtures + "LICENSE");
    ASSERT_FALSE(license.isEmpty());
    // The archived copy has Windows line ends; the repository's checkout has Unix ones.
    license.replace("\n", "\r\n");
    for (const char* game : {"Oblivion", "Skyrim"}) {
        TModArchives archive(kFixtures + game + "/Blank.bsa");
        QByteArray bytes;
        EXPECT_TRUE(archive.read(".", "license", bytes)) << game;
        EXPECT_EQ(bytes, license) << game;
        EXPECT_FALSE(archive.locate("", "LICENSE").isEmpty()) << game;
        EXPECT_FALSE(archive.read(".", "license.txt", bytes)) << game;
        EXPECT_TRUE(bytes.isEmpty());
    }
    auto oblivion = TwbBSAFile::openForFolder(kFixtures + "Oblivion/Blank.bsa", ".");
    EXPECT_EQ(oblivion->bfVersion, 103u);
    EXPECT_TRUE(oblivion->bfFlags & kBsaCompressedByDefault);
    auto skyrim = TwbBSAFile::openForFolder(kFixtures + "Skyrim/Blank.bsa", ".");
    EXPECT_EQ(skyrim->bfVersion, 104u);
    EXPECT_FALSE(skyrim->bfFlags & kBsaCompressedByDefault);
    ASSERT_NE(skyrim->bfHashFolder, nullptr);
    EXPECT_EQ(skyrim->bfHashFolder->Name, ".");

    const QString sse = kFixtures + "SkyrimSE/Blank.bsa";
    try {
        TwbBSAFile::openForFolder(sse, ".");
        FAIL() << "version 105 was read";
    } catch (const TQuillError& e) {
        EXPECT_EQ(e.message(), sse + " has unknown version: 105");
    }
    TModArchives archive(sse);
    QByteArray bytes("x");
    EXPECT_FALSE(archive.read(".", "license", bytes));
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_EQ(archive.errors(), QStringList{sse + " has unknown version: 105"});
}

TEST(BsaEntries, StoredAndCompressedByDefaultWithBit30Inversion) {
    for (uint32_t flags : {0x3u, 0x7u}) {
        for (bool invert : {false, true}) {
            rBsaSpec archiveLayout = stringsArchive(104, flags);
            for (auto& file : archiveLayout.folders[1].files)
                file.invert = invert;
            const QByteArray bytes = buildBsa(archiveLayout);
            auto archive = TwbBSAFile::openForFolder(bytes, "t.bsa", "Strings");
            const TwbBSAFileRec* rec = archive->findFile("MyMod_EN.DLSTRINGS");
            ASSERT_NE(rec, nullptr);
            EXPECT_EQ(archive->readFileData(*rec), QByteArray(5000, 'd')) << flags << invert;
            // Whether it was really compressed shows in the stored size.
            const bool compressed = ((flags & 4) != 0) != invert;
            EXPECT_EQ((rec->Size & ~kBsaInvertCompression) < 5000, compressed);
            EXPECT_EQ(archive->readFileData(*archive->findFile("mymod_en.strings")), "stored or packed");
        }
    }
}

TEST(BsaEntries, CompressedByDefaultWithBit30GivesStoredBytesAsTheyAre) {
    rBsaSpec archiveLayout;
    archiveLayout.flags = 0x7;
    archiveLayout.folders.push_back({"strings", {{"x.strings", QByteArray("\x78\x9c raw", 6), true}}});
    auto archive = TwbBSAFile::openForFolder(buildBsa(archiveLayout), "t.bsa", "strings");
    EXPECT_EQ(archive->readFileData(*archive->findFile("x.strings")), QByteArray("\x78\x9c raw", 6));
}

TEST(BsaEntries, StoredSizeFourGivesAZeroFilledBufferAndLyingSizesAreRefused) {
    rBsaSpec archiveLayout;
    archiveLayout.flags = 0x7;
    rBsaFileSpec empty{"empty.strings", {}};
    empty.uncompressedSizeOverride = 10;
    rBsaFileSpec liar{"liar.strings", "some text to pack"};
    liar.uncompressedSizeOverride = 0xFFFFFFF0u;
    rBsaFileSpec shortSize{"short.strings", "some other text"};
    shortSize.uncompressedSizeOverride = 5;
    rBsaFileSpec pastEnd{"past.strings", "abc"};
    pastEnd.sizeOverride = 1000000;
    archiveLayout.folders.push_back({"strings", {empty, liar, shortSize, pastEnd}});
    auto archive = TwbBSAFile::openForFolder(buildBsa(archiveLayout), "t.bsa", "strings");
    EXPECT_EQ(archive->readFileData(*archive->findFile("empty.strings")), QByteArray(10, '\0'));
    EXPECT_THROW(archive->readFileData(*archive->findFile("liar.strings")), TQuillError);
    EXPECT_THROW(archive->readFileData(*archive->findFile("short.strings")), TQuillError);
    EXPECT_THROW(archive->readFileData(*archive->findFile("past.strings")), TQuillError);
}

TEST(BsaEntries, EmbeddedNamesOfVersion104AreSkipped) {
    for (uint32_t flags : {0x103u, 0x107u}) {
        rBsaSpec archiveLayout = stringsArchive(104, flags);
        auto archive = TwbBSAFile::openForFolder(buildBsa(archiveLayout), "t.bsa", "strings");
        EXPECT_EQ(archive->readFileData(*archive->findFile("mymod_en.strings")), "stored or packed") << flags;
        EXPECT_EQ(archive->readFileData(*archive->findFile("mymod_en.dlstrings")), QByteArray(5000, 'd'));
    }
    // Version 103 gives bit 8 another meaning (the real Oblivion archive sets it): nothing is skipped.
    rBsaSpec old = stringsArchive(103, 0x107);
    auto archive = TwbBSAFile::openForFolder(buildBsa(old), "t.bsa", "strings");
    EXPECT_EQ(archive->readFileData(*archive->findFile("mymod_en.strings")), "stored or packed");
}

TEST(BsaFolders, FirstOfTwoEqualFoldersIsUsedAndMissingFoldersFindNothing) {
    rBsaSpec archiveLayout;
    archiveLayout.folders.push_back({"strings", {{"a.strings", "first"}}});
    archiveLayout.folders.push_back({"strings", {{"a.strings", "second"}, {"b.strings", "only second"}}});
    const QByteArray bytes = buildBsa(archiveLayout);
    auto archive = TwbBSAFile::openForFolder(bytes, "t.bsa", "strings");
    EXPECT_EQ(archive->readFileData(*archive->findFile("a.strings")), "first");
    EXPECT_EQ(archive->findFile("b.strings"), nullptr);

    auto none = TwbBSAFile::openForFolder(bytes, "t.bsa", "interface\\translations");
    EXPECT_EQ(none->bfHashFolder, nullptr);
    EXPECT_EQ(none->findFile("a.strings"), nullptr);
}

TEST(BsaFolders, DuplicateFileHashesReturnTheLastHit) {
    rBsaSpec archiveLayout;
    archiveLayout.folders.push_back({"strings", {{"a.strings", "one"}, {"A.STRINGS", "two"}}});
    auto archive = TwbBSAFile::openForFolder(buildBsa(archiveLayout), "t.bsa", "strings");
    EXPECT_EQ(archive->readFileData(*archive->findFile("a.strings")), "two");
}

TEST(BsaHeader, BadSignatureVersionOffsetAndTruncationAreClearErrors) {
    const QByteArray good = buildBsa(stringsArchive(104, 3));
    auto expectError = [](const QByteArray& bytes, const QString& text) {
        try {
            TwbBSAFile::openForFolder(bytes, "bad.bsa", "strings");
            ADD_FAILURE() << "no error for " << text.toStdString();
        } catch (const TQuillError& e) {
            EXPECT_TRUE(e.message().contains(text)) << e.message().toStdString();
        }
    };
    expectError(QByteArray("BTDX") + good.mid(4), "bad.bsa is not a valid BSA file");
    expectError(QByteArray("BS"), "bad.bsa is not a valid BSA file");
    QByteArray v105 = good;
    v105[4] = 105;
    expectError(v105, "bad.bsa has unknown version: 105");
    QByteArray offset = good;
    offset[8] = 40;
    expectError(offset, "bad.bsa has unexpected Offset: 40");
    // A folder count far beyond the file, and a cut archive.
    QByteArray count = good;
    count[19] = 0x7F;
    expectError(count, "folder count");
    for (qsizetype cut : {12, 36, 50, 70})
        EXPECT_THROW(TwbBSAFile::openForFolder(good.left(cut), "cut.bsa", "strings"), TQuillError) << cut;
    // A folder offset pointing outside the file.
    rBsaSpec archiveLayout = stringsArchive(104, 3);
    QByteArray wild = buildBsa(archiveLayout);
    wild[36 + 16 + 12 + 3] = 0x7F; // the strings folder's offset
    EXPECT_THROW(TwbBSAFile::openForFolder(wild, "wild.bsa", "strings"), TQuillError);
}

TEST(BsaLookup, FoldersOfOneArchiveAndArchivesFoundWhateverTheirCase) {
    QTemporaryDir dir;
    rBsaSpec archiveLayout = stringsArchive(104, 7);
    archiveLayout.folders.push_back({"interface\\translations", {{"mymod_en.txt", "menu"}}});
    const QString path = writeTemp(dir, "MyMod.bsa", buildBsa(archiveLayout));
    TModArchives archive(path);
    QByteArray bytes;
    EXPECT_TRUE(archive.read("strings", "mymod_en.strings", bytes));
    EXPECT_EQ(bytes, "stored or packed");
    EXPECT_EQ(archive.locate("strings", "mymod_en.dlstrings"), path);
    EXPECT_TRUE(archive.locate("strings", "mymod_en.ilstrings").isEmpty());
    EXPECT_TRUE(archive.read("interface/translations", "mymod_en.txt", bytes));
    EXPECT_EQ(bytes, "menu");
    // Back to the first folder after another one.
    EXPECT_EQ(archive.locate("Strings", "MyMod_EN.STRINGS"), path);
    // The archive's name is found whatever its letter case, given or looked up by mod name.
    EXPECT_EQ(TModArchives(dir.filePath("mymod.bsa")).locate("strings", "mymod_en.strings"), path);
    EXPECT_EQ(TModArchives(dir.path(), "MYMOD").locate("strings", "mymod_en.strings"), path);
    TModArchives missing(dir.filePath("none.bsa"));
    EXPECT_TRUE(missing.empty());
    EXPECT_FALSE(missing.read("strings", "x.strings", bytes));
    EXPECT_TRUE(missing.errors().isEmpty());
}
