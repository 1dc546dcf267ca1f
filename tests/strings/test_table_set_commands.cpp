// The workspace commands of string table sets: open ("Load_Strings"), save, save-as and the save dispatch.
#include "scripted_host.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"
#include "test_documents.h"

#include "core/QUILL_startup.h"
#include "strings/QUILL_stringTable.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsStrings.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

struct TableSetFixture : ::testing::Test {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws{&host};
    QString tables;
    void SetUp() override {
        startApplication(ws.app, dir.path());
        ws.state().SourceLang = "de";
        ws.state().DestLang = "fr";
        tables = dir.path() + "Mods/Strings/";
        writeUtf8TableSet(
            tables, "MyMod", "de",
            {{{{2, "Eisen"}, {1, "Gold"}}, {{3, QString::fromUtf8("Lange Beschreibung")}}, {{4, "Hallo"}}}});
    }
};

} // namespace

TEST_F(TableSetFixture, OpeningAnyTableOfASetOpensAllThree) {
    ASSERT_TRUE(ws.openAs("stringTables", tables + "MyMod_de.dlstrings", true));
    const TAppState& st = ws.state();
    EXPECT_EQ(st.WorkMode, TWorkMode::Strings);
    EXPECT_EQ(st.currentFileName, "MyMod");
    EXPECT_EQ(st.openTablesLang, "de");
    EXPECT_EQ(st.openTablesFolder, tables);
    EXPECT_EQ(st.StringsAddonFolder, tables);
    EXPECT_EQ(st.recentAddon.value(0), tables + "MyMod_de.dlstrings");
    ASSERT_EQ(ws.loadedLists[0].size(), 2u);
    EXPECT_EQ(ws.loadedLists[0][0]->id, 2u); // directory order
    EXPECT_TRUE(ws.loadedLists[0][0]->hasFlag(sStrInternalParam::isSourceInitialized));
    EXPECT_EQ(ws.loadedLists[1][0]->gS, "Lange Beschreibung");
    EXPECT_EQ(ws.loadedLists[2][0]->gS, "Hallo");
    EXPECT_FALSE(host.busy);
}

TEST_F(TableSetFixture, AMissingTableLeavesNothingLoaded) {
    ASSERT_TRUE(ws.openAs("stringTables", tables + "MyMod_de.strings", false));
    QFile::remove(tables + "MyMod_de.ilstrings");
    EXPECT_FALSE(ws.openAs("stringTables", tables + "MyMod_de.strings", false));
    EXPECT_EQ(countListSet(ws.loadedLists), 0);
    EXPECT_EQ(ws.state().WorkMode, TWorkMode::None);
    EXPECT_TRUE(host.logContains("MyMod_de"));
    EXPECT_FALSE(host.busy);
}

TEST_F(TableSetFixture, SaveWritesASecondSetUnderDestLangAndAsksBeforeReplacingIt) {
    ASSERT_TRUE(ws.openAs("stringTables", tables + "MyMod_de.strings", false));
    for (auto& list : ws.loadedLists)
        for (auto& e : list)
            e->setSTrans(e->gS + " (fr)");
    host.messages.clear();
    ASSERT_TRUE(ws.saveDocument(false));
    ASSERT_EQ(host.messages.size(), 2); // Fbk_FinalizeWarn, then the self-closing "saved" notice
    EXPECT_TRUE(host.messages[1].buttons & dbSelfClosing);
    const QByteArray written = fileBytes(tables + "MyMod_fr.STRINGS");
    EXPECT_EQ(written, buildUtf8Table(0, {{1, "Gold (fr)"}, {2, "Eisen (fr)"}}));
    EXPECT_EQ(fileBytes(tables + "MyMod_de.strings"), buildUtf8Table(0, {{2, "Eisen"}, {1, "Gold"}}));

    // The set now exists: Yes to the first question, No to the replacement.
    host.messages.clear();
    host.answers.enqueue(drYes);
    host.answers.enqueue(drNo);
    QFile::remove(tables + "MyMod_fr.STRINGS");
    QFile(tables + "MyMod_fr.ILSTRINGS").rename(tables + "MyMod_fr.ilstrings");
    EXPECT_FALSE(ws.saveDocument(false));
    EXPECT_EQ(host.messages.size(), 2);
    EXPECT_FALSE(QFile::exists(tables + "MyMod_fr.STRINGS"));
    // Expert mode skips the first question.
    ws.state().quillexpertMode = true;
    host.messages.clear();
    host.answers.enqueue(drYes);
    EXPECT_TRUE(ws.saveDocument(false));
    EXPECT_EQ(host.messages.size(), 2);
    EXPECT_EQ(QDir(tables).entryList({"*_fr.*"}, QDir::Files).size(), 3); // the lower-case file was replaced
}

TEST_F(TableSetFixture, SaveAsTakesTheChosenFolderAndName) {
    ASSERT_TRUE(ws.openAs("stringTables", tables + "MyMod_de.strings", false));
    ws.state().quillexpertMode = true;
    host.pickAnswers.enqueue(dir.path() + "Out/Renamed_fr.strings");
    ASSERT_TRUE(ws.saveDocument(true));
    EXPECT_TRUE(QFile::exists(dir.path() + "Out/Renamed_fr.STRINGS"));
    EXPECT_TRUE(QFile::exists(dir.path() + "Out/Renamed_fr.ILSTRINGS"));
    EXPECT_FALSE(ws.saveDocument(true)); // cancelled dialog
    EXPECT_TRUE(ws.saveDocument(true, dir.path() + "Out2/Other"));
    EXPECT_TRUE(QFile::exists(dir.path() + "Out2/Other_fr.DLSTRINGS"));
    EXPECT_EQ(ws.state().currentFileName, "MyMod"); // the open set stays the current document
}

TEST(SaveAsTarget, ExtensionAndDestinationSuffixAreDropped) {
    QString folder, name;
    splitSaveAsTarget("/x/y/Name", "fr", folder, name);
    EXPECT_EQ(folder, "/x/y/");
    EXPECT_EQ(name, "Name");
    splitSaveAsTarget("/x/y/Name_FR.dlstrings", "fr", folder, name);
    EXPECT_EQ(name, "Name");
    splitSaveAsTarget("/x/y/my.mod_de", "fr", folder, name);
    EXPECT_EQ(name, "my.mod_de");
}

TEST_F(TableSetFixture, SaveDispatchNeedsADocument) {
    ws.app.texts.set("FbK_NothingToSave", "Nothing to save");
    EXPECT_FALSE(ws.saveDocument(false));
    EXPECT_TRUE(host.logContains("Nothing to save"));
    // A script mode without a loaded script saves nothing, whichever save is wired.
    adoptDocument(ws, TWorkMode::ScriptPex);
    ws.state().quillexpertMode = true;
    EXPECT_FALSE(ws.saveDocument(false));
}
