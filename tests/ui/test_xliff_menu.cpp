// The XML menu's XLIFF commands in the window: export with the question about untranslated strings, and an import
// that the window takes as one undo step.
#include "plugin_samples.h"
#include "temp_program_dir.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_mainWindow.h"
#include "ui_support.h"
#include "workspace/QUILL_workspace.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

TEST(XliffMenu, ExportAndImportFromTheXmlMenu) {
    TShownWindow w;
    TTempProgramDir& dir = w.dir;
    TForm1& form = w.form;
    writePluginSamples(dir.file(QStringLiteral("Data")));
    ASSERT_TRUE(w.open(dir.file(QStringLiteral("Data/QuillerySample.esp"))));
    QAction* exportAction = form.commandAction(QStringLiteral("Menu_ExportXliff"));
    QAction* importAction = form.commandAction(QStringLiteral("Menu_ImportXliff"));
    ASSERT_TRUE(exportAction && importAction);
    EXPECT_EQ(exportAction->text(), QStringLiteral("Export XLIFF..."));
    EXPECT_TRUE(exportAction->isEnabled());
    EXPECT_TRUE(importAction->isEnabled());

    const QString path = dir.file(QStringLiteral("exchange.xlf"));
    {
        TDialogAnswers answers({path});
        exportAction->trigger();
        EXPECT_EQ(answers.questions, 2); // the question and the report
    }
    // Yes to "include the untranslated strings": every sample string is in the file.
    const QByteArray exported = fileBytes(path);
    EXPECT_EQ(exported.count("<trans-unit "), 42) << exported.left(400).toStdString();

    QByteArray translated = exported;
    translated.replace("<target state=\"new\"></target>", "<target state=\"translated\">FR</target>");
    dir.write(QStringLiteral("exchange.xlf"), translated);
    {
        TDialogAnswers answers({path});
        importAction->trigger();
        EXPECT_EQ(answers.questions, 1); // the report
    }
    EXPECT_EQ(form.workspace().history.undoName(), QStringLiteral("Import XLIFF (42 strings)"));
    EXPECT_TRUE(form.windowTitle().startsWith(QLatin1Char('*')));
    EXPECT_EQ(form.workspace().loadedLists[0][0]->gTrans, QStringLiteral("FR"));
}
