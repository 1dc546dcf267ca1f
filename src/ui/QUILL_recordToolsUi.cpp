// The record tools in the window.
#include "ui/QUILL_recordToolsUi.h"

#include "core/QUILL_main.h"
#include "plugin/QUILL_recordStruct.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_espTreeView.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsTagging.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTextOption>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
constexpr int kColumns = 24 * 3;
} // namespace

TForm10::TForm10(const TAppContext& app, const trecord& record, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm10"));
    setUiKey(this, QStringLiteral("EspStruct"), app);
    auto* layout = new QVBoxLayout(this);
    Memo1 = new QTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setAcceptRichText(false);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The hex lines have no blanks: they wrap every 24 bytes (three columns each), never inside a byte.
    Memo1->setLineWrapMode(QTextEdit::FixedColumnWidth);
    Memo1->setLineWrapColumnOrWidth(kColumns);
    Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Memo1->setPlainText(recordStructureText(record));
    layout->addWidget(Memo1);
    const int charWidth = QFontMetrics(Memo1->font()).horizontalAdvance(QLatin1Char('0'));
    resize(charWidth * (kColumns + 8) + 40, 520);
}

void ShowRecStruct(QWidget* parent, const TAppContext& app, const trecord* record) {
    if (!record) return;
    TForm10 dialog(app, *record, parent);
    dialog.exec();
}

TForm8::TForm8(const TAppContext& app, const rOptionRequest& request, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm8"));
    setUiKey(this, QStringLiteral("AddIdToStrings"), app);
    auto* layout = new QVBoxLayout(this);
    auto* what = new QGroupBox(this);
    what->setObjectName(QStringLiteral("AddWhat"));
    setUiKey(what, QStringLiteral("AddWhat"), app);
    auto* whatLayout = new QVBoxLayout(what);
    const char* keys[4] = {"Add_StringID", "Add_EDID", "Add_RecordRef", "Add_DialRef"};
    for (int i = 0; i < 4; ++i) {
        auto* box = new QCheckBox(what);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        setUiKey(box, QLatin1String(keys[i]), app);
        box->setChecked(false);
        box->setEnabled(request.checksEnabled.value(i, true));
        whatLayout->addWidget(box);
        CheckBoxes[static_cast<size_t>(i)] = box;
    }
    layout->addWidget(what);
    auto* where = new QGroupBox(this);
    where->setObjectName(QStringLiteral("AddId"));
    setUiKey(where, QStringLiteral("AddId"), app);
    auto* whereLayout = new QVBoxLayout(where);
    RadioGroup1 = new QButtonGroup(this);
    const char* items[3] = {"overwrite_All", "overwrite_NoTrans", "overwrite_Selection"};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(where);
        setUiKey(radio, QLatin1String(items[i]), app);
        radio->setChecked(i == request.current);
        RadioGroup1->addButton(radio, i);
        whereLayout->addWidget(radio);
    }
    layout->addWidget(where);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("Button1"));
    setUiKey(ok, QStringLiteral("Ok"), app);
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Button2"));
    setUiKey(cancel, QStringLiteral("Cancel"), app);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int TForm8::choice() const {
    return RadioGroup1->checkedId();
}

QList<bool> TForm8::checks() const {
    QList<bool> out;
    for (const QCheckBox* box : CheckBoxes)
        out << (box->isEnabled() && box->isChecked());
    return out;
}

bool showIdTagDialog(QWidget* parent, const TAppContext& app, rOptionRequest& request, int& answer) {
    if (request.dialog != QLatin1String("TForm8")) return false;
    TForm8 dialog(app, request, parent);
    answer = dialog.exec() == QDialog::Accepted ? dialog.choice() : -1;
    if (answer >= 0) request.checks = dialog.checks();
    return true;
}

namespace {

// "ShowRecStruct" in the plugin tree's context menu: the focused node, when it is a record.
void installTreeMenu(TForm1& form) {
    QWidget* page = form.espTreePage();
    auto* view = page ? page->findChild<QTreeView*>(QStringLiteral("EspTreeView")) : nullptr;
    if (!view) return;
    auto* menu = new QMenu(view);
    QAction* show = menu->addAction(QString());
    show->setObjectName(QStringLiteral("ShowRecStruct1"));
    setUiKey(show, QStringLiteral("ShowRecStruct"), form.workspace().app);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    auto focusedRecord = [view]() -> trecord* {
        auto* model = qobject_cast<TEspTreeModel*>(view->model());
        const tPluginNode* node = model ? model->nodeAt(view->currentIndex()) : nullptr;
        return node ? node->record() : nullptr;
    };
    QObject::connect(view, &QTreeView::customContextMenuRequested, menu,
                     [&form, view, menu, show, focusedRecord](const QPoint& at) {
                         show->setEnabled(form.workspace().app.isIdle() && focusedRecord());
                         menu->popup(view->viewport()->mapToGlobal(at));
                     });
    QObject::connect(show, &QAction::triggered, view,
                     [&form, focusedRecord] { ShowRecStruct(&form, form.workspace().app, focusedRecord()); });
}

// "ShowRecStruct" in the string lists' context menu: the record linked to the focused entry. The item shows where
// entries can be linked to records (a plugin is open) and is enabled on a linked entry.
void installListMenu(TForm1& form) {
    QMenu* menu = form.listMenu();
    if (!menu) return;
    menu->addSeparator();
    QAction* show = menu->addAction(QString());
    show->setObjectName(QStringLiteral("ShowRecStruct2"));
    setUiKey(show, QStringLiteral("ShowRecStruct"), form.workspace().app);
    show->setVisible(false);
    auto linkedRecord = [&form]() -> trecord* {
        const tSkyStr* entry = form.focusedEntry();
        return entry && entry->isEspAssigned() ? entry->esp.rec : nullptr;
    };
    QObject::connect(menu, &QMenu::aboutToShow, show, [&form, show, linkedRecord] {
        show->setVisible(form.workspace().state().pluginLoaded());
        show->setEnabled(form.workspace().app.isIdle() && linkedRecord());
    });
    QObject::connect(show, &QAction::triggered, &form,
                     [&form, linkedRecord] { ShowRecStruct(&form, form.workspace().app, linkedRecord()); });
}

} // namespace

void installRecordToolsUi(TForm1& form) {
    installTreeMenu(form);
    installListMenu(form);
    TWorkspace& ws = form.workspace();
    // The lists, Undo and the title follow through the change channel (tagging also shows the lists by score).
    form.setCommand(QStringLiteral("AddIdToStrings"), [&ws] { addIdTags(ws); });
    for (const auto& [key, same] : {std::pair{"Menu_TagDiff", false}, std::pair{"Menu_TagSame", true}})
        form.setCommand(QLatin1String(key), [&ws, same = same] { tagStrings(ws, same); });
}
