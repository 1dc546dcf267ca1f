// The XML menu's XLIFF commands in the window: export with the question about untranslated strings, and an import
// that the window takes as one undo step.
#include "plugin_samples.h"
#include "temp_program_dir.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Answers every dialog the command shows: the file dialog with `path`, a question with Yes, a message with Ok.
// Stops when the returned timer goes, so that no later test sees its dialogs answered.
std::unique_ptr<QTimer> answerDialogs(const QString& path, int* asked) {
    auto timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [path, asked] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            // The whole path typed into the name field: the dialog takes it whatever folder or name it suggests.
            files->selectFile(path);
            if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(path);
            static_cast<QDialog*>(files)->accept();
        } else if (auto* message = qobject_cast<TFormDialog*>(modal)) {
            ++*asked;
            if (!message->ButtonYes->isHidden())
                message->ButtonYes->click();
            else
                message->ButtonOk->click();
        }
    });
    timer->start(30);
    return timer;
}

} // namespace

TEST(XliffMenu, ExportAndImportFromTheXmlMenu) {
    TTempProgramDir dir;
    writePluginSamples(dir.file(QStringLiteral("Data")));
    TForm1 form(dir.path(), {}, QString());
    form.show();
    ASSERT_TRUE(form.workspace().openFileByKind(dir.file(QStringLiteral("Data/QuillerySample.esp"))));
    form.refreshLists();
    form.updateCommands();
    QAction* exportAction = form.commandAction(QStringLiteral("Menu_ExportXliff"));
    QAction* importAction = form.commandAction(QStringLiteral("Menu_ImportXliff"));
    ASSERT_TRUE(exportAction && importAction);
    EXPECT_EQ(exportAction->text(), QStringLiteral("Export XLIFF..."));
    EXPECT_TRUE(exportAction->isEnabled());
    EXPECT_TRUE(importAction->isEnabled());

    int asked = 0;
    const QString path = dir.file(QStringLiteral("exchange.xlf"));
    {
        const auto answering = answerDialogs(path, &asked);
        exportAction->trigger();
    }
    // Yes to "include the untranslated strings": every sample string is in the file.
    const QByteArray exported = fileBytes(path);
    EXPECT_EQ(exported.count("<trans-unit "), 42) << exported.left(400).toStdString();

    QByteArray translated = exported;
    translated.replace("<target state=\"new\"></target>", "<target state=\"translated\">FR</target>");
    dir.write(QStringLiteral("exchange.xlf"), translated);
    {
        const auto answering = answerDialogs(path, &asked);
        importAction->trigger();
    }
    EXPECT_EQ(asked, 3); // the question and two reports
    EXPECT_EQ(form.workspace().history.undoName(), QStringLiteral("Import XLIFF (42 strings)"));
    EXPECT_TRUE(form.windowTitle().startsWith(QLatin1Char('*')));
    EXPECT_EQ(form.workspace().loadedLists[0][0]->gTrans, QStringLiteral("FR"));
}
