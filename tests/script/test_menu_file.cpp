// Menu translation files: encodings, entry lines, names, loose and archived files, and the saved form.
#include "script/QUILL_menuFile.h"
#include "support/ba2_builder.h"
#include "support/bsa_builder.h"
#include "support/pex_builder.h"
#include "support/scripted_host.h"
#include "support/temp_program_dir.h"
#include "temp_program_dir.h"

#include "core/QUILL_startup.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsScript.h"

#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

QByteArray utf16(const QString& text, bool bigEndian, bool bom) {
    QStringEncoder enc(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    QByteArray out = enc.encode(text);
    if (bom) out.prepend(bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE"));
    return out;
}

const QString kText = QStringLiteral("$Title\tCaf\u00e9 \u2013 menu\r\n$Other\tSecond line\r\n");

struct TMenuWorkspace {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws{&host};
    TMenuWorkspace() {
        startApplication(ws.app, dir.path());
        ws.app.texts.clear(); // messages show their keys
        for (const char* key : {"MCMnotFoundinBSA", "fbk_menuReadError", "Fbk_Saved", "Fbk_MCMLineBreaks"})
            ws.app.texts.set(QString::fromLatin1(key), QString::fromLatin1(key) + QStringLiteral(" %s"));
        ws.app.texts.set(QStringLiteral("fbk_menuReadError"), QStringLiteral("fbk_menuReadError %s %s"));
        ws.state().SourceLang = QStringLiteral("en");
        ws.state().DestLang = QStringLiteral("fr");
    }
    QStringList keys() const {
        QStringList out;
        for (const auto& e : ws.loadedLists[0])
            out << ws.menuKeyOf(*e);
        return out;
    }
    QStringList sources() const {
        QStringList out;
        for (const auto& e : ws.loadedLists[0])
            out << e->gS;
        return out;
    }
};

} // namespace

TEST(MenuFile, EveryEncodingReadsTheSameTexts) {
    const QList<QByteArray> forms{utf16(kText, false, true),
                                  utf16(kText, true, true),
                                  utf16(kText, false, false),
                                  utf16(kText, true, false),
                                  QByteArray("\xEF\xBB\xBF") + kText.toUtf8(),
                                  kText.toUtf8()};
    for (const QByteArray& bytes : forms)
        EXPECT_EQ(decodeMenuBytes(bytes), kText);
    // Bytes that are not UTF-8 are read in an 8-bit code page, never dropped.
    const QString ansi = decodeMenuBytes(QByteArray("$A\tCaf\xE9\r\n"));
    EXPECT_TRUE(ansi.startsWith(QStringLiteral("$A\tCaf")));
    EXPECT_EQ(ansi.size(), 9);
    EXPECT_EQ(decodeMenuBytes(QByteArray()), QString());
}

TEST(MenuFile, EntryLinesAndTheLinesThatAreNot) {
    const auto entries = parseMenuText(QStringLiteral("// comment\r\n$NoTab here\r\n\r\n$Two\tfirst\tsecond\r\n"
                                                      " $Lead\tspace\n$Dup\tone\r$Dup\ttwo\n$Empty\t\n#x\ty"));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].key, QStringLiteral("$Two"));
    EXPECT_EQ(entries[0].value, QStringLiteral("first\tsecond"));
    EXPECT_EQ(entries[1].key, QStringLiteral("$Dup"));
    EXPECT_EQ(entries[1].value, QStringLiteral("one"));
    EXPECT_EQ(entries[2].value, QStringLiteral("two"));
    EXPECT_EQ(entries[3].key, QStringLiteral("$Empty"));
    EXPECT_EQ(entries[3].value, QString());
}

TEST(MenuFile, SavedFormIsUtf16WithMarkAndCrLfAndLineBreaksEscaped) {
    const QByteArray bytes = encodeMenuFile({{QStringLiteral("$A"), QStringLiteral("x")},
                                             {QStringLiteral("$B"), QStringLiteral("one\r\ntwo\nthree\rfour")},
                                             {QStringLiteral("$C"), QString()}});
    EXPECT_EQ(bytes, utf16(QStringLiteral("$A\tx\r\n$B\tone\\ntwo\\nthree\\nfour\r\n$C\t\r\n"), false, true));
    // Read back, the file still holds one entry per key.
    EXPECT_EQ(parseMenuText(decodeMenuBytes(bytes)).size(), 3u);
}

