// The old dialogue style dialog TForm9 and the language tools' commands in the window; screenshots when
// QUILL_SCREENSHOT_DIR is set.
#include "plugin_builder.h"
#include "temp_program_dir.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_dialogueUi.h"
#include "ui/QUILL_mainWindow.h"
#include "ui_support.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDialogue.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

using B = TPluginBuilder;

QByteArray dialoguePlugin() {
    B b;
    b.beginGroup("QUST");
    b.record("QUST", 0x10, {B::text("EDID", "MyQuest")});
    b.beginGroup(0x10, 10);
    b.record("DIAL", 0x11, {B::text("EDID", "MyTopic")});
    b.beginGroup(0x11, 7);
    b.record("INFO", 0x20, {B::text("NAM1", "Nice work"), B::text("RNAM", "Sarcastic")});
    b.record("INFO", 0x21, {B::text("NAM1", "Hello there"), B::text("RNAM", "Greet")});
    b.endGroup().endGroup().endGroup();
    return b.bytes();
}

// Answers the window's modal dialogs while a command runs: TForm9 with `onForm9`, a message with its Ok.
struct TModalAnswers : TDialogAnswers {
    std::function<void(TForm9&)> onForm9;
    int form9Shown = 0;
    TModalAnswers() {
        special = [this](QWidget* modal) {
            auto* dialog = qobject_cast<TForm9*>(modal);
            if (!dialog) return false;
            ++form9Shown;
            onForm9(*dialog);
            return true;
        };
    }
};

tSkyStr* entryWithSource(TWorkspace& ws, const QString& source) {
    for (auto& e : ws.loadedLists[0])
        if (e->gS == source) return e.get();
    return nullptr;
}

} // namespace

TEST(DialogueUi, OldDialogStyleDialogControls) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    TWorkspace& ws = form.workspace();
    ws.state().SourceLang = QStringLiteral("en");
    ws.state().DestLang = QStringLiteral("EN");
    {
        TForm9 dialog(ws, &form);
        EXPECT_TRUE(dialog.Button1->isEnabled());
        EXPECT_FALSE(dialog.CheckBox4->isEnabled());
        dialog.CheckBox1->setChecked(true);
        EXPECT_TRUE(dialog.CheckBox4->isEnabled());
        EXPECT_EQ(dialog.Edit1->minimum(), 75);
        EXPECT_EQ(dialog.Edit1->maximum(), 150);
        EXPECT_EQ(dialog.Edit1->value(), 115);
        EXPECT_TRUE(dialog.RadioGroup2->button(1)->text().contains(QStringLiteral("115")));
        dialog.Edit1->setValue(90);
        EXPECT_TRUE(dialog.RadioGroup2->button(1)->text().contains(QStringLiteral("90")));
        EXPECT_TRUE(dialog.RadioGroup2->button(2)->text().contains(QStringLiteral("90")));
        dialog.Edit1->setValue(500);
        EXPECT_EQ(dialog.Edit1->value(), 150);
        EXPECT_EQ(dialog.Edit2->text(), QString::fromLatin1(kOldDialogDefaultPattern));
        EXPECT_TRUE(dialog.Memo1->toPlainText().contains(QStringLiteral("Sarcastic")));

        dialog.CheckBox3->setChecked(true);
        dialog.RadioGroup1->button(1)->setChecked(true);
        dialog.RadioGroup2->button(2)->setChecked(true);
        dialog.CheckBox2->setChecked(true);
        const rOldDialogOptions o = dialog.options();
        EXPECT_TRUE(o.prefixWords.contains(QStringLiteral("sarcastic")));
        EXPECT_EQ(o.selection, tStringPredicate::incomplete);
        EXPECT_EQ(o.longResponse, TLongResponse::cut);
        EXPECT_EQ(o.limit, 150);
        EXPECT_TRUE(o.keepChanges);
        EXPECT_TRUE(o.allPrompts);
        dialog.Edit1->setValue(115);
        dialog.CheckBox1->setChecked(false);
        dialog.CheckBox2->setChecked(false);
        dialog.RadioGroup1->button(0)->setChecked(true);
        dialog.RadioGroup2->button(0)->setChecked(true);
        dialog.adjustSize();
        dialog.show();
        screenshot(&dialog, QStringLiteral("old-dialog-style-dialog"));
    }
    ws.state().DestLang = QStringLiteral("fr");
    TForm9 french(ws, &form);
    EXPECT_FALSE(french.Button1->isEnabled());
    french.show();
    EXPECT_TRUE(french.LabelLanguage->isVisible());
    EXPECT_TRUE(french.LabelLanguage->text().contains(QStringLiteral("fr")));
    screenshot(&french, QStringLiteral("old-dialog-style-other-language"));
}

