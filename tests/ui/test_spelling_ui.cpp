// Spelling in the window, on the Debian French and English dictionaries: the edit dialog's underline (markup and the
// source's names left alone), the right-click menu (a suggestion is one undoable edit; "Add to my words" lasts across a
// restart, "Ignore" for the session), the word list's counts and strings, the options, and a missing dictionary.
#include "core/QUILL_prefs.h"
#include "spelling/QUILL_spellingLibrary.h"
#include "temp_program_dir.h"
#include "test_documents.h"
#include "ui/QUILL_LangPref.h"
#include "ui/QUILL_checksUi.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_spellHighlighter.h"
#include "ui/QUILL_spellingOptions.h"
#include "ui/QUILL_spellingUi.h"
#include "ui/QUILL_spellingWordList.h"
#include "ui_support.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsSpelling.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct rRange {
    int position = 0;
    int length = 0;
    bool operator==(const rRange&) const = default;
};

void PrintTo(const rRange& r, std::ostream* out) {
    *out << '(' << r.position << ',' << r.length << ')';
}

// The window over a program folder that outlives it (a restart makes a second window on the same folder), French as
// the translation language and the spelling library handed over as the program's main does.
struct TSpellingWindow {
    TTempProgramDir& dir;
    std::unique_ptr<TForm1> form;
    TWorkspace& ws;
    TForm2* dialog;
    TSpellingUi* spelling;

    explicit TSpellingWindow(TTempProgramDir& folder, const QString& language = QStringLiteral("fr"))
        : dir(folder), form(std::make_unique<TForm1>(folder.path(), QString(), QString())), ws(form->workspace()),
          dialog(editDialog(*form)), spelling(spellingUi(*form)) {
        ws.state().SourceLang = QStringLiteral("en");
        ws.state().DestLang = language;
        setSpellerFactory(ws, quillspell::spellingLibraryFactory());
        form->resize(1100, 700);
        form->show();
        adoptDocument(ws, TWorkMode::Strings);
    }
    ~TSpellingWindow() { writePrefs(ws.app); }

    tSkyStr* add(int list, const QString& source, const QString& translation) {
        auto& entries = ws.loadedLists[list];
        entries.push_back(std::make_unique<tSkyStr>(source, translation, list,
                                                    static_cast<uint32_t>(entries.size() + 1), 99,
                                                    sStrParams{sStrParam::translated}));
        return entries.back().get();
    }
    void edit(tSkyStr* entry) {
        dialog->openEditDialog(false, entry);
        QCoreApplication::processEvents();
    }
    QPlainTextEdit* editor() const { return dialog->translationEditor(); }

    // The underlined runs of the translation editor, in document positions.
    std::vector<rRange> underlines() const {
        std::vector<rRange> out;
        for (QTextBlock block = editor()->document()->begin(); block.isValid(); block = block.next())
            for (const QTextLayout::FormatRange& f : block.layout()->formats())
                if (f.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                    out.push_back({block.position() + f.start, f.length});
        return out;
    }
    rRange rangeOf(const QString& word, int from = 0) const {
        return {static_cast<int>(editor()->toPlainText().indexOf(word, from)), static_cast<int>(word.size())};
    }
    // Where a right click on the middle of a run of the editor falls, in viewport coordinates.
    QPoint pointOn(const rRange& range) const {
        QTextCursor cursor(editor()->document());
        cursor.setPosition(range.position + range.length / 2);
        return editor()->cursorRect(cursor).center();
    }
    // The spelling items a right click on `range` adds, as the menu shows them.
    QStringList menuTexts(QMenu& menu, const rRange& range) const {
        spelling->addEditorActions(&menu, pointOn(range));
        QStringList texts;
        for (QAction* a : menu.actions())
            texts << (a->isSeparator() ? QStringLiteral("|") : a->text());
        return texts;
    }
    QAction* menuAction(QMenu& menu, const QString& key) const {
        for (QAction* a : menu.actions())
            if (a->text() == ws.app.uiText(key)) return a;
        return nullptr;
    }
};

void sendKey(QWidget* widget, int key, Qt::KeyboardModifiers mods) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(widget, &release);
}

