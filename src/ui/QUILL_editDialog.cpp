// The string edit dialog: one window for the whole run, loaded with a new string each time it is opened.
#include "ui/QUILL_editDialog.h"

#include "plugin/QUILL_espTree.h"
#include "ui/QUILL_aidsUi.h"
#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_espTreeView.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_stringListModel.h"
#include "ui/QUILL_windowGeometry.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsCompare.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

using namespace editlogic;

namespace {

constexpr int kWordCellWidth = 125;
constexpr int kMaxWordCells = 6;
const QColor kAlertColour(0xFF, 0xAA, 0xAA);

QColor rgb(uint32_t value) {
    return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

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

QTreeView* makeRowsView(QWidget* parent, TEntryRowsModel* model, const QString& name) {
    auto* view = new QTreeView(parent);
    view->setObjectName(name);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAlternatingRowColors(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setModel(model);
    view->header()->setStretchLastSection(false);
    return view;
}

void stretchTextColumns(QTreeView* view, const QList<int>& textColumns) {
    QHeaderView* header = view->header();
    for (int c = 0; c < view->model()->columnCount(); ++c)
        header->setSectionResizeMode(c, textColumns.contains(c) ? QHeaderView::Stretch : QHeaderView::Interactive);
}

TPluginLayout pluginLayout(const TWorkspace& ws) {
    const TPluginDocument* plugin = ws.plugin();
    if (!plugin) return TPluginLayout::none;
    return plugin->localized ? TPluginLayout::localized : TPluginLayout::plain;
}

} // namespace

// ----- The gutter editor

class TGutterArea : public QWidget {
public:
    explicit TGutterArea(TGutterEdit* editor) : QWidget(editor), editor_(editor) {}
    QSize sizeHint() const override { return {editor_->gutterWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { editor_->paintGutter(event); }
    void mousePressEvent(QMouseEvent* event) override {
        const QTextCursor cursor = editor_->cursorForPosition(QPoint(0, event->position().toPoint().y()));
        if (editor_->gutterClicked) editor_->gutterClicked(cursor.blockNumber());
    }

private:
    TGutterEdit* editor_;
};

TGutterEdit::TGutterEdit(QWidget* parent) : QPlainTextEdit(parent), gutter_(new TGutterArea(this)) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { setViewportMargins(gutterWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &TGutterEdit::updateGutter);
    setViewportMargins(gutterWidth(), 0, 0, 0);
}

int TGutterEdit::gutterWidth() const {
    int digits = 1;
    for (int n = qMax(1, blockCount()); n >= 10; n /= 10)
        ++digits;
    const QString sample = QString(digits, QLatin1Char('9')) + (lineMarks_ ? QStringLiteral(" [!]") : QString());
    return 8 + fontMetrics().horizontalAdvance(sample);
}

void TGutterEdit::setLineMarks(bool marks) {
    if (marks == lineMarks_) return;
    lineMarks_ = marks;
    setViewportMargins(gutterWidth(), 0, 0, 0);
    gutter_->update();
}

void TGutterEdit::setGutterAlert(bool alert) {
    if (alert == alert_) return;
    alert_ = alert;
    gutter_->update();
}

void TGutterEdit::centreOnLine(int line) {
    const QTextBlock block = document()->findBlockByNumber(qMax(0, line));
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    setTextCursor(cursor);
    centerCursor();
}

void TGutterEdit::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect r = contentsRect();
    gutter_->setGeometry(QRect(r.left(), r.top(), gutterWidth(), r.height()));
}

void TGutterEdit::updateGutter(const QRect& rect, int dy) {
    if (dy)
        gutter_->scroll(0, dy);
    else
        gutter_->update(0, rect.y(), gutter_->width(), rect.height());
}

void TGutterEdit::paintGutter(QPaintEvent* event) {
    QPainter painter(gutter_);
    painter.fillRect(event->rect(), alert_ ? kAlertColour : palette().color(QPalette::AlternateBase));
    QTextBlock block = firstVisibleBlock();
    int number = block.blockNumber();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int lineHeight = fontMetrics().height();
    painter.setFont(font());
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible()) {
            QString text = QString::number(number + 1);
            if (lineMarks_ && number > 0) text += QStringLiteral(" [!]");
            painter.setPen(lineMarks_ && number > 0 ? QColor(0xC6, 0x28, 0x28) : QColor(0x70, 0x70, 0x70));
            painter.drawText(0, top, gutter_->width() - 4, lineHeight, Qt::AlignRight, text);
        }
        top += qRound(blockBoundingRect(block).height());
        block = block.next();
        ++number;
    }
}

// ----- Rows of entries

TEntryRowsModel::TEntryRowsModel(TWorkspace& ws, QList<int> columns, QObject* parent)
    : QAbstractTableModel(parent), ws_(ws), columns_(std::move(columns)) {}

void TEntryRowsModel::setRows(QList<tSkyStr*> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TEntryRowsModel::refresh() {
    if (!rows_.isEmpty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int TEntryRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TEntryRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TEntryRowsModel::data(const QModelIndex& index, int role) const {
    const tSkyStr* e = entryAt(index.row());
    if (!e) return {};
    const int column = columns_.value(index.column());
    if (role == Qt::DisplayRole && column == static_cast<int>(TListColumn::id) && idOf) return idOf(*e);
    if (role == Qt::SizeHintRole) return {}; // one line per row here
    static const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return stringCellData(ws_, *e, column, role, 18, fixed);
}

QVariant TEntryRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return ws_.app.uiText(listColumnKey(columns_.value(section)));
}

// ----- The dialog

TForm2::TForm2(TForm1& form, QWidget* parent) : QWidget(parent, Qt::Window), form_(form), ws_(form.workspace()) {
    setObjectName(QStringLiteral("TForm2"));
    buildUi();
    applyTexts();
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

    // The six pages.
    pages_ = new QTabWidget(splitter_);
    pages_->setObjectName(QStringLiteral("EditPages"));
    pages_->setMinimumHeight(120);

    auto* recordPage = new QWidget(pages_);
    auto* recordLayout = new QVBoxLayout(recordPage);
    recordHeader_ = new QLineEdit(recordPage);
    recordHeader_->setReadOnly(true);
    recordModel_ = new TEntryRowsModel(ws_, {0, 1, 2, 3}, this);
    recordModel_->idOf = [this](const tSkyStr& e) { return recordRowId(e, pluginLayout(ws_)); };
    recordView_ = makeRowsView(recordPage, recordModel_, QStringLiteral("RecordList"));
    stretchTextColumns(recordView_, {1, 2});
    recordLayout->addWidget(recordHeader_);
    recordLayout->addWidget(recordView_, 1);
    pages_->addTab(recordPage, QString());

    auto* searchPage = new QWidget(pages_);
    auto* searchLayout = new QVBoxLayout(searchPage);
    auto* searchBar = new QHBoxLayout;
    searchBox_ = new QLineEdit(searchPage);
    searchBox_->setObjectName(QStringLiteral("EditSearchBox"));
    searchBox_->setClearButtonEnabled(true);
    auto toggle = [searchPage](const QString& glyph) {
        auto* b = new QToolButton(searchPage);
        b->setText(glyph);
        b->setCheckable(true);
        b->setAutoRaise(true);
        return b;
    };
    searchSource_ = toggle(QStringLiteral("S"));
    searchDest_ = toggle(QStringLiteral("T"));
    searchCurrent_ = toggle(QStringLiteral("1"));
    searchSource_->setChecked(true);
    searchCurrent_->setChecked(true);
    searchBar->addWidget(searchBox_, 1);
    searchBar->addWidget(searchSource_);
    searchBar->addWidget(searchDest_);
    searchBar->addWidget(searchCurrent_);
    auto* searchSplit = new QSplitter(Qt::Horizontal, searchPage);
    hitsModel_ = new TEntryRowsModel(ws_, {0, 1, 2}, this);
    hitsView_ = makeRowsView(searchSplit, hitsModel_, QStringLiteral("SearchHits"));
    stretchTextColumns(hitsView_, {1, 2});
    preview_ = new QPlainTextEdit(searchSplit);
    preview_->setReadOnly(true);
    searchSplit->setStretchFactor(0, 3);
    searchSplit->setStretchFactor(1, 1);
    searchLayout->addLayout(searchBar);
    searchLayout->addWidget(searchSplit, 1);
    pages_->addTab(searchPage, QString());
    searchTimer_ = new QTimer(this);
    searchTimer_->setSingleShot(true);
    searchTimer_->setInterval(250);
    connect(searchTimer_, &QTimer::timeout, this, &TForm2::search);
    connect(searchBox_, &QLineEdit::textEdited, searchTimer_, qOverload<>(&QTimer::start));
    connect(searchBox_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty()) search(); // the clear button
    });
    connect(searchSource_, &QToolButton::clicked, this, [this] {
        searchSource_->setChecked(true);
        searchDest_->setChecked(false);
        search();
    });
    connect(searchDest_, &QToolButton::clicked, this, [this] {
        searchDest_->setChecked(true);
        searchSource_->setChecked(false);
        search();
    });
    connect(searchCurrent_, &QToolButton::clicked, this, &TForm2::search);
    connect(hitsView_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        const tSkyStr* e = hitsModel_->entryAt(i.row());
        if (!e) return;
        preview_->setPlainText(i.column() == 2 ? e->gTrans : e->gS);
    });
    hitsView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(hitsView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.addAction(ws_.app.uiText(QStringLiteral("Menu_UseTrans")), this, &TForm2::useHitTranslation)
            ->setEnabled(hitsModel_->entryAt(hitsView_->currentIndex().row()) != nullptr);
        menu.exec(hitsView_->viewport()->mapToGlobal(pos));
    });

    diffView_ = new QTextEdit(pages_);
    diffView_->setObjectName(QStringLiteral("DiffView"));
    diffView_->setReadOnly(true);
    invertDiff_ = new QAction(this);
    invertDiff_->setCheckable(true);
    invertDiff_->setChecked(true);
    connect(invertDiff_, &QAction::toggled, this, [this] {
        if (!backupOriginalSourceString_.isEmpty()) showDiff(backupOriginalSourceString_);
    });
    diffView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(diffView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* menu = diffView_->createStandardContextMenu();
        menu->addSeparator();
        menu->addAction(invertDiff_);
        menu->exec(diffView_->viewport()->mapToGlobal(pos));
        delete menu;
    });
    pages_->addTab(diffView_, QString());

    aliasView_ = new QTreeWidget(pages_);
    aliasView_->setObjectName(QStringLiteral("AliasList"));
    aliasView_->setColumnCount(2);
    aliasView_->setRootIsDecorated(false);
    aliasView_->header()->setSectionResizeMode(QHeaderView::Stretch);
    aliasView_->setContextMenuPolicy(Qt::CustomContextMenu);
    // A right click on a row puts its source tag into the translation.
    connect(aliasView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QTreeWidgetItem* item = aliasView_->itemAt(pos);
        if (item && !item->text(0).isEmpty()) insertIntoTranslation(item->text(0));
    });
    pages_->addTab(aliasView_, QString());

    compareView_ = new QTreeWidget(pages_);
    compareView_->setObjectName(QStringLiteral("CompareList"));
    compareView_->setColumnCount(1);
    compareView_->setHeaderHidden(true);
    compareView_->setRootIsDecorated(false);
    connect(compareView_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (!item || transEdit_->isReadOnly()) return;
        transEdit_->setPlainText(item->text(0));
    });
    pages_->addTab(compareView_, QString());

    auto* dialoguePage = new QWidget(pages_);
    auto* dialogueLayout = new QVBoxLayout(dialoguePage);
    dialogueHeader_ = new QLineEdit(dialoguePage);
    dialogueHeader_->setReadOnly(true);
    dialogueModel_ = new TEntryRowsModel(ws_, {4, 0, 1, 2, 3}, this);
    dialogueView_ = makeRowsView(dialoguePage, dialogueModel_, QStringLiteral("DialogueList"));
    stretchTextColumns(dialogueView_, {2, 3});
    dialogueLayout->addWidget(dialogueHeader_);
    dialogueLayout->addWidget(dialogueView_, 1);
    pages_->addTab(dialoguePage, QString());
    for (int p : {pageAlias, pageCompare, pageDialogue})
        setMarker(static_cast<TPage>(p), false);
    connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == pageSearch) search();
    });
    for (QTreeView* view : {recordView_, dialogueView_})
        connect(view, &QTreeView::doubleClicked, this, [this, view](const QModelIndex& i) { openRow(view, i); });

    // The editors, the toolbar and the buttons.
    auto* lower = new QWidget(splitter_);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    auto* toolBar = new QToolBar(lower);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    findAction_ = toolBar->addAction(QString(), this, &TForm2::pickSearchText);
    findPrevious_ = toolBar->addAction(QStringLiteral("\u25C0"), this, [this] { findInEditor(false); });
    findNext_ = toolBar->addAction(QStringLiteral("\u25B6"), this, [this] { findInEditor(true); });
    findNext_->setEnabled(false);
    findPrevious_->setEnabled(false);
    toolBar->addSeparator();
    auto caseAction = [this](TCaseChange change) {
        QTextCursor cursor = transEdit_->textCursor();
        if (!cursor.hasSelection() || transEdit_->isReadOnly()) return;
        const int start = cursor.selectionStart();
        const QString text = changeCase(cursor.selectedText(), change);
        cursor.insertText(text);
        cursor.setPosition(start);
        cursor.setPosition(start + static_cast<int>(text.size()), QTextCursor::KeepAnchor);
        transEdit_->setTextCursor(cursor);
    };
    toolBar->addAction(QStringLiteral("AB"), this, [caseAction] { caseAction(TCaseChange::upper); })
        ->setObjectName(QStringLiteral("Hint_Uppercase"));
    toolBar->addAction(QStringLiteral("ab"), this, [caseAction] { caseAction(TCaseChange::lower); })
        ->setObjectName(QStringLiteral("Hint_LowerCase"));
    toolBar->addAction(QStringLiteral("Ab"), this, [caseAction] { caseAction(TCaseChange::title); })
        ->setObjectName(QStringLiteral("Hint_TitleCase"));
    toolBar->addSeparator();
    autoTrim_ = toolBar->addAction(QStringLiteral("\u2702"));
    autoTrim_->setCheckable(true);
    autoTrim_->setChecked(true);
    noReplace_ = toolBar->addAction(QStringLiteral("\u21C9"));
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
        CheckAlias();
    });
    for (TGutterEdit* editor : {sourceEdit_, transEdit_}) {
        editor->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(editor, &QWidget::customContextMenuRequested, this, [this, editor](const QPoint& pos) {
            QMenu* menu = editorMenu(editor, pos);
            menu->exec(editor->viewport()->mapToGlobal(pos));
            delete menu;
        });
        editor->viewport()->installEventFilter(this);
    }
    specialChars_ = new QAction(this);
    specialChars_->setCheckable(true);
    connect(specialChars_, &QAction::toggled, this, [this](bool on) {
        for (QPlainTextEdit* editor :
             {static_cast<QPlainTextEdit*>(sourceEdit_), static_cast<QPlainTextEdit*>(transEdit_), preview_}) {
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
    confirmBox_ = new QCheckBox(lower);
    confirmBox_->setChecked(true);
    okButton_ = new QPushButton(lower);
    cancelButton_ = new QPushButton(lower);
    buttons->addWidget(counter_);
    buttons->addWidget(confirmBox_);
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    lowerLayout->addLayout(buttons);
    connect(okButton_, &QPushButton::clicked, this, [this] {
        if (valideStringChange(true, false, true, {sStrParam::validated}, {sStrParam::incompleteTrans})) closeDialog();
    });
    connect(cancelButton_, &QPushButton::clicked, this, &TForm2::closeDialog);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 1);
    splitter_->setChildrenCollapsible(false);
    lower->setMinimumHeight(150);
}

void TForm2::applyTexts() {
    const TAppContext& app = ws_.app;
    auto t = [&app](const char* key) { return app.uiText(QLatin1String(key)); };
    setWindowTitle(t("SearchandEdit"));
    const char* pageKeys[] = {"espRecord", "Search", "Diff_Viewer", "Alias_Check", "EspCompRes", "Dialogs"};
    for (int i = 0; i < pageCount; ++i)
        pages_->setTabText(i, t(pageKeys[i]));
    aliasView_->setHeaderLabels({t("Alias_Source"), t("Alias_Dest")});
    searchSource_->setToolTip(t("Hint_SearchSource"));
    searchDest_->setToolTip(t("Hint_SearchDest"));
    searchCurrent_->setToolTip(t("hint_SearchCurrent"));
    findAction_->setText(t("Search"));
    findAction_->setToolTip(t("Hint_EditSearch"));
    findNext_->setToolTip(t("Hint_EditSNext"));
    findPrevious_->setToolTip(t("Hint_EditSPrevious"));
    for (QAction* a : findChildren<QAction*>())
        if (a->objectName().startsWith(QLatin1String("Hint_"))) a->setToolTip(app.uiText(a->objectName()));
    autoTrim_->setToolTip(t("hint_autotrim"));
    noReplace_->setToolTip(t("hint_noReplace"));
    invertDiff_->setText(t("Menu_InvertDiff"));
    specialChars_->setText(t("Menu_SpChar"));
    confirmBox_->setText(t("Lbl_confirm_Chg"));
    okButton_->setText(t("Ok_(Ctrl-Enter)"));
    cancelButton_->setText(t("Cancel"));
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
        getDiff(backupOriginalSourceString_);
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
                       static_cast<QWidget*>(preview_), static_cast<QWidget*>(diffView_)})
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
    backupOriginalSourceString_.clear();
    getDiff();
    getEspData();
    CheckAlias();
    updateLengthInfo();
    fillComparePage();
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

