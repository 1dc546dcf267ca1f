// The string edit dialog driven with keys over the sample plugin: typing, Ctrl+Enter, F1 moving on, F3 asking when
// the confirm box is checked, Esc storing nothing, the counter past the field size, undo of a stored translation,
// and a screenshot of every page when QUILL_SCREENSHOT_DIR names a folder.
#include "plugin/QUILL_espTree.h"
#include "support/plugin_samples.h"
#include "temp_program_dir.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_aidsUi.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_stringListModel.h"
#include "ui_support.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsAids.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

void key(QWidget* widget, int k, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, k, mods, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, k, mods, text);
    QApplication::sendEvent(widget, &release);
}

void type(QWidget* widget, const QString& text) {
    for (QChar c : text)
        key(widget, c == QLatin1Char('\n') ? Qt::Key_Return : 0, Qt::NoModifier, QString(c));
}

struct TDialogFixture : TShownWindow {
    TForm2* dialog = nullptr;

    TDialogFixture() {
        ws.state().quillexpertMode = true;
        // The strings typed here are not about the quality checks: validating them asks nothing.
        ws.state().checksAskBeforeValidate = false;
        const QStringList files = writePluginSamples(ws.app, dir.file(QStringLiteral("Samples")));
        EXPECT_TRUE(ws.openAs("plugin", files.value(0), false));
        form.refreshLists();
        dialog = editDialog(form);
    }
    QTreeView* list() { return form.listView(0); }
    tSkyStr* rowEntry(int row) { return form.listProxy(0)->entryAt(form.listProxy(0)->index(row, 0)); }
    void openRow(int row) {
        list()->setCurrentIndex(form.listProxy(0)->index(row, 0));
        form.activateWindow();
        list()->setFocus();
        QCoreApplication::processEvents();
        key(list(), Qt::Key_Return); // Enter on the list opens the dialog
        QCoreApplication::processEvents();
    }
    QWidget* editor() { return dialog->translationEditor(); }
};

} // namespace

