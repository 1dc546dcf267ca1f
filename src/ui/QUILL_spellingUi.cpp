// The window's spelling: the edit dialog's underline and menu, the word list command.
#include "ui/QUILL_spellingUi.h"

#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_spellHighlighter.h"
#include "ui/QUILL_spellingWordList.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsSpelling.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

namespace {

// Longer words are offered no suggestion: the library's search grows with the length (about a second for a word of
// forty letters on the French dictionary) and finds nothing for such runs of letters anyway.
constexpr qsizetype kLongestSuggestedWord = 32;
// How many words' suggestions are kept for a menu opened again.
constexpr qsizetype kRememberedSuggestions = 64;

// Whether the viewport point lies over the word's text: a click past the end of a line puts the caret after its
// last word without being on it.
bool pointIsOnWord(const QPlainTextEdit& editor, const quillspell::rUnknownWord& word, const QPoint& point) {
    QTextCursor start(editor.document());
    start.setPosition(static_cast<int>(word.position));
    QTextCursor end(editor.document());
    end.setPosition(static_cast<int>(word.position + word.length));
    const QRect first = editor.cursorRect(start);
    const QRect last = editor.cursorRect(end);
    if (first.top() != last.top()) return true; // a word wrapped over two lines: the caret test stands
    constexpr int slack = 2;
    return point.x() >= first.left() - slack && point.x() <= last.right() + slack && point.y() >= first.top() &&
           point.y() <= first.bottom();
}

} // namespace

TSpellingUi::TSpellingUi(TForm1& form) : QObject(&form), form_(form), ws_(form.workspace()) {
    setObjectName(QStringLiteral("SpellingUi"));
    if (TForm2* dialog = editDialog(form)) attach(*dialog);
    TChangeChannel& changes = form.changes();
    // The checker and the vocabulary's words are built once the vocabulary is (or another dictionary is chosen), so
    // that the first keystroke after a load does not wait for them.
    connect(&changes, &TChangeChannel::knownWordsChanged, this, [this] {
        suggestions_.clear();
        refreshUnderlines();
        schedulePrepare();
    });
    connect(&changes, &TChangeChannel::vocabularyReplaced, this, [this] {
        suggestions_.clear(); // perhaps another language
        refreshUnderlines();
        schedulePrepare();
    });
    form.setCommand(QStringLiteral("Menu_UnknownWords"), [this] { openWordList(); });
}

TSpellHighlighter* TSpellingUi::highlighter() const {
    return highlighter_.data();
}

TSpellingWordList* TSpellingUi::wordList() const {
    return wordList_.data();
}

void TSpellingUi::attach(TForm2& dialog) {
    dialog_ = &dialog;
    TGutterEdit* editor = dialog.translationEditor();
    highlighter_ = new TSpellHighlighter(ws_, editor->document());
    // The dialog names its string before it fills the editors: the words of its source count as known, and a text
    // kept untranslated is not underlined. The editor's new text is read whole right after.
    connect(&dialog, &TForm2::focusedStringChanged, this, [this](tSkyStr* entry) {
        if (!highlighter_) return;
        highlighter_->setActive(entry && !entry->hasFlag(sStrInternalParam::pexNoTrans), false);
        highlighter_->setSource(entry ? entry->gS : QString(), false);
    });
    // Editing a custom dictionary, the source can change too.
    connect(dialog.sourceEditor(), &QPlainTextEdit::textChanged, this, [this] {
        if (highlighter_ && dialog_ && dialog_->focusedString())
            highlighter_->setSource(dialog_->sourceEditor()->toPlainText());
    });
    connect(&dialog, &TForm2::editorMenuAboutToShow, this, [this](TGutterEdit* on, QMenu* menu, const QPoint& at) {
        if (dialog_ && on == dialog_->translationEditor()) addEditorActions(menu, at);
    });
}

void TSpellingUi::schedulePrepare() {
    // Right after the command (or the start-up, where the program hands over its spelling library once the window is
    // made), once however many times things changed meanwhile.
    if (preparePending_) return;
    preparePending_ = true;
    QTimer::singleShot(0, this, [this] {
        preparePending_ = false;
        if (spellingEnabled(ws_)) prepareSpelling(ws_);
    });
}

