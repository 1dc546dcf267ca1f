// The window follows the workspace, not its handlers: after every menu command that changes entries Undo names that
// command and the title carries the unsaved mark; commands that free the entries first settle the edit dialog; the
// selection a command sees is the one shown; a command that fails is reported and leaves the window usable.
#include "string_table_builder.h"
#include "temp_program_dir.h"
#include "ui_support.h"

#include "dictionary/QUILL_dictionary.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_aidsUi.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_recordToolsUi.h"
#include "ui/QUILL_stringListModel.h"
#include "ui/QUILL_vocabularyPage.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <gtest/gtest.h>
#include <new>

namespace {

// A table set with a tag, twins and a destination set beside it, opened in a shown window.
struct TCommandWindow : TShownWindow {
    QString tables;

    TCommandWindow() {
        ws.state().DestLang = QStringLiteral("fr");
        const QString folder = dir.file(QStringLiteral("Data/Strings"));
        rTableSetTexts source;
        source[0] = {{1, QStringLiteral("Welcome home, <Alias=Player>.")},
                     {2, QStringLiteral("Open the door")},
                     {3, QStringLiteral("Open the door")},
                     {4, QStringLiteral("Close the door")},
                     {5, QStringLiteral("The old lamp")}};
        source[1] = {{10, QStringLiteral("A long description of the old lamp.")}};
        source[2] = {{20, QStringLiteral("Lamp")}};
        tables = writeUtf8TableSet(folder, QStringLiteral("Mod"), QStringLiteral("en"), source)[0];
        rTableSetTexts dest;
        dest[0] = {{2, QStringLiteral("Ouvrir la porte")}, {4, QStringLiteral("Fermer la porte")}};
        writeUtf8TableSet(folder, QStringLiteral("Mod"), QStringLiteral("fr"), dest);
        EXPECT_TRUE(open(tables));
    }
    tSkyStr* entry(uint32_t id, int list = 0) {
        return entryWhere([id](const tSkyStr& e) { return e.id == id; }, list);
    }
};

// The answers every menu command gets: the search dialog takes the queued rule, the id tags dialog its string id
// box, any other dialog Ok.
struct TCommandAnswers : TDialogAnswers {
    QString search, replace;
    TCommandAnswers() {
        acceptOthers = true;
        special = [this](QWidget* modal) {
            if (auto* searchDialog = qobject_cast<TForm4*>(modal)) {
                searchDialog->ComboBox1->setEditText(search);
                searchDialog->ComboBox2->setEditText(replace);
                searchDialog->RadioGroup1->button(0)->setChecked(true); // every string
                searchDialog->RadioGroup2->button(0)->setChecked(true); // replace in the translation
                searchDialog->accept();
            } else if (auto* idTags = qobject_cast<TForm8*>(modal)) {
                idTags->CheckBoxes[0]->setChecked(true);
                idTags->RadioGroup1->button(0)->setChecked(true);
                idTags->accept();
            } else {
                return false;
            }
            return true;
        };
    }
};

} // namespace

