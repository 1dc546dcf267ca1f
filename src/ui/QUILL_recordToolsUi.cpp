// The record tools in the window.
#include "ui/QUILL_recordToolsUi.h"

#include "core/QUILL_main.h"
#include "plugin/QUILL_recordStruct.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_espTreeView.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"

#include <QAction>
#include <QFontDatabase>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextOption>
#include <QTreeView>
#include <QVBoxLayout>

TForm10::TForm10(const TAppContext& app, const trecord& record, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm10"));
    setUiKey(this, QStringLiteral("EspStruct"), app);
    auto* layout = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The hex lines have no blanks: they wrap anywhere rather than scroll sideways.
    Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Memo1->setPlainText(recordStructureText(record));
    layout->addWidget(Memo1);
    resize(720, 480);
}

void ShowRecStruct(QWidget* parent, const TAppContext& app, const trecord* record) {
    if (!record) return;
    TForm10 dialog(app, *record, parent);
    dialog.exec();
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
}
