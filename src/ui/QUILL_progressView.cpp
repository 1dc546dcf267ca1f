// The progress view and the status bar's progress line.
#include "ui/QUILL_progressView.h"

#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_progress.h"
#include "workspace/QUILL_workspace.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum TProgressColumn { colName, colBar, colTotal, colValidated, colTranslated, colPartial, colUntranslated, colWords };
constexpr int kCountRole = Qt::UserRole + 1;

// The state colours, the same in the bar and in the legend of the column headers.
const QColor kValidated(0x2e, 0x7d, 0x32);
const QColor kTranslated(0x64, 0xb5, 0xf6);
const QColor kPartial(0xff, 0xb3, 0x00);
const QColor kUntranslated(0xe0, 0xe0, 0xe0);

// Draws a row's counts as one bar split by state, validated first.
class TProgressBarDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, QModelIndex()); // the selection and row background
        const QList<QVariant> counts = index.data(kCountRole).toList();
        if (counts.size() != 5) return;
        const double total = counts[0].toDouble();
        if (total <= 0) return;
        const QRect bar = option.rect.adjusted(4, 4, -4, -4);
        painter->save();
        painter->setPen(Qt::NoPen);
        double x = bar.left();
        const QColor colours[4] = {kValidated, kTranslated, kPartial, kUntranslated};
        for (int i = 0; i < 4; ++i) {
            const double width = bar.width() * counts[i + 1].toDouble() / total;
            painter->fillRect(QRectF(x, bar.top(), width, bar.height()), colours[i]);
            x += width;
        }
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(bar);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(160, 20));
    }
};

QString number(const TAppContext& app, qsizetype n) {
    const QString name = app.uiText(QStringLiteral("Locale"));
    return (name.isEmpty() ? QLocale(QLocale::English) : QLocale(name)).toString(n);
}

void fillRow(const TAppContext& app, QTreeWidgetItem* item, const QString& name, const rProgressCount& c) {
    item->setText(colName, name);
    item->setData(colBar, kCountRole, QList<QVariant>{c.total, c.validated, c.translated, c.partial, c.untranslated});
    const qsizetype values[] = {c.total, c.validated, c.translated, c.partial, c.untranslated, c.wordsLeft};
    for (int i = 0; i < 6; ++i) {
        item->setText(colTotal + i, number(app, values[i]));
        item->setTextAlignment(colTotal + i, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(colTotal + i, Qt::UserRole, static_cast<qlonglong>(values[i]));
    }
    if (c.total > 0)
        item->setToolTip(
            colBar, app.uiTextFormat(QStringLiteral("Progress_Status"), {number(app, c.done()), number(app, c.total),
                                                                         static_cast<int>(c.done() * 100 / c.total)}));
}

void updateStatusLine(TForm1& form, QLabel* label) {
    const TWorkspace& ws = form.workspace();
    label->setText(progressStatusText(ws.app, countProgressStates(ws)));
}

} // namespace

TProgressView::TProgressView(TForm1& form) : QDialog(&form), form_(form) {
    setObjectName(QStringLiteral("ProgressView"));
    setUiKey(this, QStringLiteral("Progress_Title"), form.workspace().app);
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("ProgressSummary"));
    layout->addWidget(summary_);
    table_ = new QTreeWidget(this);
    table_->setObjectName(QStringLiteral("ProgressTable"));
    table_->setColumnCount(8);
    table_->setRootIsDecorated(true);
    table_->setAlternatingRowColors(true);
    table_->setUniformRowHeights(true);
    table_->setItemDelegateForColumn(colBar, new TProgressBarDelegate(table_));
    table_->setSortingEnabled(false);
    layout->addWidget(table_, 1);
    resize(820, 520);
    pending_ = new QTimer(this);
    pending_->setSingleShot(true);
    pending_->setInterval(150);
    connect(pending_, &QTimer::timeout, this, &TProgressView::refresh);
    TChangeChannel& changes = form.changes();
    // Counted again once a burst of changes settled, and only while shown.
    auto later = [this] {
        if (isVisible()) pending_->start();
    };
    connect(&changes, &TChangeChannel::documentReplaced, this, later);
    connect(&changes, &TChangeChannel::entriesModified, this, later);
    connect(&changes, &TChangeChannel::historyMoved, this, later);
}

