// The main window: start-up, menus and tool bars, the string lists with their filter, the bottom pages, the log,
// the status bar, recent files, presets, drag and drop, and close.
#include "ui/QUILL_mainWindow.h"

#include "core/QUILL_error.h"
#include "core/QUILL_files.h"
#include "core/QUILL_folders.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_prefs.h"
#include "core/QUILL_recent.h"
#include "core/QUILL_startup.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_LangPref.h"
#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_guiHost.h"
#include "ui/QUILL_hintWindow.h"
#include "ui/QUILL_menuMnemonics.h"
#include "ui/QUILL_qtTranslations.h"
#include "ui/QUILL_stringListDelegate.h"
#include "ui/QUILL_stringListModel.h"
#include "ui/QUILL_uiExtensions.h"
#include "ui/QUILL_windowGeometry.h"
#include "workspace/QUILL_journal.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsTagging.h"
#include "workspace/QUILL_wsXliff.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kTopPanelMinimum = 120;

// A small icon drawn from a glyph, for the filter buttons that have no caption.
QIcon glyphIcon(const QString& glyph, const QColor& colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(24);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

QWidget* emptyPage(const char* name, QWidget* parent) {
    auto* page = new QWidget(parent);
    page->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    return page;
}

const char* kExportKeys[4] = {"Menu_ExportStr", "Menu_ExportEsp", "Menu_ExportMCM", "Menu_ExportPex"};

} // namespace

TForm1::TForm1(const QString& programFolder, const QString& firstArgument, const std::optional<QString>& gameDataFolder,
               QWidget* parent)
    : QMainWindow(parent), host_(std::make_unique<TGuiHost>(this)), ws_(std::make_unique<TWorkspace>(host_.get())),
      firstArgument_(firstArgument) {
    setObjectName(QStringLiteral("TForm1"));
    host_->setContext(&ws_->app);
    changes_ = new TChangeChannel(*ws_, this);
    setWindowTitle(QStringLiteral("Quillery"));
    setAcceptDrops(true);
    setMinimumSize(600, 480);

    // Widgets first, so that the log pane receives what the start-up reports.
    buildStatusBar();
    buildActions();
    buildMenus();
    buildToolBar();
    buildPages();

    startApplication(ws_->app, programFolder, gameDataFolder);
    // The window keeps a recovery journal of unsaved steps and offers it back after a crash.
    ws_->journal = std::make_unique<TJournalWriter>();
    ws_->recovery = TRecoveryUse::ask;
    if (!ws_->state().recordDefinitionLines.isEmpty())
        recordsDefEditor_->setPlainText(ws_->state().recordDefinitionLines.join(QLatin1Char('\n')));

    restoreGeometryFromPrefs();
    translateWindow(this, ws_->app);
    if (!installQtTranslations(ws_->app)) ws_->app.logMessage(ws_->app.uiText(QStringLiteral("Fbk_NoQtTranslations")));
    // The home page in the interface language when its folder has one, else the common one.
    const QString ownHome = QStringLiteral("sstreadme.htm");
    showHtmlPage(quillfs::findFileNoCase(ws_->state().resFolder, ownHome).isEmpty()
                     ? QStringLiteral("../common/sstreadme.htm")
                     : ownHome);

    nullButton_->setChecked(ws_->state().showNullDefault);
    connectChanges();
    installBuiltInCommands();
    ws_->app.refreshStatusLanguage();
    writtenRecent_ = ws_->state().recentAddon;
    rebuildRecentMenu();
    rebuildPresetMenu();
    arrangeViews();
    updatePageCaptions();
    TQUILLHint::install(); // every hint of the application is the formatted one
    installDialogTitleFitting();
    installUiExtensions(*this);
    updateCommands();
    emit changes_->vocabularyReplaced();
}

