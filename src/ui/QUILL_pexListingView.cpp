// The "PexData" page. The listing itself is built headless (script/QUILL_scriptListing); this file shows it.
#include "ui/QUILL_pexListingView.h"

#include "script/QUILL_scriptListing.h"
#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsScript.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

QTextCharFormat charFormat(const QColor& colour, bool bold = false, bool italic = false) {
    QTextCharFormat f;
    f.setForeground(colour);
    if (bold) f.setFontWeight(QFont::Bold);
    f.setFontItalic(italic);
    return f;
}

} // namespace

// ----- Colouring

TPexHighlighter::TPexHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

void TPexHighlighter::highlightBlock(const QString& text) {
    static const QRegularExpression keywords(QStringLiteral(
        "\\b(function|endFunction|endState|jump|if|then|not|return|new|local|extends|objectName|parent|as|is|mod|"
        "autoVarName|autoStateName|none|True|False)\\b"));
    static const QRegularExpression numbers(QStringLiteral("(?<![\\w:.])-?\\d+(\\.\\d+)?\\b"));
    static const QRegularExpression literals(QStringLiteral("\"[^\"]*\""));
    static const QRegularExpression docs(QStringLiteral("\\{[^}]*\\}"));
    if (text.startsWith(QLatin1String("-----"))) {
        setFormat(0, int(text.size()), charFormat(Qt::gray));
        return;
    }
    auto apply = [this, &text](const QRegularExpression& re, const QTextCharFormat& f) {
        for (auto it = re.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            setFormat(int(m.capturedStart()), int(m.capturedLength()), f);
        }
    };
    apply(keywords, charFormat(QColor(0, 0, 160), true));
    apply(numbers, charFormat(QColor(160, 80, 0)));
    apply(docs, charFormat(QColor(0, 128, 0), false, true));
    apply(literals, charFormat(QColor(160, 0, 0)));
    if (text.startsWith(QLatin1String("[+]")) || text.startsWith(QLatin1String("[-]")))
        setFormat(0, 3, charFormat(QColor(120, 0, 120), true));
    if (text.startsWith(QLatin1String("_FO4"), Qt::CaseSensitive) || text.contains(QLatin1String("\t_FO4 ")))
        setFormat(int(text.indexOf(QLatin1String("_FO4"))), 4, charFormat(Qt::darkCyan));
}

// ----- Editor

TPexListingEditor::TPexListingEditor(TPexListingView& view, QWidget* parent) : TGutterEdit(parent), view_(view) {
    setObjectName(QStringLiteral("SynEdit1"));
    setReadOnly(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    gutterClicked = [this](int line) { view_.SynEdit1GutterClick(line + 1); };
    setViewportMargins(gutterWidth(), 0, 0, 0); // this gutter's width, with room for the bookmark
}

int TPexListingEditor::gutterWidth() const {
    int digits = 1;
    for (int max = qMax(1, blockCount()); max >= 10; max /= 10)
        ++digits;
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * (digits + 2);
}

void TPexListingEditor::paintLineLabel(QPainter& painter, const QRect& rect, int line) {
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect, Qt::AlignRight, QString::number(line + 1));
    if (line + 1 != view_.bookmarkLine) return;
    painter.setPen(palette().color(QPalette::Highlight));
    painter.drawText(QRect(2, rect.top(), rect.height(), rect.height()), Qt::AlignLeft, QStringLiteral("0"));
}

int TPexListingEditor::lineAt(const QPoint& viewportPos, int* column) const {
    const QTextCursor cursor = cursorForPosition(viewportPos);
    if (column) *column = cursor.positionInBlock() + 1;
    return cursor.blockNumber() + 1;
}

void TPexListingEditor::scrollToTop(int line) {
    const QTextBlock block = document()->findBlockByNumber(qMax(0, line - 1));
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    setTextCursor(cursor);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    ensureCursorVisible();
}

void TPexListingEditor::mouseMoveEvent(QMouseEvent* event) {
    int column = 0;
    const int line = lineAt(event->position().toPoint(), &column);
    view_.SynEdit1MouseCursor(line, column);
    viewport()->setCursor(view_.pexLogCursorLine ? Qt::ArrowCursor : Qt::IBeamCursor);
    QPlainTextEdit::mouseMoveEvent(event);
}

