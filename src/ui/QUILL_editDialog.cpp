// The string edit dialog: one window for the whole run, loaded with a new string each time it is opened.
#include "ui/QUILL_editDialog.h"

#include "ui/QUILL_aidsUi.h"
#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_espTreeView.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_stringListModel.h"
#include "ui/QUILL_windowGeometry.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

using namespace editlogic;

namespace {

constexpr int kWordCellWidth = 125;
constexpr int kMaxWordCells = 6;

// The page markers: a grey dot, or an orange one when the page has something to look at.
QIcon markerIcon(bool highlighted) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(highlighted ? QColor(0xE0, 0x80, 0x20) : QColor(0xC0, 0xC0, 0xC0));
    painter.drawEllipse(QRectF(3, 3, 10, 10));
    return QIcon(pixmap);
}

} // namespace

// A dialog of the main window (kept above it, as a click in the lists must not hide the text being typed), not
// modal, with the buttons of a window so it can be enlarged for a book.
TForm2::TForm2(TForm1& form, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      form_(form), ws_(form.workspace()) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(ws_.app.uiText(QStringLiteral("SearchandEdit")));
    buildUi();
    applyEditorFont();
    restoreGeometryFromPrefs();
    qApp->installEventFilter(this);
}

TForm2::~TForm2() {
    qApp->removeEventFilter(this);
}

void TForm2::buildUi() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    splitter_ = new QSplitter(Qt::Vertical, this);
    layout->addWidget(splitter_, 1);
    // The editors first: the pages read and fill them.
    QWidget* lower = buildEditors();
    splitter_->addWidget(buildPages());
    splitter_->addWidget(lower);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 1);
    splitter_->setChildrenCollapsible(false);
}

QWidget* TForm2::buildPages() {
    const TAppContext& app = ws_.app;
    pages_ = new QTabWidget;
    pages_->setObjectName(QStringLiteral("EditPages"));
    pages_->setMinimumHeight(120);
    recordPage_ = new TRecordPage(ws_, pages_);
    searchPage_ = new TSearchPage(ws_, pages_);
    diffPage_ = new TDiffPage(ws_, *sourceEdit_, pages_);
    aliasPage_ = new TAliasPage(app, pages_);
    comparePage_ = new TComparePage(pages_);
    dialoguePage_ = new TDialoguePage(ws_, pages_);
    const std::pair<QWidget*, const char*> tabs[] = {{recordPage_, "espRecord"},   {searchPage_, "Search"},
                                                     {diffPage_, "Diff_Viewer"},   {aliasPage_, "Alias_Check"},
                                                     {comparePage_, "EspCompRes"}, {dialoguePage_, "Dialogs"}};
    for (const auto& [page, key] : tabs)
        pages_->addTab(page, app.uiText(QLatin1String(key)));
    for (int p : {pageAlias, pageCompare, pageDialogue})
        setMarker(static_cast<TPage>(p), false);
    connect(aliasPage_, &TAliasPage::markerChanged, this, [this](bool on) { setMarker(pageAlias, on); });
    connect(comparePage_, &TComparePage::markerChanged, this, [this](bool on) { setMarker(pageCompare, on); });
    connect(dialoguePage_, &TDialoguePage::markerChanged, this, [this](bool on) { setMarker(pageDialogue, on); });
    connect(aliasPage_, &TAliasPage::tagChosen, this, &TForm2::insertIntoTranslation);
    connect(comparePage_, &TComparePage::textChosen, this, [this](const QString& text) {
        if (!transEdit_->isReadOnly()) transEdit_->setPlainText(text);
    });
    connect(searchPage_, &TSearchPage::searchRequested, this, &TForm2::search);
    connect(searchPage_, &TSearchPage::translationChosen, this, &TForm2::useHitTranslation);
    connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == pageSearch) search();
    });
    for (TEntryRowsView* view : {recordPage_->view(), dialoguePage_->view()})
        connect(view, &QTreeView::doubleClicked, this, [this, view](const QModelIndex& i) { openRow(*view, i); });
    return pages_;
}