void TProgressView::refresh() {
    const TWorkspace& ws = form_.workspace();
    const TAppContext& app = ws.app;
    QStringList headers;
    for (const char* key : {"Progress_Strings", "Progress_Bar", "Progress_Total", "Progress_Validated",
                            "Progress_Translated", "Progress_Partial", "Progress_Untranslated", "Progress_WordsLeft"})
        headers << app.uiText(QLatin1String(key));
    table_->setHeaderLabels(headers);
    const QColor legend[] = {kValidated, kTranslated, kPartial, kUntranslated};
    for (int i = 0; i < 4; ++i)
        table_->headerItem()->setForeground(colValidated + i, i == 3 ? palette().color(QPalette::Text) : legend[i]);

    const rProgressTable progress = computeProgress(ws);
    table_->clear();
    auto* lists = new QTreeWidgetItem(table_);
    fillRow(app, lists, app.uiText(QStringLiteral("Progress_AllLists")), progress.total);
    for (int i = 0; i < 3; ++i) {
        if (progress.lists[i].total == 0) continue;
        fillRow(app, new QTreeWidgetItem(lists), listName(i), progress.lists[i]);
    }
    if (!progress.fields.empty()) {
        auto* fields = new QTreeWidgetItem(table_);
        fillRow(app, fields, app.uiText(QStringLiteral("Progress_ByField")), progress.total);
        for (const rProgressRow& row : progress.fields)
            fillRow(app, new QTreeWidgetItem(fields), row.record + QLatin1Char(' ') + row.field, row.count);
    }
    table_->expandAll();
    for (int column = 0; column < table_->columnCount(); ++column)
        if (column != colBar) table_->resizeColumnToContents(column);
    table_->setColumnWidth(colBar, 180);
    const QString status = progressStatusText(app, progress.total);
    summary_->setText(status.isEmpty() ? app.uiText(QStringLiteral("Progress_Nothing"))
                                       : status + QStringLiteral(" \u2014 ") +
                                             app.uiTextFormat(QStringLiteral("Progress_WordsLeftTotal"),
                                                              {number(app, progress.total.wordsLeft)}));
}

void installProgressView(TForm1& form) {
    auto* label = new QLabel(form.statusBar());
    label->setObjectName(QStringLiteral("ProgressStatus"));
    label->setTextFormat(Qt::PlainText);
    form.statusBar()->addPermanentWidget(label);
    auto* pending = new QTimer(label);
    pending->setSingleShot(true);
    pending->setInterval(100);
    QObject::connect(pending, &QTimer::timeout, label, [&form, label] { updateStatusLine(form, label); });
    TChangeChannel& changes = form.changes();
    const auto later = [pending] { pending->start(); };
    QObject::connect(&changes, &TChangeChannel::documentReplaced, label, later);
    QObject::connect(&changes, &TChangeChannel::entriesModified, label, later);
    QObject::connect(&changes, &TChangeChannel::historyMoved, label, later);
    QObject::connect(&changes, &TChangeChannel::documentAboutToClose, label, [label] { label->clear(); });

    form.setCommand(QStringLiteral("Menu_Progress"), [&form] {
        TProgressView* view = progressView(form);
        if (!view) view = new TProgressView(form);
        view->refresh();
        view->show();
        view->raise();
        view->activateWindow();
    });
}

QLabel* progressStatusLabel(TForm1& form) {
    return form.statusBar()->findChild<QLabel*>(QStringLiteral("ProgressStatus"));
}

TProgressView* progressView(TForm1& form) {
    return form.findChild<TProgressView*>(QStringLiteral("ProgressView"), Qt::FindDirectChildrenOnly);
}
