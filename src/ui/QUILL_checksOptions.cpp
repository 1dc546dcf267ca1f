// The options dialog's page of the quality checks.
#include "ui/QUILL_checksOptions.h"

#include "core/QUILL_main.h"
#include "ui/QUILL_Dialog.h"
#include "workspace/QUILL_options.h"
#include "workspace/QUILL_wsChecks.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

TChecksOptionsPage::TChecksOptionsPage(const TAppContext& app, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ChecksOptions"));
    auto* layout = new QVBoxLayout(this);
    // Fifteen switches with their explanations: a short window scrolls them.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* inner = new QWidget(scroll);
    auto* grid = new QGridLayout(inner);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setColumnStretch(1, 1);
    int row = 0;
    for (const quillcheck::TCheck check : quillcheck::checkOrder()) {
        const QString name = quillcheck::checkName(check);
        auto* box = new QCheckBox(name, inner);
        box->setObjectName(QStringLiteral("Check_") + name);
        box->setChecked(checkEnabled(app.state, check));
        auto* about = new QLabel(inner);
        setUiKey(about, QStringLiteral("Chk_About_") + name, app);
        about->setWordWrap(true);
        about->setBuddy(box);
        // The explanation's first line level with the switch's caption.
        about->setContentsMargins(0, qMax(0, (box->sizeHint().height() - about->fontMetrics().height()) / 2), 0, 0);
        grid->addWidget(box, row, 0, Qt::AlignTop);
        grid->addWidget(about, row, 1, Qt::AlignTop);
        boxes_[static_cast<size_t>(check)] = box;
        ++row;
    }
    grid->setRowStretch(row, 1);
    scroll->setWidget(inner);
    // The page's own background under the switches.
    scroll->viewport()->setAutoFillBackground(false);
    inner->setAutoFillBackground(false);
    layout->addWidget(scroll, 1);
    askBox_ = ::checkBox(this, app, "Opt_CheckAskValidate", "CheckAskValidate");
    askBox_->setChecked(app.state.checksAskBeforeValidate);
    layout->addWidget(askBox_);
}

void TChecksOptionsPage::read(rOptionsChoice& choice) const {
    choice.checks = {};
    for (const quillcheck::TCheck check : quillcheck::checkOrder())
        choice.checks.set(check, boxes_[static_cast<size_t>(check)]->isChecked());
    choice.askBeforeValidate = askBox_->isChecked();
}
