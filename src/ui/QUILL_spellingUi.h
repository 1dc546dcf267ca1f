// Spelling in the window: the underline and the menu of the edit dialog's translation editor, the word list of the
// Tools menu ("Menu_UnknownWords"), both following the change channel.
#pragma once

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>

class QMenu;
class TForm1;
class TForm2;
class TGutterEdit;
class TSpellHighlighter;
class TSpellingWordList;
class TWorkspace;

class TSpellingUi : public QObject {
    Q_OBJECT
public:
    explicit TSpellingUi(TForm1& form);

    // The underline of the edit dialog's translation editor (null without the dialog).
    TSpellHighlighter* highlighter() const;
    // The word list, null until first opened.
    TSpellingWordList* wordList() const;

    // Puts the spelling items for a right click at `position` (viewport coordinates) of the translation editor at the
    // top of `menu`: up to eight suggestions (one replaces the word as one undoable edit), "Add to my words" and
    // "Ignore". Nothing when no unknown word is under the mouse. Returns whether items were added.
    bool addEditorActions(QMenu* menu, const QPoint& position);
    // Tools > Unknown words: the word list shown with the document read again.
    void openWordList();

private:
    void attach(TForm2& dialog);
    void refreshUnderlines();
    // Builds the checker right after the current command (see prepareSpelling).
    void schedulePrepare();

    TForm1& form_;
    TWorkspace& ws_;
    QPointer<TForm2> dialog_;
    QPointer<TSpellHighlighter> highlighter_;
    QPointer<TSpellingWordList> wordList_;
    bool preparePending_ = false;
    // The suggestions of the words asked so far, until the known words change.
    QHash<QString, QStringList> suggestions_;
};

// Creates the window's spelling once the edit dialog exists, and the Tools command.
void installSpellingUi(TForm1& form);
// The window's spelling, null before installSpellingUi.
TSpellingUi* spellingUi(TForm1& form);
