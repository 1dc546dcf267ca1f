// The aids in the window: the Suggestions page following the focused row, taking a candidate through the
// similar-strings dialog, the search, batch and text-search dialogs; screenshots when QUILL_SCREENSHOT_DIR is set.
#include "temp_program_dir.h"
#include "test_documents.h"
#include "ui/QUILL_aidsUi.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_stringListModel.h"
#include "ui_support.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsAids.h"
#include "workspace/QUILL_wsDictionary.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

tSkyStr* addEntry(tSkyStrList& list, int listIndex, const QString& source, const QString& translation, uint32_t id) {
    list.push_back(std::make_unique<tSkyStr>(source, translation, listIndex, id, 99, sStrParams{}, sStrInternalParams{},
                                             nullptr, true));
    return list.back().get();
}

} // namespace

TEST(AidsUi, SuggestionsFollowTheFocusedRowAndACandidateIsTaken) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    form.resize(1280, 800);
    form.show();
    TWorkspace& ws = form.workspace();
    adoptDocument(ws, TWorkMode::Strings);
    tSkyStr* door = addEntry(ws.loadedLists[0], 0, QStringLiteral("Open the door"), QStringLiteral("Open the door"), 1);
    tSkyStr* again =
        addEntry(ws.loadedLists[0], 0, QStringLiteral("Open the door"), QStringLiteral("Open the door"), 2);
    addEntry(ws.loadedLists[0], 0, QStringLiteral("Iron Sword"), QStringLiteral("Iron Sword"), 3);
    addEntry(ws.vocabularyLists[0], 0, QStringLiteral("Open the doors"), QStringLiteral("Ouvrir les portes"), 10);
    addEntry(ws.vocabularyLists[0], 0, QStringLiteral("Open the door!"), QStringLiteral("Ouvre la porte !"), 11);
    addEntry(ws.vocabularyLists[0], 0, QStringLiteral("Close the door"), QStringLiteral("Fermer la porte"), 12);
    form.refreshLists();

    auto* page = form.autoTranslationPage()->findChild<TSuggestionsPage*>();
    ASSERT_NE(page, nullptr);
    QTreeView* view = form.listView(0);
    view->setCurrentIndex(view->model()->index(0, 0));
    EXPECT_EQ(aidsState(ws).LDfstring, door);
    // Showing the page lists the candidates at once, smallest distance first.
    form.bottomPages()->setCurrentWidget(form.autoTranslationPage());
    ASSERT_EQ(page->LDtree->topLevelItemCount(), 3);
    EXPECT_EQ(page->LDtree->topLevelItem(0)->text(2), QStringLiteral("Ouvrir les portes"));
    EXPECT_EQ(page->LDtree->topLevelItem(0)->text(3), QStringLiteral("1"));
    EXPECT_EQ(page->LDtree->topLevelItem(2)->text(1), QStringLiteral("Close the door"));
    screenshot(&form, QStringLiteral("main-window-suggestions"));

    // Another row while the page is shown: TimerLD refreshes after 250 ms.
    view->setCurrentIndex(view->model()->index(2, 0));
    EXPECT_TRUE(page->TimerLD->isActive());
    page->TimerLD->stop();
    page->refreshCandidates();
    EXPECT_EQ(page->LDtree->topLevelItemCount(), 0);

    // "Menu_Validate2" on the first candidate: the similar string is offered in TForm5 and follows.
    view->setCurrentIndex(view->model()->index(0, 0));
    page->refreshCandidates();
    QStringList offered;
    QString count;
    bool noIsDefault = false;
    TModalAnswerer answerer([&](QWidget* modal) {
        auto* dialog = qobject_cast<TForm5*>(modal);
        if (!dialog) return false;
        screenshot(dialog, QStringLiteral("similar-strings-dialog"));
        for (QTreeWidgetItem* item : dialog->replaceTree->selectedItems())
            offered << item->text(1);
        count = dialog->countLabel->text();
        if (auto* no = dialog->findChild<QPushButton*>(QStringLiteral("No"))) noIsDefault = no->isDefault();
        dialog->accept();
        return true;
    });
    page->takeFocusedCandidate();
    EXPECT_EQ(answerer.answered, 1);
    EXPECT_EQ(offered, QStringList{QStringLiteral("Open the door")});
    EXPECT_TRUE(count.contains(QLatin1Char('1')));
    EXPECT_TRUE(noIsDefault); // Enter never overwrites by surprise
    EXPECT_EQ(door->gTrans, QStringLiteral("Ouvrir les portes"));
    EXPECT_TRUE(door->hasParam(sStrParam::validated));
    EXPECT_EQ(again->gTrans, QStringLiteral("Ouvrir les portes"));

    // "Menu_Edit2" hands the string and the candidate's text to the edit dialog's seam.
    QString proposed;
    page->openEditDialog = [&](tSkyStr& entry, const QString& text) {
        EXPECT_EQ(&entry, door);
        proposed = text;
    };
    page->editWithFocusedCandidate();
    EXPECT_EQ(proposed, QStringLiteral("Ouvrir les portes"));
    EXPECT_EQ(aidsState(ws).bestLDString, QStringLiteral("Open the doors"));

    // Heuristic from the menu runs on the visible page's list and re-sorts it on the score.
    door->resetTrans();
    form.runCommand(QStringLiteral("Heuristic"));
    EXPECT_EQ(door->gTrans, QStringLiteral("Ouvrir les portes"));
    EXPECT_EQ(view->header()->sortIndicatorSection(), 3);
}

