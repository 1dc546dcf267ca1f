// The word list of spelling.
#include "ui/QUILL_spellingWordList.h"

#include "aids/QUILL_spelling.h"
#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_workspace.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

// ----- The words' rows

TUnknownWordsModel::TUnknownWordsModel(TWorkspace& ws, QObject* parent) : QAbstractTableModel(parent), ws_(ws) {}

void TUnknownWordsModel::setCounts(std::vector<rWordCount> counts) {
    beginResetModel();
    counts_ = std::move(counts);
    endResetModel();
}

int TUnknownWordsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(counts_.size());
}

int TUnknownWordsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant TUnknownWordsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const rWordCount& row = counts_[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == wordColumn) return row.word;
        return row.count; // a number, so that a header click sorts by it
    case Qt::TextAlignmentRole:
        return index.column() == countColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default:
        return {};
    }
}

QVariant TUnknownWordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return ws_.app.uiText(section == wordColumn ? QStringLiteral("Spell_ColumnWord")
                                                : QStringLiteral("Spell_ColumnCount"));
}

// ----- The strings of a word

namespace {

// How many characters of a translation stay before the word when its start is cut off.
constexpr qsizetype kLeadBeforeWord = 24;

// The strings' rows with each translation shown from a little before the word onward: in a long translation the word
// would otherwise lie past the end of the column.
class TWordInContextRows : public QIdentityProxyModel {
public:
    TWordInContextRows(int textColumn, QObject* parent) : QIdentityProxyModel(parent), textColumn_(textColumn) {}
    void setWord(const QString& word) { word_ = quillspell::lookupForm(word); }

    QVariant data(const QModelIndex& index, int role) const override {
        QVariant value = QIdentityProxyModel::data(index, role);
        if (role != Qt::DisplayRole || index.column() != textColumn_ || word_.isEmpty()) return value;
        const QString text = value.toString();
        const qsizetype at = quillspell::lookupForm(text).indexOf(word_);
        if (at <= kLeadBeforeWord) return value;
        // From the start of a word, so that the excerpt does not open on half of one.
        qsizetype from = at - kLeadBeforeWord;
        const qsizetype space = text.indexOf(QLatin1Char(' '), from);
        if (space >= 0 && space < at) from = space + 1;
        return QString(QChar(0x2026)) + text.mid(from);
    }

private:
    int textColumn_;
    QString word_;
};

// A read-only list of rows: whole rows in focus, one line each, no tree decoration.
QTreeView* rowsView(QWidget* parent, const QString& name, QAbstractItemModel* model) {
    auto* view = new QTreeView(parent);
    view->setObjectName(name);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return view;
}

} // namespace

// ----- The dialog