QWidget* TForm2::buildEditors() {
    const TAppContext& app = ws_.app;
    auto t = [&app](const char* key) { return app.uiText(QLatin1String(key)); };
    auto* lower = new QWidget;
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    auto* toolBar = new QToolBar(lower);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto action = [this, toolBar, &t](const QString& text, const char* hint, std::function<void()> slot = {}) {
        QAction* a = toolBar->addAction(text);
        a->setToolTip(t(hint));
        if (slot) connect(a, &QAction::triggered, this, slot);
        return a;
    };
    findAction_ = action(t("Search"), "Hint_EditSearch", [this] { pickSearchText(); });
    findPrevious_ = action(QStringLiteral("\u25C0"), "Hint_EditSPrevious", [this] { findInEditor(false); });
    findNext_ = action(QStringLiteral("\u25B6"), "Hint_EditSNext", [this] { findInEditor(true); });
    findNext_->setEnabled(false);
    findPrevious_->setEnabled(false);
    toolBar->addSeparator();
    const auto changeCaseAction = [this](TCaseChange change) {
        if (!transEdit_->textCursor().hasSelection() || transEdit_->isReadOnly()) return;
        transEdit_->replaceSelection(changeCase(transEdit_->textCursor().selectedText(), change));
    };
    action(QStringLiteral("AB"), "Hint_Uppercase", [=] { changeCaseAction(TCaseChange::upper); });
    action(QStringLiteral("ab"), "Hint_LowerCase", [=] { changeCaseAction(TCaseChange::lower); });
    action(QStringLiteral("Ab"), "Hint_TitleCase", [=] { changeCaseAction(TCaseChange::title); });
    toolBar->addSeparator();
    autoTrim_ = action(QStringLiteral("\u2702"), "hint_autotrim");
    autoTrim_->setCheckable(true);
    autoTrim_->setChecked(true);
    noReplace_ = action(QStringLiteral("\u21C9"), "hint_noReplace");
    noReplace_->setCheckable(true);
    noReplace_->setChecked(!ws_.state().noReplace);
    connect(noReplace_, &QAction::toggled, this, [this](bool down) { ws_.state().noReplace = !down; });
    lowerLayout->addWidget(toolBar);

    auto* editorSplit = new QSplitter(Qt::Horizontal, lower);
    sourceEdit_ = new TGutterEdit(editorSplit);
    sourceEdit_->setObjectName(QStringLiteral("SourceEditor"));
    sourceEdit_->setReadOnly(true);
    auto* transSide = new QWidget(editorSplit);
    auto* transLayout = new QVBoxLayout(transSide);
    transLayout->setContentsMargins(0, 0, 0, 0);
    transEdit_ = new TGutterEdit(transSide);
    transEdit_->setObjectName(QStringLiteral("TranslationEditor"));
    wordList_ = new QTableWidget(1, 0, transSide);
    wordList_->setObjectName(QStringLiteral("WordProposals"));
    wordList_->horizontalHeader()->hide();
    wordList_->verticalHeader()->hide();
    wordList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    wordList_->setFixedHeight(wordList_->verticalHeader()->defaultSectionSize() + 4);
    wordList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    wordList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(wordList_, &QTableWidget::cellClicked, this, [this](int, int column) {
        if (column > 0) ListBoxKeyClick(column);
    });
    transLayout->addWidget(transEdit_, 1);
    transLayout->addWidget(wordList_);
    lowerLayout->addWidget(editorSplit, 1);
    sourceEdit_->gutterClicked = [this](int line) { transEdit_->centreOnLine(line); };
    transEdit_->gutterClicked = [this](int line) { sourceEdit_->centreOnLine(line); };
    connect(transEdit_, &QPlainTextEdit::textChanged, this, [this] {
        if (!fstring_) return;
        updateLengthInfo();
        checkAliases();
    });
    for (TGutterEdit* editor : {sourceEdit_, transEdit_}) {
        editor->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(editor, &QWidget::customContextMenuRequested, this, [this, editor](const QPoint& pos) {
            QMenu* menu = editorMenu(editor, pos);
            emit editorMenuAboutToShow(editor, menu, pos);
            menu->exec(editor->viewport()->mapToGlobal(pos));
            delete menu;
        });
        editor->viewport()->installEventFilter(this);
    }
    specialChars_ = new QAction(t("Menu_SpChar"), this);
    specialChars_->setCheckable(true);
    connect(specialChars_, &QAction::toggled, this, [this](bool on) {
        for (QPlainTextEdit* editor : {static_cast<QPlainTextEdit*>(sourceEdit_),
                                       static_cast<QPlainTextEdit*>(transEdit_), searchPage_->preview()}) {
            QTextOption option = editor->document()->defaultTextOption();
            option.setFlags(on ? QTextOption::ShowTabsAndSpaces | QTextOption::ShowLineAndParagraphSeparators
                               : QTextOption::Flags());
            editor->document()->setDefaultTextOption(option);
        }
    });

    auto* buttons = new QHBoxLayout;
    counter_ = new QLabel(QStringLiteral("count 0/0"), lower);
    counter_->setObjectName(QStringLiteral("LengthCounter"));
    counter_->setMinimumWidth(90);
    confirmBox_ = new QCheckBox(t("Lbl_confirm_Chg"), lower);
    confirmBox_->setChecked(true);
    auto* okButton = new QPushButton(t("Ok_(Ctrl-Enter)"), lower);
    auto* cancelButton = new QPushButton(t("Cancel"), lower);
    buttons->addWidget(counter_);
    buttons->addWidget(confirmBox_);
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    lowerLayout->addLayout(buttons);
    connect(okButton, &QPushButton::clicked, this, &TForm2::storeAndClose);
    connect(cancelButton, &QPushButton::clicked, this, &TForm2::closeDialog);
    lower->setMinimumHeight(150);
    return lower;
}