TEST(MenuFile, LooseFileOpensAndSavesForTheDestinationLanguage) {
    TMenuWorkspace t;
    const QString path = t.dir.write(QStringLiteral("Interface/Translations/mymod_english.txt"), buildSampleMenuFile());
    ASSERT_TRUE(t.ws.openAs("menuFile", path));
    EXPECT_EQ(t.ws.state().WorkMode, TWorkMode::MCMTranslate);
    EXPECT_EQ(t.ws.state().currentFileName, QStringLiteral("mymod"));
    EXPECT_EQ(t.keys(),
              (QStringList{QStringLiteral("$QS_MenuTitle"), QStringLiteral("$QS_Enable"), QStringLiteral("$QS_Help"),
                           QStringLiteral("$QS_Enable"), QStringLiteral("$QS_Accents"), QStringLiteral("$QS_Empty")}));
    EXPECT_EQ(t.sources().value(2), QStringLiteral("Shows help\ton two columns"));
    EXPECT_EQ(t.sources().value(4), QStringLiteral("Caf\u00e9 \u00e0 l'\u00e9tage \u2013 \u00ab guillemets \u00bb"));
    for (const auto& e : t.ws.loadedLists[0])
        e->setSTrans(QString()); // never translated

    t.ws.loadedLists[0][0]->setSTrans(QStringLiteral("Exemple Quillery"));
    t.ws.loadedLists[0][1]->setSTrans(QStringLiteral("Activer\r\nla qu\u00eate"));
    ASSERT_TRUE(t.ws.saveDocument(false, QString()));
    const QString saved = t.dir.file(QStringLiteral("Interface/Translations/mymod_FR.txt"));
    EXPECT_EQ(fileBytes(saved),
              utf16(QStringLiteral("$QS_MenuTitle\tExemple Quillery\r\n$QS_Enable\tActiver\\nla qu\u00eate\r\n"
                                   "$QS_Help\t\r\n$QS_Enable\t\r\n$QS_Accents\t\r\n$QS_Empty\t\r\n"),
                    false, true));
    EXPECT_TRUE(t.host.logContains(QStringLiteral("Fbk_MCMLineBreaks")));

    // Saving again asks first; No leaves the file alone.
    t.ws.loadedLists[0][0]->setSTrans(QStringLiteral("Changed"));
    t.host.answers.enqueue(drYes); // Fbk_FinalizeWarn
    t.host.answers.enqueue(drNo);  // Fbk_FinalizeConfirm
    EXPECT_FALSE(t.ws.saveDocument(false, QString()));
    EXPECT_FALSE(fileBytes(saved).contains(utf16(QStringLiteral("Changed"), false, false)));
}

TEST(MenuFile, NamesSplitAtTheLastUnderscoreAndANameWithoutOneStillOpens) {
    TMenuWorkspace t;
    ASSERT_TRUE(t.ws.openAs("menuFile", t.dir.write(QStringLiteral("my_mod_english.txt"), kText.toUtf8())));
    EXPECT_EQ(t.ws.state().currentFileName, QStringLiteral("my_mod"));
    ASSERT_TRUE(t.ws.openAs("menuFile", t.dir.write(QStringLiteral("plainname.txt"), kText.toUtf8())));
    EXPECT_EQ(t.ws.state().currentFileName, QStringLiteral("plainname"));
    EXPECT_EQ(t.ws.loadedLists[0].size(), 2u);
    // Save as: the chosen name is the mod name.
    ASSERT_TRUE(t.ws.saveDocument(true, t.dir.file(QStringLiteral("out/other.txt"))));
    EXPECT_TRUE(QFile::exists(t.dir.file(QStringLiteral("out/other_FR.txt"))));
}