// The window and the popup menu open over it in one picture.
void screenshotWithMenu(QWidget* window, QMenu* menu, const QString& name) {
    if (qEnvironmentVariableIsEmpty("QUILL_SCREENSHOT_DIR")) return;
    const QPixmap back = window->grab();
    const QPixmap front = menu->grab();
    const QPoint at = window->mapFromGlobal(menu->pos());
    const QRect all = QRect(QPoint(0, 0), back.size()).united(QRect(at, front.size()));
    QPixmap picture(all.size());
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(-all.topLeft(), back);
    painter.drawPixmap(at - all.topLeft(), front);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(QRect(at - all.topLeft(), front.size()).adjusted(0, 0, -1, -1));
    painter.end();
    const QString dir = qEnvironmentVariable("QUILL_SCREENSHOT_DIR");
    QDir().mkpath(dir);
    picture.save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

const QString kSource = QStringLiteral("Take the Stimpak to Codsworth in the library.\nThen talk to <Alias=Player>.");
const QString kTranslation = QStringLiteral("Apportez le Stimpak à Codsworth dans la bibliotheque.\n"
                                            "Puis parlez à <Alias=Playre> et au voyageurr, %d fois.");

} // namespace

TEST(SpellingUi, UnderlinesUnknownWordsButNotMarkupOrTheSourcesNamesAndFollowsTyping) {
    TTempProgramDir dir;
    TSpellingWindow w(dir);
    // As at start, the spelling library was handed over once the window was made: the dictionary and the
    // vocabulary's words are made as soon as the start-up is done, not at the first keystroke.
    EXPECT_EQ(spellingState(w.ws).checker, nullptr);
    QCoreApplication::processEvents();
    EXPECT_NE(spellingState(w.ws).checker, nullptr);
    EXPECT_TRUE(spellingState(w.ws).vocabularyWordsBuilt);
    // Another vocabulary (twice in one command): made again once, right after the command.
    resetSpelling(w.ws);
    w.ws.notify(&TWorkspaceObserver::vocabularyChanged);
    w.ws.notify(&TWorkspaceObserver::vocabularyChanged);
    EXPECT_EQ(spellingState(w.ws).checker, nullptr);
    QCoreApplication::processEvents();
    EXPECT_NE(spellingState(w.ws).checker, nullptr);
    // So is the checker of another dictionary chosen in the options.
    setSpellingDictionary(w.ws, QStringLiteral("en_US"));
    QCoreApplication::processEvents();
    ASSERT_NE(spellingState(w.ws).checker, nullptr);
    EXPECT_EQ(spellingState(w.ws).checker->dictionaryName(), QStringLiteral("en_US"));
    setSpellingDictionary(w.ws, QString());

    tSkyStr* entry = w.add(0, kSource, kTranslation);
    w.form->refreshLists();
    w.edit(entry);
    ASSERT_TRUE(w.dialog->isVisible());
    // "Stimpak" and "Codsworth" stand in the source, "<Alias=Playre>" and "%d" are markup: only the two misspelled
    // words are underlined, each paragraph in document positions.
    EXPECT_EQ(w.underlines(),
              (std::vector<rRange>{w.rangeOf(QStringLiteral("bibliotheque")), w.rangeOf(QStringLiteral("voyageurr"))}));
    EXPECT_FALSE(w.editor()->document()->isModified()); // underlining is no edit

    // Typing: a new misspelled word is underlined, a corrected one no longer.
    QTextCursor cursor(w.editor()->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral(" Encorre une fois."));
    QTextCursor fix(w.editor()->document());
    const rRange wrong = w.rangeOf(QStringLiteral("voyageurr"));
    fix.setPosition(wrong.position + wrong.length - 1);
    fix.deleteChar();
    EXPECT_EQ(w.underlines(),
              (std::vector<rRange>{w.rangeOf(QStringLiteral("bibliotheque")), w.rangeOf(QStringLiteral("Encorre"))}));

    // Checking as one types turned off in the options: no underline, and no spelling items in the menu.
    setSpellingEnabled(w.ws, false);
    EXPECT_TRUE(w.underlines().empty());
    QMenu menu;
    w.spelling->addEditorActions(&menu, w.pointOn(w.rangeOf(QStringLiteral("bibliotheque"))));
    EXPECT_TRUE(menu.actions().isEmpty());
    setSpellingEnabled(w.ws, true);
    EXPECT_EQ(w.underlines().size(), 2u);
}

