// Plugin compare in the window: "LoadEspCompare" with its open dialog and the overwrite dialog captioned for the
// compare, the list's column-3 marks after it, and the edit dialog's compare page (rows, marker, double click).
#include "plugin/QUILL_espTree.h"
#include "support/plugin_builder.h"
#include "temp_program_dir.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_dictionaryDialogs.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_stringListModel.h"
#include "ui_support.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsCompare.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QFileDialog>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

using B = TPluginBuilder;

QByteArray olderPlugin() {
    B b;
    b.beginGroup("MESG");
    b.record("MESG", 0x10,
             {B::text("EDID", "Door"), B::text("FULL", "Porte"), B::text("ITXT", "Ouvrir"), B::text("ITXT", "Fermer"),
              B::text("ITXT", "Partir")});
    b.record("MESG", 0x11, {B::text("EDID", "Box"), B::text("ITXT", "Prendre"), B::text("ITXT", "Laisser")});
    b.record("MESG", 0x12, {B::text("EDID", "Note"), B::text("ITXT", "Lire")});
    b.endGroup();
    return b.bytes();
}

QByteArray newerPlugin() {
    B b;
    b.beginGroup("MESG");
    b.record("MESG", 0x10,
             {B::text("EDID", "Door"), B::text("FULL", "Door"), B::text("ITXT", "Open"), B::text("ITXT", "Close"),
              B::text("ITXT", "Leave")});
    b.record("MESG", 0x11,
             {B::text("EDID", "Box"), B::text("ITXT", "Take"), B::text("ITXT", "Leave it"), B::text("ITXT", "Smash")});
    b.record("MESG", 0x12, {B::text("EDID", "Note"), B::text("ITXT", "Read")});
    b.endGroup();
    return b.bytes();
}

// The compare's own dialog: the overwrite choice `choice` (after a screenshot, its caption kept).
struct TCompareAnswers : TDialogAnswers {
    int choice = 0;
    QString overwriteCaption;
    explicit TCompareAnswers(const QString& path) : TDialogAnswers({path}) {
        special = [this](QWidget* modal) {
            auto* overwrite = qobject_cast<TForm6*>(modal);
            if (!overwrite) return false;
            overwriteCaption = overwrite->windowTitle();
            screenshot(overwrite, QStringLiteral("compare-overwrite-dialog"));
            const QList<QRadioButton*> radios = overwrite->findChildren<QRadioButton*>();
            if (choice < radios.size()) radios[choice]->setChecked(true);
            overwrite->accept();
            return true;
        };
    }
};

struct TCompareWindow : TShownWindow {
    TCompareWindow() {
        ws.state().DestLang = QStringLiteral("fr");
        EXPECT_TRUE(open(dir.write(QStringLiteral("Data/door.esp"), newerPlugin())));
    }
    tSkyStr* entry(uint32_t formId, int n, const char* field = "ITXT") {
        for (auto& e : ws.loadedLists[0])
            if (e->esp.formID == formId && e->esp.fName == sHeaderSig(field[0], field[1], field[2], field[3]) &&
                e->esp.field->rIndex.index == n)
                return e.get();
        return nullptr;
    }
    // The column-3 icon of the entry's row.
    QIcon markOf(const tSkyStr* e) {
        TStringListProxy* proxy = form.listProxy(0);
        for (int row = 0; row < proxy->rowCount(); ++row) {
            const QModelIndex index = proxy->index(row, 3);
            if (proxy->entryAt(index) == e) return qvariant_cast<QIcon>(proxy->data(index, Qt::DecorationRole));
        }
        return {};
    }
};

} // namespace

TEST(PluginCompareWindow, MenuDialogsMarksAndComparePage) {
    TCompareWindow w;
    QAction* action = w.form.commandAction(QStringLiteral("LoadEspCompare"));
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->isEnabled());

    // Before any compare, a partial button carries no mark.
    EXPECT_TRUE(w.markOf(w.entry(0x12, 0)).isNull());

    const QString older = w.dir.write(QStringLiteral("Old/door.esp"), olderPlugin());
    {
        TCompareAnswers answers(older);
        action->trigger();
        EXPECT_EQ(answers.overwriteCaption, w.ws.app.uiText(QStringLiteral("Esp Compare:")));
    }
    ASSERT_TRUE(compareRecordsLoaded(w.ws));
    EXPECT_EQ(w.entry(0x10, 1)->gTrans, QStringLiteral("Fermer"));
    EXPECT_TRUE(w.form.windowTitle().startsWith(QLatin1Char('*')));

    // Column 3: the strong warning, the warning and the warning pair's mark, three different icons; none on FULL.
    const QIcon big = w.markOf(w.entry(0x11, 0));
    const QIcon warning = w.markOf(w.entry(0x10, 0));
    const QIcon pair = w.markOf(w.entry(0x12, 0));
    ASSERT_FALSE(big.isNull());
    ASSERT_FALSE(warning.isNull());
    ASSERT_FALSE(pair.isNull());
    EXPECT_NE(big.cacheKey(), warning.cacheKey());
    EXPECT_NE(warning.cacheKey(), pair.cacheKey());
    EXPECT_NE(big.cacheKey(), pair.cacheKey());
    EXPECT_TRUE(w.markOf(w.entry(0x10, 0, "FULL")).isNull());
    screenshot(&w.form, QStringLiteral("main-window-compare-marks"));

    // The edit dialog on the second button: the three older buttons, each with the warning image, marker lit.
    TForm2* dialog = editDialog(w.form);
    ASSERT_NE(dialog, nullptr);
    dialog->openEditDialog(false, w.entry(0x10, 1));
    dialog->pages()->setCurrentIndex(TForm2::pageCompare);
    auto* rows = dialog->findChild<QTreeWidget*>(QStringLiteral("CompareList"));
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->topLevelItemCount(), 3);
    EXPECT_EQ(rows->topLevelItem(0)->text(0), QStringLiteral("Ouvrir"));
    EXPECT_EQ(rows->topLevelItem(2)->text(0), QStringLiteral("Partir"));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(rows->topLevelItem(i)->icon(0).isNull());
    EXPECT_TRUE(dialog->pages()->tabBar()->tabData(TForm2::pageCompare).toBool());
    screenshot(dialog, QStringLiteral("edit-dialog-compare-page"));
    emit rows->itemDoubleClicked(rows->topLevelItem(2), 0);
    EXPECT_EQ(dialog->translationEditor()->property("plainText").toString(), QStringLiteral("Partir"));

    // A string without Warning: its older text without the image, the marker neutral.
    dialog->openEditDialog(false, w.entry(0x12, 0));
    ASSERT_EQ(rows->topLevelItemCount(), 1);
    EXPECT_EQ(rows->topLevelItem(0)->text(0), QStringLiteral("Lire"));
    EXPECT_TRUE(rows->topLevelItem(0)->icon(0).isNull());
    EXPECT_FALSE(dialog->pages()->tabBar()->tabData(TForm2::pageCompare).toBool());
    dialog->closeDialog();

    // Closing the files ends the compare: no more marks of the warning pairs.
    w.ws.markWorkSaved();
    w.form.runCommand(QStringLiteral("Menu_CloseAll"));
    EXPECT_FALSE(compareRecordsLoaded(w.ws));
}
