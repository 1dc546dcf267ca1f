// The overwrite and apply option dialogs.
#include "ui/QUILL_dictionaryDialogs.h"

#include "core/QUILL_main.h"
#include "dictionary/QUILL_passes.h"
#include "ui/QUILL_Dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace {

void addButtons(QDialog* dialog, QVBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

QStringList texts(const TAppContext& app, const QStringList& keys) {
    QStringList out;
    for (const QString& key : keys)
        out << app.uiText(key);
    return out;
}

} // namespace

TForm6::TForm6(const TAppContext& app, const rOptionRequest& request, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(request.caption);
    auto* layout = new QVBoxLayout(this);
    const QStringList choices = request.choices.isEmpty() ? texts(app, overwriteChoiceKeys()) : request.choices;
    overwrite_ =
        addRadioGroup(this, layout, app.uiText(QStringLiteral("OverWrite")), choices, request.current, "OverWrite");
    addButtons(this, layout);
}

int TForm6::choice() const {
    return overwrite_->checkedId();
}

TForm12::TForm12(const TAppContext& app, const rOptionRequest& request, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm12"));
    setWindowTitle(request.caption.isEmpty() ? app.uiText(QStringLiteral("menu_applySST")) : request.caption);
    auto* layout = new QVBoxLayout(this);
    const QStringList choices = request.choices.isEmpty() ? texts(app, overwriteChoiceKeys()) : request.choices;
    RadioGroup1 =
        addRadioGroup(this, layout, app.uiText(QStringLiteral("OverWrite")), choices, request.current, "RadioGroup1");
    const int mode = !request.checks.isEmpty() && request.checks[0] ? 1 : 0;
    RadioGroup2 = addRadioGroup(this, layout, app.uiText(QStringLiteral("apply_Mode")), texts(app, applyModeKeys()),
                                mode, "RadioGroup2");
    addButtons(this, layout);
}

int TForm12::choice() const {
    return RadioGroup1->checkedId();
}

int TForm12::applyMode() const {
    return RadioGroup2->checkedId() == 1 ? 1 : 0;
}

bool showDictionaryOptionDialog(QWidget* parent, const TAppContext& app, rOptionRequest& request, int& answer) {
    if (request.dialog == QLatin1String("TForm6")) {
        TForm6 dialog(app, request, parent);
        answer = dialog.exec() == QDialog::Accepted ? dialog.choice() : -1;
        return true;
    }
    if (request.dialog == QLatin1String("TForm12")) {
        TForm12 dialog(app, request, parent);
        if (dialog.exec() != QDialog::Accepted) {
            answer = -1;
            return true;
        }
        answer = dialog.choice();
        if (request.checks.isEmpty()) request.checks.append(false);
        request.checks[0] = dialog.applyMode() == 1;
        return true;
    }
    return false;
}
