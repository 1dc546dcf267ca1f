// The main window TForm1: menus, tool bars, the three string lists, the bottom pages, the log and the status bar.
// Other areas install their pages and commands through the accessors and setCommand (see QUILL_uiExtensions.cpp).
#pragma once

#include "workspace/QUILL_listRules.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QSplitter;
class QTabWidget;
class QTextBrowser;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeView;
class TChangeChannel;
class TGuiHost;
class TStringListModel;
class TStringListProxy;
class TWorkspace;
struct tSkyStr;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Runs the whole start-up: widgets, then the core start-up in `programFolder`, geometry, UI text and the Home
    // page. `firstArgument` is opened on the first activation. `gameDataFolder` replaces the Steam lookup (tests).
    explicit TForm1(const QString& programFolder, const QString& firstArgument = {},
                    const std::optional<QString>& gameDataFolder = std::nullopt, QWidget* parent = nullptr);
    ~TForm1() override;

    TWorkspace& workspace() { return *ws_; }
    TGuiHost& host() { return *host_; }
    // What the workspace changed: the window and every panel refresh from it.
    TChangeChannel& changes() { return *changes_; }

    // Bottom pages, for the areas that fill them.
    QTabWidget* bottomPages() const { return bottomPages_; }
    QTextBrowser* homeBrowser() const { return homeBrowser_; }
    QWidget* autoTranslationPage() const { return autoTranslationPage_; }
    QWidget* vocabularyPage() const { return vocabularyPage_; }
    QWidget* espTreePage() const { return espTreePage_; }
    QWidget* pexDataPage() const { return pexDataPage_; }
    QPlainTextEdit* recordsDefEditor() const { return recordsDefEditor_; }
    QPlainTextEdit* logPane() const { return logPane_; }
    // The string lists.
    QTabWidget* listPages() const { return listPages_; }
    QTreeView* listView(int listIndex) const { return views_[listIndex]; }
    TStringListProxy* listProxy(int listIndex) const { return proxies_[listIndex]; }
    TStringListModel* listModel(int listIndex) const { return models_[listIndex]; }
    // The lists' context menu, for the areas that add items to it.
    QMenu* listMenu() const { return listMenu_; }
    // The filter bar's "With problems" button (the quality checks).
    QToolButton* problemsFilterButton() const { return problemsButton_; }
    // The entry of the focused row of the active list page, or nullptr.
    tSkyStr* focusedEntry() const;
    // The entries of the selected rows of the active list page.
    QList<tSkyStr*> selectedEntries() const;
    // The entries of the selected rows of the three list pages.
    QList<tSkyStr*> selectedEntriesOfAllLists() const;

    // Commands: every menu item and tool button is an action named by its UI text key. An action is enabled only
    // once a handler is set (and the enabling rules allow it). A handler set again replaces the previous one.
    QAction* commandAction(const QString& key) const;
    void setCommand(const QString& key, std::function<void()> handler);
    bool hasCommand(const QString& key) const { return handlers_.contains(key); }
    // Runs a command's handler as a click would (tests, the command line of the window).
    void runCommand(const QString& key);
    // Runs `work` as every command runs: only when idle, with the lists' selection handed to the workspace, and
    // inside the error boundary (an exception is reported, never carried to the event loop). False when it failed.
    bool runGuarded(const std::function<void()>& work);

    // When another document (or none) is open: refills the views, arranges them for the document, clears the search,
    // presses the status buttons, refreshes the title, status bar, recent menu and commands.
    void refreshLists();
    // When entries changed in place: repaints the views and re-applies the filter.
    void repaintLists();
    // After a command changed `entries`: a few entries of long lists whose rows stay shown or hidden as they were
    // have only their rows redrawn; otherwise repaintLists.
    void followChangedEntries(const std::vector<tSkyStr*>& entries);
    // Applies the filter again as it stands (the rows it keeps changed).
    void reapplyFilter();
    // The enabling rules; run at the end of every operation.
    void updateCommands();
    void arrangeViews();
    // The filter the buttons and the search `text` make.
    rListFilter currentFilter(const QString& text, bool trim) const;
    // Lists a filter applies to: every one (their entries changed), or those whose filter it changes.
    enum class TFilterScope { allLists, changedLists };
    void applyFilter(const QString& text, bool trim = false, TFilterScope scope = TFilterScope::allLists);
    void setStatusButtons(bool down);
    // Sorts list view `listIndex` by `column` as a header click does, the header showing it.
    void sortListView(int listIndex, int column, Qt::SortOrder order);
    void rebuildRecentMenu();
    void rebuildPresetMenu();
    void updateTitle();
    void showHtmlPage(const QString& file);

    // Host plumbing.
    void appendLog(const QString& line);
    void setProgressRange(int maximum);
    void setProgress(int position);
    void setStatusText(int panel, const QString& text);
    void setBusy(bool busy);

    // Status bar panels.
    QProgressBar* progressBar() const { return progress_; }
    QLabel* statusPanel(int panel) const { return statusPanels_[qBound(1, panel, 2) - 1]; }