TEST(AidsUi, SearchBatchAndTextSearchDialogs) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    TWorkspace& ws = form.workspace();
    addEntry(ws.vocabularyLists[0], 0, QStringLiteral("Door"), QStringLiteral("Porte"), 1);
    vocabularyState(ws).vocab.oneWordList.push_back(ws.vocabularyLists[0][0].get());
    tSkyStrList own;
    tSkyStr* source = addEntry(own, 0, QStringLiteral("The rusty door of the vault"), QString(), 5);

    TForm4 search(ws, source, &form);
    search.show();
    QStringList words;
    for (int i = 0; i < search.ComboBox1->count(); ++i)
        words << search.ComboBox1->itemText(i);
    EXPECT_EQ(words, (QStringList{QStringLiteral("door"), QStringLiteral("rusty"), QStringLiteral("vault")}));
    search.ComboBox1->setEditText(QStringLiteral("door"));
    ASSERT_EQ(search.ComboBox2->count(), 1);
    EXPECT_EQ(search.ComboBox2->itemText(0), QStringLiteral("porte"));
    search.ComboBox2->setEditText(QStringLiteral("portail"));
    search.RadioGroup2->button(0)->setChecked(true);
    const rSearchData rule = search.rule();
    EXPECT_EQ(rule.s1, QStringLiteral("door"));
    EXPECT_EQ(rule.s2, QStringLiteral("portail"));
    EXPECT_EQ(rule.mode1, 1);
    EXPECT_EQ(rule.mode2, 0);
    EXPECT_EQ(rule.strformat, QStringLiteral("[%REPLACE%] %ORIG%"));
    screenshot(&search, QStringLiteral("search-and-replace-dialog"));

    TForm11 batch(ws.app, QStringLiteral("# rules\nstartrule\nsearch=door\nreplace=porte\nendrule\n"),
                  dir.file(QStringLiteral("rules.txt")), &form);
    batch.show();
    EXPECT_TRUE(batch.Memo1->toPlainText().contains(QStringLiteral("startrule")));
    screenshot(&batch, QStringLiteral("batch-dialog"));

    TFormsText text(ws.app, &form);
    text.setSearchTextHistory(QStringLiteral("alpha\r\nbeta\r\ngamma"));
    text.cbSearchText->setEditText(QStringLiteral("beta"));
    text.show();
    screenshot(&text, QStringLiteral("text-search-dialog"));
    text.accept();
    EXPECT_EQ(text.SearchTextHistory(), QStringLiteral("beta\r\nalpha\r\ngamma"));
    EXPECT_EQ(text.searchIn(), 0);
}