QMenu* TForm2::editorMenu(TGutterEdit* editor, const QPoint& pos) {
    const TAppContext& app = ws_.app;
    QMenu* menu = editor->createStandardContextMenu(editor->viewport()->mapToGlobal(pos));
    QAction* first = menu->actions().value(0);
    auto* validate = new QAction(app.uiText(QStringLiteral("Menu_Validate2")), menu);
    connect(validate, &QAction::triggered, this,
            [this] { valideStringChange(true, false, true, {sStrParam::validated}, {sStrParam::incompleteTrans}); });
    auto* restore = new QAction(app.uiText(QStringLiteral("Menu_RestoreStr")), menu);
    connect(restore, &QAction::triggered, this, [this] {
        if (!fstring_) return;
        transEdit_->setPlainText(fstring_->gTrans);
        getDiff(diffPage_->otherText());
    });
    auto* font = new QAction(app.uiText(QStringLiteral("Menu_ChangeFont")), menu);
    connect(font, &QAction::triggered, this, [this] {
        bool ok = false;
        const QFont chosen =
            QFontDialog::getFont(&ok, QFont(ws_.state().SYNFONT), this, QString(), QFontDialog::MonospacedFonts);
        if (!ok) return;
        ws_.state().SYNFONT = chosen.family();
        applyEditorFont();
    });
    for (QAction* a : {validate, restore, specialChars_, font})
        menu->insertAction(first, a);
    menu->insertSeparator(first);
    validate->setEnabled(fstring_ != nullptr);
    restore->setEnabled(fstring_ != nullptr && !transEdit_->isReadOnly());
    return menu;
}

void TForm2::applyEditorFont() {
    QFont font(ws_.state().SYNFONT);
    font.setStyleHint(QFont::TypeWriter);
    for (QWidget* w : {static_cast<QWidget*>(sourceEdit_), static_cast<QWidget*>(transEdit_),
                       static_cast<QWidget*>(searchPage_->preview()), static_cast<QWidget*>(diffPage_)})
        w->setFont(font);
}

void TForm2::restoreGeometryFromPrefs() {
    setMinimumSize(560, 420);
    const rwindowpos& pos = ws_.state().editWindowpos;
    restoreWindowGeometry(*this, pos);
    const int upper = qBound(120, pos.Control1, qMax(120, height() - 100));
    splitter_->setSizes({upper, qMax(150, height() - upper)});
}

void TForm2::saveGeometryToPrefs() {
    rwindowpos& pos = ws_.state().editWindowpos;
    if (!saveWindowGeometry(*this, pos)) return;
    pos.Control1 = splitter_->sizes().value(0, pos.Control1);
}

void TForm2::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The lower panel keeps at least 100 pixels below the pages.
    const QList<int> sizes = splitter_->sizes();
    if (sizes.size() == 2 && sizes[0] > height() - 100 && height() > 220)
        splitter_->setSizes({height() - 200, sizes[0] + sizes[1] - (height() - 200)});
}

// ----- Loading and storing

void TForm2::openEditDialog(bool commitFirst, tSkyStr* entry, const QString* proposed) {
    if (commitFirst && fstring_)
        valideStringChange(false, confirmBox_->isChecked(), true, {sStrParam::validated}, {sStrParam::incompleteTrans});
    fstring_ = entry ? entry : form_.focusedEntry();
    emit focusedStringChanged(fstring_);
    if (!fstring_) return;
    editNewString(proposed);
}