TEST(SpellingUi, ASuggestionReplacesTheWordAsOneUndoableEdit) {
    TTempProgramDir dir;
    TSpellingWindow w(dir);
    tSkyStr* entry = w.add(0, kSource, kTranslation);
    w.form->refreshLists();
    w.edit(entry);
    // The caret at the end, so that the picture shows the underline rather than the first line selected.
    w.dialog->resize(1000, 640);
    QTextCursor end = w.editor()->textCursor();
    end.movePosition(QTextCursor::End);
    w.editor()->setTextCursor(end);
    QCoreApplication::processEvents();
    const rRange word = w.rangeOf(QStringLiteral("bibliotheque"));

    // The real right click: the dialog's menu with the spelling items on top, then the dialog's own and the
    // editor's standard items.
    QStringList shown;
    bool picked = false;
    QTimer::singleShot(50, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!popup) return;
        for (QAction* a : popup->actions())
            shown << (a->isSeparator() ? QStringLiteral("|") : a->text());
        screenshotWithMenu(w.dialog, popup, QStringLiteral("spelling-editor"));
        for (QAction* a : popup->actions())
            if (a->text() == QStringLiteral("bibliothèque")) {
                a->trigger();
                picked = true;
            }
        popup->close();
    });
    emit w.editor()->customContextMenuRequested(w.pointOn(word));
    ASSERT_TRUE(picked) << shown.join(QLatin1Char(',')).toStdString();
    const qsizetype add = shown.indexOf(w.ws.app.uiText(QStringLiteral("Spell_AddToMyWords")));
    ASSERT_GT(add, 1);
    EXPECT_LE(add, kSpellingSuggestions + 1);
    EXPECT_EQ(shown[add - 1], QStringLiteral("|"));
    EXPECT_EQ(shown[add + 1], w.ws.app.uiText(QStringLiteral("Spell_Ignore")));
    EXPECT_EQ(shown[add + 2], QStringLiteral("|"));
    EXPECT_TRUE(shown.contains(w.ws.app.uiText(QStringLiteral("Menu_Validate2"))));
    EXPECT_EQ(shown.first(), QStringLiteral("bibliothèque")); // the best suggestion first

    QString expected = kTranslation;
    expected.replace(QStringLiteral("bibliotheque"), QStringLiteral("bibliothèque"));
    EXPECT_EQ(w.editor()->toPlainText(), expected);
    EXPECT_EQ(w.underlines(), std::vector<rRange>{w.rangeOf(QStringLiteral("voyageurr"))});
    EXPECT_EQ(w.editor()->textCursor().position(), word.position + 12); // the caret after the new word
    EXPECT_EQ(entry->gTrans, kTranslation);                             // an edit of the editor, not yet stored

    // One Ctrl+Z brings the word back whole.
    sendKey(w.editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.editor()->toPlainText(), kTranslation);
    EXPECT_EQ(w.underlines().size(), 2u);

    // Past the end of a line that ends with the word, or on a known word, the menu has no spelling items.
    w.editor()->setPlainText(QStringLiteral("Dans la bibliotheque"));
    QTextCursor lineEnd(w.editor()->document());
    lineEnd.movePosition(QTextCursor::End);
    QMenu other;
    EXPECT_FALSE(w.spelling->addEditorActions(&other, w.editor()->cursorRect(lineEnd).center() + QPoint(60, 0)));
    EXPECT_FALSE(w.spelling->addEditorActions(&other, w.pointOn(w.rangeOf(QStringLiteral("Dans")))));
    EXPECT_TRUE(other.actions().isEmpty());
    EXPECT_TRUE(w.spelling->addEditorActions(&other, w.pointOn(w.rangeOf(QStringLiteral("bibliotheque")))));
}