signals:
    // An operation begins (before any pending event runs) or ends.
    void operationStarted();
    void operationEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildToolBar();
    QWidget* buildFilterBar();
    void buildPages();
    void buildStatusBar();
    void restoreGeometryFromPrefs();
    void saveGeometryToPrefs();
    void firstActivation();
    void installBuiltInCommands();
    QAction* makeAction(const QString& key, const QString& hintKey = {});
    void updatePageCaptions();
    void connectChanges();
    // The state buttons are drawn pressed when their strings are listed, and their hints say which it is.
    void explainStateButtons();

    std::unique_ptr<TGuiHost> host_;
    std::unique_ptr<TWorkspace> ws_;
    TChangeChannel* changes_ = nullptr;
    QString firstArgument_;
    bool activated_ = false;
    bool busy_ = false;

    QHash<QString, QAction*> actions_;
    QHash<QString, std::function<void()>> handlers_;
    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* translationMenu_ = nullptr;
    QMenu* toolsMenu_ = nullptr;
    QMenu* customMenu_ = nullptr;
    QMenu* optionsMenu_ = nullptr;
    QMenu* xmlMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QMenu* presetMenu_ = nullptr;
    QAction* presetSeparator_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QToolBar* filterBar_ = nullptr;
    QMenu* listMenu_ = nullptr;

    QSplitter* splitter_ = nullptr;
    QWidget* topPanel_ = nullptr;
    QTabWidget* listPages_ = nullptr;
    std::array<QWidget*, 3> listPageWidgets_{};
    std::array<QTreeView*, 3> views_{};
    std::array<TStringListModel*, 3> models_{};
    std::array<TStringListProxy*, 3> proxies_{};
    std::array<int, 3> sortColumn_{-1, -1, -1};
    std::array<Qt::SortOrder, 3> sortOrder_{Qt::AscendingOrder, Qt::AscendingOrder, Qt::AscendingOrder};

    QTabWidget* bottomPages_ = nullptr;
    QTextBrowser* homeBrowser_ = nullptr;
    QWidget* autoTranslationPage_ = nullptr;
    QWidget* vocabularyPage_ = nullptr;
    QWidget* espTreePage_ = nullptr;
    QWidget* pexDataPage_ = nullptr;
    QPlainTextEdit* recordsDefEditor_ = nullptr;
    QPlainTextEdit* logPane_ = nullptr;

    std::array<QToolButton*, kStatusButtonCount> statusButtons_{};
    QToolButton* nullButton_ = nullptr;
    QToolButton* problemsButton_ = nullptr;
    std::array<QToolButton*, 3> searchModeButtons_{}; // EDID, source, translation
    QAction* edidSearchAction_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    QTimer* searchTimer_ = nullptr;

    QProgressBar* progress_ = nullptr;
    std::array<QLabel*, 2> statusPanels_{};
    // The recent files as last written to prefs.ini.
    QStringList writtenRecent_;
};