void TForm2::editNewString(const QString* proposed) {
    if (!fstring_) return;
    transEdit_->setReadOnly(fstring_->hasFlag(sStrInternalParam::pexNoTrans));
    sourceEdit_->setReadOnly(!ws_.state().editCustom());
    const QSignalBlocker blocker(transEdit_);
    sourceEdit_->setPlainText(fstring_->gS);
    transEdit_->setPlainText(proposed ? *proposed : fstring_->gTrans);
    // A proposed text is an edit not yet stored.
    transEdit_->document()->setModified(proposed && *proposed != fstring_->gTrans);
    diffPage_->forget();
    getDiff();
    getEspData();
    checkAliases();
    updateLengthInfo();
    comparePage_->fill(ws_, fstring_);
    if (!isVisible()) show();
    raise();
    activateWindow();
    if (ws_.state().editCustom()) {
        sourceEdit_->setFocus();
    } else {
        transEdit_->setFocus();
        QTextCursor cursor(transEdit_->document());
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        transEdit_->setTextCursor(cursor);
    }
}

bool TForm2::valideStringChange(bool forceValid, bool confirm, bool autotrim, sStrParams statusIn,
                                sStrParams statusOut) {
    if (!fstring_) return true;
    const bool editCustom = ws_.state().editCustom();
    QString source = editCustom ? sourceEdit_->toPlainText() : fstring_->gS;
    QString text = transEdit_->toPlainText();
    if (autotrim && autoTrim_->isChecked()) {
        // The editors show what is stored.
        if (editCustom) source = trimForStore(source, {});
        text = trimForStore(text, source);
        for (const auto& [editor, trimmed] : {std::pair{sourceEdit_, source}, std::pair{transEdit_, text}}) {
            if (editor->isReadOnly() || editor->toPlainText() == trimmed) continue;
            const QSignalBlocker blocker(editor);
            editor->setPlainText(trimmed);
        }
    }
    const bool sourceChanged = editCustom && source != fstring_->gS;
    if (!sourceChanged && !needsStore(*fstring_, text, forceValid, statusIn)) return true;
    if (forceValid && statusIn.has(sStrParam::validated) && mayValidate && !mayValidate(*fstring_, text)) return false;
    if (confirm && ws_.app.messageDialog(ws_.app.uiText(QStringLiteral("Ask_ConfirmStr")), dbYesNo) != drYes)
        return false;
    rStoreRequest request;
    request.translation = text;
    request.source = editCustom ? &source : nullptr;
    request.statusIn = statusIn;
    request.statusOut = statusOut;
    request.trim = false; // trimmed above, as the editors show
    request.forceValid = forceValid;
    // The propagation toggle: the strings with the same source follow, in the same undo step.
    request.carrySimilar = noReplace_->isChecked();
    transEdit_->document()->setModified(false);
    ws_.storeTranslation(fstring_, request);
    return true;
}

// Ok, Ctrl+Enter: stores the text as validated and closes.
void TForm2::storeAndClose() {
    if (valideStringChange(true, false, true, {sStrParam::validated}, {sStrParam::incompleteTrans})) closeDialog();
}

void TForm2::storePendingEdit(bool alwaysAsk) {
    if (!fstring_) return;
    const bool ask = alwaysAsk || confirmBox_->isChecked();
    valideStringChange(false, ask, true, {sStrParam::validated}, {sStrParam::incompleteTrans});
    closeDialog();
}

void TForm2::entriesChanged(const std::vector<tSkyStr*>& entries) {
    if (!fstring_ || !isVisible()) return;
    for (TEntryRowsView* view : {recordPage_->view(), dialoguePage_->view(), searchPage_->hits()})
        view->rows().refresh();
    comparePage_->fill(ws_, fstring_);
    // A command changed the string the dialog holds (an undo, a replacement): the editor shows it unless the
    // translator is typing in it.
    if (std::find(entries.begin(), entries.end(), fstring_) == entries.end()) return;
    if (transEdit_->document()->isModified()) return;
    const QSignalBlocker blocker(transEdit_);
    transEdit_->setPlainText(fstring_->gTrans);
    transEdit_->document()->setModified(false);
    updateLengthInfo();
}

void TForm2::closeDialog() {
    close();
}