TEST(SpellingUi, MyWordsLastAcrossARestartAndIgnoredWordsForTheSession) {
    TTempProgramDir dir;
    const QString text = QStringLiteral("Zorblax et Krevlorn gardent la porte.");
    {
        TSpellingWindow w(dir);
        tSkyStr* entry = w.add(0, QStringLiteral("Zorblax and Krevlorn guard the door."), text);
        tSkyStr* other = w.add(0, QStringLiteral("Source"), QStringLiteral("Zorblax et Krevlorn"));
        w.form->refreshLists();
        w.edit(entry);
        // Their source names them: not underlined here, but in another string.
        EXPECT_TRUE(w.underlines().empty());
        w.edit(other);
        ASSERT_EQ(w.underlines().size(), 2u);
        // The Checks tab lists the spelling problems and follows the translator's words.
        TChecksPage* checks = checksPage(*w.form);
        ASSERT_NE(checks, nullptr);
        w.form->bottomPages()->setCurrentWidget(checks);
        checks->runNow();
        auto spellingRows = [checks] {
            int rows = 0;
            for (int r = 0; r < checks->model()->rowCount(); ++r)
                rows += checks->model()->problemAt(r)->check == quillcheck::TCheck::spelling;
            return rows;
        };
        const int spellingBefore = spellingRows();
        EXPECT_GE(spellingBefore, 2);

        QMenu first;
        w.menuTexts(first, w.rangeOf(QStringLiteral("Zorblax")));
        w.menuAction(first, QStringLiteral("Spell_AddToMyWords"))->trigger();
        EXPECT_EQ(w.underlines(), std::vector<rRange>{w.rangeOf(QStringLiteral("Krevlorn"))});
        EXPECT_EQ(spellingRows(), spellingBefore - 1); // Zorblax, in the string whose source does not name it
        QMenu second;
        w.menuTexts(second, w.rangeOf(QStringLiteral("Krevlorn")));
        w.menuAction(second, QStringLiteral("Spell_Ignore"))->trigger();
        EXPECT_TRUE(w.underlines().empty());
    }
    QFile words(dir.file(QStringLiteral("UserDictionary/words_fr.txt")));
    ASSERT_TRUE(words.open(QIODevice::ReadOnly));
    EXPECT_EQ(words.readAll(), QByteArray("Zorblax\n"));

    // After a restart the translator's word is still known; the ignored one is not.
    TSpellingWindow again(dir);
    tSkyStr* entry = again.add(0, QStringLiteral("Source"), QStringLiteral("Zorblax et Krevlorn"));
    again.form->refreshLists();
    again.edit(entry);
    EXPECT_EQ(again.underlines(), std::vector<rRange>{again.rangeOf(QStringLiteral("Krevlorn"))});
}