void TPexListingEditor::mousePressEvent(QMouseEvent* event) {
    // The marker under the mouse is known from the last move; a press without a move checks it now.
    int column = 0;
    const int line = lineAt(event->position().toPoint(), &column);
    view_.SynEdit1MouseCursor(line, column);
    if (view_.pexLogCursorLine) {
        view_.SynEdit1MouseDown();
        return;
    }
    QPlainTextEdit::mousePressEvent(event);
}

// ----- Page

TPexListingView::TPexListingView(TForm1& form, QWidget* parent) : QWidget(parent), form_(form) {
    TAppContext& app = form_.workspace().app;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("PexToolBar"));

    ToolButton40 = new QToolButton(bar);
    ToolButton40->setObjectName(QStringLiteral("ToolButton40"));
    ToolButton40->setCheckable(true);
    ToolButton40->setChecked(app.state.pexLockTranslateTag);
    ToolButton40->setText(QStringLiteral("$"));
    ToolButton40->setToolTip(app.uiText(QStringLiteral("Hint_LockTranslateTag")));
    connect(ToolButton40, &QToolButton::toggled, this,
            [this](bool down) { form_.workspace().app.state.pexLockTranslateTag = down; });
    bar->addWidget(ToolButton40);
    bar->addSeparator();

    ButtonedEdit3 = new QLineEdit(bar);
    ButtonedEdit3->setObjectName(QStringLiteral("ButtonedEdit3"));
    ButtonedEdit3->setToolTip(app.uiText(QStringLiteral("Hint_EditSearch")));
    ButtonedEdit3->setMinimumWidth(240);
    QAction* searchAction =
        ButtonedEdit3->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), QLineEdit::LeadingPosition);
    QAction* clearAction =
        ButtonedEdit3->addAction(style()->standardIcon(QStyle::SP_DialogDiscardButton), QLineEdit::TrailingPosition);
    bar->addWidget(ButtonedEdit3);

    ToolButton37 = new QToolButton(bar);
    ToolButton37->setObjectName(QStringLiteral("ToolButton37"));
    ToolButton37->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    ToolButton37->setToolTip(app.uiText(QStringLiteral("Hint_EditSNext")));
    bar->addWidget(ToolButton37);
    ToolButton38 = new QToolButton(bar);
    ToolButton38->setObjectName(QStringLiteral("ToolButton38"));
    ToolButton38->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    ToolButton38->setToolTip(app.uiText(QStringLiteral("Hint_EditSPrevious")));
    bar->addWidget(ToolButton38);
    layout->addWidget(bar);

    SynEdit1 = new TPexListingEditor(*this, this);
    QFont font(app.state.SYNFONT);
    font.setStyleHint(QFont::Monospace);
    if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    SynEdit1->setFont(font);
    SynEdit1->setTabStopDistance(QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')) * 6);
    new TPexHighlighter(SynEdit1->document());
    layout->addWidget(SynEdit1, 1);

    TimerSearchPex = new QTimer(this);
    TimerSearchPex->setObjectName(QStringLiteral("TimerSearchPex"));
    TimerSearchPex->setSingleShot(true);
    TimerSearchPex->setInterval(300);
    connect(TimerSearchPex, &QTimer::timeout, this, [this] { searchListing({true, false, false}); });
    connect(ButtonedEdit3, &QLineEdit::textChanged, this, [this] { TimerSearchPex->start(); });
    connect(ButtonedEdit3, &QLineEdit::returnPressed, this, [this] { searchListing({true, false, false}); });
    connect(searchAction, &QAction::triggered, this, [this] { searchListing({true, false, false}); });
    connect(clearAction, &QAction::triggered, this, [this] { ButtonedEdit3->clear(); });
    connect(ToolButton37, &QToolButton::clicked, this, [this] { searchListing({false, true, false}); });
    connect(ToolButton38, &QToolButton::clicked, this, [this] { searchListing({false, true, true}); });

    connect(form_.bottomPages(), &QTabWidget::currentChanged, this, [this] {
        if (form_.bottomPages()->currentWidget() == parentWidget()) TabSheet10Show();
    });
    connect(&form_.changes(), &TChangeChannel::documentReplaced, this, [this] {
        bookmarkLine = 0;
        showListing(1);
        reconnectFocus();
    });
    reconnectFocus();
    showListing(1);
}