TForm1::~TForm1() {
    // Nothing hears of the workspace once the window goes.
    delete changes_;
    changes_ = nullptr;
    // The windows the areas made (the edit dialog) go first, while the workspace they point into still exists.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isWindow()) delete child;
    // The views must let go of the models before the lists they show are freed.
    for (QTreeView* view : views_)
        view->setModel(nullptr);
    host_->setContext(nullptr);
    // Every widget of the window goes while the workspace its models read still exists: left to the base class, the
    // window was closed after the workspace had gone, and a view being hidden asked its model for its header (the
    // Checks tab's read the interface texts of a freed workspace, now and then, when a test's window closed).
    hide();
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

// ---------------------------------------------------------------------------------------------------------------
// Building

QAction* TForm1::makeAction(const QString& key, const QString& hintKey) {
    auto* action = new QAction(this);
    action->setObjectName(key);
    setUiKey(action, key, ws_->app);
    if (!hintKey.isEmpty()) setUiHintKey(action, hintKey, ws_->app);
    action->setEnabled(false);
    connect(action, &QAction::triggered, this, [this, key] { runCommand(key); });
    actions_.insert(key, action);
    return action;
}

void TForm1::buildActions() {
    QStyle* s = style();
    makeAction(QStringLiteral("Load_Esp"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    actions_[QStringLiteral("Load_Esp")]->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
    makeAction(QStringLiteral("Load_Strings"))->setIcon(s->standardIcon(QStyle::SP_FileDialogDetailedView));
    makeAction(QStringLiteral("Load_ScriptPex"))->setIcon(s->standardIcon(QStyle::SP_FileIcon));
    makeAction(QStringLiteral("Load_MenuFile"));
    makeAction(QStringLiteral("Menu_ExportEsp"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    actions_[QStringLiteral("Menu_ExportEsp")]->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    makeAction(QStringLiteral("Menu_ExportEspAs"))->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    actions_[QStringLiteral("Menu_ExportEspAs")]->setIcon(s->standardIcon(QStyle::SP_DriveFDIcon));
    makeAction(QStringLiteral("Save_SST"));
    makeAction(QStringLiteral("Menu_CloseAll"))->setIcon(s->standardIcon(QStyle::SP_DialogCloseButton));
    makeAction(QStringLiteral("Menu_Quit"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    makeAction(QStringLiteral("Trans_Exact"))->setIcon(glyphIcon(QStringLiteral("="), QColor(0x2a, 0x6f, 0xb0)));
    makeAction(QStringLiteral("Heuristic"))->setIcon(glyphIcon(QStringLiteral("≈"), QColor(0x2a, 0x6f, 0xb0)));
    makeAction(QStringLiteral("HeuristicFull"));
    makeAction(QStringLiteral("LoadStringAsDest"));
    makeAction(QStringLiteral("LoadEspCompare"));
    makeAction(QStringLiteral("Menu_Validate"))->setShortcut(QKeySequence(Qt::Key_F1));
    makeAction(QStringLiteral("Menu_Partial"))->setShortcut(QKeySequence(Qt::Key_F2));
    makeAction(QStringLiteral("Menu_Cancel"))->setShortcut(QKeySequence(Qt::Key_F4));
    makeAction(QStringLiteral("Menu_Edit"));
    makeAction(QStringLiteral("Menu_FixAlias"));
    makeAction(QStringLiteral("Menu_Validate_All"));
    makeAction(QStringLiteral("Menu_ResetAll"));
    makeAction(QStringLiteral("Menu_Progress"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    makeAction(QStringLiteral("Menu_Undo"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    makeAction(QStringLiteral("Menu_Redo"))->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    for (const char* key : {"Menu_Validate", "Menu_Partial", "Menu_Cancel"})
        actions_[QLatin1String(key)]->setShortcutContext(Qt::WindowShortcut);

    makeAction(QStringLiteral("SearchandReplace"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    actions_[QStringLiteral("SearchandReplace")]->setIcon(s->standardIcon(QStyle::SP_FileDialogContentsView));
    makeAction(QStringLiteral("BatchSearchAndReplace"))->setIcon(s->standardIcon(QStyle::SP_BrowserReload));
    makeAction(QStringLiteral("AddIdToStrings"))->setIcon(glyphIcon(QStringLiteral("#"), QColor(0x55, 0x55, 0x55)));
    makeAction(QStringLiteral("OldDialogStyle"));
    makeAction(QStringLiteral("ConvertTCSC"));
    makeAction(QStringLiteral("ConvertSCTC"));
    makeAction(QStringLiteral("Menu_TagDiff"));
    makeAction(QStringLiteral("Menu_TagSame"));
    makeAction(QStringLiteral("Menu_UnknownWords"));

    makeAction(QStringLiteral("Open"), QStringLiteral("Hint_VocabOCustom"));
    makeAction(QStringLiteral("Save"), QStringLiteral("Hint_VocabSCustom"));
    makeAction(QStringLiteral("Menu_AddField"));

    makeAction(QStringLiteral("Set_Options"));
    makeAction(QStringLiteral("addPreset"));
    makeAction(QStringLiteral("clearPreset"));
    for (const char* key : {"ForceUtf8Load", "ForceUtf8Export"}) {
        QAction* a = makeAction(QLatin1String(key));
        a->setCheckable(true);
    }
    makeAction(QStringLiteral("SaveCurrentXml"));
    makeAction(QStringLiteral("LoadCurrentXML"));
    makeAction(QStringLiteral("Menu_ExportXliff"));
    makeAction(QStringLiteral("Menu_ImportXliff"));
}

void TForm1::buildMenus() {
    auto menu = [this](QMenu* parent, const char* key) {
        QMenu* m = parent ? parent->addMenu(QString()) : menuBar()->addMenu(QString());
        m->setObjectName(QLatin1String(key));
        setUiKey(m, QLatin1String(key), ws_->app);
        return m;
    };
    auto add = [this](QMenu* m, const char* key) { m->addAction(actions_.value(QLatin1String(key))); };

    fileMenu_ = menu(nullptr, "File");
    add(fileMenu_, "Load_Esp");
    add(fileMenu_, "Load_Strings");
    add(fileMenu_, "Load_ScriptPex");
    add(fileMenu_, "Load_MenuFile");
    recentMenu_ = menu(fileMenu_, "Recent_files");
    fileMenu_->addSeparator();
    add(fileMenu_, "Menu_ExportEsp");
    add(fileMenu_, "Menu_ExportEspAs");
    add(fileMenu_, "Save_SST");
    fileMenu_->addSeparator();
    add(fileMenu_, "Menu_CloseAll");
    fileMenu_->addSeparator();
    add(fileMenu_, "Menu_Quit");

    editMenu_ = menu(nullptr, "EditMenu");
    add(editMenu_, "Menu_Undo");
    add(editMenu_, "Menu_Redo");

    translationMenu_ = menu(nullptr, "Translation");
    add(translationMenu_, "Trans_Exact");
    add(translationMenu_, "Heuristic");
    add(translationMenu_, "HeuristicFull");
    translationMenu_->addSeparator();
    add(translationMenu_, "LoadStringAsDest");
    add(translationMenu_, "LoadEspCompare");
    translationMenu_->addSeparator();
    add(translationMenu_, "Menu_Validate");
    add(translationMenu_, "Menu_Partial");
    add(translationMenu_, "Menu_Cancel");
    add(translationMenu_, "Menu_Edit");
    translationMenu_->addSeparator();
    add(translationMenu_, "Menu_Validate_All");
    add(translationMenu_, "Menu_ResetAll");
    translationMenu_->addSeparator();
    add(translationMenu_, "Menu_Progress");

    toolsMenu_ = menu(nullptr, "Tools");
    add(toolsMenu_, "SearchandReplace");
    add(toolsMenu_, "BatchSearchAndReplace");
    add(toolsMenu_, "AddIdToStrings");
    toolsMenu_->addSeparator();
    add(toolsMenu_, "OldDialogStyle");
    QMenu* langSpecific = menu(toolsMenu_, "LangSpecific");
    add(langSpecific, "ConvertTCSC");
    add(langSpecific, "ConvertSCTC");
    QMenu* compare = menu(toolsMenu_, "Menu_CompareSourceDest");
    add(compare, "Menu_TagDiff");
    add(compare, "Menu_TagSame");
    add(toolsMenu_, "Menu_UnknownWords");

    customMenu_ = menu(nullptr, "Custom_Dic");
    add(customMenu_, "Open");
    add(customMenu_, "Save");
    add(customMenu_, "Menu_AddField");

    optionsMenu_ = menu(nullptr, "Options");
    add(optionsMenu_, "Set_Options");
    presetMenu_ = menu(optionsMenu_, "lang_presets");
    presetSeparator_ = presetMenu_->addSeparator();
    add(presetMenu_, "addPreset");
    add(presetMenu_, "clearPreset");
    QMenu* utf8 = menu(optionsMenu_, "Utf8");
    add(utf8, "ForceUtf8Load");
    add(utf8, "ForceUtf8Export");

    xmlMenu_ = menu(nullptr, "XML");
    add(xmlMenu_, "SaveCurrentXml");
    add(xmlMenu_, "LoadCurrentXML");
    xmlMenu_->addSeparator();
    add(xmlMenu_, "Menu_ExportXliff");
    add(xmlMenu_, "Menu_ImportXliff");

    // Every menu item gets an Alt key of its own, whatever the interface language.
    giveMenusMnemonics(menuBar());

    // F10 opens the menu bar, as the Alt key does.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        if (fileMenu_->menuAction()->isEnabled()) menuBar()->setActiveAction(fileMenu_->menuAction());
    });

    listMenu_ = new QMenu(this);
    for (const char* key : {"Menu_Validate", "Menu_Partial", "Menu_Cancel", "Menu_Edit"})
        add(listMenu_, key);
    add(listMenu_, "Menu_FixAlias");
    listMenu_->addSeparator();
    add(listMenu_, "Menu_Validate_All");
    add(listMenu_, "Menu_ResetAll");
}

void TForm1::buildToolBar() {
    toolBar_ = addToolBar(QString());
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(20, 20));
    toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const char* key : {"Load_Esp", "Load_Strings", "Load_ScriptPex", "Menu_ExportEsp", "Menu_ExportEspAs"})
        toolBar_->addAction(actions_.value(QLatin1String(key)));
    toolBar_->addSeparator();
    for (const char* key : {"Trans_Exact", "Heuristic", "SearchandReplace", "BatchSearchAndReplace", "AddIdToStrings"})
        toolBar_->addAction(actions_.value(QLatin1String(key)));
    toolBar_->addSeparator();
    toolBar_->addAction(actions_.value(QStringLiteral("Menu_CloseAll")));

    // The search group sits at the right end of the tool bar.
    auto* spacer = new QWidget(toolBar_);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar_->addWidget(spacer);
    // Where the search text is looked for: editor id, source (down at start) or translation.
    const char* names[3] = {"ToolButton26", "ToolButton1", "ToolButton2"};
    const char* captions[3] = {"EDID", "Original", "Translated"};
    const char* hints[3] = {"Hint_SearchEdid", "Hint_SearchSource", "Hint_SearchDest"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QToolButton(toolBar_);
        b->setObjectName(QLatin1String(names[i]));
        b->setCheckable(true);
        b->setAutoRaise(true);
        setUiKey(b, QLatin1String(captions[i]), ws_->app);
        setUiHintKey(b, QLatin1String(hints[i]), ws_->app);
        QAction* placed = toolBar_->addWidget(b);
        if (i == 0) edidSearchAction_ = placed;
        searchModeButtons_[i] = b;
    }
    for (int i = 0; i < 3; ++i) {
        searchModeButtons_[i]->setChecked(i == 1);
        searchModeButtons_[i]->setAutoExclusive(true);
        connect(searchModeButtons_[i], &QToolButton::clicked, this, [this] { applyFilter(searchField_->text()); });
    }

    searchField_ = new QLineEdit(toolBar_);
    searchField_->setObjectName(QStringLiteral("ButtonedEdit1"));
    searchField_->setClearButtonEnabled(true);
    searchField_->setMinimumWidth(120);
    searchField_->setMaximumWidth(320);
    searchField_->setPlaceholderText(ws_->app.uiText(QStringLiteral("Search")));
    searchField_->setProperty("uiPlaceholderKey", QStringLiteral("Search"));
    toolBar_->addWidget(searchField_);
    searchTimer_ = new QTimer(this);
    searchTimer_->setObjectName(QStringLiteral("TimerSearch"));
    searchTimer_->setSingleShot(true);
    searchTimer_->setInterval(250);
    connect(searchField_, &QLineEdit::textChanged, this, [this] { searchTimer_->start(); });
    connect(searchTimer_, &QTimer::timeout, this, [this] { applyFilter(searchField_->text()); });
}

QWidget* TForm1::buildFilterBar() {
    filterBar_ = new QToolBar(this);
    filterBar_->setObjectName(QStringLiteral("FilterBar"));
    filterBar_->setIconSize(QSize(16, 16));
    filterBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto button = [this](const char* name, const QString& captionKey, const char* hintKey) {
        auto* b = new QToolButton(filterBar_);
        b->setObjectName(QLatin1String(name));
        b->setCheckable(true);
        b->setChecked(true);
        b->setAutoRaise(true);
        if (!captionKey.isEmpty()) setUiKey(b, captionKey, ws_->app);
        setUiHintKey(b, QLatin1String(hintKey), ws_->app);
        filterBar_->addWidget(b);
        return b;
    };
    // The order of statusButtons_ is the order of TStatusButton.
    statusButtons_[0] = button("ToolButton4", QStringLiteral("Trans."), "Hint_SearchTrans");
    statusButtons_[1] = button("ToolButton5", QStringLiteral("Not.Trans"), "Hint_SearchNoTrans");
    statusButtons_[2] = button("ToolButton7", QStringLiteral("Validated"), "Hint_SearchVal");
    statusButtons_[3] = button("ToolButton6", QStringLiteral("Partial"), "Hint_SearchPart");
    statusButtons_[4] = button("ToolButton8", QStringLiteral("LD"), "Hint_SearchLD");
    statusButtons_[5] = button("ToolButton9", QStringLiteral("Alias"), "Hint_SearchAlias");
    statusButtons_[6] = button("ToolButton15", {}, "Hint_SearchDupli");
    statusButtons_[6]->setIcon(glyphIcon(QStringLiteral("≡"), QColor(0x6a, 0x3d, 0x9a)));
    statusButtons_[6]->setToolButtonStyle(Qt::ToolButtonIconOnly);
    statusButtons_[7] = button("ToolButton12", {}, "Hint_SearchWarn");
    statusButtons_[7]->setIcon(glyphIcon(QStringLiteral("!"), QColor(0xd0, 0x70, 0x10)));
    statusButtons_[7]->setToolButtonStyle(Qt::ToolButtonIconOnly);
    nullButton_ = button("ToolButton27", {}, "Hint_ShowNull");
    nullButton_->setIcon(glyphIcon(QStringLiteral("∅"), QColor(0x70, 0x70, 0x70)));
    nullButton_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QToolButton* b : statusButtons_)
        connect(b, &QToolButton::clicked, this, [this] { applyFilter(searchField_->text()); });
    connect(nullButton_, &QToolButton::clicked, this, [this] { applyFilter(searchField_->text()); });
    // Narrows what the status buttons show to the strings the quality checks found a problem in.
    filterBar_->addSeparator();
    problemsButton_ = button("ButtonWithProblems", QStringLiteral("Chk_WithProblems"), "Hint_SearchProblems");
    problemsButton_->setChecked(false);
    problemsButton_->setAutoRaise(false); // framed as the state buttons; its own hint, as it narrows rather than lists
    connect(problemsButton_, &QToolButton::clicked, this, [this] { applyFilter(searchField_->text()); });
    explainStateButtons();

    filterBar_->addSeparator();
    QToolButton* all = button("ToolButton23", {}, "Hint_SearchCheck");
    all->setCheckable(false);
    all->setIcon(glyphIcon(QStringLiteral("✓"), QColor(0x2e, 0x7d, 0x32)));
    all->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(all, &QToolButton::clicked, this, [this] { setStatusButtons(true); });
    QToolButton* none = button("ToolButton24", {}, "Hint_SearchunCheck");
    none->setCheckable(false);
    none->setIcon(glyphIcon(QStringLiteral("✗"), QColor(0xb7, 0x1c, 0x1c)));
    none->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(none, &QToolButton::clicked, this, [this] { setStatusButtons(false); });
    return filterBar_;
}

void TForm1::buildPages() {
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setChildrenCollapsible(false);

    topPanel_ = new QWidget(splitter_);
    topPanel_->setObjectName(QStringLiteral("TopPanel"));
    topPanel_->setMinimumHeight(kTopPanelMinimum);
    auto* topLayout = new QVBoxLayout(topPanel_);
    topLayout->setContentsMargins(4, 2, 4, 0);
    topLayout->setSpacing(2);
    topLayout->addWidget(buildFilterBar());

    listPages_ = new QTabWidget(topPanel_);
    listPages_->setObjectName(QStringLiteral("PageControl1"));
    listPages_->setDocumentMode(true);
    const char* viewNames[3] = {"SkyTree", "dlSkyTree", "ilSkyTree"};
    for (int i = 0; i < 3; ++i) {
        auto* page = new QWidget(listPages_);
        page->setObjectName(listName(i));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* view = new QTreeView(page);
        view->setObjectName(QLatin1String(viewNames[i]));
        models_[i] = new TStringListModel(*ws_, i, view);
        proxies_[i] = new TStringListProxy(*ws_, models_[i], view);
        view->setModel(proxies_[i]);
        view->setItemDelegate(new TStringListDelegate(view));
        view->setRootIsDecorated(false);
        view->setIndentation(14);
        view->setUniformRowHeights(false);
        view->setAlternatingRowColors(true);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setWordWrap(true);
        view->setTextElideMode(Qt::ElideRight);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->setAllColumnsShowFocus(true);
        models_[i]->setLineHeight(view->fontMetrics().lineSpacing());
        QHeaderView* header = view->header();
        header->setSectionsClickable(true);
        header->setSortIndicatorShown(false);
        header->setStretchLastSection(false);
        header->setMinimumSectionSize(30);
        connect(header, &QHeaderView::sectionClicked, this, [this, i, header](int column) {
            // A new column sorts ascending; the sort column again flips the order.
            sortOrder_[i] = sortColumn_[i] == column && sortOrder_[i] == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                                            : Qt::AscendingOrder;
            sortColumn_[i] = column;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            models_[i]->sortBy(column, sortOrder_[i]);
            QApplication::restoreOverrideCursor();
            header->setSortIndicatorShown(true);
            header->setSortIndicator(column, sortOrder_[i]);
        });
        connect(view, &QTreeView::customContextMenuRequested, this,
                [this, view](const QPoint& at) { listMenu_->popup(view->viewport()->mapToGlobal(at)); });
        connect(view, &QTreeView::doubleClicked, this, [this] { runCommand(QStringLiteral("Menu_Edit")); });
        layout->addWidget(view);
        views_[i] = view;
        listPageWidgets_[i] = page;
        listPages_->addTab(page, listName(i));
    }
    // Another page shows the search as it now reads; lists it already filters so are left as they are.
    connect(listPages_, &QTabWidget::currentChanged, this,
            [this] { applyFilter(searchField_->text(), true, TFilterScope::changedLists); });
    topLayout->addWidget(listPages_, 1);

    bottomPages_ = new QTabWidget(splitter_);
    bottomPages_->setObjectName(QStringLiteral("PageControl2"));
    bottomPages_->setDocumentMode(true);
    auto addPage = [this](QWidget* page, const char* key) {
        page->setProperty("uiKey", QLatin1String(key));
        bottomPages_->addTab(page, ws_->app.uiText(QLatin1String(key)));
    };
    homeBrowser_ = new QTextBrowser(bottomPages_);
    homeBrowser_->setObjectName(QStringLiteral("Home"));
    homeBrowser_->setOpenExternalLinks(true);
    addPage(homeBrowser_, "Home");
    autoTranslationPage_ = emptyPage("AutoTranslation", bottomPages_);
    addPage(autoTranslationPage_, "AutoTranslation");
    vocabularyPage_ = emptyPage("Vocabulary", bottomPages_);
    addPage(vocabularyPage_, "Vocabulary");
    espTreePage_ = emptyPage("EspTree", bottomPages_);
    addPage(espTreePage_, "EspTree");
    pexDataPage_ = emptyPage("PexData", bottomPages_);
    addPage(pexDataPage_, "PexData");
    recordsDefEditor_ = new QPlainTextEdit(bottomPages_);
    recordsDefEditor_->setObjectName(QStringLiteral("Records_def"));
    recordsDefEditor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    recordsDefEditor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    addPage(recordsDefEditor_, "Records_def");
    logPane_ = new QPlainTextEdit(bottomPages_);
    logPane_->setObjectName(QStringLiteral("Log"));
    logPane_->setReadOnly(true);
    logPane_->setMaximumBlockCount(50000);
    logPane_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    addPage(logPane_, "Log");

    splitter_->addWidget(topPanel_);
    splitter_->addWidget(bottomPages_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    setCentralWidget(splitter_);
}

void TForm1::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    progress_ = new QProgressBar(bar);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setFixedWidth(149);
    progress_->setMaximumHeight(16);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    bar->addWidget(progress_);
    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        label->setMinimumWidth(i == 0 ? 160 : 80);
        if (i == 0) label->setMaximumWidth(400);
        label->setTextFormat(Qt::PlainText);
        bar->addWidget(label, i == 0 ? 0 : 1);
        statusPanels_[i] = label;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Geometry

void TForm1::restoreGeometryFromPrefs() {
    const rwindowpos pos = restoreWindowGeometry(*this, ws_->state().windowpos);
    ws_->state().windowpos.Control1 = pos.Control1;
    const int bottom = qMax(80, pos.Control1);
    splitter_->setSizes({qMax(kTopPanelMinimum, height() - bottom), bottom});
    // A window closed maximized opens maximized, over the normal size just restored.
    if (ws_->state().windowpos.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm1::saveGeometryToPrefs() {
    rwindowpos& pos = ws_->state().windowpos;
    saveWindowGeometry(*this, pos);
    pos.maximized = isMaximized();
    pos.Control1 = bottomPages_->height();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!splitter_) return;
    const QList<int> sizes = splitter_->sizes();
    if (sizes.size() != 2) return;
    const int client = splitter_->height();
    const int bottom = fitBottomPanel(client, sizes[1], kTopPanelMinimum);
    if (bottom != sizes[1]) splitter_->setSizes({client - bottom, bottom});
}

// ---------------------------------------------------------------------------------------------------------------
// Commands

QAction* TForm1::commandAction(const QString& key) const {
    return actions_.value(key, nullptr);
}

void TForm1::setCommand(const QString& key, std::function<void()> handler) {
    handlers_.insert(key, std::move(handler));
    updateCommands();
}

void TForm1::runCommand(const QString& key) {
    auto it = handlers_.constFind(key);
    if (it == handlers_.constEnd()) return;
    const auto handler = *it; // a handler may replace itself
    runGuarded(handler);
}

bool TForm1::runGuarded(const std::function<void()>& work) {
    if (!ws_->app.isIdle()) return false;
    // A choice that acts on the selected rows reads them now, never from an earlier command.
    ws_->setSelection(selectedEntriesOfAllLists());
    bool done = false;
    QString failure;
    try {
        work();
        done = true;
    } catch (const std::bad_alloc&) {
        failure = ws_->app.uiText(QStringLiteral("Fbk_OutOfMemory"));
    } catch (const TQuillError& error) {
        failure = error.message();
    } catch (const std::exception& error) {
        failure = QString::fromLocal8Bit(error.what());
    } catch (...) {
        failure = ws_->app.uiText(QStringLiteral("Fbk_CommandFailed"));
    }
    ws_->setSelection({});
    if (!done) {
        // The command's operation and undo step closed while it unwound; what it reported still stands.
        ws_->app.logMessage(ws_->app.uiTextFormat(QStringLiteral("Fbk_CommandError"), {failure}), true, dbOk);
        updateCommands();
    }
    return done;
}

void TForm1::connectChanges() {
    // Whatever may change an entry's texts, score or flags makes the lists sort anew (connected first, so that a
    // sort that follows the change, as the score column's after a heuristic pass, already does).
    const auto forgetSortOrders = [this] {
        for (TStringListModel* model : models_)
            model->forgetSortOrder();
    };
    for (auto signal : {&TChangeChannel::documentAboutToClose, &TChangeChannel::documentReplaced,
                        &TChangeChannel::historyMoved, &TChangeChannel::listsAboutToBeReordered})
        connect(changes_, signal, this, forgetSortOrders);
    connect(changes_, &TChangeChannel::entriesModified, this, forgetSortOrders);
    connect(changes_, &TChangeChannel::scoresReady, this, forgetSortOrders);
    connect(changes_, &TChangeChannel::documentAboutToClose, this, [this] {
        searchTimer_->stop();
        for (TStringListModel* model : models_)
            model->detach();
    });
    connect(changes_, &TChangeChannel::documentReplaced, this, [this] { refreshLists(); });
    connect(changes_, &TChangeChannel::entriesModified, this, &TForm1::followChangedEntries);
    connect(changes_, &TChangeChannel::historyMoved, this, [this] { updateCommands(); });
    connect(changes_, &TChangeChannel::listsAboutToBeReordered, this, [this] {
        for (TStringListModel* model : models_)
            model->beginReorder();
    });
    connect(changes_, &TChangeChannel::listsReordered, this, [this] {
        for (TStringListModel* model : models_)
            model->endReorder();
        applyFilter(searchField_->text());
    });
    connect(changes_, &TChangeChannel::scoresReady, this, [this](int listIndex, bool descending) {
        sortListView(listIndex, static_cast<int>(TListColumn::ld),
                     descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    });
}

void TForm1::installBuiltInCommands() {
    TWorkspace& ws = *ws_;
    for (const auto& [key, kind] : {std::pair{"Load_Esp", "plugin"}, std::pair{"Load_Strings", "stringTables"},
                                    std::pair{"Load_ScriptPex", "script"}, std::pair{"Load_MenuFile", "menuFile"}})
        handlers_.insert(QLatin1String(key), [&ws, kind = kind] { ws.pickAndOpenDocument(documentKind(kind)); });
    handlers_.insert(QStringLiteral("Menu_CloseAll"), [&ws] { ws.closeAll(); });
    // Save and Save as, whatever the kind of document: the captions follow the kind (updateCommands); the document
    // asks its questions and makes its backups, and its dictionary is saved with it.
    for (const bool saveAs : {false, true})
        handlers_.insert(saveAs ? QStringLiteral("Menu_ExportEspAs") : QStringLiteral("Menu_ExportEsp"),
                         [&ws, saveAs] { ws.saveDocumentWithDictionary(saveAs); });
    handlers_.insert(QStringLiteral("Menu_Quit"), [this] { close(); });
    handlers_.insert(QStringLiteral("Set_Options"), [this, &ws] { TForm3::runOptions(ws, this); });
    handlers_.insert(QStringLiteral("addPreset"), [this, &ws] {
        addPreset(ws.state());
        rebuildPresetMenu();
    });
    handlers_.insert(QStringLiteral("clearPreset"), [this, &ws] {
        clearPresets(ws.state());
        rebuildPresetMenu();
    });
    handlers_.insert(QStringLiteral("ForceUtf8Load"), [this, &ws] {
        ws.state().ForceUtf8Load = actions_.value(QStringLiteral("ForceUtf8Load"))->isChecked();
    });
    handlers_.insert(QStringLiteral("ForceUtf8Export"), [this, &ws] {
        ws.state().ForceUtf8Export = actions_.value(QStringLiteral("ForceUtf8Export"))->isChecked();
    });
    // The list commands change entries through the workspace, which records each as an undo step and tells the
    // views.
    handlers_.insert(QStringLiteral("Menu_Validate"), [this, &ws] { ws.validateEntries(selectedEntries()); });
    handlers_.insert(QStringLiteral("Menu_Partial"), [this, &ws] { ws.markEntriesPartial(selectedEntries()); });
    handlers_.insert(QStringLiteral("Menu_Cancel"), [this, &ws] { ws.resetEntries(selectedEntries()); });
    handlers_.insert(QStringLiteral("Menu_Validate_All"), [&ws] { ws.validateAll(); });
    handlers_.insert(QStringLiteral("Menu_ResetAll"), [&ws] { ws.resetAll(); });
    handlers_.insert(QStringLiteral("Menu_Undo"), [&ws] { ws.undo(); });
    handlers_.insert(QStringLiteral("Menu_Redo"), [&ws] { ws.redo(); });
    // XLIFF exchange: the import is one undo step like any entry command.
    handlers_.insert(QStringLiteral("Menu_ExportXliff"), [&ws] { pickXliffExport(ws); });
    handlers_.insert(QStringLiteral("Menu_ImportXliff"), [&ws] { pickXliffImport(ws, nullptr); });
}

tSkyStr* TForm1::focusedEntry() const {
    const int page = listPages_->currentIndex();
    if (page < 0 || page > 2) return nullptr;
    return proxies_[page]->entryAt(views_[page]->currentIndex());
}

QList<tSkyStr*> TForm1::selectedEntriesOfAllLists() const {
    QList<tSkyStr*> out;
    for (int page = 0; page < 3; ++page)
        for (const QModelIndex& index : views_[page]->selectionModel()->selectedRows())
            if (tSkyStr* e = proxies_[page]->entryAt(index)) out.append(e);
    return out;
}

QList<tSkyStr*> TForm1::selectedEntries() const {
    QList<tSkyStr*> out;
    const int page = listPages_->currentIndex();
    if (page < 0 || page > 2) return out;
    for (const QModelIndex& index : views_[page]->selectionModel()->selectedRows())
        if (tSkyStr* e = proxies_[page]->entryAt(index)) out.append(e);
    return out;
}

void TForm1::updateCommands() {
    const TAppState& st = ws_->state();
    const bool fileLoaded = st.fileLoaded();
    const bool dictionaryMode = st.dictionaryMode();
    const bool pluginLoaded = st.pluginLoaded();
    const bool idle = ws_->app.isIdle();

    auto allowed = [&](const QString& key) -> bool {
        if (key == QLatin1String("Menu_ExportEsp") || key == QLatin1String("Menu_ExportEspAs")) return fileLoaded;
        if (key == QLatin1String("Save_SST")) return ws_->canSaveDocumentDictionary();
        if (key == QLatin1String("Menu_TagDiff") || key == QLatin1String("Menu_TagSame")) return canTagStrings(*ws_);
        if (key == QLatin1String("OldDialogStyle") || key == QLatin1String("LoadEspCompare")) return pluginLoaded;
        if (key == QLatin1String("LoadStringAsDest")) return canLoadStringsAsDest(*ws_);
        if (key == QLatin1String("Menu_UnknownWords")) return fileLoaded && !dictionaryMode;
        if (key == QLatin1String("Save") || key == QLatin1String("Menu_AddField")) return st.editCustom();
        if (key == QLatin1String("SearchandReplace") || key == QLatin1String("BatchSearchAndReplace") ||
            key == QLatin1String("AddIdToStrings"))
            return fileLoaded && !dictionaryMode;
        const QAction* action = actions_.value(key);
        if (translationMenu_->actions().contains(action)) return fileLoaded && !dictionaryMode;
        if (toolsMenu_->actions().contains(action) || key == QLatin1String("ConvertTCSC") ||
            key == QLatin1String("ConvertSCTC"))
            return !dictionaryMode;
        if (xmlMenu_->actions().contains(action)) return fileLoaded;
        return true; // File, Custom_Dic and Options items
    };
    for (auto it = actions_.constBegin(); it != actions_.constEnd(); ++it)
        it.value()->setEnabled(idle && handlers_.contains(it.key()) && allowed(it.key()));
    // The list commands also work in a dictionary being edited.
    for (const char* key :
         {"Menu_Validate", "Menu_Partial", "Menu_Cancel", "Menu_Edit", "Menu_Validate_All", "Menu_ResetAll"}) {
        QAction* a = actions_.value(QLatin1String(key));
        a->setEnabled(idle && handlers_.contains(QLatin1String(key)) && (fileLoaded || dictionaryMode));
    }
    // Undo and Redo name the step they act on.
    const TEditHistory& history = ws_->history;
    QAction* undo = actions_.value(QStringLiteral("Menu_Undo"));
    QAction* redo = actions_.value(QStringLiteral("Menu_Redo"));
    undo->setEnabled(idle && history.canUndo());
    redo->setEnabled(idle && history.canRedo());
    undo->setText(history.canUndo() ? ws_->app.uiTextFormat(QStringLiteral("Menu_UndoStep"), {history.undoName()})
                                    : ws_->app.uiText(QStringLiteral("Menu_Undo")));
    redo->setText(history.canRedo() ? ws_->app.uiTextFormat(QStringLiteral("Menu_RedoStep"), {history.redoName()})
                                    : ws_->app.uiText(QStringLiteral("Menu_Redo")));
    updateTitle();

    // Save captions by export kind.
    const int kind = static_cast<int>(ws_->exportKind());
    setUiKey(actions_.value(QStringLiteral("Menu_ExportEsp")), QLatin1String(kExportKeys[kind]), ws_->app);
    setUiKey(actions_.value(QStringLiteral("Menu_ExportEspAs")),
             QLatin1String(kExportKeys[kind]) + QStringLiteral("As"), ws_->app);

    xmlMenu_->menuAction()->setVisible(st.usesXML);
    recentMenu_->setEnabled(idle && !recentMenu_->actions().isEmpty());
    if (QMenu* compare = toolsMenu_->findChild<QMenu*>(QStringLiteral("Menu_CompareSourceDest")))
        compare->menuAction()->setEnabled(idle && canTagStrings(*ws_));
    for (QMenu* m : {fileMenu_, editMenu_, translationMenu_, toolsMenu_, customMenu_, optionsMenu_, xmlMenu_})
        m->menuAction()->setEnabled(idle);
}

// ---------------------------------------------------------------------------------------------------------------
// Lists

void TForm1::arrangeViews() {
    const rColumnLayout layout = ws_->columnLayout();
    for (int i = 0; i < 3; ++i) {
        QTreeView* view = views_[i];
        // A long list's rows are one line each (their texts show whole in the edit dialog and the tool tip); a
        // shorter one's rows are as high as their texts.
        const bool oneLine = ws_->loadedLists[i].size() > TStringListModel::kOneLineRowsAbove;
        models_[i]->setOneLineRows(oneLine);
        view->setUniformRowHeights(oneLine);
        QHeaderView* header = view->header();
        view->setColumnHidden(0, !layout.idVisible);
        view->setColumnHidden(4, !layout.edidVisible);
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->resizeSection(0, layout.idWidth);
        header->resizeSection(3, 60);
        header->resizeSection(4, 150);
        if (layout.edidIsMain) {
            // The editor id is the main column: it takes the spare width and carries the tree of the shared rows;
            // source and translation start sharing what the other columns leave.
            // (The vertical scroll bar a long list shows comes out of the view's width too.)
            const int others = (layout.idVisible ? layout.idWidth : 0) + 60 + 150 +
                               view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
            const int text = qMax(200, (view->viewport()->width() - others) / 2);
            header->resizeSection(1, text);
            header->resizeSection(2, text);
            header->setSectionResizeMode(4, QHeaderView::Stretch);
        } else {
            // Source and translation share what the other columns leave.
            header->setSectionResizeMode(1, QHeaderView::Stretch);
            header->setSectionResizeMode(2, QHeaderView::Stretch);
        }
        view->setTreePosition(layout.edidIsMain ? 4 : 0);
    }
    // Entries sharing a string id hang under the entry that owns the text.
    for (QTreeView* view : views_)
        view->setRootIsDecorated(!ws_->sharedIdList.empty());
    edidSearchAction_->setVisible(layout.edidSearchVisible);
    if (!layout.edidSearchVisible && searchModeButtons_[0]->isChecked()) searchModeButtons_[1]->setChecked(true);
    for (int i = 1; i < 3; ++i)
        listPages_->setTabVisible(i, layout.extraListsVisible);
    listPages_->setCurrentIndex(0);
    updateTitle();
}

void TForm1::sortListView(int listIndex, int column, Qt::SortOrder order) {
    if (listIndex < 0 || listIndex > 2) return;
    sortColumn_[listIndex] = column;
    sortOrder_[listIndex] = order;
    models_[listIndex]->sortBy(column, order);
    QHeaderView* header = views_[listIndex]->header();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, order);
}

void TForm1::explainStateButtons() {
    std::vector<QToolButton*> buttons(statusButtons_.begin(), statusButtons_.end());
    buttons.push_back(nullButton_);
    for (QToolButton* b : buttons) {
        // Framed, so that "on" is drawn sunken and "off" raised whether the pointer is over the button or not.
        b->setAutoRaise(false);
        setUiStateHintKey(b, b->property("uiHintKey").toString(), ws_->app);
    }
}

void TForm1::setStatusButtons(bool down) {
    for (QToolButton* b : statusButtons_)
        b->setChecked(down);
    if (down) problemsButton_->setChecked(false); // every row
    applyFilter(searchField_->text(), true);
}

rListFilter TForm1::currentFilter(const QString& text, bool trim) const {
    rListFilter filter;
    for (int b = 0; b < kStatusButtonCount; ++b)
        filter.buttons[b] = statusButtons_[b]->isChecked();
    filter.showNull = nullButton_->isChecked();
    filter.onlyWithProblems = problemsButton_->isChecked() ? ws_.get() : nullptr;
    filter.searchIn = searchModeButtons_[0]->isChecked()   ? TSearchIn::edid
                      : searchModeButtons_[2]->isChecked() ? TSearchIn::translation
                                                           : TSearchIn::source;
    filter.setSearchText(text, trim);
    return filter;
}

void TForm1::applyFilter(const QString& text, bool trim, TFilterScope scope) {
    searchTimer_->stop();
    const rListFilter filter = currentFilter(text, trim);
    // The active page first, then the others in page order.
    const int first = qMax(0, listPages_->currentIndex());
    for (int n = 0; n < 3; ++n) {
        const int i = (first + n) % 3;
        if (scope == TFilterScope::changedLists && proxies_[i]->filter().sameRowsAs(filter)) continue;
        proxies_[i]->setFilter(filter);
        if (!ws_->sharedIdList.empty()) views_[i]->expandAll(); // the shared rows show under their owners
        host_->processEvents();
    }
    updatePageCaptions();
}

void TForm1::updatePageCaptions() {
    for (int i = 0; i < 3; ++i)
        listPages_->setTabText(
            i,
            QStringLiteral("%1 [%2/%3]").arg(listName(i)).arg(proxies_[i]->rowCount()).arg(ws_->loadedLists[i].size()));
}

void TForm1::refreshLists() {
    // Another document starts with every row shown: a search typed for the last one would hide most of it. The
    // lists are filled under that filter (filling them under the last one, then filtering them again, read every
    // entry twice).
    {
        const QSignalBlocker blocker(searchField_);
        searchField_->clear();
    }
    for (QToolButton* b : statusButtons_)
        b->setChecked(true);
    problemsButton_->setChecked(false);
    searchTimer_->stop();
    const rListFilter filter = currentFilter(QString(), true);
    for (int i = 0; i < 3; ++i) {
        proxies_[i]->setFilterForReload(filter);
        models_[i]->reload();
        // A refilled list shows in its own order until a header is clicked.
        sortColumn_[i] = -1;
        views_[i]->header()->setSortIndicatorShown(false);
    }
    arrangeViews();
    if (!ws_->sharedIdList.empty())
        for (QTreeView* view : views_)
            view->expandAll(); // the shared rows show under their owners
    updatePageCaptions();
    ws_->app.refreshStatusLanguage();
    rebuildRecentMenu();
    updateCommands();
}

void TForm1::repaintLists() {
    // A relayout, not dataChanged over every row: with rows of their own heights, QTreeView answers dataChanged by
    // measuring every changed row and walking to each one's position, which takes minutes on 500,000 rows. A relayout
    // forgets the heights and measures only the rows it shows.
    for (int i = 0; i < 3; ++i)
        views_[i]->doItemsLayout();
    applyFilter(searchField_->text());
}

void TForm1::followChangedEntries(const std::vector<tSkyStr*>& entries) {
    // A stored translation on a million strings: the relayout and the filter over every row took a quarter of a
    // second a store. Rows of long lists are one line high, so a changed row keeps its height; a row whose filter
    // answer changed, a short list (rows of their own heights) or shared rows under owners take the whole way.
    constexpr size_t kRowsInPlace = 16;
    bool inPlace = entries.size() <= kRowsInPlace && ws_->sharedIdList.empty();
    std::vector<std::pair<int, int>> rows; // list, position
    for (size_t k = 0; inPlace && k < entries.size(); ++k) {
        const tSkyStr* e = entries[k];
        const int li = e->listIndex;
        if (li > 2 || ws_->loadedLists[li].size() <= TStringListModel::kOneLineRowsAbove) {
            inPlace = false;
            break;
        }
        const tSkyStrList& list = ws_->loadedLists[li];
        const auto at = std::find_if(list.begin(), list.end(), [e](const auto& p) { return p.get() == e; });
        const int position = at == list.end() ? -1 : static_cast<int>(at - list.begin());
        inPlace = position >= 0 && proxies_[li]->answerStands(position, *e);
        rows.emplace_back(li, position);
    }
    if (!inPlace) {
        repaintLists();
        return;
    }
    for (const auto& [li, position] : rows)
        models_[li]->positionChanged(position);
    // The other rows' marks (a check's problem moved to a string of the same source) are read as they are painted.
    for (QTreeView* view : views_)
        view->viewport()->update();
}

void TForm1::reapplyFilter() {
    applyFilter(searchField_->text());
}

void TForm1::updateTitle() {
    // Unsaved work shows as a leading "*", then the open file and the mode. The title ends with the program's name,
    // which the desktop would otherwise add a second time.
    const QString mode =
        ws_->app.uiText(QStringLiteral("Mode_") +
                        QString(workModeName(ws_->state().WorkMode)).remove(QLatin1Char(' ')).remove(QLatin1Char('+')));
    const QString file = ws_->state().currentFileName;
    setWindowTitle(QStringLiteral("%1%2%3 - %4")
                       .arg(ws_->hasUnsavedWork() ? QStringLiteral("*") : QString(),
                            file.isEmpty() ? QString() : file + QLatin1Char(' '),
                            ws_->app.uiTextFormat(QStringLiteral("Title_Mode"), {mode}), QStringLiteral("Quillery")));
}

void TForm1::rebuildRecentMenu() {
    recentMenu_->clear();
    const QStringList& recent = ws_->state().recentAddon;
    for (int i = 0; i < recent.size(); ++i) {
        // Two files of one name from two folders must not look the same: the folder follows, elided in its middle.
        const QFileInfo file(recent[i]);
        const QString folder = fontMetrics().elidedText(QDir::toNativeSeparators(file.absolutePath()), Qt::ElideMiddle,
                                                        fontMetrics().averageCharWidth() * 48);
        QAction* item = recentMenu_->addAction(
            QStringLiteral("&%1 %2  \u2014  %3").arg(QString::number((i + 1) % 10), file.fileName(), folder));
        item->setObjectName(QStringLiteral("RecentMenu%1").arg(i));
        item->setData(i);
        item->setToolTip(QDir::toNativeSeparators(recent[i]));
        item->setStatusTip(QDir::toNativeSeparators(recent[i]));
        connect(item, &QAction::triggered, this, [this, i] {
            runGuarded([this, i] {
                if (ws_->openRecentFile(i) == TWorkspace::TRecentResult::removed) rebuildRecentMenu();
            });
        });
    }
    recentMenu_->setToolTipsVisible(true);
    recentMenu_->setEnabled(!recent.isEmpty());
    // The list is written as soon as it changes, so that a crash does not bring back an old one.
    if (recent != writtenRecent_) {
        writtenRecent_ = recent;
        writePrefs(ws_->app);
    }
}

void TForm1::rebuildPresetMenu() {
    for (QAction* a : presetMenu_->actions())
        if (a->data().isValid() && a->data().toInt() >= 0) {
            presetMenu_->removeAction(a);
            a->deleteLater();
        }
    const QStringList& presets = ws_->state().presetlang;
    QAction* before = presetMenu_->actions().isEmpty() ? nullptr : presetMenu_->actions().first();
    for (int i = static_cast<int>(presets.size()) - 1; i >= 0; --i) {
        const rPresetName preset = splitPresetName(presets[i]);
        auto* item =
            new QAction(ws_->app.uiTextFormat(QStringLiteral("Menu_preset"), {preset.src, preset.dst}), presetMenu_);
        item->setObjectName(QStringLiteral("mPreset%1").arg(i));
        item->setData(i);
        connect(item, &QAction::triggered, this, [this, i] { runGuarded([this, i] { ws_->applyPreset(i); }); });
        presetMenu_->insertAction(before, item);
        before = item;
    }
    presetSeparator_->setVisible(!presets.isEmpty());
}

void TForm1::showHtmlPage(const QString& file) {
    homeBrowser_->setSearchPaths({ws_->state().resFolder, dataFilePath(ws_->state(), QStringLiteral("res/common"))});
    const QString page = buildHtmlPage(ws_->app, file);
    if (page.contains(QLatin1Char('<')))
        homeBrowser_->setHtml(page);
    else
        homeBrowser_->setPlainText(page);
}

// ---------------------------------------------------------------------------------------------------------------
// Host plumbing

void TForm1::appendLog(const QString& line) {
    logPane_->appendPlainText(line);
}

void TForm1::setProgressRange(int maximum) {
    progress_->setRange(0, qMax(1, maximum));
}

void TForm1::setProgress(int position) {
    const int value = qBound(progress_->minimum(), position, progress_->maximum());
    // The bar shows no step finer than half a percent: reading a million strings would otherwise format and paint it
    // some fifteen thousand times, a tenth of the read.
    const qint64 step = (static_cast<qint64>(progress_->maximum()) - progress_->minimum()) / 200;
    if (step > 0 && value != progress_->minimum() && value != progress_->maximum() &&
        qAbs(static_cast<qint64>(value) - progress_->value()) < step)
        return;
    progress_->setValue(value);
}

void TForm1::setStatusText(int panel, const QString& text) {
    if (panel != 1 && panel != 2) return;
    // A long note (where the original of a file saved in place went) may be cut by the panels beside it: its hint
    // holds it whole.
    statusPanels_[panel - 1]->setText(text);
    statusPanels_[panel - 1]->setToolTip(text);
}

void TForm1::setBusy(bool busy) {
    if (busy == busy_) {
        if (!busy) updateCommands();
        return;
    }
    busy_ = busy;
    if (busy) {
        emit operationStarted();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        for (QAction* a : actions_)
            a->setEnabled(false);
        for (QMenu* m : {fileMenu_, editMenu_, translationMenu_, toolsMenu_, customMenu_, optionsMenu_, xmlMenu_})
            m->menuAction()->setEnabled(false);
        toolBar_->setEnabled(false);
        filterBar_->setEnabled(false);
        if (ws_->app.operationDisablesPages()) {
            listPages_->setEnabled(false);
            bottomPages_->setEnabled(false);
        }
    } else {
        QApplication::restoreOverrideCursor();
        toolBar_->setEnabled(true);
        filterBar_->setEnabled(true);
        listPages_->setEnabled(true);
        bottomPages_->setEnabled(true);
        updateCommands();
        emit operationEnded();
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Window events

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (activated_) return;
    activated_ = true;
    QTimer::singleShot(0, this, [this] { firstActivation(); });
}

void TForm1::firstActivation() {
    // On a first launch the options dialog opens, except on a platform without a screen, where no one could
    // answer it (tests and scripted runs).
    const QString platform = QGuiApplication::platformName();
    const bool headless = platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    if (ws_->state().isFirstLaunch && !headless) runCommand(QStringLiteral("Set_Options"));
    if (!firstArgument_.isEmpty())
        runGuarded([this] { ws_->openFileByKind(QFileInfo(firstArgument_).absoluteFilePath()); });
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    event->acceptProposedAction();
    // Only the first dropped file is taken, and only a kind the program opens.
    const QString path = urls.first().toLocalFile();
    if (!TWorkspace::isOpenableKind(path)) return;
    runGuarded([this, path] { ws_->openFileByKind(path); });
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !ws_->app.isIdle()) {
        host_->requestCancel();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier &&
        views_[qBound(0, listPages_->currentIndex(), 2)]->hasFocus()) {
        runCommand(QStringLiteral("Menu_Edit"));
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!ws_->app.isIdle() || !ws_->confirmDictionarySave()) {
        event->ignore();
        return;
    }
    saveGeometryToPrefs();
    ws_->state().showNullDefault = nullButton_->isChecked();
    closeApplication(ws_->app);
    event->accept();
}