TEST(MenuFile, ArchiveLookupUsesTheArchiveNameAndSourceLanguage) {
    TMenuWorkspace t;
    rBsaSpec archiveLayout;
    archiveLayout.folders.push_back(
        {QStringLiteral("interface\\translations"),
         {{QStringLiteral("mods_en.txt"), utf16(kText, false, true)},
          {QStringLiteral("mods_de.txt"), utf16(QStringLiteral("$Title\tDeutsch\r\n"), false, true)}}});
    const QString archive = t.dir.write(QStringLiteral("Data/Mods.bsa"), buildBsa(archiveLayout));
    ASSERT_TRUE(t.ws.openAs("menuFile", archive));
    EXPECT_EQ(t.ws.state().currentFileName, QStringLiteral("Mods"));
    EXPECT_EQ(t.sources(), (QStringList{QStringLiteral("Caf\u00e9 \u2013 menu"), QStringLiteral("Second line")}));
    t.ws.loadedLists[0][0]->setSTrans(QStringLiteral("Caf\u00e9"));
    ASSERT_TRUE(t.ws.saveDocument(false, QString()));
    EXPECT_TRUE(QFile::exists(t.dir.file(QStringLiteral("Data/interface/translations/Mods_FR.txt"))));

    // No entry for the source language: reported with the searched name; nothing stays loaded.
    t.ws.state().SourceLang = QStringLiteral("it");
    t.host.messages.clear();
    EXPECT_FALSE(t.ws.openAs("menuFile", archive));
    EXPECT_TRUE(t.ws.loadedLists[0].empty());
    EXPECT_EQ(t.ws.state().WorkMode, TWorkMode::None);
    ASSERT_FALSE(t.host.messages.isEmpty());
    EXPECT_TRUE(t.host.log.join(QLatin1Char('\n')).contains(QStringLiteral("Mods_it")));
    // Not an archive at all.
    EXPECT_FALSE(t.ws.openAs("menuFile", t.dir.write(QStringLiteral("broken.bsa"), QByteArray("BSA\0garbage", 11))));
}

TEST(MenuFile, MainBa2OpensAsTheModsMenuArchive) {
    TMenuWorkspace t;
    const QString archive = t.dir.write(
        QStringLiteral("Data/Mods - Main.ba2"),
        buildBa2({8, true, {{QStringLiteral("Interface/Translations/Mods_en.txt"), utf16(kText, false, true), true}}}));
    ASSERT_TRUE(t.ws.openFileByKind(archive));
    EXPECT_EQ(t.ws.state().currentFileName, QStringLiteral("Mods"));
    EXPECT_EQ(t.sources(), (QStringList{QStringLiteral("Caf\u00e9 \u2013 menu"), QStringLiteral("Second line")}));
    t.ws.loadedLists[0][0]->setSTrans(QStringLiteral("Caf\u00e9"));
    ASSERT_TRUE(t.ws.saveDocument(false, QString()));
    EXPECT_TRUE(QFile::exists(t.dir.file(QStringLiteral("Data/interface/translations/Mods_FR.txt"))));

    // A menu file the archive lists but cannot give is an error, not an empty document.
    const QString cut = t.dir.write(
        QStringLiteral("Data/Cut.ba2"),
        buildBa2(
            {1, false, {{QStringLiteral("interface/translations/cut_en.txt"), utf16(kText, false, true), false, 4}}}));
    t.host.log.clear();
    EXPECT_FALSE(t.ws.openAs("menuFile", cut));
    EXPECT_TRUE(t.ws.loadedLists[0].empty());
    EXPECT_TRUE(t.host.log.join(QLatin1Char('\n')).contains(QStringLiteral("Fbk_ArchiveError")));
}

TEST(MenuFile, UnreadableFileFailsAndClearsTheLists) {
    TMenuWorkspace t;
    ASSERT_TRUE(t.ws.openAs("menuFile", t.dir.write(QStringLiteral("a_en.txt"), kText.toUtf8())));
    EXPECT_FALSE(t.ws.openAs("menuFile", t.dir.file(QStringLiteral("missing_en.txt"))));
    EXPECT_TRUE(t.ws.loadedLists[0].empty());
    EXPECT_TRUE(t.host.logContains(QStringLiteral("missing_en.txt")));
}
