// The EspTree page over the sample plugins: node texts, grey italics for raw records and groups without texts,
// hidden groups of a localized plugin, the double click hook, and the read-only definitions page.
#include "plugin/QUILL_espTree.h"
#include "support/plugin_samples.h"
#include "temp_program_dir.h"
#include "ui/QUILL_espTreeView.h"
#include "ui/QUILL_mainWindow.h"
#include "ui_screenshot.h"
#include "workspace/QUILL_workspace.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFont>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

QStringList topTexts(QAbstractItemModel* model, const QModelIndex& parent = {}) {
    QStringList out;
    for (int r = 0; r < model->rowCount(parent); ++r)
        out << model->index(r, 0, parent).data().toString();
    return out;
}

} // namespace

TEST(EspTreeView, ShowsThePluginTreeWithDimmedRawNodes) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    form.resize(1280, 800);
    form.show();
    TWorkspace& ws = form.workspace();
    ws.state().quillexpertMode = true;
    const QStringList files = writePluginSamples(ws.app, dir.file(QStringLiteral("Samples")));
    ASSERT_EQ(files.size(), 5);
    // The definitions page shows the text in force, the two Skip lines last, read-only.
    QPlainTextEdit* defs = form.recordsDefEditor();
    ASSERT_NE(defs, nullptr);
    EXPECT_TRUE(defs->isReadOnly());
    EXPECT_TRUE(defs->toPlainText().endsWith(QStringLiteral("Skip:NAVM\nSkip:NAVI")));

    ASSERT_TRUE(ws.openAs("plugin", files[0], false));
    form.refreshLists(); // as the window does after a command
    auto* view = form.espTreePage()->findChild<QTreeView*>(QStringLiteral("EspTreeView"));
    ASSERT_NE(view, nullptr);
    QAbstractItemModel* model = view->model();
    const QStringList top = topTexts(model);
    ASSERT_GE(top.size(), 10);
    EXPECT_EQ(top[0], QStringLiteral("TES4 [00000000] [0|0|1]"));
    EXPECT_EQ(top[1], QStringLiteral("GRUP - GMST"));
    const QModelIndex gmst = model->index(1, 0);
    const QModelIndex raw = model->index(1, 0, gmst); // iQuillCount has no text
    EXPECT_EQ(raw.data().toString(), QStringLiteral("GMST iQuillCount[01000801] [0|0|1]"));
    EXPECT_TRUE(raw.data(Qt::FontRole).value<QFont>().italic());
    EXPECT_EQ(raw.data(Qt::ForegroundRole).value<QColor>(), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_FALSE(model->index(0, 0, gmst).data(Qt::FontRole).isValid());
    EXPECT_EQ(model->parent(raw), gmst);
    // Topic children sit under their group.
    const QModelIndex dial = model->index(top.indexOf(QStringLiteral("GRUP - DIAL")), 0);
    EXPECT_EQ(model->index(1, 0, dial).data().toString(), QStringLiteral("GRUP - [01000890]"));
    EXPECT_EQ(model->rowCount(model->index(1, 0, dial)), 2);

    // A double click hands the record's first string entry to the edit dialog's hook.
    tSkyStr* opened = nullptr;
    setEspTreeActivation(form, [&opened](trecord*, tSkyStr* entry) { opened = entry; });
    const QModelIndex weapons = model->index(top.indexOf(QStringLiteral("GRUP - WEAP")), 0);
    emit view->doubleClicked(model->index(0, 0, weapons));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->gS, QStringLiteral("Quill Laser Musket"));

    form.bottomPages()->setCurrentWidget(form.espTreePage());
    view->expandAll();
    screenshot(&form, QStringLiteral("main-window-plugin-tree"));

    // A localized plugin: no TES4 node, and groups without ids are hidden.
    ASSERT_TRUE(ws.openDocument(documentKind("plugin"), files[1], false));
    const QStringList localized = topTexts(model);
    EXPECT_FALSE(localized.isEmpty());
    EXPECT_FALSE(localized.contains(QStringLiteral("TES4 [00000000] [0|0|1]")));
    EXPECT_EQ(localized.first(), QStringLiteral("GRUP - GMST"));
    EXPECT_EQ(model->rowCount(model->index(0, 0)), 1); // only the GMST with a text was kept
    form.close();
}
