// The old dialogue style dialog and the language tools' commands.
#include "ui/QUILL_dialogueUi.h"

#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDialogue.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kMinimumLimit = 75;
constexpr int kMaximumLimit = 150;
constexpr int kFirstLimit = 115;

} // namespace

TForm9::TForm9(TWorkspace& ws, QWidget* parent) : QDialog(parent), ws_(ws) {
    const TAppContext& app = ws.app;
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(app.uiText(QStringLiteral("OldDialogStyle")));
    auto* layout = new QVBoxLayout(this);

    Label1 = new QLabel(app.uiText(QStringLiteral("OldDial_Info")), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    layout->addWidget(Label1);

    // Left: the prefix words and the pattern; right: the choices.
    auto* columns = new QHBoxLayout();
    layout->addLayout(columns);
    auto* left = new QVBoxLayout();
    auto* right = new QVBoxLayout();
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    CheckBox3 = checkBox(this, app, "OldDial_AddPrefix", "CheckBox3");
    left->addWidget(CheckBox3);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setToolTip(app.uiText(QStringLiteral("Hint_OldDialWords")));
    Memo1->setPlainText(readOldDialogWords(ws));
    left->addWidget(Memo1, 1);
    Edit2 = new QLineEdit(oldDialogPattern(ws), this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setToolTip(app.uiText(QStringLiteral("Hint_OldDialPattern")));
    left->addWidget(Edit2);
    CheckBox1 = checkBox(this, app, "OldDial_bAll", "CheckBox1");
    left->addWidget(CheckBox1);
    CheckBox4 = checkBox(this, app, "OldDial_AddOriginal", "CheckBox4");
    CheckBox4->setEnabled(false);
    left->addWidget(CheckBox4);
    connect(CheckBox1, &QCheckBox::toggled, CheckBox4, &QCheckBox::setEnabled);

    RadioGroup1 = addRadioGroup(this, right, app, QStringLiteral("OldDial_Apply"),
                                {QStringLiteral("Overwrite_AllRelevant"), QStringLiteral("overwrite_PartialOnly"),
                                 QStringLiteral("overwrite_Selection")},
                                0, "RadioGroup1");
    RadioGroup2 =
        addRadioGroup(this, right, app, QStringLiteral("OldDial_StringOp"),
                      {QStringLiteral("OldDial_Keep"), QStringLiteral("OldDial_Skip"), QStringLiteral("OldDial_Cut")},
                      0, "RadioGroup2");
    Edit1 = new QSpinBox(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setRange(kMinimumLimit, kMaximumLimit);
    Edit1->setValue(kFirstLimit);
    Edit1->setToolTip(app.uiText(QStringLiteral("Hint_OldDialLimit")));
    // The limit belongs with the long-line choices whose texts show it.
    QLayout* longLines = RadioGroup2->button(0)->parentWidget()->layout();
    longLines->addWidget(Edit1);
    longLines->setAlignment(Edit1, Qt::AlignLeft);
    connect(Edit1, &QSpinBox::valueChanged, this, &TForm9::limitChanged);
    limitChanged(Edit1->value());
    CheckBox2 = checkBox(this, app, "OldDial_KeepChanges", "CheckBox2");
    right->addWidget(CheckBox2);
    right->addStretch(1);

    auto* buttons = new QDialogButtonBox(this);
    Button1 = buttons->addButton(app.uiText(QStringLiteral("Ok")), QDialogButtonBox::AcceptRole);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = buttons->addButton(app.uiText(QStringLiteral("Cancel")), QDialogButtonBox::RejectRole);
    Button2->setObjectName(QStringLiteral("Button2"));
    // The tool rewrites the translation with source texts: it makes sense only for a plugin edited in its own
    // language.
    const TAppState& state = app.state;
    const bool canRun = state.sameLanguages();
    Button1->setEnabled(canRun);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A greyed Ok says nothing by itself: the reason stands beside it.
    auto* bottom = new QHBoxLayout();
    LabelLanguage =
        new QLabel(app.uiTextFormat(QStringLiteral("OldDial_SameLanguage"), {state.SourceLang, state.DestLang}), this);
    LabelLanguage->setObjectName(QStringLiteral("LabelLanguage"));
    LabelLanguage->setWordWrap(true);
    LabelLanguage->setVisible(!canRun);
    bottom->addWidget(LabelLanguage, 1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
}

void TForm9::limitChanged(int limit) {
    const TAppContext& app = ws_.app;
    RadioGroup2->button(1)->setText(app.uiTextFormat(QStringLiteral("OldDial_Skip"), {limit}));
    RadioGroup2->button(2)->setText(app.uiTextFormat(QStringLiteral("OldDial_Cut"), {limit}));
}

rOldDialogOptions TForm9::options() const {
    rOldDialogOptions o;
    if (CheckBox3->isChecked()) o.prefixWords = oldDialogWords(Memo1->toPlainText());
    o.pattern = Edit2->text();
    o.allPrompts = CheckBox1->isChecked();
    o.addOriginal = CheckBox4->isEnabled() && CheckBox4->isChecked();
    static constexpr tStringPredicate selections[] = {tStringPredicate::all, tStringPredicate::incomplete,
                                                      tStringPredicate::selected};
    o.selection = selections[qBound(0, RadioGroup1->checkedId(), 2)];
    static constexpr TLongResponse longResponses[] = {TLongResponse::keep, TLongResponse::skip, TLongResponse::cut};
    o.longResponse = longResponses[qBound(0, RadioGroup2->checkedId(), 2)];
    o.limit = Edit1->value();
    o.keepChanges = CheckBox2->isChecked();
    return o;
}

void installDialogueUi(TForm1& form) {
    TWorkspace& ws = form.workspace();
    form.setCommand(QStringLiteral("OldDialogStyle"), [&form, &ws] {
        TForm9 dialog(ws, &form);
        if (dialog.exec() != QDialog::Accepted) return;
        runOldDialogStyle(ws, dialog.options(), dialog.Memo1->toPlainText());
    });
    form.setCommand(QStringLiteral("ConvertTCSC"),
                    [&ws] { convertChinese(ws, TChineseDirection::traditionalToSimplified); });
    form.setCommand(QStringLiteral("ConvertSCTC"),
                    [&ws] { convertChinese(ws, TChineseDirection::simplifiedToTraditional); });
}