TEST(WindowCommands, UndoAndTheTitleFollowEveryCommandThatChangesEntries) {
    TCommandWindow w;
    ASSERT_EQ(w.ws.loadedLists[0].size(), 5u);
    EXPECT_FALSE(w.titleMarked());
    EXPECT_FALSE(w.form.commandAction(QStringLiteral("Menu_Undo"))->isEnabled());
    TCommandAnswers answers;

    // A dictionary of the vocabulary with the sources, for the apply and heuristic commands.
    {
        tListSet words;
        initListSet(words);
        for (const auto& [source, translation] :
             {std::pair{"Close the door", "Fermer la porte"}, std::pair{"The old lamp", "La vieille lampe"},
              std::pair{"Open the doors", "Ouvrir les portes"}}) {
            auto e = std::make_unique<tSkyStr>(QString::fromUtf8(source), QString::fromUtf8(translation), 0, 0, 0,
                                               sStrParams{sStrParam::translated});
            e->initStrings();
            words[0].push_back(std::move(e));
        }
        const QString path = w.ws.state().userDictionaryFolder +
                             dictionaryFileName(w.ws.state(), QStringLiteral("words"), QStringLiteral("sst"));
        QDir().mkpath(w.ws.state().userDictionaryFolder);
        ASSERT_TRUE(quilldict::writeDictionary(w.ws.app, words, path));
        scanVocabulary(w.ws);
        rVocabularyNode* node = findDictionaryNode(w.ws, QStringLiteral("words"), false);
        ASSERT_NE(node, nullptr);
        vocabularyState(w.ws).vocab.setChecked(*node, true, w.ws.state());
        w.form.runGuarded([&] { reloadVocabulary(w.ws); });
    }
    const QString batch = w.dir.write(QStringLiteral("batch/rules.txt"),
                                      "startrule\nsearch=Fermer\nreplace=Refermer\nmode1=0\nmode2=0\nendrule\n");

    struct rCase {
        const char* command;
        std::function<void()> before;
    };
    const std::vector<rCase> cases = {
        {"Menu_Validate", [&] { w.select(w.entry(5)); }},
        {"Menu_Partial", [&] { w.select(w.entry(5)); }},
        {"Menu_Cancel", [&] { w.select(w.entry(5)); }},
        {"Menu_Validate_All", {}},
        {"Menu_ResetAll", {}},
        {"LoadStringAsDest", [&] { answers.paths = {w.dir.file(QStringLiteral("Data/Strings/Mod_fr.strings"))}; }},
        {"Menu_FixAlias",
         [&] {
             rStoreRequest wrongTag;
             wrongTag.translation = QStringLiteral("Bienvenue, <Alias=Joueur>.");
             wrongTag.carrySimilar = false;
             w.ws.storeTranslation(w.entry(1), wrongTag);
             ASSERT_TRUE(w.entry(1)->hasFlag(sStrInternalParam::aliasOneWordError));
             w.select(w.entry(1));
         }},
        {"SearchandReplace",
         [&] {
             answers.search = QStringLiteral("porte");
             answers.replace = QStringLiteral("grille");
         }},
        {"BatchSearchAndReplace", [&] { answers.paths = {batch}; }},
        {"Heuristic", [&] { w.form.listPages()->setCurrentIndex(0); }},
        {"Trans_Exact",
         [&] {
             w.ws.resetEntries({w.entry(4), w.entry(5)});
         }},
        {"AddIdToStrings", {}},
    };
    for (const rCase& c : cases) {
        SCOPED_TRACE(c.command);
        if (c.before) c.before();
        const size_t steps = w.ws.history.stepCount();
        QAction* action = w.form.commandAction(QLatin1String(c.command));
        ASSERT_TRUE(action->isEnabled());
        action->trigger();
        // One more step, named by Undo at once, and the unsaved mark in the title.
        ASSERT_EQ(w.ws.history.stepCount(), steps + 1);
        EXPECT_EQ(w.undoText(), w.ws.app.uiTextFormat(QStringLiteral("Menu_UndoStep"), {w.ws.history.undoName()}));
        EXPECT_TRUE(w.form.commandAction(QStringLiteral("Menu_Undo"))->isEnabled());
        EXPECT_TRUE(w.titleMarked());
    }

    // The vocabulary page's apply command, which runs outside the menus.
    auto* page = w.form.vocabularyPage()->findChild<TVocabularyPage*>();
    ASSERT_NE(page, nullptr);
    const int row = vocabularyState(w.ws).vocab.indexOf(findDictionaryNode(w.ws, QStringLiteral("words"), false));
    page->view()->setCurrentIndex(page->model()->index(row, 0));
    w.ws.resetEntries({w.entry(4)});
    const size_t steps = w.ws.history.stepCount();
    page->action(QStringLiteral("menu_Applysst"))->trigger();
    EXPECT_EQ(w.ws.history.stepCount(), steps + 1);
    EXPECT_EQ(w.undoText(), w.ws.app.uiTextFormat(QStringLiteral("Menu_UndoStep"), {w.ws.history.undoName()}));

    // Undo all the way back: the title loses its mark at the point the document was opened.
    while (w.ws.history.canUndo())
        w.form.runCommand(QStringLiteral("Menu_Undo"));
    EXPECT_FALSE(w.titleMarked());
    EXPECT_EQ(w.undoText(), w.ws.app.uiText(QStringLiteral("Menu_Undo")));
    EXPECT_TRUE(w.form.commandAction(QStringLiteral("Menu_Redo"))->isEnabled());
    EXPECT_EQ(w.entry(2)->gTrans, QStringLiteral("Open the door"));
}