TEST(SpellingUi, WordListCountsFollowTheEditsAndOpensTheStringsOfAWord) {
    TTempProgramDir dir;
    TSpellingWindow w(dir);
    tSkyStr* a = w.add(0, QStringLiteral("A"), QStringLiteral("La bibliotheque de Krevlorn, la bibliotheque."));
    w.add(0, QStringLiteral("B"), QStringLiteral("Une porte fermée."));
    tSkyStr* c = w.add(1, QStringLiteral("C"),
                       QStringLiteral("Chaque soir, Krevlorn lit longtemps dans la bibliotheque de Zorblax."));
    w.add(2, QStringLiteral("Zorblax"), QStringLiteral("Zorblax")); // untranslated: not read
    w.form->refreshLists();
    QAction* command = w.form->commandAction(QStringLiteral("Menu_UnknownWords"));
    ASSERT_NE(command, nullptr);
    ASSERT_TRUE(command->isEnabled());
    command->trigger();
    TSpellingWordList* list = w.spelling->wordList();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->isVisible());

    auto rows = [list] {
        QStringList out;
        QAbstractItemModel* model = list->wordView()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            out << model->index(row, 0).data().toString() + QLatin1Char('=') + model->index(row, 1).data().toString();
        return out;
    };
    // Most frequent first, then alphabetically.
    EXPECT_EQ(rows(), QStringList({"bibliotheque=3", "Krevlorn=2", "Zorblax=1"}));
    EXPECT_TRUE(list->summary()->text().contains(QStringLiteral("fr_FR"))) << list->summary()->text().toStdString();

    // The strings that hold the word, in list order; Enter or a double click opens one in the edit dialog.
    list->selectWords({QStringLiteral("bibliotheque")});
    list->showStringsOf(QStringLiteral("bibliotheque"));
    ASSERT_EQ(list->stringRows()->rows(), (QList<tSkyStr*>{a, c}));
    // A translation whose word lies further on is shown from a little before it.
    QAbstractItemModel* shown = list->stringView()->model();
    EXPECT_EQ(shown->index(0, 1).data().toString(), a->gTrans);
    EXPECT_EQ(shown->index(1, 1).data().toString(),
              QStringLiteral("\u2026lit longtemps dans la bibliotheque de Zorblax."));
    screenshot(list, QStringLiteral("spelling-word-list"));
    emit list->stringView()->activated(shown->index(1, 0));
    ASSERT_TRUE(w.dialog->isVisible());
    EXPECT_EQ(w.dialog->focusedString(), c);

    // The translator corrects the string: the counts follow without reading the document again.
    w.editor()->setPlainText(QStringLiteral("Krevlorn lit dans la bibliothèque de Zorblax."));
    w.dialog->valideStringChange(true, false, true, {sStrParam::validated}, {});
    EXPECT_EQ(rows(), QStringList({"bibliotheque=2", "Krevlorn=2", "Zorblax=1"}));

    // The filter, then several proper nouns added at once: they leave the list, the underline and the file.
    list->filterBox()->setText(QStringLiteral("OR"));
    EXPECT_EQ(rows(), QStringList({"Krevlorn=2", "Zorblax=1"}));
    list->filterBox()->clear();
    list->selectWords({QStringLiteral("Krevlorn"), QStringLiteral("Zorblax")});
    EXPECT_EQ(list->selectedWords().size(), 2);
    list->findChild<QPushButton*>(QStringLiteral("AddToMyWords"))->click();
    EXPECT_EQ(rows(), QStringList({"bibliotheque=2"}));
    EXPECT_TRUE(w.underlines().empty()); // the edit dialog still shows string c
    QFile words(dir.file(QStringLiteral("UserDictionary/words_fr.txt")));
    ASSERT_TRUE(words.open(QIODevice::ReadOnly));
    EXPECT_EQ(words.readAll(), QByteArray("Krevlorn\nZorblax\n"));

    // Another document: the list lets go and empties.
    w.dialog->closeDialog();
    w.ws.markWorkSaved();
    w.form->runCommand(QStringLiteral("Menu_CloseAll"));
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_TRUE(list->stringRows()->rows().isEmpty());
    EXPECT_FALSE(list->index().isBuilt());
    EXPECT_FALSE(command->isEnabled());
    EXPECT_FALSE(list->findChild<QPushButton*>(QStringLiteral("LookAgain"))->isEnabled());
}