void TSpellingUi::refreshUnderlines() {
    if (highlighter_ && dialog_ && dialog_->isVisible()) highlighter_->rehighlight();
}

bool TSpellingUi::addEditorActions(QMenu* menu, const QPoint& position) {
    if (!dialog_ || !highlighter_ || !spellingEnabled(ws_)) return false;
    TGutterEdit* editor = dialog_->translationEditor();
    if (editor->isReadOnly()) return false;
    const auto found = highlighter_->unknownWordAt(editor->cursorForPosition(position).position());
    if (!found || !pointIsOnWord(*editor, *found, position)) return false;
    const quillspell::rUnknownWord word = *found;
    QTextCursor range(editor->document());
    range.setPosition(static_cast<int>(word.position));
    range.setPosition(static_cast<int>(word.position + word.length), QTextCursor::KeepAnchor);
    const QString written = range.selectedText();

    // Suggestions take a moment with a large dictionary (a tenth of a second or more): only the word under the mouse
    // is asked, under a busy cursor.
    // A word asked before (the menu opened again on it) is answered at once.
    QStringList suggestions;
    if (const auto known = suggestions_.constFind(word.word); known != suggestions_.cend()) {
        suggestions = *known;
    } else if (word.length <= kLongestSuggestedWord) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        suggestions = spellingSuggestions(ws_, word.word, kSpellingSuggestions);
        if (suggestions_.size() >= kRememberedSuggestions) suggestions_.clear();
        suggestions_.insert(word.word, suggestions);
    }

    const TAppContext& app = ws_.app;
    QList<QAction*> items;
    QPointer<TGutterEdit> target(editor);
    for (const QString& suggestion : suggestions) {
        QString caption = suggestion;
        auto* action = new QAction(caption.replace(QLatin1Char('&'), QStringLiteral("&&")), menu);
        QFont bold = action->font();
        bold.setBold(true);
        action->setFont(bold);
        connect(action, &QAction::triggered, this, [target, word, written, suggestion] {
            if (!target) return;
            QTextCursor cursor(target->document());
            cursor.setPosition(static_cast<int>(word.position));
            cursor.setPosition(static_cast<int>(word.position + word.length), QTextCursor::KeepAnchor);
            if (cursor.selectedText() != written) return; // the text moved on since the menu opened
            // One edit block: one Ctrl+Z brings the word back.
            cursor.beginEditBlock();
            cursor.insertText(suggestion);
            cursor.endEditBlock();
            target->setTextCursor(cursor);
        });
        items << action;
    }
    if (suggestions.isEmpty()) {
        auto* none = new QAction(app.uiText(QStringLiteral("Spell_NoSuggestions")), menu);
        none->setEnabled(false);
        items << none;
    }
    auto* add = new QAction(app.uiText(QStringLiteral("Spell_AddToMyWords")), menu);
    add->setObjectName(QStringLiteral("SpellAddToMyWords"));
    connect(add, &QAction::triggered, this,
            [this, word] { form_.runGuarded([this, &word] { addToMyWords(ws_, {word.word}); }); });
    auto* ignore = new QAction(app.uiText(QStringLiteral("Spell_Ignore")), menu);
    ignore->setObjectName(QStringLiteral("SpellIgnore"));
    connect(ignore, &QAction::triggered, this,
            [this, word] { form_.runGuarded([this, &word] { ignoreSpellingWord(ws_, word.word); }); });

    QAction* first = menu->actions().value(0);
    menu->insertActions(first, items);
    menu->insertSeparator(first);
    menu->insertActions(first, {add, ignore});
    menu->insertSeparator(first);
    return true;
}

void TSpellingUi::openWordList() {
    if (!wordList_) wordList_ = new TSpellingWordList(form_);
    wordList_->lookAgain();
    wordList_->show();
    wordList_->raise();
    wordList_->activateWindow();
}

void installSpellingUi(TForm1& form) {
    if (!spellingUi(form)) new TSpellingUi(form);
}

TSpellingUi* spellingUi(TForm1& form) {
    return form.findChild<TSpellingUi*>(QString(), Qt::FindDirectChildrenOnly);
}