// Opening another file while the edit dialog holds typed text: the text is stored first (the work it belongs to then
// asks to be saved), the dialog closes, and nothing reads the freed entries afterwards.
TEST(WindowCommands, OpeningAnotherFileSettlesTheEditDialogFirst) {
    TCommandWindow w;
    const QString other = w.dir.file(QStringLiteral("Data/Strings/Mod_en.dlstrings"));
    TForm2* dialog = editDialog(w.form);
    ASSERT_NE(dialog, nullptr);
    for (const char* command : {"recent", "Menu_CloseAll"}) {
        SCOPED_TRACE(command);
        if (!w.ws.document) {
            ASSERT_TRUE(w.open(w.tables));
        }
        tSkyStr* door = w.entry(2);
        w.select(door);
        w.form.runCommand(QStringLiteral("Menu_Edit"));
        ASSERT_EQ(dialog->focusedString(), door);
        dialog->translationEditor()->setPlainText(QStringLiteral("Ouvre la porte"));
        dialog->translationEditor()->document()->setModified(true);

        // Storing the text made the work unsaved: the unsaved-work question comes; No drops the work.
        TDialogAnswers answers;
        answers.reply(false);
        if (QLatin1String(command) == QLatin1String("recent")) {
            w.ws.state().recentAddon.prepend(other);
            w.form.rebuildRecentMenu();
            w.form.findChild<QAction*>(QStringLiteral("RecentMenu0"))->trigger();
        } else {
            w.form.runCommand(QLatin1String(command));
        }
        EXPECT_EQ(answers.questions, 1);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->focusedString(), nullptr);
        // The queued refill of the pages runs on a closed dialog.
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog->recordList()->model()->rowCount(), 0);
    }
}

// A command sees the rows selected when it starts, read again for every command: never a selection of the lists
// before they were filled again. A table set saved in id order keeps the selection and the current row on their
// strings.
TEST(WindowCommands, TheSelectionACommandSeesIsTheOneShown) {
    TCommandWindow w;
    QList<tSkyStr*> seen;
    w.form.setCommand(QStringLiteral("SaveCurrentXml"), [&] { seen = w.ws.selection(); });
    w.select(w.entry(4));
    w.form.runCommand(QStringLiteral("SaveCurrentXml"));
    EXPECT_EQ(seen, QList<tSkyStr*>{w.entry(4)});
    EXPECT_TRUE(w.ws.selection().isEmpty()); // only while the command runs

    // The same file opened again: new entries; the old selection is gone with the old lists.
    ASSERT_TRUE(w.open(w.tables));
    w.form.runCommand(QStringLiteral("SaveCurrentXml"));
    EXPECT_TRUE(seen.isEmpty());

    // The lists in another order than the ids (a sort of the lists themselves), then a save that orders them by id.
    auto& list = w.ws.loadedLists[0];
    std::reverse(list.begin(), list.end());
    w.form.refreshLists();
    tSkyStr* lamp = w.entry(5);
    w.select(lamp);
    TDialogAnswers yes;
    ASSERT_TRUE(w.ws.saveDocument(false));
    EXPECT_EQ(list.front()->id, 1u); // the writer ordered the list
    QTreeView* view = w.form.listView(0);
    EXPECT_EQ(w.form.listProxy(0)->entryAt(view->currentIndex()), lamp);
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(w.form.listProxy(0)->entryAt(rows[0]), lamp);
}

// A command that leaves by an exception: reported in the log and a message, its changes kept as an undo step, the
// window idle again and its commands enabled.
TEST(WindowCommands, ACommandThatFailsIsReportedAndTheWindowGoesOn) {
    TCommandWindow w;
    tSkyStr* door = w.entry(2);
    w.form.setCommand(QStringLiteral("ConvertTCSC"), [&] {
        TOperation operation(w.ws.app, QStringLiteral("failing"));
        TEntryCommand command(w.ws, QStringLiteral("Step_Translate"), {door});
        door->setSTrans(QStringLiteral("Ouvrir"));
        throw std::bad_alloc();
    });
    TDialogAnswers ok;
    w.form.runCommand(QStringLiteral("ConvertTCSC"));
    EXPECT_EQ(ok.questions, 1);
    EXPECT_TRUE(w.form.logPane()->toPlainText().contains(w.ws.app.uiText(QStringLiteral("Fbk_OutOfMemory"))));
    EXPECT_TRUE(w.ws.app.isIdle());
    EXPECT_EQ(w.ws.history.stepCount(), 1u);
    EXPECT_TRUE(w.form.commandAction(QStringLiteral("Menu_Undo"))->isEnabled());
    EXPECT_TRUE(w.titleMarked());
    w.form.runCommand(QStringLiteral("Menu_Undo"));
    EXPECT_EQ(door->gTrans, QStringLiteral("Open the door"));
}
