// The commands that change entries: the edit history they leave, the unsaved-work rule and the operation scope, on
// the sample plugin as a translator would meet them.
#include "plugin_samples.h"
#include "scripted_host.h"
#include "temp_program_dir.h"

#include "core/QUILL_startup.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"

#include <QFile>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

namespace {

// Every entry of the loaded lists with the state commands may change, in list order.
std::vector<std::pair<const tSkyStr*, rEntryState>> snapshot(const TWorkspace& ws) {
    std::vector<std::pair<const tSkyStr*, rEntryState>> out;
    for (const auto& list : ws.loadedLists)
        for (const auto& e : list)
            out.emplace_back(e.get(), rEntryState::of(*e));
    return out;
}

void expectSameEntries(const TWorkspace& ws, const std::vector<std::pair<const tSkyStr*, rEntryState>>& expected,
                       const char* when) {
    const auto now = snapshot(ws);
    ASSERT_EQ(now.size(), expected.size()) << when;
    for (size_t i = 0; i < now.size(); ++i) {
        ASSERT_EQ(now[i].first, expected[i].first) << when;
        const rEntryState& a = now[i].second;
        const rEntryState& b = expected[i].second;
        EXPECT_EQ(a.translation, b.translation) << when << " entry " << i;
        EXPECT_EQ(a.translationHash, b.translationHash) << when << " entry " << i;
        EXPECT_EQ(a.status.bits(), b.status.bits()) << when << " entry " << i;
        EXPECT_EQ(a.flags.bits(), b.flags.bits()) << when << " entry " << i;
        EXPECT_EQ(a.LDResult, b.LDResult) << when << " entry " << i;
        EXPECT_EQ(a.LDFound, b.LDFound) << when << " entry " << i;
    }
}

struct TSampleFixture {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws{&host};
    QString plugin;

    TSampleFixture() {
        startApplication(ws.app, dir.path());
        ws.state().quillexpertMode = true; // no confirmation before writing
        writePluginSamples(ws.app, dir.file(QStringLiteral("Data")));
        plugin = dir.file(QStringLiteral("Data/QuillerySample.esp"));
    }
    QList<tSkyStr*> entries(int list, int first, int count) {
        QList<tSkyStr*> out;
        for (int i = first; i < first + count; ++i)
            out << ws.loadedLists[list][i].get();
        return out;
    }
};

} // namespace

TEST(EditHistory, CommandsUndoneAndRedoneLeaveEveryEntryAsItWasFieldForField) {
    TSampleFixture f;
    ASSERT_TRUE(f.ws.openFileByKind(f.plugin));
    ASSERT_GE(f.ws.loadedLists[0].size(), 8u);
    EXPECT_FALSE(f.ws.history.canUndo());

    std::vector<std::vector<std::pair<const tSkyStr*, rEntryState>>> states{snapshot(f.ws)};
    // As the edit dialog stores a text: one command over a few entries, translation and status together.
    {
        TEntryCommand typed(f.ws, QStringLiteral("Step_Validate"), f.entries(0, 0, 4));
        for (tSkyStr* e : f.entries(0, 0, 4)) {
            e->setSTrans(QStringLiteral("[fr] ") + e->gS);
            e->resetStatus({sStrParam::translated}, {});
        }
        EXPECT_EQ(typed.finish(), 4);
    }
    states.push_back(snapshot(f.ws));
    EXPECT_EQ(f.ws.validateEntries(f.entries(0, 1, 3)), 3);
    EXPECT_EQ(f.ws.history.undoName(), QStringLiteral("Validate 3 strings"));
    states.push_back(snapshot(f.ws));
    EXPECT_EQ(f.ws.markEntriesPartial(f.entries(0, 2, 4)), 4);
    states.push_back(snapshot(f.ws));
    EXPECT_EQ(f.ws.resetEntries(f.entries(0, 0, 2)), 2);
    states.push_back(snapshot(f.ws));
    f.host.answers.enqueue(drYes);
    EXPECT_GT(f.ws.validateAll(), 4);
    states.push_back(snapshot(f.ws));
    f.host.answers.enqueue(drYes);
    EXPECT_GT(f.ws.resetAll(), 0);
    states.push_back(snapshot(f.ws));
    ASSERT_EQ(f.ws.history.stepCount(), 6u);

    for (size_t step = states.size() - 1; step > 0; --step) {
        ASSERT_TRUE(f.ws.undo());
        expectSameEntries(f.ws, states[step - 1], "after undo");
    }
    EXPECT_FALSE(f.ws.undo());
    EXPECT_FALSE(f.ws.hasUnsavedWork());
    for (size_t step = 1; step < states.size(); ++step) {
        ASSERT_TRUE(f.ws.redo());
        expectSameEntries(f.ws, states[step], "after redo");
    }
    EXPECT_FALSE(f.ws.redo());

    // A new command after some undos drops the steps that could have been redone.
    f.ws.undo();
    f.ws.undo();
    EXPECT_EQ(f.ws.validateEntries(f.entries(0, 5, 1)), 1);
    EXPECT_FALSE(f.ws.history.canRedo());
    EXPECT_EQ(f.ws.history.stepCount(), 5u);
}

