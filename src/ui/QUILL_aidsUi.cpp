// The aids' page and dialogs, and their commands in the window.
#include "ui/QUILL_aidsUi.h"
#include "ui/QUILL_Dialog.h"

#include "aids/QUILL_heuristic.h"
#include "core/QUILL_main.h"
#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_stringListModel.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsAids.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

namespace {

constexpr int kLdColumn = 3;

// A candidate row sorts on its LDResult, not on the column's text.
class TCandidateItem : public QTreeWidgetItem {
public:
    TCandidateItem(tSkyStr* entry, const QStringList& texts) : QTreeWidgetItem(texts), entry_(entry) {}
    tSkyStr* entry() const { return entry_; }
    bool operator<(const QTreeWidgetItem& other) const override {
        if (treeWidget() && treeWidget()->sortColumn() == kLdColumn)
            return entry_->LDResult < static_cast<const TCandidateItem&>(other).entry_->LDResult;
        return QTreeWidgetItem::operator<(other);
    }

private:
    tSkyStr* entry_;
};

QTreeWidget* entryTree(const TAppContext& app, QWidget* parent, const char* name) {
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(QLatin1String(name));
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setHeaderLabels({app.uiText(QStringLiteral("ID")), app.uiText(QStringLiteral("Original")),
                           app.uiText(QStringLiteral("Translated")), app.uiText(QStringLiteral("LD"))});
    tree->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    tree->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    return tree;
}

QStringList rowTexts(const tSkyStr& e) {
    return {QStringLiteral("%1").arg(e.id, 5, 16, QLatin1Char('0')), e.gS, e.gTrans,
            ldColumnText(e.LDResult, e.LDFound)};
}

QDialogButtonBox* okCancel(QDialog* dialog, const TAppContext& app) {
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(app.uiText(QStringLiteral("Ok")), QDialogButtonBox::AcceptRole);
    buttons->addButton(app.uiText(QStringLiteral("Cancel")), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

// ----- Suggestions page

TSuggestionsPage::TSuggestionsPage(TForm1& form, QWidget* parent)
    : QWidget(parent), form_(form), ws_(form.workspace()) {
    setObjectName(QStringLiteral("TSuggestionsPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    LDtree = entryTree(ws_.app, this, "LDtree");
    LDtree->setSortingEnabled(true);
    LDtree->sortByColumn(kLdColumn, Qt::AscendingOrder);
    LDtree->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(LDtree);
    TimerLD = new QTimer(this);
    TimerLD->setObjectName(QStringLiteral("TimerLD"));
    TimerLD->setInterval(250);
    TimerLD->setSingleShot(true);
    connect(TimerLD, &QTimer::timeout, this, &TSuggestionsPage::refreshCandidates);
    connect(LDtree, &QTreeWidget::itemDoubleClicked, this, [this] { editWithFocusedCandidate(); });
    connect(LDtree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(ws_.app.uiText(QStringLiteral("Menu_Validate2")), this, &TSuggestionsPage::takeFocusedCandidate);
        menu.addAction(ws_.app.uiText(QStringLiteral("Menu_Edit2")), this, &TSuggestionsPage::editWithFocusedCandidate);
        menu.exec(LDtree->viewport()->mapToGlobal(at));
    });
}

bool TSuggestionsPage::pageShown() const {
    return form_.bottomPages() && form_.bottomPages()->currentWidget() == form_.autoTranslationPage();
}

void TSuggestionsPage::focusChanged(tSkyStr* entry) {
    TimerLD->stop();
    aidsState(ws_).LDfstring = entry;
    if (pageShown() && liveRefresh) TimerLD->start();
}

void TSuggestionsPage::clearCandidates() {
    TimerLD->stop();
    LDtree->clear();
}

void TSuggestionsPage::refreshCandidates() {
    clearCandidates();
    if (!aidsState(ws_).LDfstring) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<tSkyStr*> found = ::refreshCandidates(ws_);
    QList<QTreeWidgetItem*> items;
    for (tSkyStr* c : found)
        items << new TCandidateItem(c, rowTexts(*c));
    LDtree->setSortingEnabled(false);
    LDtree->addTopLevelItems(items);
    LDtree->setSortingEnabled(true);
    LDtree->sortByColumn(kLdColumn, Qt::AscendingOrder);
    if (!items.isEmpty()) LDtree->setCurrentItem(LDtree->topLevelItem(0));
    QApplication::restoreOverrideCursor();
}

tSkyStr* TSuggestionsPage::focusedCandidate() const {
    auto* item = static_cast<TCandidateItem*>(LDtree->currentItem());
    return item ? item->entry() : nullptr;
}

void TSuggestionsPage::takeFocusedCandidate() {
    tSkyStr* candidate = focusedCandidate();
    if (!candidate) return;
    form_.runGuarded([this, candidate] { takeCandidate(ws_, *candidate); });
}

void TSuggestionsPage::editWithFocusedCandidate() {
    tSkyStr* candidate = focusedCandidate();
    if (!candidate || !ws_.app.isIdle()) return;
    if (!mayEditWithCandidate(ws_, *candidate)) return;
    if (openEditDialog) openEditDialog(*aidsState(ws_).LDfstring, candidate->gTrans);
}

// ----- TForm4

TForm4::TForm4(TWorkspace& ws, const tSkyStr* skSource, QWidget* parent, const rSearchData* remembered)
    : QDialog(parent), ws_(ws) {
    const TAppContext& app = ws.app;
    const rSearchData& settings = remembered ? *remembered : aidsState(ws).searchSettings;
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(app.uiText(QStringLiteral("Searchandreplace")));
    auto* layout = new QVBoxLayout(this);
    const auto field = [&](const QString& key, const char* name) {
        layout->addWidget(new QLabel(app.uiText(key), this));
        auto* box = new QComboBox(this);
        box->setObjectName(QLatin1String(name));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        layout->addWidget(box);
        return box;
    };
    ComboBox1 = field(QStringLiteral("Search"), "ComboBox1");
    ComboBox2 = field(QStringLiteral("Replace"), "ComboBox2");
    QStringList words;
    if (skSource) textWords(words, skSource->gS, 12);
    words.sort(Qt::CaseInsensitive);
    ComboBox1->addItems(words);
    ComboBox1->setEditText(settings.s1);
    ComboBox2->setEditText(settings.s2);
    connect(ComboBox1, &QComboBox::editTextChanged, this, [this](const QString& text) {
        QStringList proposals = {};
        wordSuggestions(ws_, proposals, text, 5);
        const QString kept = ComboBox2->currentText();
        ComboBox2->clear();
        ComboBox2->addItems(proposals);
        ComboBox2->setEditText(kept);
    });
    RadioGroup1 = addRadioGroup(this, layout, app, QStringLiteral("searchRepIn"),
                                {QStringLiteral("StringsAll"), QStringLiteral("StringNoVal"),
                                 QStringLiteral("StringNoLD"), QStringLiteral("StringSel")},
                                settings.mode1 >= 0 && settings.mode1 <= 3 ? settings.mode1 : 0, "RadioGroup1");
    RadioGroup2 = addRadioGroup(
        this, layout, app, QStringLiteral("search_Method"),
        {QStringLiteral("searchindest"), QStringLiteral("searchinSource"), QStringLiteral("justAddInDest")},
        settings.mode2 >= 0 && settings.mode2 <= 2 ? settings.mode2 : 0, "RadioGroup2");
    CheckBox1 = new QCheckBox(app.uiText(QStringLiteral("Case_sensitive")), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(settings.caseSensitive);
    layout->addWidget(CheckBox1);
    ComboBox3 = field(QStringLiteral("searchRepMethode"), "ComboBox3");
    ComboBox3->addItems(searchPatterns());
    if (settings.strformat.isEmpty())
        ComboBox3->setCurrentIndex(0);
    else
        ComboBox3->setEditText(settings.strformat);
    CheckBox2 = new QCheckBox(app.uiText(QStringLiteral("Search_inAllLists")), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setChecked(settings.allList);
    layout->addWidget(CheckBox2);
    layout->addWidget(okCancel(this, app));
}

rSearchData TForm4::rule() const {
    rSearchData r;
    r.s1 = ComboBox1->currentText();
    r.s2 = ComboBox2->currentText();
    r.mode1 = RadioGroup1->checkedId();
    r.mode2 = RadioGroup2->checkedId();
    r.caseSensitive = CheckBox1->isChecked();
    r.allList = CheckBox2->isChecked();
    r.strformat = ComboBox3->currentText();
    return r;
}

// ----- TForm11

TForm11::TForm11(TAppContext& app, const QString& text, const QString& file, QWidget* parent)
    : QDialog(parent), filenamefull(file) {
    setObjectName(QStringLiteral("TForm11"));
    setWindowTitle(app.uiText(QStringLiteral("BatchSearchAndReplace")));
    resize(640, 480);
    auto* layout = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setPlainText(text);
    layout->addWidget(Memo1);
    QDialogButtonBox* buttons = okCancel(this, app);
    QPushButton* save = buttons->addButton(app.uiText(QStringLiteral("SaveRules")), QDialogButtonBox::ActionRole);
    save->setObjectName(QStringLiteral("SaveRules"));
    connect(save, &QPushButton::clicked, this, [this, &app] { saveBatchRules(app, Memo1->toPlainText()); });
    layout->addWidget(buttons);
}

// ----- TForm5

TForm5::TForm5(const TAppContext& app, const rRowChoiceRequest& request, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(request.caption);
    resize(640, 360);
    auto* layout = new QVBoxLayout(this);
    replaceTree = entryTree(app, this, "replaceTree");
    replaceTree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    if (!request.headers.isEmpty()) replaceTree->setHeaderLabels(request.headers);
    QList<QTreeWidgetItem*> items;
    for (const QStringList& row : request.rows)
        items << new QTreeWidgetItem(row);
    replaceTree->addTopLevelItems(items);
    for (qsizetype i = 0; i < items.size(); ++i)
        items[i]->setSelected(request.chosen.value(i));
    layout->addWidget(replaceTree);
    countLabel = new QLabel(this);
    countLabel->setObjectName(QStringLiteral("countLabel"));
    layout->addWidget(countLabel);
    layout->addWidget(new QLabel(app.uiText(QStringLiteral("ctrl_select")), this));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(app.uiText(QStringLiteral("Ok")), QDialogButtonBox::AcceptRole);
    QPushButton* all = buttons->addButton(app.uiText(QStringLiteral("SelectAll")), QDialogButtonBox::ActionRole);
    QPushButton* none = buttons->addButton(app.uiText(QStringLiteral("DeselectAll")), QDialogButtonBox::ActionRole);
    QPushButton* no = buttons->addButton(app.uiText(QStringLiteral("No")), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("Ok"));
    no->setObjectName(QStringLiteral("No"));
    all->setObjectName(QStringLiteral("SelectAll"));
    none->setObjectName(QStringLiteral("DeselectAll"));
    for (QPushButton* b : {ok, all, none})
        b->setAutoDefault(false);
    no->setDefault(true);
    connect(all, &QPushButton::clicked, replaceTree, &QTreeWidget::selectAll);
    connect(none, &QPushButton::clicked, replaceTree, &QTreeWidget::clearSelection);
    connect(replaceTree, &QTreeWidget::itemSelectionChanged, this, &TForm5::updateCount);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    updateCount();
}

void TForm5::updateCount() {
    countLabel->setText(app_.uiTextFormat(QStringLiteral("Similar_Chosen"),
                                          {replaceTree->selectedItems().size(), replaceTree->topLevelItemCount()}));
}

QList<bool> TForm5::chosenRows() const {
    QList<bool> out;
    for (int i = 0; i < replaceTree->topLevelItemCount(); ++i)
        out << replaceTree->topLevelItem(i)->isSelected();
    return out;
}

// ----- TFormsText

TFormsText::TFormsText(const TAppContext& app, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFormsText"));
    setWindowTitle(app.uiText(QStringLiteral("textSearch")));
    auto* layout = new QVBoxLayout(this);
    cbSearchText = new QComboBox(this);
    cbSearchText->setObjectName(QStringLiteral("cbSearchText"));
    cbSearchText->setEditable(true);
    cbSearchText->setInsertPolicy(QComboBox::NoInsert);
    layout->addWidget(cbSearchText);
    RadioGroup1 = addRadioGroup(
        this, layout, app, QStringLiteral("SearchIn"),
        {QStringLiteral("Source"), QStringLiteral("Destination"), QStringLiteral("SearchResult")}, 0, "RadioGroup1");
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(app.uiText(QStringLiteral("Ok")), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

QString TFormsText::SearchTextHistory() const {
    QStringList lines;
    for (int i = 0; i < cbSearchText->count() && i < 10; ++i)
        lines << cbSearchText->itemText(i);
    return lines.join(QStringLiteral("\r\n"));
}

void TFormsText::setSearchTextHistory(const QString& lines) {
    cbSearchText->clear();
    QStringList items = lines.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    cbSearchText->addItems(items);
    cbSearchText->setEditText(QString());
}

QString TFormsText::searchText() const {
    return cbSearchText->currentText();
}

int TFormsText::searchIn() const {
    return RadioGroup1->checkedId();
}

void TFormsText::accept() {
    const QString text = cbSearchText->currentText();
    if (!text.isEmpty()) {
        const int at = cbSearchText->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (at >= 0) cbSearchText->removeItem(at);
        cbSearchText->insertItem(0, text);
        cbSearchText->setEditText(text);
    }
    QDialog::accept();
}

// ----- Installation

TSuggestionsPage* installAidsUi(TForm1& form) {
    TWorkspace& ws = form.workspace();
    QWidget* host = form.autoTranslationPage();
    auto* page = new TSuggestionsPage(form, host);
    if (!host->layout()) new QVBoxLayout(host);
    host->layout()->setContentsMargins(0, 0, 0, 0);
    host->layout()->addWidget(page);

    // The focused row of each list view names the string whose candidates are listed.
    for (int i = 0; i < 3; ++i) {
        QTreeView* view = form.listView(i);
        if (!view || !view->selectionModel()) continue;
        QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, page,
                         [&form, page, i](const QModelIndex& current) {
                             TStringListProxy* proxy = form.listProxy(i);
                             page->focusChanged(proxy && current.isValid() ? proxy->entryAt(current) : nullptr);
                         });
    }
    QObject::connect(form.bottomPages(), &QTabWidget::currentChanged, page, [&form, page] {
        if (form.bottomPages()->currentWidget() != form.autoTranslationPage()) return;
        QCoreApplication::processEvents();
        page->refreshCandidates();
    });
    // The candidates point into the vocabulary, the focused string into the lists: each goes before they are freed.
    TChangeChannel& changes = form.changes();
    QObject::connect(&form, &TForm1::operationStarted, page, [page] { page->clearCandidates(); });
    QObject::connect(&changes, &TChangeChannel::documentAboutToClose, page, [page, &ws] {
        page->clearCandidates();
        aidsState(ws).LDfstring = nullptr;
    });
    QObject::connect(&changes, &TChangeChannel::vocabularyAboutToBeReplaced, page, [page] { page->clearCandidates(); });

    // The lists, Undo and the title follow these commands through the change channel; the heuristic's lists are shown
    // by their scores the same way.
    const auto activeList = [&form] { return qBound(0, form.listPages()->currentIndex(), 2); };
    form.setCommand(QStringLiteral("Heuristic"), [&ws, activeList] { runHeuristic(ws, activeList()); });
    form.setCommand(QStringLiteral("HeuristicFull"), [&ws] { runHeuristicFull(ws); });
    // The dialog opens as the translator left it this session (whatever document, batch or cancel came between); the
    // first time it replaces text in the translations of every string.
    auto remembered = std::make_shared<rSearchData>();
    remembered->mode1 = 0;
    remembered->mode2 = 0;
    form.setCommand(QStringLiteral("SearchandReplace"), [&form, &ws, activeList, remembered] {
        TForm4 dialog(ws, form.focusedEntry(), &form, remembered.get());
        const bool accepted = dialog.exec() == QDialog::Accepted;
        *remembered = dialog.rule();
        if (accepted) searchAndReplace(ws, dialog.rule(), activeList());
    });
    form.setCommand(QStringLiteral("BatchSearchAndReplace"), [&ws, activeList] { runBatchFile(ws, activeList()); });
    form.setCommand(QStringLiteral("Menu_FixAlias"), [&form, &ws] { fixAliases(ws, form.selectedEntries()); });
    return page;
}
