// The edit dialog's list of problems and the question before validating a string that has some.
#include "ui/QUILL_checksEditPanel.h"

#include "core/QUILL_main.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_checksUi.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

using quillcheck::rProblem;

namespace {

constexpr int kVisibleRows = 4;

const QIcon& problemIcon() {
    static const QIcon icon = [] {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xAD, 0x14, 0x57));
        painter.drawEllipse(QRectF(2, 2, 28, 28));
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(22);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("!"));
        return QIcon(pixmap);
    }();
    return icon;
}

QHash<const TForm2*, TEditProblemsPanel*>& panels() {
    static QHash<const TForm2*, TEditProblemsPanel*> map;
    return map;
}

} // namespace

// ----- TEditProblemsPanel

TEditProblemsPanel::TEditProblemsPanel(TForm2& dialog, TChecksPage& page, QWidget* parent)
    : QWidget(parent), dialog_(dialog), page_(page), ws_(page.workspace()) {
    setObjectName(QStringLiteral("ProblemsPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ProblemsList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setFocusPolicy(Qt::NoFocus); // the keys stay with the editor
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setIconSize(QSize(14, 14));
    list_->setWordWrap(true);
    // A pale mark colour, the rows given some air: the panel reads as a note under the editor, not another list.
    list_->setStyleSheet(QStringLiteral("QListWidget#ProblemsList { background: #FDEEF2; border: 1px solid #E9B7C6; }"
                                        "QListWidget#ProblemsList::item { padding: 2px 3px; }"));
    layout->addWidget(list_);
    connect(list_, &QWidget::customContextMenuRequested, this, &TEditProblemsPanel::showMenu);
    hide();
}

void TEditProblemsPanel::recheck() {
    tSkyStr* entry = dialog_.focusedString();
    // A command running lets window events through, and may be changing what the checks read: its end checks again.
    pending_ = entry && !ws_.app.isIdle();
    if (pending_) return;
    problems_.clear();
    if (entry)
        problems_ = problemsOfText(ws_, *entry, dialog_.translationEditor()->toPlainText(),
                                   entry->hasParam(sStrParam::validated));
    list_->clear();
    const QStringList lines = problemLines(ws_.app, problems_, true);
    for (int i = 0; i < lines.size(); ++i) {
        const rProblem& p = problems_[static_cast<size_t>(i)];
        auto* item = new QListWidgetItem(problemIcon(), lines[i], list_);
        item->setToolTip(ws_.app.uiText(QStringLiteral("Chk_About_") + quillcheck::checkName(p.check)));
        if (p.ignored) {
            item->setForeground(QColor(0x90, 0x90, 0x90));
            QFont font = item->font();
            font.setItalic(true);
            item->setFont(font);
        }
    }
    if (problems_.empty()) {
        hide();
        return;
    }
    // As many rows as there are problems, up to a few; more scroll.
    const int rows = std::min(static_cast<int>(problems_.size()), kVisibleRows);
    int height = 2 * list_->frameWidth();
    for (int i = 0; i < rows; ++i)
        height += list_->sizeHintForRow(i);
    list_->setFixedHeight(height);
    show();
}

void TEditProblemsPanel::showMenu(const QPoint& at) {
    tSkyStr* entry = dialog_.focusedString();
    QListWidgetItem* item = list_->itemAt(at);
    if (!entry || !item) return;
    const rProblem& p = problems_[static_cast<size_t>(list_->row(item))];
    QMenu menu(this);
    const quillcheck::TCheck check = p.check;
    const bool ignore = !p.ignored;
    menu.addAction(ws_.app.uiText(ignore ? QStringLiteral("Chk_Ignore") : QStringLiteral("Chk_Unignore")), this,
                   [this, entry, check, ignore] { page_.setIgnored(*entry, check, ignore); });
    menu.exec(list_->viewport()->mapToGlobal(at));
}

// ----- The question

TValidateQuestion::TValidateQuestion(const TAppContext& app, const QStringList& problems, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TValidateQuestion"));
    setWindowTitle(TAppContext::programCaption());
    auto* layout = new QVBoxLayout(this);
    QStringList escaped;
    for (const QString& line : problems)
        escaped << QStringLiteral("&bull; ") + line.toHtmlEscaped();
    auto* text = new QLabel(
        app.uiTextFormat(QStringLiteral("Ask_ValidateWithProblems"), {escaped.join(QStringLiteral("<br>"))}), this);
    text->setObjectName(QStringLiteral("QuestionText"));
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setMinimumWidth(420);
    layout->addWidget(text);
    dontAskAgain = checkBox(this, app, "Chk_DontAskAgain", "CheckDontAskAgain");
    layout->addWidget(dontAskAgain);
    auto* buttons = new QDialogButtonBox(this);
    yesButton = buttons->addButton(app.uiText(QStringLiteral("Yes")), QDialogButtonBox::YesRole);
    noButton = buttons->addButton(app.uiText(QStringLiteral("No")), QDialogButtonBox::NoRole);
    yesButton->setObjectName(QStringLiteral("ButtonYes"));
    noButton->setObjectName(QStringLiteral("ButtonNo"));
    // The translator pressed a validating key already: the question stops a reflex, so Enter goes back.
    yesButton->setAutoDefault(false);
    noButton->setDefault(true);
    noButton->setFocus();
    connect(yesButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(noButton, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool mayValidateWithProblems(TWorkspace& ws, tSkyStr& entry, const QString& text, QWidget* parent) {
    if (!ws.app.state.checksAskBeforeValidate) return true;
    // The string as it will be stored: validated, so that only what validating leaves in place is asked about.
    const QStringList lines = problemLines(ws.app, problemsOfText(ws, entry, text, true), false);
    if (lines.isEmpty()) return true;
    TValidateQuestion question(ws.app, lines, parent);
    const bool yes = question.exec() == QDialog::Accepted;
    if (question.dontAskAgain->isChecked()) ws.app.state.checksAskBeforeValidate = false;
    return yes;
}

// ----- Installation

void installChecksInEditDialog(TForm1& form, TForm2& dialog, TChecksPage& page) {
    TWorkspace& ws = form.workspace();
    QPlainTextEdit* editor = dialog.translationEditor();
    // Right under the translation editor, in whatever box holds it.
    auto* box = editor->parentWidget() ? qobject_cast<QBoxLayout*>(editor->parentWidget()->layout()) : nullptr;
    auto* panel = new TEditProblemsPanel(dialog, page, editor->parentWidget());
    if (box)
        box->insertWidget(box->indexOf(editor) + 1, panel);
    else if (auto* own = qobject_cast<QBoxLayout*>(dialog.layout()))
        own->addWidget(panel);
    panels().insert(&dialog, panel);
    QObject::connect(panel, &QObject::destroyed, [&dialog] { panels().remove(&dialog); });

    // The document's signal, not the editor's: loading a string sets the text with the editor's signals blocked.
    QObject::connect(editor->document(), &QTextDocument::contentsChanged, panel, &TEditProblemsPanel::recheck);
    QObject::connect(&dialog, &TForm2::focusedStringChanged, panel, &TEditProblemsPanel::recheck);
    QObject::connect(&page, &TChecksPage::problemsChanged, panel, &TEditProblemsPanel::recheck);
    QObject::connect(&form, &TForm1::operationEnded, panel, &TEditProblemsPanel::recheckIfPending);
    dialog.mayValidate = [&ws, &dialog](tSkyStr& entry, const QString& text) {
        return mayValidateWithProblems(ws, entry, text, &dialog);
    };
}

TEditProblemsPanel* editProblemsPanel(TForm2& dialog) {
    return panels().value(&dialog);
}