// The command through the window: enabled with a plugin, the dialog's Ok runs the tool, the word list is saved, one
// undo step; the Chinese commands convert the translations.
TEST(DialogueUi, CommandsRunFromTheWindow) {
    TShownWindow w;
    TForm1& form = w.form;
    TTempProgramDir& dir = w.dir;
    TWorkspace& ws = w.ws;
    ws.state().SourceLang = QStringLiteral("en");
    ws.state().DestLang = QStringLiteral("en");
    QAction* oldDialog = form.commandAction(QStringLiteral("OldDialogStyle"));
    ASSERT_NE(oldDialog, nullptr);
    form.updateCommands();
    EXPECT_FALSE(oldDialog->isEnabled());
    EXPECT_TRUE(form.commandAction(QStringLiteral("ConvertSCTC"))->isEnabled());

    ASSERT_TRUE(ws.openAs("plugin", dir.write(QStringLiteral("Data/dial.esp"), dialoguePlugin()), false));
    form.refreshLists();
    EXPECT_TRUE(oldDialog->isEnabled());

    TModalAnswers answers;
    answers.onForm9 = [](TForm9& dialog) {
        dialog.CheckBox3->setChecked(true);
        dialog.Memo1->setPlainText(QStringLiteral("Sarcastic\nGreet"));
        dialog.Edit2->setText(QStringLiteral("(%PREFIXE%) %DIAL%"));
        dialog.Button1->click();
    };
    form.runCommand(QStringLiteral("OldDialogStyle"));
    EXPECT_EQ(answers.form9Shown, 1);
    EXPECT_EQ(answers.questions, 1); // "OldDial_Replaced"
    EXPECT_EQ(entryWithSource(ws, QStringLiteral("Sarcastic"))->gTrans, QStringLiteral("(Sarcastic) Nice work"));
    EXPECT_EQ(entryWithSource(ws, QStringLiteral("Greet"))->gTrans, QStringLiteral("(Greet) Hello there"));
    EXPECT_EQ(oldDialogPattern(ws), QStringLiteral("(%PREFIXE%) %DIAL%"));
    EXPECT_EQ(fileBytes(dir.file(QStringLiteral("misc/oldDialogStyle_en.txt"))),
              QByteArray("\xEF\xBB\xBFSarcastic\nGreet"));
    EXPECT_TRUE(form.commandAction(QStringLiteral("Menu_Undo"))->text().contains(QStringLiteral("2")));
    screenshot(&form, QStringLiteral("main-window-old-dialog-style"));

    // Cancel changes nothing and asks nothing more.
    answers.onForm9 = [](TForm9& dialog) { dialog.Button2->click(); };
    form.runCommand(QStringLiteral("OldDialogStyle"));
    EXPECT_EQ(answers.form9Shown, 2);
    EXPECT_EQ(answers.questions, 1);
    EXPECT_EQ(entryWithSource(ws, QStringLiteral("Greet"))->gTrans, QStringLiteral("(Greet) Hello there"));
    ws.undo();
    EXPECT_FALSE(ws.history.canUndo());

    entryWithSource(ws, QStringLiteral("Greet"))->setSTrans(QStringLiteral("简体"));
    form.runCommand(QStringLiteral("ConvertSCTC"));
    EXPECT_EQ(entryWithSource(ws, QStringLiteral("Greet"))->gTrans, QStringLiteral("簡體"));
    form.runCommand(QStringLiteral("ConvertTCSC"));
    EXPECT_EQ(entryWithSource(ws, QStringLiteral("Greet"))->gTrans, QStringLiteral("简体"));
}