TEST(EditHistory, ACommandThatChangesNothingLeavesNoStepAndOpeningAnotherDocumentClearsIt) {
    TSampleFixture f;
    ASSERT_TRUE(f.ws.openFileByKind(f.plugin));
    const QList<tSkyStr*> rows = f.entries(0, 0, 2);
    EXPECT_EQ(f.ws.resetEntries(rows), 0); // untranslated already
    EXPECT_FALSE(f.ws.history.canUndo());
    EXPECT_FALSE(f.ws.hasUnsavedWork());
    EXPECT_EQ(f.ws.validateEntries(rows), 2);
    EXPECT_EQ(f.ws.validateEntries(rows), 0); // validated already
    EXPECT_EQ(f.ws.history.stepCount(), 1u);

    f.host.answers.enqueue(drNo); // drop the unsaved work
    ASSERT_TRUE(f.ws.openFileByKind(f.plugin));
    EXPECT_FALSE(f.ws.history.canUndo());
    EXPECT_FALSE(f.ws.hasUnsavedWork());
}

TEST(UnsavedWork, ValidatingWithoutAVocabularyIsUnsavedWorkAndEveryWayOutAsks) {
    TSampleFixture f;
    ASSERT_TRUE(f.ws.openFileByKind(f.plugin));
    // No vocabulary is loaded in the program folder: the change still counts.
    ASSERT_EQ(countListSet(f.ws.vocabularyLists), 0);
    f.ws.validateEntries(f.entries(0, 0, 2));
    EXPECT_TRUE(f.ws.hasUnsavedWork());
    f.ws.undo();
    EXPECT_FALSE(f.ws.hasUnsavedWork()); // back at the opened state
    f.ws.redo();
    EXPECT_TRUE(f.ws.hasUnsavedWork());

    const qsizetype asked = f.host.messages.size();
    f.host.answers.enqueue(drCancel);
    EXPECT_FALSE(f.ws.closeAll());
    EXPECT_EQ(f.host.messages.size(), asked + 1);
    EXPECT_TRUE(f.host.messages.last().text.contains(QStringLiteral("QuillerySample")));
    EXPECT_EQ(f.ws.state().WorkMode, TWorkMode::Esp);
    f.host.answers.enqueue(drCancel);
    EXPECT_FALSE(f.ws.openFileByKind(f.plugin));
    EXPECT_TRUE(f.ws.loadedLists[0][0]->hasParam(sStrParam::validated)); // the work is still there
    f.ws.state().presetlang = QStringList{QStringLiteral("preset_en_de")};
    f.host.answers.enqueue(drYes);    // unload the work for the other languages
    f.host.answers.enqueue(drCancel); // but not without saving it
    EXPECT_FALSE(f.ws.applyPreset(0));
    EXPECT_EQ(f.ws.state().DestLang, QStringLiteral("fr"));
    EXPECT_TRUE(f.ws.hasUnsavedWork());

    // Yes saves the document's dictionary; the work is then saved, and a later change is unsaved again.
    f.host.answers.clear();
    f.host.answers.enqueue(drYes);
    EXPECT_TRUE(f.ws.confirmDictionarySave());
    EXPECT_FALSE(f.ws.hasUnsavedWork());
    EXPECT_TRUE(QFile::exists(f.ws.state().userDictionaryFolder + documentDictionaryFileName(f.ws)));
    f.ws.markEntriesPartial(f.entries(0, 3, 1));
    EXPECT_TRUE(f.ws.hasUnsavedWork());
    f.ws.undo();
    EXPECT_FALSE(f.ws.hasUnsavedWork());
    f.ws.undo(); // before the saved point
    EXPECT_TRUE(f.ws.hasUnsavedWork());
}

