// The difference, tag and compare pages of the edit dialog.
#include "ui/QUILL_editTextPages.h"

#include "aids/QUILL_editLogic.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsCompare.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPlainTextEdit>

using namespace editlogic;

// ----- Differences

TDiffPage::TDiffPage(TWorkspace& ws, const QPlainTextEdit& source, QWidget* parent)
    : QTextEdit(parent), ws_(ws), source_(source),
      invert_(new QAction(ws.app.uiText(QStringLiteral("Menu_InvertDiff")), this)) {
    setObjectName(QStringLiteral("DiffView"));
    setReadOnly(true);
    invert_->setCheckable(true);
    invert_->setChecked(true);
    connect(invert_, &QAction::toggled, this, [this] {
        if (!other_.isEmpty()) showDiff(other_);
    });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* menu = createStandardContextMenu();
        menu->addSeparator();
        menu->addAction(invert_);
        menu->exec(viewport()->mapToGlobal(pos));
        delete menu;
    });
}

void TDiffPage::fill(const tSkyStr* entry, const QString& other) {
    clear();
    if (!entry) return;
    QString against = other;
    if (against.isEmpty()) {
        for (const rHeuristicPair& pair : ws_.heuristicMatches[qBound(0, int(entry->listIndex), 2)])
            if (pair.entry == entry && pair.vocabulary) {
                against = pair.vocabulary->gS;
                break;
            }
    }
    if (against.isEmpty()) {
        setPlainText(ws_.app.uiText(QStringLiteral("Fbk_DiffViewer")));
        return;
    }
    showDiff(against);
}

void TDiffPage::showDiff(const QString& other) {
    other_ = other;
    const TAppContext& app = ws_.app;
    const bool inverted = invert_->isChecked();
    const QString source = source_.toPlainText();
    const rDiffView view = inverted ? diffView(other, source) : diffView(source, other);

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
    clear();
    QTextCursor cursor(document());
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
    for (const rDiffRun& run : view.runs)
        cursor.insertText(run.text, run.kind == TChangeKind::ckAdd      ? added
                                    : run.kind == TChangeKind::ckDelete ? deleted
                                    : run.kind == TChangeKind::ckModify ? modified
                                                                        : unchanged);
    moveCursor(QTextCursor::Start);
}

// ----- Tags

TAliasPage::TAliasPage(const TAppContext& app, QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("AliasList"));
    setColumnCount(2);
    setHeaderLabels({app.uiText(QStringLiteral("Alias_Source")), app.uiText(QStringLiteral("Alias_Dest"))});
    setRootIsDecorated(false);
    header()->setSectionResizeMode(QHeaderView::Stretch);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QTreeWidgetItem* item = itemAt(pos);
        if (item && !item->text(0).isEmpty()) emit tagChosen(item->text(0));
    });
}

void TAliasPage::fill(const QString& source, const QString& translation) {
    clear();
    const rAliasCheck check = checkAliases(source, translation);
    emit markerChanged(check.tagsDiffer);
    const auto colour = [](int code) {
        const uint32_t value = aliasColour(code);
        return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    };
    for (const TAliasData& row : check.rows) {
        auto* item = new QTreeWidgetItem(this, {row.sSource, row.sDest});
        item->setBackground(0, colour(row.cSource));
        item->setBackground(1, colour(row.cDest));
    }
}

// ----- Compare

TComparePage::TComparePage(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("CompareList"));
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item) emit textChosen(item->text(0));
    });
}

void TComparePage::fill(const TWorkspace& ws, const tSkyStr* entry) {
    setRows({}, false);
    if (!entry || !compareRecordsLoaded(ws)) return;
    const bool warning = entry->hasFlag(sStrInternalParam::Warning);
    QList<TCompareData> rows;
    for (const QString& text : compareTextsFor(ws, *entry))
        rows.append({text, warning});
    setRows(rows, warning);
}

void TComparePage::setRows(const QList<TCompareData>& rows, bool marked) {
    clear();
    emit markerChanged(marked);
    for (const TCompareData& row : rows) {
        auto* item = new QTreeWidgetItem(this, {row.s});
        if (row.warning) item->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxWarning));
    }
}