void TForm2::storePendingEdit(bool alwaysAsk) {
    if (!fstring_) return;
    const bool ask = alwaysAsk || confirmBox_->isChecked();
    valideStringChange(false, ask, true, {sStrParam::validated}, {sStrParam::incompleteTrans});
    closeDialog();
}

void TForm2::entriesChanged(const std::vector<tSkyStr*>& entries) {
    if (!fstring_ || !isVisible()) return;
    recordModel_->refresh();
    dialogueModel_->refresh();
    hitsModel_->refresh();
    fillComparePage();
    // A command changed the string the dialog holds (an undo, a replacement): the editor shows it unless the
    // translator is typing in it.
    if (std::find(entries.begin(), entries.end(), fstring_) == entries.end()) return;
    if (transEdit_->document()->isModified()) return;
    const QSignalBlocker blocker(transEdit_);
    transEdit_->setPlainText(fstring_->gTrans);
    transEdit_->document()->setModified(false);
    updateLengthInfo();
}

void TForm2::fillComparePage() {
    setCompareRows({}, false);
    if (!fstring_ || !compareRecordsLoaded(ws_)) return;
    const bool warning = fstring_->hasFlag(sStrInternalParam::Warning);
    QList<TCompareData> rows;
    for (const QString& text : compareTextsFor(ws_, *fstring_))
        rows.append({text, warning});
    setCompareRows(rows, warning);
}