TEST(SpellingUi, OptionsChooseCheckingAndTheDictionaryKeptInPrefs) {
    TTempProgramDir dir;
    {
        TSpellingWindow w(dir);
        TForm3 options(w.ws, w.form.get());
        TSpellingOptionsPage* page = options.spellingPage;
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->checkSpelling->isChecked());
        EXPECT_EQ(page->dictionaries->currentIndex(), 0);
        EXPECT_TRUE(page->dictionaries->itemText(0).contains(QStringLiteral("fr_FR")));
        EXPECT_GE(page->dictionaries->findData(QStringLiteral("en_US")), 1);
        EXPECT_GE(page->dictionaries->findData(QStringLiteral("fr_CA")), 1);
        options.pages->setCurrentWidget(page);
        options.show();
        screenshot(&options, QStringLiteral("options-dialog-spelling"));
        // Another translation language names its own dictionary, and one it does not have.
        options.ComboBox2->setCurrentIndex(options.ComboBox2->findData(QStringLiteral("ja")));
        EXPECT_TRUE(page->dictionaries->itemText(0).endsWith(QStringLiteral("(-)")));
        options.ComboBox2->setCurrentIndex(options.ComboBox2->findData(QStringLiteral("fr")));
        page->dictionaries->setCurrentIndex(page->dictionaries->findData(QStringLiteral("en_US")));
        page->checkSpelling->setChecked(false);
        const rOptionsChoice choice = options.choice();
        EXPECT_FALSE(choice.spellCheck);
        EXPECT_EQ(choice.spellDictionary, QStringLiteral("en_US"));
        applyOptions(w.ws, choice);
        EXPECT_EQ(spellingDictionaryName(w.ws), QStringLiteral("en_US"));
    }
    // Applied at start from prefs.ini.
    TSpellingWindow w(dir);
    EXPECT_FALSE(spellingEnabled(w.ws));
    EXPECT_EQ(spellingDictionaryName(w.ws), QStringLiteral("en_US"));
    TForm3 options(w.ws, w.form.get());
    EXPECT_FALSE(options.spellingPage->checkSpelling->isChecked());
    EXPECT_EQ(options.spellingPage->dictionaries->currentData().toString(), QStringLiteral("en_US"));
    // The word list and the checks read the dictionary even when nothing is underlined as one types.
    EXPECT_TRUE(options.spellingPage->dictionaries->isEnabled());
}

TEST(SpellingUi, AMissingDictionaryIsSaidOnceAndTheEditorWorksWithout) {
    TTempProgramDir dir;
    TSpellingWindow w(dir, QStringLiteral("pl")); // hunspell-pl is not installed
    tSkyStr* first = w.add(0, QStringLiteral("One"), QStringLiteral("Jeden blad"));
    tSkyStr* second = w.add(0, QStringLiteral("Two"), QStringLiteral("Dwa bledy"));
    w.form->refreshLists();
    w.edit(first);
    EXPECT_TRUE(w.underlines().empty());
    const QString status = w.form->statusPanel(2)->text();
    EXPECT_TRUE(status.contains(QStringLiteral("pl_PL"))) << status.toStdString();
    w.form->statusPanel(2)->clear();
    w.edit(second);
    QMenu menu;
    EXPECT_FALSE(w.spelling->addEditorActions(&menu, w.pointOn(w.rangeOf(QStringLiteral("bledy")))));
    w.form->runCommand(QStringLiteral("Menu_UnknownWords"));
    ASSERT_NE(w.spelling->wordList(), nullptr);
    EXPECT_EQ(w.spelling->wordList()->wordView()->model()->rowCount(), 0);
    EXPECT_TRUE(w.spelling->wordList()->summary()->text().contains(QStringLiteral("pl")));
    // Said once: neither the next string nor the word list says it again.
    EXPECT_TRUE(w.form->statusPanel(2)->text().isEmpty());
    EXPECT_EQ(w.form->logPane()->toPlainText().count(QStringLiteral("pl_PL")), 1);
    // The dialog still stores what is typed.
    w.editor()->setPlainText(QStringLiteral("Dwa błędy"));
    w.dialog->valideStringChange(true, false, true, {sStrParam::validated}, {});
    EXPECT_EQ(second->gTrans, QStringLiteral("Dwa błędy"));
}