TEST(UnsavedWork, ATableSetWithoutADictionaryAsksToSaveTheDocumentItself) {
    TSampleFixture f;
    const QString tables = f.dir.file(QStringLiteral("Data/strings/QuillerySampleLocalized_en.STRINGS"));
    ASSERT_TRUE(QFile::exists(tables));
    ASSERT_TRUE(f.ws.openFileByKind(tables));
    ASSERT_EQ(f.ws.state().WorkMode, TWorkMode::Strings);
    f.ws.validateEntries(f.entries(0, 0, 1));
    ASSERT_TRUE(f.ws.hasUnsavedWork());
    f.host.answers.enqueue(drYes); // the question
    EXPECT_TRUE(f.ws.confirmDictionarySave());
    EXPECT_TRUE(f.host.messages[f.host.messages.size() - 2].text.contains(QStringLiteral("unsaved")));
    EXPECT_TRUE(QFile::exists(f.dir.file(QStringLiteral("Data/strings/QuillerySampleLocalized_fr.STRINGS"))));
    EXPECT_FALSE(f.ws.hasUnsavedWork());
}

TEST(Operation, ACommandThatThrowsNeverLeavesTheProgramBusyAndNestedOperationsEndOnce) {
    TScriptedHost host;
    TAppContext app(&host);
    try {
        TOperation operation(app, QStringLiteral("Working"));
        EXPECT_FALSE(app.isIdle());
        throw std::runtime_error("reader failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(app.isIdle());
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(app.operationDepth(), 0);

    {
        TOperation outer(app, QStringLiteral("Outer"));
        { TOperation inner(app, QStringLiteral("Inner")); }
        EXPECT_FALSE(app.isIdle()); // the inner end does not release the outer command
        EXPECT_TRUE(host.busy);
        outer.end();
        EXPECT_TRUE(app.isIdle());
    }
    EXPECT_FALSE(host.busy);
    EXPECT_EQ(host.busyChanges, 4); // busy and idle once per outermost operation
}

TEST(Documents, TheKindTableOpensEveryKnownExtensionIncludingLightPlugins) {
    EXPECT_STREQ(documentKindOf(QStringLiteral("a/Mod.ESL"))->name, "plugin");
    EXPECT_STREQ(documentKindOf(QStringLiteral("Mod.esm"))->name, "plugin");
    EXPECT_STREQ(documentKindOf(QStringLiteral("Mod.pex"))->name, "script");
    EXPECT_STREQ(documentKindOf(QStringLiteral("Mod.BSA"))->name, "menuFile");
    EXPECT_STREQ(documentKindOf(QStringLiteral("Mod_en.txt"))->name, "menuFile");
    EXPECT_STREQ(documentKindOf(QStringLiteral("Mod_en.DLSTRINGS"))->name, "stringTables");
    EXPECT_STREQ(documentKindOf(QStringLiteral("Mod - Main.BA2"))->name, "menuFile");
    EXPECT_EQ(documentKindOf(QStringLiteral("Mod.dds")), nullptr);
    EXPECT_EQ(documentKindOf(QStringLiteral("esp")), nullptr);

    TSampleFixture f;
    const QString light = f.dir.file(QStringLiteral("Data/QuillerySample.esl"));
    ASSERT_TRUE(QFile::copy(f.plugin, light));
    ASSERT_TRUE(f.ws.openFileByKind(light));
    ASSERT_NE(f.ws.plugin(), nullptr);
    EXPECT_EQ(f.ws.state().WorkMode, TWorkMode::Esp);
    EXPECT_EQ(f.ws.exportKind(), TExportKind::plugin);
    EXPECT_TRUE(f.ws.columnLayout().edidVisible);
    EXPECT_EQ(f.ws.state().recentAddon.value(0), light);
    // Saved as a light plugin again, under its own name.
    f.ws.validateEntries(f.entries(0, 0, 1));
    EXPECT_TRUE(f.ws.saveDocument(true, f.dir.file(QStringLiteral("Out/QuillerySample.esl"))));
    EXPECT_TRUE(QFile::exists(f.dir.file(QStringLiteral("Out/QuillerySample.esl"))));
}

TEST(Documents, EachKindGivesItsLayoutAndSaveCaption) {
    TSampleFixture f;
    EXPECT_EQ(f.ws.exportKind(), TExportKind::stringTables); // nothing open
    ASSERT_TRUE(f.ws.openFileByKind(f.dir.file(QStringLiteral("Data/QuillerySampleLocalized.esp"))));
    EXPECT_EQ(f.ws.state().WorkMode, TWorkMode::StringsEspLayout);
    EXPECT_EQ(f.ws.exportKind(), TExportKind::stringTables); // a localized plugin saves its tables
    EXPECT_TRUE(f.ws.columnLayout().edidSearchVisible);
    ASSERT_TRUE(f.ws.openFileByKind(f.dir.file(QStringLiteral("Data/strings/QuillerySampleLocalized_en.STRINGS"))));
    EXPECT_EQ(f.ws.columnLayout().idWidth, 60);
    EXPECT_TRUE(f.ws.columnLayout().extraListsVisible);
    ASSERT_TRUE(f.ws.openAs("customDictionary", {}));
    EXPECT_FALSE(f.ws.columnLayout().idVisible);
    EXPECT_EQ(f.ws.plugin(), nullptr);
}

TEST(Documents, TheOpenCommandPicksAFileAndReportsAMissingOne) {
    TSampleFixture f;
    const rDocumentKind& tables = documentKind("stringTables");
    f.host.pickAnswers.enqueue(f.dir.file(QStringLiteral("Data/strings/nothing_en.strings")));
    EXPECT_FALSE(f.ws.pickAndOpenDocument(tables));
    ASSERT_FALSE(f.host.messages.isEmpty());
    EXPECT_TRUE(f.host.messages.last().text.contains(QStringLiteral("nothing_en.strings")));
    EXPECT_FALSE(f.ws.pickAndOpenDocument(tables)); // cancelled dialog
    f.host.pickAnswers.enqueue(f.dir.file(QStringLiteral("Data/strings/QuillerySampleLocalized_en.ILSTRINGS")));
    EXPECT_TRUE(f.ws.pickAndOpenDocument(tables));
    EXPECT_EQ(f.ws.state().StringsAddonFolder, f.dir.file(QStringLiteral("Data/strings/")));
}

TEST(Documents, AnOpenThatRunsOutOfMemoryIsReportedAndLeavesNothingHalfOpen) {
    TSampleFixture f;
    ASSERT_TRUE(f.ws.openFileByKind(f.plugin));
    const rDocumentKind starved{"starved",
                                {QStringLiteral("zz")},
                                "FilterEsp",
                                &TAppState::EspFolder,
                                false,
                                [](TWorkspace& ws, const QString&, bool) -> bool {
                                    ws.clearLoadedLists();
                                    TOperation reading(ws.app, QStringLiteral("Reading"));
                                    throw std::bad_alloc();
                                }};
    EXPECT_FALSE(f.ws.openDocument(starved, f.dir.file(QStringLiteral("big.zz")), false));
    EXPECT_TRUE(f.ws.app.isIdle());
    EXPECT_EQ(f.ws.state().WorkMode, TWorkMode::None);
    EXPECT_EQ(f.ws.document, nullptr);
    EXPECT_EQ(countListSet(f.ws.loadedLists), 0);
    EXPECT_TRUE(f.host.logContains(QStringLiteral("not enough memory")));
}