void TForm2::closeDialog() {
    close();
}

void TForm2::closeEvent(QCloseEvent* event) {
    saveGeometryToPrefs();
    detachRows();
    fstring_ = nullptr;
    emit focusedStringChanged(fstring_);
    currentEspRecord_ = nullptr;
    editedEspNode_ = nullptr;
    backupOriginalSourceString_.clear();
    currentMaxStringLength_ = 0;
    currentCRState_ = false;
    recordHeader_->clear();
    dialogueHeader_->clear();
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
    detachRows();
}

void TForm2::refillPages() {
    if (!fstring_ || !isVisible()) return;
    getEspData();
    CheckAlias();
}

void TForm2::detachRows() {
    recordModel_->setRows({});
    dialogueModel_->setRows({});
    hitsModel_->setRows({});
    aliasView_->clear();
    compareView_->clear();
    wordList_->setColumnCount(0);
    currentEspRecord_ = nullptr;
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
    if (ws_.plugin()) {
        const int row = static_cast<int>(recordModel_->rows().indexOf(fstring_));
        if (row >= 0) next = recordModel_->entryAt(forward ? row + 1 : row - 1);
        TPluginDocument* plugin = ws_.plugin();
        if (!next && plugin) {
            auto visible = [this](const tSkyStr& e) {
                const TStringListProxy* proxy = form_.listProxy(qBound(0, int(e.listIndex), 2));
                return proxy && entryPassesFilter(proxy->filter(), e);
            };
            const rTreeStep step = nextTreeString(plugin->tree, editedEspNode_, fstring_, forward, visible);
            if (step.entry) {
                next = step.entry;
                editedEspNode_ = step.node;
            }
        }
    } else if (list >= 0 && list < 3) {
        QTreeView* view = form_.listView(list);
        TStringListProxy* proxy = form_.listProxy(list);
        const int rows = proxy->rowCount();
        QModelIndex current = view->currentIndex();
        if (proxy->entryAt(current) != fstring_) {
            current = {};
            for (int r = 0; r < rows && !current.isValid(); ++r)
                if (proxy->entryAt(proxy->index(r, 0)) == fstring_) current = proxy->index(r, 0);
        }
        if (current.isValid() && rows > 1) {
            const int row = (current.row() + (forward ? 1 : rows - 1)) % rows;
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

void TForm2::selectRow(QTreeView* view, int row) {
    if (row < 0) return;
    const QModelIndex index = view->model()->index(row, 0);
    view->setCurrentIndex(index);
    view->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

void TForm2::openRow(QTreeView* view, const QModelIndex& index) {
    auto* model = static_cast<TEntryRowsModel*>(view->model());
    tSkyStr* entry = model->entryAt(index.row());
    if (!entry || entry == fstring_) return;
    openEditDialog(true, entry);
}

void TForm2::getEspData() {
    if (!fstring_) return;
    const rRecordPage page = recordPage(ws_.app, *fstring_, pluginLayout(ws_));
    recordHeader_->setText(page.header);
    if (page.linked) {
        currentMaxStringLength_ = page.maxLength;
        currentCRState_ = page.lineBreaksAllowed;
    }
    if (!page.linked) {
        if (!ws_.plugin() || fstring_->hasFlag(sStrInternalParam::isOrphean) || !fstring_->isEspAssigned()) {
            recordModel_->setRows({});
            dialogueModel_->setRows({});
            dialogueHeader_->clear();
            setMarker(pageDialogue, false);
            currentEspRecord_ = nullptr;
        }
        return;
    }
    const trecord* record = fstring_->esp.rec;
    if (record == currentEspRecord_) {
        recordModel_->refresh();
    } else {
        recordModel_->setRows(page.rows);
        currentEspRecord_ = record;
        getDialogData(*record);
    }
    selectRow(recordView_, page.focusedRow);
    selectRow(dialogueView_, static_cast<int>(dialogueModel_->rows().indexOf(fstring_)));
}

void TForm2::getDialogData(const trecord& record) {
    dialogueModel_->setRows({});
    dialogueHeader_->clear();
    setMarker(pageDialogue, false);
    const TPluginDocument* plugin = ws_.plugin();
    if (!plugin) return;
    const rDialoguePage page = dialoguePage(ws_.app, plugin->tree, record, fstring_, pluginLayout(ws_));
    setMarker(pageDialogue, page.marked);
    dialogueHeader_->setText(page.header);
    dialogueModel_->setRows(page.rows);
}

void TForm2::CheckAlias() {
    aliasView_->clear();
    if (!fstring_) return;
    const rAliasCheck check = checkAliases(sourceEdit_->toPlainText(), transEdit_->toPlainText());
    setMarker(pageAlias, check.tagsDiffer);
    for (const TAliasData& row : check.rows) {
        auto* item = new QTreeWidgetItem(aliasView_, {row.sSource, row.sDest});
        item->setBackground(0, rgb(aliasColour(row.cSource)));
        item->setBackground(1, rgb(aliasColour(row.cDest)));
    }
}

void TForm2::getDiff(const QString& originalSourceString) {
    diffView_->clear();
    if (!fstring_) return;
    QString other = originalSourceString;
    if (other.isEmpty() && !bestLDString.isEmpty()) other = std::exchange(bestLDString, QString());
    if (other.isEmpty()) {
        const auto& pairs = ws_.heuristicMatches[qBound(0, int(fstring_->listIndex), 2)];
        for (const rHeuristicPair& pair : pairs)
            if (pair.entry == fstring_ && pair.vocabulary) {
                other = pair.vocabulary->gS;
                break;
            }
    }
    if (other.isEmpty()) {
        diffView_->setPlainText(ws_.app.uiText(QStringLiteral("Fbk_DiffViewer")));
        return;
    }
    showDiff(other);
}

void TForm2::showDiff(const QString& otherText) {
    backupOriginalSourceString_ = otherText;
    const TAppContext& app = ws_.app;
    const bool inverted = invertDiff_->isChecked();
    const QString source = sourceEdit_->toPlainText();
    const rDiffView view = inverted ? editlogic::diffView(otherText, source) : editlogic::diffView(source, otherText);

    QTextCharFormat unchanged;
    unchanged.setForeground(Qt::black);
    unchanged.setBackground(QColor(0xC0, 0xC0, 0xC0));
    auto changed = [](const QColor& colour) {
        QTextCharFormat f;
        f.setForeground(colour);
        f.setFontWeight(QFont::Bold);
        f.setFontUnderline(true);
        f.setBackground(QColor(0xFF, 0xDD, 0xDD));
        return f;
    };
    const QTextCharFormat added = changed(Qt::red);
    const QTextCharFormat deleted = changed(QColor(0xC0, 0xC0, 0xC0));
    const QTextCharFormat modified = changed(Qt::blue);
    diffView_->clear();
    QTextCursor cursor(diffView_->document());
    auto line = [&](const QString& text, const QTextCharFormat& format) {
        cursor.insertText(text, format);
        cursor.insertText(QStringLiteral("\n"), QTextCharFormat());
    };
    auto count = [&](const char* key, int n) {
        return app.uiTextFormat(QStringLiteral("Edit_DiffCount"), {app.uiText(QLatin1String(key)), n});
    };
    line(app.uiTextFormat(QStringLiteral("Fbk_Diff1"),
                          {app.uiText(inverted ? QStringLiteral("Fdb_DiffStr2") : QStringLiteral("Fdb_DiffStr1"))}),
         unchanged);
    line(count("Fbk_Diff2", view.stats.matches), unchanged);
    line(count("Fbk_Diff3", view.stats.modifies), modified);
    line(count("Fbk_Diff4", view.stats.adds), added);
    line(count("Fbk_Diff5", view.stats.deletes), deleted);
    cursor.insertText(QStringLiteral("\n"), QTextCharFormat());
    for (const rDiffRun& run : view.runs) {
        switch (run.kind) {
        case TChangeKind::ckNone:
            cursor.insertText(run.text, unchanged);
            break;
        case TChangeKind::ckAdd:
            cursor.insertText(run.text, added);
            break;
        case TChangeKind::ckDelete:
            cursor.insertText(run.text, deleted);
            break;
        case TChangeKind::ckModify:
            cursor.insertText(run.text, modified);
            break;
        }
    }
    diffView_->moveCursor(QTextCursor::Start);
}

void TForm2::search() {
    searchTimer_->stop();
    if (pages_->currentIndex() != pageSearch) return;
    runSearchNow();
}

void TForm2::runSearchNow() {
    hitsModel_->setRows({});
    const QString text = searchBox_->text();
    if (text.size() < 3) return;
    int list = fstring_ ? int(fstring_->listIndex) : form_.listPages()->currentIndex();
    list = qBound(0, list, 2);
    searchEx(searchCurrent_->isChecked() ? list : -1, text);
}

void TForm2::searchEx(int listIndex, const QString& text) {
    hitsModel_->setRows(searchVocabulary(ws_.vocabularyLists, listIndex, text, searchDest_->isChecked()));
}

void TForm2::useHitTranslation() {
    const tSkyStr* hit = hitsModel_->entryAt(hitsView_->currentIndex().row());
    if (!hit || !fstring_ || transEdit_->isReadOnly()) return;
    transEdit_->setPlainText(hit->gTrans);
    transEdit_->setFocus();
    showDiff(hit->gS);
}

void TForm2::insertIntoTranslation(const QString& text) {
    if (transEdit_->isReadOnly()) return;
    QTextCursor cursor = transEdit_->textCursor();
    const int start = cursor.selectionStart();
    cursor.insertText(text);
    cursor.setPosition(start);
    cursor.setPosition(start + static_cast<int>(text.size()), QTextCursor::KeepAnchor);
    transEdit_->setTextCursor(cursor);
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
    compareView_->clear();
    setMarker(pageCompare, marked);
    for (const TCompareData& row : rows) {
        auto* item = new QTreeWidgetItem(compareView_, {row.s});
        if (row.warning) item->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxWarning));
    }
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
                             : ssearchMemo_ == 2 ? preview_
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
            searchBox_->setText(selected);
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
            if (valideStringChange(true, false, true, validated, partial)) closeDialog();
            return true;
        }
        if (mods == Qt::NoModifier && recordView_->hasFocus()) {
            openRow(recordView_, recordView_->currentIndex());
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