void TForm2::closeEvent(QCloseEvent* event) {
    saveGeometryToPrefs();
    releasePages();
    fstring_ = nullptr;
    emit focusedStringChanged(fstring_);
    editedEspNode_ = nullptr;
    diffPage_->forget();
    currentMaxStringLength_ = 0;
    currentCRState_ = false;
    recordPage_->reset();
    dialoguePage_->reset();
    for (int p : {pageAlias, pageCompare, pageDialogue})
        setMarker(static_cast<TPage>(p), false);
    {
        const QSignalBlocker a(sourceEdit_), b(transEdit_);
        sourceEdit_->clear();
        transEdit_->clear();
    }
    event->accept();
    // The keys go back to the list the translator came from, whatever window the system activates next.
    form_.activateWindow();
    const int list = form_.listPages() ? form_.listPages()->currentIndex() : 0;
    if (list >= 0 && list < 3 && form_.listView(list)) form_.listView(list)->setFocus();
}

void TForm2::releasePages() {
    recordPage_->release();
    dialoguePage_->release();
    searchPage_->hits()->rows().setRows({});
    aliasPage_->clear();
    comparePage_->clear();
    wordList_->setColumnCount(0);
}

void TForm2::refillPages() {
    if (!fstring_ || !isVisible()) return;
    getEspData();
    checkAliases();
}

void TForm2::updateLengthInfo() {
    if (ws_.document && !ws_.document->countsLength()) return;
    const rLengthInfo info = lengthInfo(transEdit_->toPlainText(), currentMaxStringLength_, currentCRState_);
    counter_->setText(info.counterText());
    counter_->setStyleSheet(info.tooLong ? QStringLiteral("color: #d00000; font-weight: bold;") : QString());
    counter_->setProperty("tooLong", info.tooLong);
    transEdit_->setGutterAlert(info.tooLong || info.lineBreakError);
    sourceEdit_->setLineMarks(!currentCRState_);
    transEdit_->setLineMarks(!currentCRState_);
}

// ----- Moving on

void TForm2::moveToNextString(bool forward) {
    if (!ws_.state().OptAutoSelectField || !fstring_) return;
    tSkyStr* next = nullptr;
    const int list = fstring_->listIndex;
    if (TPluginDocument* plugin = ws_.plugin()) {
        auto visible = [this](const tSkyStr& e) {
            const TStringListProxy* proxy = form_.listProxy(qBound(0, int(e.listIndex), 2));
            return proxy && entryPassesFilter(proxy->filter(), e);
        };
        const rTreeStep step = nextPluginString(plugin->tree, recordPage_->view()->rows().rows(), editedEspNode_,
                                                fstring_, forward, visible);
        if (step.entry) {
            next = step.entry;
            editedEspNode_ = step.node;
        }
    } else if (list >= 0 && list < 3) {
        QTreeView* view = form_.listView(list);
        TStringListProxy* proxy = form_.listProxy(list);
        const int row = nextListRow(
            proxy->rowCount(), view->currentIndex().row(),
            [proxy](int r) { return proxy->entryAt(proxy->index(r, 0)); }, fstring_, forward);
        if (row >= 0) {
            const QModelIndex target = proxy->index(row, 0);
            next = proxy->entryAt(target);
            view->setCurrentIndex(target);
            view->scrollTo(target);
        }
    }
    if (!next || next == fstring_) return;
    fstring_ = next;
    emit focusedStringChanged(fstring_);
    // The translation editor keeps the focus (editNewString gives it), so that the next string can be typed at once;
    // the record and dialogue lists show the new string's row selected.
    editNewString();
}

// ----- The pages

void TForm2::setMarker(TPage page, bool highlighted) {
    pages_->setTabIcon(page, markerIcon(highlighted));
    pages_->tabBar()->setTabData(page, highlighted);
}

void TForm2::openRow(const TEntryRowsView& view, const QModelIndex& index) {
    tSkyStr* entry = view.entryAt(index);
    if (!entry || entry == fstring_) return;
    openEditDialog(true, entry);
}

void TForm2::getEspData() {
    if (!fstring_) return;
    const rRecordPage page = recordPage_->fill(*fstring_);
    if (page.linked) {
        currentMaxStringLength_ = page.maxLength;
        currentCRState_ = page.lineBreaksAllowed;
    }
    dialoguePage_->fill(page.linked ? fstring_->esp.rec : nullptr, fstring_);
}