TEST(EditDialog, TypeStoreMoveOnAndUndo) {
    TDialogFixture f;
    ASSERT_NE(f.dialog, nullptr);
    EXPECT_FALSE(f.dialog->isVisible()); // made at start-up, shown when used
    // A dialog of the window (kept above it by the window manager), not a window a click in the lists hides.
    EXPECT_EQ(f.dialog->windowType(), Qt::Dialog);
    EXPECT_EQ(f.dialog->window()->parentWidget(), &f.form);
    f.openRow(0);
    ASSERT_TRUE(f.dialog->isVisible());
    tSkyStr* first = f.rowEntry(0);
    ASSERT_EQ(f.dialog->focusedString(), first);
    EXPECT_EQ(f.dialog->sourceEditor()->toPlainText(), first->gS);
    const QString before = first->gTrans;
    const sStrParams statusBefore = first->sparams;

    // The first line is selected: typing replaces it. Ctrl+Enter stores, validates and closes.
    type(f.editor(), QStringLiteral("Premier"));
    key(f.editor(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(f.dialog->isVisible());
    EXPECT_EQ(first->gTrans, QStringLiteral("Premier"));
    EXPECT_TRUE(first->hasParam(sStrParam::validated));
    EXPECT_TRUE(f.ws.hasUnsavedWork());
    EXPECT_EQ(f.dialog->focusedString(), nullptr);

    // Undo in the main window puts the translation and status back.
    f.form.runCommand(QStringLiteral("Menu_Undo"));
    EXPECT_EQ(first->gTrans, before);
    EXPECT_EQ(first->sparams.bits(), statusBefore.bits());
    EXPECT_FALSE(f.ws.hasUnsavedWork());

    // F1 stores and moves on to the next string of the record, then of the next record.
    f.openRow(0);
    type(f.editor(), QStringLiteral("Un"));
    key(f.editor(), Qt::Key_F1);
    EXPECT_EQ(first->gTrans, QStringLiteral("Un"));
    ASSERT_TRUE(f.dialog->isVisible());
    tSkyStr* second = f.dialog->focusedString();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    // The translation editor keeps the focus, its first line selected, so the next string is typed at once.
    EXPECT_EQ(QApplication::focusWidget(), f.editor());
    EXPECT_EQ(f.dialog->translationEditor()->textCursor().selectedText(),
              second->gTrans.section(QLatin1Char('\n'), 0, 0));
    type(f.editor(), QStringLiteral("Deux"));
    key(f.editor(), Qt::Key_F1);
    EXPECT_EQ(second->gTrans, QStringLiteral("Deux"));
    tSkyStr* third = f.dialog->focusedString();
    EXPECT_NE(third, second);
    EXPECT_EQ(f.ws.history.stepCount(), 2u); // the undone step was dropped by the next

    // F1 with a modifier does nothing.
    key(f.editor(), Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(f.dialog->focusedString(), third);

    // Esc after editing stores nothing.
    const QString thirdBefore = third->gTrans;
    type(f.editor(), QStringLiteral("Jamais"));
    key(f.editor(), Qt::Key_Escape);
    EXPECT_FALSE(f.dialog->isVisible());
    EXPECT_EQ(third->gTrans, thirdBefore);
    EXPECT_EQ(f.ws.history.stepCount(), 2u);
}

TEST(EditDialog, F3AsksOnlyForAChangeWhenTheBoxIsChecked) {
    TDialogFixture f;
    f.openRow(0);
    tSkyStr* first = f.dialog->focusedString();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(f.dialog->confirmBox()->isChecked());
    TDialogAnswers answer;

    // Unchanged: no question, moves on.
    key(f.editor(), Qt::Key_F3);
    EXPECT_EQ(answer.questions, 0);
    tSkyStr* second = f.dialog->focusedString();
    EXPECT_NE(second, first);

    // Changed and answered No: nothing stored, the dialog stays on the string.
    type(f.editor(), QStringLiteral("Changé"));
    answer.reply(false);
    key(f.editor(), Qt::Key_F3);
    EXPECT_EQ(answer.questions, 1);
    EXPECT_EQ(f.dialog->focusedString(), second);
    EXPECT_NE(second->gTrans, QStringLiteral("Changé"));

    // Yes: stored without trimming, then Ctrl+F3 goes back.
    f.dialog->translationEditor()->setPlainText(QStringLiteral("Changé  "));
    answer.reply(true);
    key(f.editor(), Qt::Key_F3);
    EXPECT_EQ(answer.questions, 2);
    EXPECT_EQ(second->gTrans, QStringLiteral("Changé  "));
    tSkyStr* third = f.dialog->focusedString();
    EXPECT_NE(third, second);
    key(f.editor(), Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(f.dialog->focusedString(), second);

    // With the box unchecked nothing is asked.
    f.dialog->confirmBox()->setChecked(false);
    f.dialog->translationEditor()->setPlainText(QStringLiteral("Sans question"));
    key(f.editor(), Qt::Key_F3);
    EXPECT_EQ(answer.questions, 2);
    EXPECT_EQ(second->gTrans, QStringLiteral("Sans question"));

    // Auto-trim on Ctrl+Enter removes blanks and an ideographic space at the end.
    f.dialog->openEditDialog(false, second);
    f.dialog->translationEditor()->setPlainText(QStringLiteral("  Propre \u3000 "));
    key(f.editor(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(second->gTrans, QStringLiteral("Propre"));
}

TEST(EditDialog, CounterPagesAndScreenshots) {
    TDialogFixture f;
    f.openRow(0);
    tSkyStr* entry = f.dialog->focusedString();
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->isEspAssigned());
    // The record page lists the record's texts and sets the field's size.
    EXPECT_GE(f.dialog->recordList()->model()->rowCount(), 1);
    const int maxLength = f.dialog->maxStringLength();
    // A field size the record gives, or a small one to see the counter turn red.
    entry->esp.field->maxStrSize = 10;
    entry->esp.field->hasCR = false;
    f.dialog->openEditDialog(false, entry);
    f.dialog->translationEditor()->setPlainText(QStringLiteral("0123456789A"));
    EXPECT_EQ(f.dialog->counter()->text(), QStringLiteral("11/10 "));
    EXPECT_TRUE(f.dialog->counter()->property("tooLong").toBool());
    f.dialog->translationEditor()->setPlainText(QStringLiteral("01234\n6789"));
    EXPECT_EQ(f.dialog->counter()->text(), QStringLiteral("10/10 [!]"));
    EXPECT_FALSE(f.dialog->counter()->property("tooLong").toBool());
    entry->esp.field->maxStrSize = maxLength;

    // Tags: a missing one shows on the tag page.
    f.dialog->sourceEditor()->setPlainText(QStringLiteral("Take <Alias=Player> to <Alias=Town>"));
    f.dialog->translationEditor()->setPlainText(QStringLiteral("Emmène <Alias=Town> à <Alias=Ville>"));
    EXPECT_EQ(f.dialog->aliasList()->topLevelItemCount(), 2);
    // Differences against a chosen text.
    f.dialog->getDiff(QStringLiteral("Take <Alias=Player> to the town"));
    const QString diffText = f.dialog->diffView()->toPlainText();
    EXPECT_TRUE(diffText.contains(QStringLiteral("Take <Alias=Player> to "))) << diffText.toStdString();
    EXPECT_TRUE(diffText.contains(QStringLiteral("Unchanged: 26"))) << diffText.toStdString();
    // The search page over the vocabulary.
    f.ws.vocabularyLists[0].push_back(
        std::make_unique<tSkyStr>(QStringLiteral("Laser Rifle"), QStringLiteral("Fusil laser"), 0, 1, 0));
    f.dialog->pages()->setCurrentIndex(TForm2::pageSearch);
    f.dialog->searchBox()->setText(QStringLiteral("rifle"));
    f.dialog->search();
    EXPECT_EQ(f.dialog->searchHits()->model()->rowCount(), 1);
    f.dialog->searchBox()->setText(QStringLiteral("ri"));
    f.dialog->search();
    EXPECT_EQ(f.dialog->searchHits()->model()->rowCount(), 0);
    f.dialog->searchBox()->setText(QStringLiteral("rifle"));
    f.dialog->search();
    f.dialog->setWordProposals(QStringLiteral("town"), {QStringLiteral("ville"), QStringLiteral("cité")});
    f.dialog->ListBoxKeyClick(2);
    EXPECT_TRUE(f.dialog->translationEditor()->toPlainText().contains(QStringLiteral("cité")));
    f.dialog->setCompareRows({{QStringLiteral("Ancienne traduction"), true}}, true);

    const char* names[] = {"record", "search", "differences", "tags", "compare", "dialogue"};
    for (const QSize size : {QSize(1280, 800), f.dialog->minimumSize()}) {
        f.dialog->resize(size);
        for (int page = 0; page < TForm2::pageCount; ++page) {
            f.dialog->pages()->setCurrentIndex(page);
            const QString suffix = size.width() == 1280 ? QString() : QStringLiteral("-minimum");
            screenshot(f.dialog, QStringLiteral("edit-dialog-%1%2").arg(QLatin1String(names[page]), suffix));
        }
    }
    // Closing forgets the string and the field's rules.
    key(f.editor(), Qt::Key_Escape);
    EXPECT_EQ(f.dialog->maxStringLength(), 0);
    EXPECT_FALSE(f.dialog->lineBreaksAllowed());
    EXPECT_EQ(f.dialog->recordList()->model()->rowCount(), 0);
}

TEST(EditDialog, SaveStoresThePendingEditAndCloses) {
    TDialogFixture f;
    f.openRow(1);
    tSkyStr* entry = f.dialog->focusedString();
    ASSERT_NE(entry, nullptr);
    type(f.editor(), QStringLiteral("Gardé"));
    TDialogAnswers answer;
    answer.reply(true); // "Ask_ConfirmStr"
    const QString target = f.dir.file(QStringLiteral("Out"));
    QDir().mkpath(target);
    EXPECT_TRUE(f.ws.saveDocument(true, target + QStringLiteral("/Saved.esp")));
    EXPECT_EQ(answer.questions, 1);
    EXPECT_FALSE(f.dialog->isVisible());
    EXPECT_EQ(entry->gTrans, QStringLiteral("Gardé"));
    EXPECT_TRUE(QFile::exists(target + QStringLiteral("/Saved.esp")));
}

// While the dialog holds a string, a suggestion may not be taken for another one; once it closed, it may.
TEST(EditDialog, SuggestionsForAnotherStringAreRefusedWhileTheDialogHoldsOne) {
    TDialogFixture f;
    f.openRow(0);
    ASSERT_EQ(aidsState(f.ws).fstring, f.rowEntry(0));
    aidsState(f.ws).LDfstring = f.rowEntry(1);
    TDialogAnswers answer;
    answer.reply(true);
    EXPECT_FALSE(mayEditWithCandidate(f.ws, *f.rowEntry(2)));
    EXPECT_EQ(answer.questions, 1);
    key(f.editor(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(aidsState(f.ws).fstring, nullptr);
    EXPECT_TRUE(mayEditWithCandidate(f.ws, *f.rowEntry(2)));
}

// The in-editor search asks through the text search dialog, which keeps the text, the history and the editor chosen
// from one search to the next; find next goes on from the caret; a text not found collapses the selection.
TEST(EditDialog, InEditorSearchThroughTheTextSearchDialog) {
    TDialogFixture f;
    f.openRow(0);
    ASSERT_TRUE(f.dialog->isVisible());
    f.dialog->sourceEditor()->setPlainText(QStringLiteral("Ink and more ink, then INK again"));
    EXPECT_FALSE(f.dialog->findNextAction()->isEnabled());

    // Fills the dialog once it shows: the text, the editor (0 source, 1 translation, 2 preview), then Ok.
    QString shownText;
    int shownMemo = -1;
    QStringList shownHistory;
    const auto answer = [&](const QString& text, int memo) {
        QTimer::singleShot(10, [&, text, memo] {
            auto* picker = qobject_cast<TFormsText*>(QApplication::activeModalWidget());
            ASSERT_NE(picker, nullptr);
            shownText = picker->cbSearchText->currentText();
            shownMemo = picker->searchIn();
            shownHistory = picker->SearchTextHistory().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            picker->cbSearchText->setEditText(text);
            picker->RadioGroup1->button(memo)->setChecked(true);
            picker->accept();
        });
    };
    answer(QStringLiteral("ink"), 0);
    f.dialog->findAction()->trigger();
    EXPECT_EQ(shownMemo, 1); // the translation editor at first
    QTextCursor found = f.dialog->sourceEditor()->textCursor();
    EXPECT_EQ(found.selectedText(), QStringLiteral("Ink"));
    EXPECT_EQ(found.selectionStart(), 0);
    EXPECT_TRUE(f.dialog->findNextAction()->isEnabled());
    f.dialog->findNextAction()->trigger();
    EXPECT_EQ(f.dialog->sourceEditor()->textCursor().selectionStart(), 13); // "ink" of "more ink"

    answer(QStringLiteral("absent"), 0);
    f.dialog->findAction()->trigger();
    EXPECT_EQ(shownText, QStringLiteral("ink")); // the last text and editor come back
    EXPECT_EQ(shownMemo, 0);
    EXPECT_FALSE(f.dialog->sourceEditor()->textCursor().hasSelection());

    answer(QStringLiteral("ink"), 0);
    f.dialog->findAction()->trigger();
    EXPECT_EQ(shownHistory, (QStringList{QStringLiteral("absent"), QStringLiteral("ink")}));
}