TPexScript* TPexListingView::script() const {
    TWorkspace& ws = form_.workspace();
    return ws.script() ? &ws.script()->pex : nullptr;
}

void TPexListingView::reconnectFocus() {
    disconnect(focusConnection_);
    if (QItemSelectionModel* selection = form_.listView(0)->selectionModel())
        focusConnection_ =
            connect(selection, &QItemSelectionModel::currentChanged, this, [this] { followFocusedString(); });
}

void TPexListingView::showListing(int topLine) {
    pexLogCursorLine = 0;
    TPexScript* pex = script();
    if (pex) ensureListing(*pex);
    if (!pex || pex->feedback.lines.isEmpty()) {
        SynEdit1->clear();
        return;
    }
    SynEdit1->setUpdatesEnabled(false);
    SynEdit1->setPlainText(pex->feedback.lines.join(QLatin1Char('\n')));
    SynEdit1->scrollToTop(topLine);
    SynEdit1->setUpdatesEnabled(true);
}

bool TPexListingView::searchListing(const rPexSearchOptions& options) {
    TimerSearchPex->stop();
    const QString text = ButtonedEdit3->text();
    if (text.trimmed().isEmpty()) return false;
    QTextDocument::FindFlags flags;
    if (options.wholeWords) flags |= QTextDocument::FindWholeWords;
    if (options.backward) flags |= QTextDocument::FindBackward;
    QTextCursor start = SynEdit1->textCursor();
    if (options.fromTop) start.movePosition(QTextCursor::Start);
    const QTextCursor found = SynEdit1->document()->find(text, start, flags);
    if (!found.isNull()) {
        SynEdit1->setTextCursor(found);
        SynEdit1->ensureCursorVisible();
        return true;
    }
    QTextCursor caret = SynEdit1->textCursor();
    const int at = options.backward ? caret.selectionStart() : caret.selectionEnd();
    caret.setPosition(at);
    SynEdit1->setTextCursor(caret);
    QToolTip::showText(ButtonedEdit3->mapToGlobal(QPoint(0, ButtonedEdit3->height())),
                       form_.workspace().app.uiText(QStringLiteral("NoResult")), ButtonedEdit3, QRect(), 500);
    return false;
}

void TPexListingView::followFocusedString() {
    if (!form_.workspace().script()) return;
    const tSkyStr* entry = form_.focusedEntry();
    if (!entry) return;
    ButtonedEdit3->setText(entry->gS);
    if (form_.bottomPages()->currentWidget() == parentWidget())
        searchListing({true, true, false});
    else
        TimerSearchPex->stop();
}

void TPexListingView::SynEdit1MouseCursor(int line, int column) {
    TPexScript* pex = script();
    pexLogCursorLine = (pex && column >= 1 && column <= 3 && isMarkerLine(pex->feedback, line)) ? line : 0;
}

void TPexListingView::SynEdit1MouseDown() {
    TPexScript* pex = script();
    if (!pex || pexLogCursorLine == 0 || pexLogCursorLine > pex->feedback.lineCount()) return;
    const int top = SynEdit1->topLine();
    if (toggleMarker(*pex, pexLogCursorLine)) showListing(top);
}

void TPexListingView::SynEdit1GutterClick(int line) {
    const int target = gutterJumpTarget(script() ? script()->feedback.lines : QStringList(), line);
    if (target == 0) return;
    bookmarkLine = SynEdit1->textCursor().blockNumber() + 1;
    SynEdit1->centreOnLine(target - 1);
    SynEdit1->viewport()->update();
}

void TPexListingView::TabSheet10Show() {
    pexLogCursorLine = 0;
}

void installPexListingView(TForm1& form) {
    QWidget* page = form.pexDataPage();
    auto* view = new TPexListingView(form, page);
    view->setObjectName(QStringLiteral("PexListingView"));
    if (page->layout()) page->layout()->addWidget(view);
}