void TForm2::checkAliases() {
    if (fstring_) aliasPage_->fill(sourceEdit_->toPlainText(), transEdit_->toPlainText());
}

void TForm2::getDiff(const QString& originalSourceString) {
    QString other = originalSourceString;
    if (fstring_ && other.isEmpty() && !bestLDString.isEmpty()) other = std::exchange(bestLDString, QString());
    diffPage_->fill(fstring_, other);
}

void TForm2::search() {
    if (pages_->currentIndex() != pageSearch) return;
    const int list = fstring_ ? int(fstring_->listIndex) : form_.listPages()->currentIndex();
    searchPage_->search(qBound(0, list, 2));
}

void TForm2::useHitTranslation(const tSkyStr& hit) {
    if (!fstring_ || transEdit_->isReadOnly()) return;
    transEdit_->setPlainText(hit.gTrans);
    transEdit_->setFocus();
    diffPage_->showDiff(hit.gS);
}

void TForm2::insertIntoTranslation(const QString& text) {
    if (transEdit_->isReadOnly()) return;
    transEdit_->replaceSelection(text);
    transEdit_->setFocus();
}

void TForm2::setWordProposals(const QString& word, const QStringList& translations) {
    wordList_->clearContents();
    const int columns = qMax(1, wordList_->viewport()->width() / kWordCellWidth);
    wordList_->setColumnCount(columns);
    for (int c = 0; c < columns; ++c)
        wordList_->setColumnWidth(c, kWordCellWidth);
    if (word.isEmpty()) return;
    auto* head = new QTableWidgetItem(word + QLatin1Char(':'));
    QFont bold = head->font();
    bold.setBold(true);
    head->setFont(bold);
    wordList_->setItem(0, 0, head);
    int cell = 1;
    for (int rank = 0; rank < translations.size() && rank < 5 && cell < columns && cell < kMaxWordCells; ++rank)
        wordList_->setItem(0, cell++,
                           new QTableWidgetItem(QStringLiteral("%1: %2").arg(rank + 1).arg(translations[rank])));
}

void TForm2::ListBoxKeyClick(int id) {
    if (id < 1 || id >= wordList_->columnCount()) return;
    const QTableWidgetItem* item = wordList_->item(0, id);
    if (!item || item->text().size() <= 3) return;
    insertIntoTranslation(item->text().mid(3));
}

void TForm2::setCompareRows(const QList<TCompareData>& rows, bool marked) {
    comparePage_->setRows(rows, marked);
}

// ----- In-editor search

void TForm2::pickSearchText() {
    // The text search dialog with the history, the last text and the editor searched last time.
    TFormsText picker(ws_.app, this);
    picker.setSearchTextHistory(ssearchHistory_.join(QStringLiteral("\r\n")));
    picker.cbSearchText->setEditText(ssearchText_);
    if (QAbstractButton* memo = picker.RadioGroup1->button(ssearchMemo_)) memo->setChecked(true);
    if (picker.exec() != QDialog::Accepted) return;
    ssearchHistory_ = picker.SearchTextHistory().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ssearchText_ = picker.searchText();
    if (picker.searchIn() >= 0) ssearchMemo_ = picker.searchIn();
    findNext_->setEnabled(!ssearchText_.isEmpty());
    findPrevious_->setEnabled(!ssearchText_.isEmpty());
    if (!ssearchText_.isEmpty()) findInEditor(true);
}

void TForm2::findInEditor(bool forward) {
    if (ssearchText_.isEmpty()) return;
    QPlainTextEdit* editor = ssearchMemo_ == 0   ? static_cast<QPlainTextEdit*>(sourceEdit_)
                             : ssearchMemo_ == 2 ? searchPage_->preview()
                                                 : static_cast<QPlainTextEdit*>(transEdit_);
    if (editor->find(ssearchText_, forward ? QTextDocument::FindFlags() : QTextDocument::FindBackward)) return;
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(forward ? cursor.selectionEnd() : cursor.selectionStart());
    editor->setTextCursor(cursor);
    ws_.app.messageDialog(ws_.app.uiText(QStringLiteral("NoResult")), dbSelfClosing, 500);
}

