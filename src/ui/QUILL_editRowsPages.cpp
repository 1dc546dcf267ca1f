// The record, dialogue and search pages: rows taken by the edit dialog's rules from the plugin tree and the
// vocabulary.
#include "ui/QUILL_editRowsPages.h"

#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace editlogic;

namespace {

TPluginLayout pluginLayout(const TWorkspace& ws) {
    const TPluginDocument* plugin = ws.plugin();
    if (!plugin) return TPluginLayout::none;
    return plugin->localized ? TPluginLayout::localized : TPluginLayout::plain;
}

} // namespace

TEntryRowsPage::TEntryRowsPage(TWorkspace& ws, QList<int> columns, const QList<int>& textColumns, const QString& name,
                               QWidget* parent)
    : QWidget(parent), ws_(ws), header_(new QLineEdit(this)),
      view_(new TEntryRowsView(ws, std::move(columns), textColumns, name, this)) {
    header_->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header_);
    layout->addWidget(view_, 1);
}

void TEntryRowsPage::release() {
    view_->rows().setRows({});
    record_ = nullptr;
}

void TEntryRowsPage::reset() {
    release();
    header_->clear();
}

TRecordPage::TRecordPage(TWorkspace& ws, QWidget* parent)
    : TEntryRowsPage(ws, {0, 1, 2, 3}, {1, 2}, QStringLiteral("RecordList"), parent) {
    view_->rows().idOf = [&ws](const tSkyStr& e) { return recordRowId(e, pluginLayout(ws)); };
}

rRecordPage TRecordPage::fill(const tSkyStr& entry) {
    const rRecordPage page = recordPage(ws_.app, entry, pluginLayout(ws_));
    header_->setText(page.header);
    const trecord* record = page.linked ? entry.esp.rec : nullptr;
    if (record && record == record_) {
        view_->rows().refresh();
    } else {
        view_->rows().setRows(page.rows);
        record_ = record;
    }
    view_->selectRow(page.focusedRow);
    return page;
}

TDialoguePage::TDialoguePage(TWorkspace& ws, QWidget* parent)
    : TEntryRowsPage(ws, {4, 0, 1, 2, 3}, {2, 3}, QStringLiteral("DialogueList"), parent) {}

void TDialoguePage::fill(const trecord* record, const tSkyStr* focused) {
    if (!record || record != record_) {
        record_ = record;
        rDialoguePage page;
        if (const TPluginDocument* plugin = ws_.plugin(); plugin && record)
            page = dialoguePage(ws_.app, plugin->tree, *record, focused, pluginLayout(ws_));
        header_->setText(page.header);
        view_->rows().setRows(page.rows);
        emit markerChanged(page.marked);
    }
    view_->selectRow(static_cast<int>(view_->rows().rows().indexOf(const_cast<tSkyStr*>(focused))));
}

// ----- Search

TSearchPage::TSearchPage(TWorkspace& ws, QWidget* parent) : QWidget(parent), ws_(ws), box_(new QLineEdit(this)) {
    const TAppContext& app = ws.app;
    box_->setObjectName(QStringLiteral("EditSearchBox"));
    box_->setClearButtonEnabled(true);
    auto* bar = new QHBoxLayout;
    bar->addWidget(box_, 1);
    auto toggle = [this, &app, bar](const QString& glyph, const char* hint, bool down) {
        auto* b = new QToolButton(this);
        b->setText(glyph);
        b->setToolTip(app.uiText(QLatin1String(hint)));
        b->setCheckable(true);
        b->setChecked(down);
        b->setAutoRaise(true);
        bar->addWidget(b);
        return b;
    };
    inSource_ = toggle(QStringLiteral("S"), "Hint_SearchSource", true);
    inTranslation_ = toggle(QStringLiteral("T"), "Hint_SearchDest", false);
    currentList_ = toggle(QStringLiteral("1"), "hint_SearchCurrent", true);
    auto* split = new QSplitter(Qt::Horizontal, this);
    hits_ = new TEntryRowsView(ws, {0, 1, 2}, {1, 2}, QStringLiteral("SearchHits"), split);
    preview_ = new QPlainTextEdit(split);
    preview_->setReadOnly(true);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split, 1);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(250);
    connect(timer_, &QTimer::timeout, this, &TSearchPage::searchRequested);
    connect(box_, &QLineEdit::textEdited, timer_, qOverload<>(&QTimer::start));
    connect(box_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty()) emit searchRequested(); // the clear button
    });
    // Source and translation are one choice.
    for (QToolButton* side : {inSource_, inTranslation_})
        connect(side, &QToolButton::clicked, this, [this, side] {
            inSource_->setChecked(side == inSource_);
            inTranslation_->setChecked(side == inTranslation_);
            emit searchRequested();
        });
    connect(currentList_, &QToolButton::clicked, this, &TSearchPage::searchRequested);
    connect(hits_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (const tSkyStr* e = hits_->entryAt(i)) preview_->setPlainText(i.column() == 2 ? e->gTrans : e->gS);
    });
    hits_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(hits_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const tSkyStr* hit = hits_->entryAt(hits_->currentIndex());
        QMenu menu(this);
        menu.addAction(ws_.app.uiText(QStringLiteral("Menu_UseTrans")), this,
                       [this, hit] { emit translationChosen(*hit); })
            ->setEnabled(hit != nullptr);
        menu.exec(hits_->viewport()->mapToGlobal(pos));
    });
}

void TSearchPage::search(int listIndex) {
    timer_->stop();
    // Texts shorter than three characters find nothing.
    hits_->rows().setRows(searchVocabulary(ws_.vocabularyLists, currentList_->isChecked() ? listIndex : -1,
                                           box_->text(), inTranslation_->isChecked()));
}