TSpellingWordList::TSpellingWordList(TForm1& form) : QDialog(&form), form_(form), ws_(form.workspace()) {
    const TAppContext& app = ws_.app;
    auto t = [&app](const char* key) { return app.uiText(QLatin1String(key)); };
    setObjectName(QStringLiteral("SpellingWordList"));
    setWindowTitle(t("Spell_WordList"));
    setSizeGripEnabled(true);
    setMinimumSize(560, 360);

    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("WordListSummary"));
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    layout->addWidget(splitter, 1);

    // The words, filtered by the text typed above them; a header click sorts (most frequent first at start).
    auto* wordSide = new QWidget(splitter);
    auto* wordLayout = new QVBoxLayout(wordSide);
    wordLayout->setContentsMargins(0, 0, 0, 0);
    filter_ = new QLineEdit(wordSide);
    filter_->setObjectName(QStringLiteral("WordFilter"));
    filter_->setPlaceholderText(t("Spell_Filter"));
    filter_->setClearButtonEnabled(true);
    wordLayout->addWidget(filter_);
    words_ = new TUnknownWordsModel(ws_, this);
    wordProxy_ = new QSortFilterProxyModel(this);
    wordProxy_->setSourceModel(words_);
    wordProxy_->setFilterKeyColumn(TUnknownWordsModel::wordColumn);
    wordProxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    wordProxy_->setSortCaseSensitivity(Qt::CaseInsensitive);
    wordView_ = rowsView(wordSide, QStringLiteral("UnknownWords"), wordProxy_);
    wordView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    wordView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    wordView_->header()->setStretchLastSection(false);
    wordView_->header()->setSectionResizeMode(TUnknownWordsModel::wordColumn, QHeaderView::Stretch);
    wordView_->header()->setSectionResizeMode(TUnknownWordsModel::countColumn, QHeaderView::ResizeToContents);
    wordView_->header()->setSortIndicator(TUnknownWordsModel::countColumn, Qt::DescendingOrder);
    wordView_->setSortingEnabled(true);
    wordView_->setContextMenuPolicy(Qt::CustomContextMenu);
    wordLayout->addWidget(wordView_, 1);

    // The strings that hold the current word.
    auto* stringSide = new QWidget(splitter);
    auto* stringLayout = new QVBoxLayout(stringSide);
    stringLayout->setContentsMargins(0, 0, 0, 0);
    stringsLabel_ = new QLabel(t("Spell_StringsHint"), stringSide);
    stringsLabel_->setObjectName(QStringLiteral("StringsOfWord"));
    stringsLabel_->setWordWrap(true);
    stringLayout->addWidget(stringsLabel_);
    // The translation, which holds the word, before its source.
    stringRows_ = new TEntryRowsModel(ws_,
                                      {static_cast<int>(TListColumn::id), static_cast<int>(TListColumn::translated),
                                       static_cast<int>(TListColumn::original)},
                                      this);
    // Where the document shows several lists, their ids repeat: the list is named before the id.
    stringRows_->idOf = [this](const tSkyStr& entry) {
        const QString id = listCellText(ws_, entry, static_cast<int>(TListColumn::id));
        return ws_.columnLayout().extraListsVisible ? listName(entry.listIndex) + QLatin1Char(' ') + id : id;
    };
    stringContext_ = new TWordInContextRows(1, this);
    stringContext_->setSourceModel(stringRows_);
    stringView_ = rowsView(stringSide, QStringLiteral("StringsWithWord"), stringContext_);
    // The translation and the source share the width.
    stringView_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    stringView_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    stringView_->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    stringLayout->addWidget(stringView_, 1);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({260, 640});
    splitter->setChildrenCollapsible(false);

    auto* buttons = new QHBoxLayout;
    addButton_ = new QPushButton(t("Spell_AddSelectedToMyWords"), this);
    addButton_->setObjectName(QStringLiteral("AddToMyWords"));
    ignoreButton_ = new QPushButton(t("Spell_Ignore"), this);
    ignoreButton_->setObjectName(QStringLiteral("IgnoreWords"));
    ignoreButton_->setToolTip(t("Spell_IgnoreSelected"));
    lookAgainButton_ = new QPushButton(t("Spell_LookAgain"), this);
    lookAgainButton_->setObjectName(QStringLiteral("LookAgain"));
    auto* close = new QPushButton(t("Spell_Close"), this);
    buttons->addWidget(addButton_);
    buttons->addWidget(ignoreButton_);
    buttons->addStretch(1);
    buttons->addWidget(lookAgainButton_);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    // Enter in the lists acts on the list, never on a default button.
    for (QPushButton* b : {addButton_, ignoreButton_, lookAgainButton_, close})
        b->setAutoDefault(false);

    stringsTimer_ = new QTimer(this);
    stringsTimer_->setSingleShot(true);
    stringsTimer_->setInterval(150); // moving through the words with the keys reads the strings once it stops

    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        wordProxy_->setFilterFixedString(text.trimmed());
        updateButtons();
    });
    connect(wordView_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateButtons(); });
    connect(wordView_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { stringsTimer_->start(); });
    connect(stringsTimer_, &QTimer::timeout, this, [this] { currentWordChanged(); });
    connect(wordView_, &QTreeView::activated, this, [this] {
        stringsTimer_->stop();
        showStringsOf(currentWord());
    });
    connect(wordView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (selectedWords().isEmpty()) return;
        QMenu menu(this);
        const TAppContext& a = ws_.app;
        menu.addAction(a.uiText(QStringLiteral("Spell_AddToMyWords")), this, [this] { addSelectedToMyWords(); });
        menu.addAction(a.uiText(QStringLiteral("Spell_Ignore")), this, [this] { ignoreSelected(); });
        menu.addSeparator();
        menu.addAction(a.uiText(QStringLiteral("Spell_ShowStrings")), this, [this] { showStringsOf(currentWord()); });
        menu.exec(wordView_->viewport()->mapToGlobal(pos));
    });
    connect(stringView_, &QTreeView::activated, this, [this](const QModelIndex& index) { openString(index); });
    connect(addButton_, &QPushButton::clicked, this, [this] { addSelectedToMyWords(); });
    connect(ignoreButton_, &QPushButton::clicked, this, [this] { ignoreSelected(); });
    connect(lookAgainButton_, &QPushButton::clicked, this, [this] { form_.runGuarded([this] { lookAgain(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connectChanges();
    updateSummary();
    updateButtons();
    resize(920, 560);
}

void TSpellingWordList::connectChanges() {
    TChangeChannel& changes = form_.changes();
    // The index and the strings pane hold entries: they let go before the entries are freed.
    connect(&changes, &TChangeChannel::documentAboutToClose, this, [this] {
        stringsTimer_->stop();
        index_.clear();
        words_->setCounts({});
        stringRows_->setRows({});
        shownWord_.clear();
        documentRead_ = false;
    });
    connect(&changes, &TChangeChannel::documentReplaced, this, [this] {
        stringsLabel_->setText(ws_.app.uiText(QStringLiteral("Spell_StringsHint")));
        updateSummary();
        updateButtons();
    });
    connect(&changes, &TChangeChannel::entriesModified, this, [this](const std::vector<tSkyStr*>& entries) {
        if (!index_.isBuilt()) return;
        if (index_.update(ws_, entries)) showCounts();
        stringRows_->refresh();
    });
    connect(&changes, &TChangeChannel::knownWordsChanged, this, [this] {
        if (!index_.isBuilt()) return;
        if (index_.refresh(ws_)) showCounts();
        updateSummary();
    });
    // Another vocabulary knows other words: the list is read again once the command that loaded it is done.
    connect(&changes, &TChangeChannel::vocabularyReplaced, this, [this] {
        if (!index_.isBuilt()) return;
        QTimer::singleShot(0, this, [this] {
            if (index_.isBuilt()) form_.runGuarded([this] { lookAgain(); });
        });
    });
}

void TSpellingWordList::lookAgain() {
    stringsTimer_->stop();
    index_.build(ws_);
    documentRead_ = ws_.state().fileLoaded();
    stringRows_->setRows({});
    shownWord_.clear();
    stringsLabel_->setText(ws_.app.uiText(QStringLiteral("Spell_StringsHint")));
    words_->setCounts(index_.counts());
    updateSummary();
    updateButtons();
    if (wordProxy_->rowCount() > 0) {
        wordView_->setCurrentIndex(wordProxy_->index(0, 0));
        wordView_->scrollToTop();
    }
}

void TSpellingWordList::showCounts() {
    const QString current = currentWord();
    const QStringList selected = selectedWords();
    words_->setCounts(index_.counts());
    selectWords(selected.contains(current) ? QStringList{current} + selected : selected);
    if (!current.isEmpty() && !selected.contains(current)) {
        const QModelIndexList found = wordProxy_->match(wordProxy_->index(0, 0), Qt::DisplayRole, current, 1,
                                                        Qt::MatchFixedString | Qt::MatchCaseSensitive);
        if (!found.isEmpty())
            wordView_->selectionModel()->setCurrentIndex(found.first(), QItemSelectionModel::NoUpdate);
    }
    // Strings of a word that is now known hold it no more.
    if (!shownWord_.isEmpty() && index_.countOf(shownWord_) == 0) {
        stringRows_->setRows({});
        stringsLabel_->setText(ws_.app.uiText(QStringLiteral("Spell_StringsHint")));
        shownWord_.clear();
    }
    updateSummary();
    updateButtons();
}

void TSpellingWordList::updateSummary() {
    const TAppContext& app = ws_.app;
    if (!documentRead_) {
        summary_->setText(app.uiText(QStringLiteral("Spell_ListNotRead")));
    } else if (!index_.isBuilt()) {
        summary_->setText(app.uiTextFormat(QStringLiteral("Spell_ListNoDictionary"), {app.state.DestLang}));
    } else {
        summary_->setText(app.uiTextFormat(QStringLiteral("Spell_ListSummary"),
                                           {static_cast<qlonglong>(words_->counts().size()),
                                            static_cast<qlonglong>(index_.entryCount()), index_.dictionaryName()}));
    }
}

void TSpellingWordList::updateButtons() {
    const bool any = !selectedWords().isEmpty();
    addButton_->setEnabled(any);
    ignoreButton_->setEnabled(any);
    lookAgainButton_->setEnabled(ws_.state().fileLoaded());
}

QString TSpellingWordList::currentWord() const {
    const QModelIndex current = wordView_->currentIndex();
    if (!current.isValid()) return {};
    return wordProxy_->index(current.row(), TUnknownWordsModel::wordColumn).data().toString();
}

QStringList TSpellingWordList::selectedWords() const {
    QStringList words;
    for (const QModelIndex& index : wordView_->selectionModel()->selectedRows(TUnknownWordsModel::wordColumn))
        words << index.data().toString();
    return words;
}

void TSpellingWordList::selectWords(const QStringList& words) {
    const QSet<QString> wanted(words.begin(), words.end());
    QItemSelection selection;
    QModelIndex first;
    for (int row = 0; row < wordProxy_->rowCount(); ++row) {
        const QModelIndex index = wordProxy_->index(row, TUnknownWordsModel::wordColumn);
        if (!wanted.contains(index.data().toString())) continue;
        selection.select(index, index);
        if (index.data().toString() == words.value(0)) first = index;
    }
    QItemSelectionModel* model = wordView_->selectionModel();
    model->clearSelection();
    if (first.isValid()) model->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    model->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (first.isValid()) wordView_->scrollTo(first);
}

void TSpellingWordList::currentWordChanged() {
    const QString word = currentWord();
    if (word != shownWord_) showStringsOf(word);
}

void TSpellingWordList::showStringsOf(const QString& word) {
    QList<tSkyStr*> rows;
    if (!word.isEmpty()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        rows = entriesWithUnknownWord(ws_, word);
    }
    static_cast<TWordInContextRows*>(stringContext_)->setWord(word);
    stringRows_->setRows(rows);
    shownWord_ = word;
    stringsLabel_->setText(word.isEmpty() ? ws_.app.uiText(QStringLiteral("Spell_StringsHint"))
                                          : ws_.app.uiTextFormat(QStringLiteral("Spell_StringsOf"),
                                                                 {word, static_cast<qlonglong>(rows.size())}));
}

void TSpellingWordList::openString(const QModelIndex& index) {
    tSkyStr* entry = stringRows_->entryAt(index.row());
    TForm2* dialog = editDialog(form_);
    if (!entry || !dialog) return;
    form_.runGuarded([dialog, entry] { dialog->openEditDialog(true, entry); });
}

void TSpellingWordList::addSelectedToMyWords() {
    const QStringList words = selectedWords();
    if (words.isEmpty()) return;
    // The list follows through the change channel.
    form_.runGuarded([this, &words] { addToMyWords(ws_, words); });
}

void TSpellingWordList::ignoreSelected() {
    const QStringList words = selectedWords();
    if (words.isEmpty()) return;
    form_.runGuarded([this, &words] { ignoreSpellingWords(ws_, words); });
}

void TSpellingWordList::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // Hidden by the window system (minimized with the main window) it keeps what it shows.
    if (event->spontaneous() || isMinimized()) return;
    // Closed: nothing is kept; Tools > Unknown words reads the document again.
    stringsTimer_->stop();
    index_.clear();
    words_->setCounts({});
    stringRows_->setRows({});
    shownWord_.clear();
    documentRead_ = false;
}
