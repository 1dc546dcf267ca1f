// The "PexData" page: the script listing in a read-only editor with a line-number gutter, markers that collapse and
// expand sections, gutter clicks that follow jumps, a timed search box, and the lock button for "$" texts.
#pragma once

#include "ui/QUILL_gutterEdit.h"

#include <QSyntaxHighlighter>
#include <QWidget>

class QLineEdit;
class QTimer;
class QToolButton;
class TForm1;
class TPexScript;
class TPexListingEditor;

// The listing's colouring: markers, keywords, string literals, documentation, numbers and separators.
class TPexHighlighter : public QSyntaxHighlighter {
public:
    explicit TPexHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;
};

// Search options of searchListing.
struct rPexSearchOptions {
    bool fromTop = false; // the whole listing from the top
    bool wholeWords = false;
    bool backward = false;
};

class TPexListingView : public QWidget {
    Q_OBJECT
public:
    TPexListingView(TForm1& form, QWidget* parent);

    TPexListingEditor* SynEdit1 = nullptr;
    QLineEdit* ButtonedEdit3 = nullptr;
    QToolButton* ToolButton37 = nullptr; // find next
    QToolButton* ToolButton38 = nullptr; // find previous
    QToolButton* ToolButton40 = nullptr; // lock "$" texts
    QTimer* TimerSearchPex = nullptr;
    int pexLogCursorLine = 0;
    int bookmarkLine = 0; // bookmark 0, set by a gutter jump

    // Shows the listing of the open script (empty when none), keeping `topLine` at the top when given.
    void showListing(int topLine = 1);
    // Runs the search as the page's controls do. True when found.
    bool searchListing(const rPexSearchOptions& options);
    // The script branch of the main list's focus change.
    void followFocusedString();
    // Events of the editor, as line numbers (1-based) and character columns (1-based).
    void SynEdit1MouseCursor(int line, int column);
    void SynEdit1MouseDown();
    void SynEdit1GutterClick(int line);
    void TabSheet10Show();

private:
    TPexScript* script() const;
    void reconnectFocus();

    TForm1& form_;
    QMetaObject::Connection focusConnection_;
};

// Read-only, fixed-pitch, word-wrapped editor with a gutter of line numbers and the bookmark.
class TPexListingEditor : public TGutterEdit {
    Q_OBJECT
public:
    explicit TPexListingEditor(TPexListingView& view, QWidget* parent);
    int gutterWidth() const override;
    int lineAt(const QPoint& viewportPos, int* column = nullptr) const;
    int topLine() const { return firstVisibleBlock().blockNumber() + 1; }
    void scrollToTop(int line);

protected:
    void paintLineLabel(QPainter& painter, const QRect& rect, int line) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TPexListingView& view_;
};

// Fills the main window's "PexData" page and keeps it in step with the open document.
void installPexListingView(TForm1& form);
