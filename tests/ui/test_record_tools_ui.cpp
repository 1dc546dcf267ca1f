// The record tools in the window: the structure window from the plugin tree and from the lists' context menu, the id
// tags dialog (its boxes by work mode) driven through the menu command, and the compare submenu's commands.
#include "plugin/QUILL_espTree.h"
#include "strings/QUILL_typedef.h"
#include "support/plugin_samples.h"
#include "temp_program_dir.h"
#include "ui/QUILL_espTreeView.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_recordToolsUi.h"
#include "ui/QUILL_stringListModel.h"
#include "ui_support.h"
#include "workspace/QUILL_workspace.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>

namespace {

void pressEscape(QWidget* widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

struct TWindowFixture : TShownWindow {
    QStringList samples;

    TWindowFixture() {
        ws.state().quillexpertMode = true;
        samples = writePluginSamples(ws.app, dir.file(QStringLiteral("Samples")));
    }
    QTreeView* tree() const { return form.espTreePage()->findChild<QTreeView*>(QStringLiteral("EspTreeView")); }
    // The index of the tree node whose text is `text`, searched depth first.
    QModelIndex treeNode(const QString& text, const QModelIndex& parent = {}) const {
        QAbstractItemModel* model = tree()->model();
        for (int r = 0; r < model->rowCount(parent); ++r) {
            const QModelIndex index = model->index(r, 0, parent);
            if (index.data().toString() == text) return index;
            if (QModelIndex found = treeNode(text, index); found.isValid()) return found;
        }
        return {};
    }
};

} // namespace

TEST(RecordToolsUi, StructureWindowFromTheTreeAndTheLists) {
    TWindowFixture f;
    ASSERT_EQ(f.samples.size(), 5);
    ASSERT_TRUE(f.ws.openAs("plugin", f.samples[0], false));
    f.form.refreshLists();
    f.form.bottomPages()->setCurrentWidget(f.form.espTreePage());
    QTreeView* tree = f.tree();
    ASSERT_NE(tree, nullptr);
    auto* menu = tree->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    QAction* fromTree = menu->findChild<QAction*>(QStringLiteral("ShowRecStruct1"));
    ASSERT_NE(fromTree, nullptr);

    // A group: the item is disabled.
    tree->setCurrentIndex(f.treeNode(QStringLiteral("GRUP - WEAP")));
    emit tree->customContextMenuRequested(QPoint(5, 5));
    EXPECT_FALSE(fromTree->isEnabled());
    menu->close();

    // A record: the window shows its structure, read-only and monospace; Escape closes it.
    const QModelIndex musket = f.treeNode(QStringLiteral("WEAP QS_LaserMusket[01000810] [4|0|0]"));
    ASSERT_TRUE(musket.isValid());
    tree->setCurrentIndex(musket);
    emit tree->customContextMenuRequested(QPoint(5, 5));
    EXPECT_TRUE(fromTree->isEnabled());
    menu->close();
    QString shown;
    bool readOnly = false, fixedPitch = false, closed = false;
    {
        TDialogAnswers answers({}, dialogNamed(QStringLiteral("TForm10"), [&](QDialog* dialog) {
                                   auto* form10 = static_cast<TForm10*>(dialog);
                                   shown = form10->Memo1->toPlainText();
                                   readOnly = form10->Memo1->isReadOnly();
                                   fixedPitch = form10->Memo1->font().family() ==
                                                QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
                                   EXPECT_EQ(dialog->windowTitle(), f.ws.app.uiText(QStringLiteral("EspStruct")));
                                   screenshot(dialog, QStringLiteral("record-structure-weapon"));
                                   pressEscape(dialog);
                                   closed = !dialog->isVisible();
                               }));
        fromTree->trigger();
    }
    const QStringList lines = shown.split('\n');
    ASSERT_GE(lines.size(), 9);
    EXPECT_EQ(lines[0], QStringLiteral("WEAP QS_LaserMusket[01000810] [4|0|0]"));
    EXPECT_EQ(lines[1], QStringLiteral("EDID 15"));
    EXPECT_EQ(lines[3], QStringLiteral("FULL 19"));
    EXPECT_TRUE(readOnly);
    EXPECT_TRUE(fixedPitch);
    EXPECT_TRUE(closed);

    // The lists' context menu: shown with a plugin open, on the record linked to the focused entry.
    QMenu* listMenu = f.form.listMenu();
    QAction* fromList = listMenu->findChild<QAction*>(QStringLiteral("ShowRecStruct2"));
    ASSERT_NE(fromList, nullptr);
    QTreeView* list = f.form.listView(0);
    list->setCurrentIndex(list->model()->index(1, 0)); // the musket's name
    ASSERT_NE(f.form.focusedEntry(), nullptr);
    emit listMenu->aboutToShow();
    EXPECT_TRUE(fromList->isVisible());
    EXPECT_TRUE(fromList->isEnabled());
    shown.clear();
    {
        TDialogAnswers answers({}, dialogNamed(QStringLiteral("TForm10"), [&](QDialog* dialog) {
                                   shown = static_cast<TForm10*>(dialog)->Memo1->toPlainText();
                                   dialog->reject();
                               }));
        fromList->trigger();
    }
    EXPECT_TRUE(shown.startsWith(f.form.focusedEntry()->esp.rec->getStringName() + '\n')) << shown.toStdString();

    // No document, no record: the item is hidden.
    ASSERT_TRUE(f.ws.closeAll());
    f.form.refreshLists();
    emit listMenu->aboutToShow();
    EXPECT_FALSE(fromList->isVisible());
}

TEST(RecordToolsUi, IdTagsDialogByWorkModeAndTheCompareCommands) {
    TWindowFixture f;
    ASSERT_EQ(f.samples.size(), 5);

    // In a string table mode only the string id box is offered.
    rOptionRequest request;
    request.current = 1;
    request.checksEnabled = {true, false, false, false};
    {
        TForm8 dialog(f.ws.app, request, &f.form);
        dialog.show();
        EXPECT_TRUE(dialog.CheckBoxes[0]->isEnabled());
        for (int i = 1; i < 4; ++i)
            EXPECT_FALSE(dialog.CheckBoxes[static_cast<size_t>(i)]->isEnabled()) << i;
        screenshot(&dialog, QStringLiteral("dialog-add-id-tags-strings-mode"));
    }

    ASSERT_TRUE(f.ws.openAs("plugin", f.samples[0], false));
    f.form.refreshLists();
    QAction* addIds = f.form.commandAction(QStringLiteral("AddIdToStrings"));
    ASSERT_TRUE(addIds->isEnabled());
    std::array<bool, 4> enabled{}, checked{};
    int radio = -1;
    {
        TDialogAnswers answers({}, dialogNamed(QStringLiteral("TForm8"), [&](QDialog* dialog) {
                                   auto* form8 = static_cast<TForm8*>(dialog);
                                   for (size_t i = 0; i < 4; ++i) {
                                       enabled[i] = form8->CheckBoxes[i]->isEnabled();
                                       checked[i] = form8->CheckBoxes[i]->isChecked();
                                   }
                                   radio = form8->RadioGroup1->checkedId();
                                   form8->CheckBoxes[1]->setChecked(true); // the form id
                                   form8->RadioGroup1->button(0)->setChecked(true);
                                   screenshot(dialog, QStringLiteral("dialog-add-id-tags-plugin"));
                                   dialog->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
                               }));
        f.form.runCommand(QStringLiteral("AddIdToStrings"));
    }
    EXPECT_EQ(enabled, (std::array<bool, 4>{false, true, true, true}));
    EXPECT_EQ(checked, (std::array<bool, 4>{false, false, false, false}));
    EXPECT_EQ(radio, 1);
    const tSkyStr& musket = *f.ws.loadedLists[0][1];
    EXPECT_EQ(musket.gTrans, QStringLiteral("[01000810] Quill Laser Musket"));
    EXPECT_TRUE(f.ws.hasUnsavedWork());
    EXPECT_TRUE(f.form.commandAction(QStringLiteral("Menu_Undo"))->isEnabled());
    screenshot(&f.form, QStringLiteral("main-window-id-tags-added"));

    // Cancel changes nothing.
    {
        TDialogAnswers answers({}, dialogNamed(QStringLiteral("TForm8"), [](QDialog* dialog) { pressEscape(dialog); }));
        f.form.runCommand(QStringLiteral("AddIdToStrings"));
    }
    EXPECT_EQ(musket.gTrans, QStringLiteral("[01000810] Quill Laser Musket"));

    // The compare submenu needs one language on both sides.
    QAction* tagDiff = f.form.commandAction(QStringLiteral("Menu_TagDiff"));
    QAction* submenu = tagDiff->associatedObjects().isEmpty()
                           ? nullptr
                           : qobject_cast<QMenu*>(tagDiff->associatedObjects().constFirst())->menuAction();
    ASSERT_NE(submenu, nullptr);
    f.ws.state().DestLang = QStringLiteral("fr");
    f.form.updateCommands();
    EXPECT_FALSE(tagDiff->isEnabled());
    EXPECT_FALSE(submenu->isEnabled());
    f.ws.state().DestLang = f.ws.state().SourceLang;
    f.form.updateCommands();
    EXPECT_TRUE(tagDiff->isEnabled());
    EXPECT_TRUE(submenu->isEnabled());

    // Every translation now differs from its source but the untouched ones: the marked rows come first.
    f.form.runCommand(QStringLiteral("Menu_TagDiff"));
    EXPECT_TRUE(musket.hasParam(sStrParam::incompleteTrans));
    QTreeView* list = f.form.listView(0);
    const tSkyStr* first = f.form.listProxy(0)->entryAt(list->model()->index(0, 0));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->hasParam(sStrParam::incompleteTrans));
    // One more undo step.
    EXPECT_EQ(f.ws.history.stepCount(), 2u);
}
