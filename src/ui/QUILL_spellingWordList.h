// The word list of spelling (Tools > Unknown words): every unknown word of the document with its count, most frequent
// first; several words added to the translator's words at once (the proper nouns of a mod); the strings that hold a
// word, each opened in the edit dialog with a double click.
#pragma once

#include "workspace/QUILL_wsUnknownWords.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <vector>

class QAbstractProxyModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTimer;
class QTreeView;
class TEntryRowsModel;
class TForm1;
class TWorkspace;

// Word | Count rows over the index's counts.
class TUnknownWordsModel : public QAbstractTableModel {
public:
    enum TColumn { wordColumn = 0, countColumn = 1 };
    TUnknownWordsModel(TWorkspace& ws, QObject* parent = nullptr);
    void setCounts(std::vector<rWordCount> counts);
    const std::vector<rWordCount>& counts() const { return counts_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TWorkspace& ws_;
    std::vector<rWordCount> counts_;
};

class TSpellingWordList : public QDialog {
    Q_OBJECT
public:
    explicit TSpellingWordList(TForm1& form);

    // Reads every translation of the document again for its unknown words (an operation with progress).
    void lookAgain();
    // The words selected in the list, in the list's order.
    QStringList selectedWords() const;
    // Selects these words (the first one current); the strings of the current word follow.
    void selectWords(const QStringList& words);
    // Fills the strings pane with the entries whose translation holds `word` as an unknown word.
    void showStringsOf(const QString& word);
    // "Add to my words" and "Ignore" on the selected words.
    void addSelectedToMyWords();
    void ignoreSelected();

    const TUnknownWordIndex& index() const { return index_; }
    // Widgets, for tests.
    QTreeView* wordView() const { return wordView_; }
    QTreeView* stringView() const { return stringView_; }
    TEntryRowsModel* stringRows() const { return stringRows_; }
    QLineEdit* filterBox() const { return filter_; }
    QLabel* summary() const { return summary_; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void connectChanges();
    // The rows again from the index, the current word and the selection kept where the words still are.
    void showCounts();
    void updateSummary();
    void updateButtons();
    void currentWordChanged();
    void openString(const QModelIndex& index);
    QString currentWord() const;

    TForm1& form_;
    TWorkspace& ws_;
    TUnknownWordIndex index_;
    // Whether the index reads the open document (false once another one replaced it).
    bool documentRead_ = false;
    QString shownWord_;

    QLabel* summary_ = nullptr;
    QLineEdit* filter_ = nullptr;
    TUnknownWordsModel* words_ = nullptr;
    QSortFilterProxyModel* wordProxy_ = nullptr;
    QTreeView* wordView_ = nullptr;
    QLabel* stringsLabel_ = nullptr;
    TEntryRowsModel* stringRows_ = nullptr;
    // The strings' rows as shown: each translation from a little before the word.
    QAbstractProxyModel* stringContext_ = nullptr;
    QTreeView* stringView_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* ignoreButton_ = nullptr;
    QPushButton* lookAgainButton_ = nullptr;
    QTimer* stringsTimer_ = nullptr;
};