// ----- Keys

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == sourceEdit_->viewport() || watched == transEdit_->viewport())) {
        const bool inSource = watched == sourceEdit_->viewport();
        TGutterEdit* editor = inSource ? sourceEdit_ : transEdit_;
        const QString selected = editor->textCursor().selectedText().trimmed();
        if (inSource && !selected.isEmpty()) {
            searchBox()->setText(selected);
            search();
        }
        QTextCursor word = editor->textCursor();
        word.select(QTextCursor::WordUnderCursor);
        if (!word.selectedText().isEmpty()) emit wordsRequested(word.selectedText());
        return false;
    }
    // The main window going away (not minimized) closes the dialog.
    if (watched == &form_ && event->type() == QEvent::Hide && !form_.isMinimized()) {
        if (isVisible()) closeDialog();
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this || !isVisible()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Keep the editors from taking the keys the window handles.
        const int k = key->key();
        if (k == Qt::Key_F1 || k == Qt::Key_F2 || k == Qt::Key_F3 || k == Qt::Key_Escape ||
            ((k == Qt::Key_Return || k == Qt::Key_Enter) && (key->modifiers() & Qt::ControlModifier)))
            event->accept();
        return false;
    }
    return handleKey(key);
}

bool TForm2::handleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods == Qt::ControlModifier;
    const sStrParams validated{sStrParam::validated};
    const sStrParams partial{sStrParam::incompleteTrans};
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl) {
            storeAndClose();
            return true;
        }
        if (mods == Qt::NoModifier && recordPage_->view()->hasFocus()) {
            openRow(*recordPage_->view(), recordPage_->view()->currentIndex());
            return true;
        }
        return false;
    case Qt::Key_Escape:
        closeDialog();
        return true;
    case Qt::Key_F1:
        if (mods != Qt::NoModifier) return true;
        if (valideStringChange(true, false, true, validated, partial)) moveToNextString(true);
        return true;
    case Qt::Key_F2:
        if (mods != Qt::NoModifier) return true;
        valideStringChange(true, false, true, partial, validated);
        moveToNextString(true);
        return true;
    case Qt::Key_F3:
        if (mods != Qt::NoModifier && !ctrl) return true;
        if (valideStringChange(false, confirmBox_->isChecked(), false, validated, partial)) moveToNextString(!ctrl);
        return true;
    default:
        break;
    }
    if (ctrl || mods == (Qt::ControlModifier)) {
        const bool keypad = event->modifiers() & Qt::KeypadModifier;
        const int digit = event->key() - Qt::Key_0;
        if (digit >= 1 && digit <= (keypad ? 4 : 5)) {
            ListBoxKeyClick(digit);
            return true;
        }
    }
    return false;
}

// ----- Installation

namespace {

QHash<TForm1*, TForm2*>& dialogs() {
    static QHash<TForm1*, TForm2*> map;
    return map;
}

} // namespace

TForm2* editDialog(TForm1& form) {
    return dialogs().value(&form);
}

void installEditDialog(TForm1& form) {
    auto* dialog = new TForm2(form, &form);
    dialogs().insert(&form, dialog);
    QObject::connect(dialog, &QObject::destroyed, [&form] { dialogs().remove(&form); });
    form.setCommand(QStringLiteral("Menu_Edit"), [dialog] { dialog->openEditDialog(true); });
    setEspTreeActivation(form, [dialog](trecord*, tSkyStr* entry) { dialog->openEditDialog(true, entry); });
    // Before a command saves, copies into or replaces the entries, the dialog's edit is stored (asked about as the
    // command and the dialog's setting say) and the dialog closes; before the entries are freed it lets go of them.
    TChangeChannel& changes = form.changes();
    QObject::connect(&changes, &TChangeChannel::pendingEditRequested, dialog,
                     [dialog](bool alwaysAsk) { dialog->storePendingEdit(alwaysAsk); });
    QObject::connect(&changes, &TChangeChannel::documentAboutToClose, dialog, [dialog] {
        if (dialog->focusedString()) dialog->closeDialog();
        dialog->releasePages();
    });
    QObject::connect(&changes, &TChangeChannel::entriesModified, dialog,
                     [dialog](const std::vector<tSkyStr*>& entries) { dialog->entriesChanged(entries); });
    // A command may reorder the lists or the tree the pages were filled from: they let go while it runs and are
    // filled again once it is done (the entries themselves live until documentAboutToClose).
    QObject::connect(&form, &TForm1::operationStarted, dialog, [dialog] { dialog->releasePages(); });
    QObject::connect(&form, &TForm1::operationEnded, dialog,
                     [dialog] { QTimer::singleShot(0, dialog, [dialog] { dialog->refillPages(); }); });
}
