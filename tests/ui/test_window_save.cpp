// Saving from the main window: Save and Save as of every kind of document through the File menu's actions, with the
// questions answered in the real dialogs, the backups beside the replaced files, and the saved files reopened.
#include "pex_builder.h"
#include "plugin_samples.h"
#include "temp_program_dir.h"
#include "ui_support.h"

#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

struct TWindowFixture : TShownWindow {
    // Translates the first `count` entries of list 0 as "[fr] source".
    QStringList translateSome(int count) {
        QStringList out;
        for (auto& e : ws.loadedLists[0]) {
            if (out.size() == count) break;
            if (e->gS.trimmed().isEmpty()) continue;
            e->setSTrans(QStringLiteral("[fr] ") + e->gS);
            out << e->gTrans;
        }
        form.repaintLists();
        return out;
    }
    // Runs a save action as the menu item would, after checking the window offers it.
    void save(bool saveAs) {
        QAction* action =
            form.commandAction(saveAs ? QStringLiteral("Menu_ExportEspAs") : QStringLiteral("Menu_ExportEsp"));
        ASSERT_TRUE(action->isEnabled());
        action->trigger();
    }
};

// The source texts of list 0 of a file opened in a window of its own, as after a restart.
QStringList textsAfterReopen(const QString& programFolder, const QString& path, const QString& sourceLang) {
    TForm1 other(programFolder, {}, QString());
    other.workspace().state().quillexpertMode = true;
    other.workspace().state().SourceLang = sourceLang;
    other.workspace().state().DestLang = QStringLiteral("de");
    QStringList out;
    if (!other.workspace().openFileByKind(path)) return out;
    for (const auto& e : other.workspace().loadedLists[0])
        out << e->gS;
    other.workspace().markWorkSaved();
    other.workspace().state().dictionaryModified = false;
    return out;
}

QStringList filesMatching(const QString& folder, const QString& pattern) {
    return QDir(folder).entryList({pattern}, QDir::Files);
}

} // namespace

TEST(WindowSave, TheSaveCommandsLiveInTheFileMenuAndOnTheToolBarAndFollowTheKind) {
    TWindowFixture t;
    QAction* save = t.form.commandAction(QStringLiteral("Menu_ExportEsp"));
    QAction* saveAs = t.form.commandAction(QStringLiteral("Menu_ExportEspAs"));
    EXPECT_FALSE(save->isEnabled()); // nothing loaded
    EXPECT_FALSE(saveAs->isEnabled());
    auto* fileMenu = t.form.findChild<QMenu*>(QStringLiteral("File"));
    ASSERT_TRUE(fileMenu);
    EXPECT_TRUE(fileMenu->actions().contains(save));
    EXPECT_TRUE(fileMenu->actions().contains(saveAs));
    auto* toolBar = t.form.findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    ASSERT_TRUE(toolBar);
    EXPECT_TRUE(toolBar->actions().contains(save));
    EXPECT_TRUE(toolBar->actions().contains(saveAs));

    t.ws.state().quillexpertMode = true;
    const QString data = t.dir.file(QStringLiteral("Data"));
    ASSERT_FALSE(writePluginSamples(data).isEmpty());
    const QString scripts = t.dir.file(QStringLiteral("Scripts"));
    t.dir.write(QStringLiteral("Scripts/QuillerySample.pex"), buildSampleScript(3, 9));
    t.dir.write(QStringLiteral("Interface/Translations/mymod_en.txt"), buildSampleMenuFile());
    const TAppContext& app = t.ws.app;
    struct rCase {
        QString path;
        const char* key;
    };
    for (const rCase& c :
         {rCase{data + QStringLiteral("/QuillerySample.esp"), "Menu_ExportEsp"},
          rCase{data + QStringLiteral("/QuillerySampleLocalized.esp"), "Menu_ExportStr"},
          rCase{data + QStringLiteral("/strings/QuillerySampleLocalized_en.STRINGS"), "Menu_ExportStr"},
          rCase{scripts + QStringLiteral("/QuillerySample.pex"), "Menu_ExportPex"},
          rCase{t.dir.file(QStringLiteral("Interface/Translations/mymod_en.txt")), "Menu_ExportMCM"}}) {
        ASSERT_TRUE(t.open(c.path)) << c.path.toStdString();
        EXPECT_TRUE(save->isEnabled()) << c.key;
        EXPECT_TRUE(saveAs->isEnabled()) << c.key;
        EXPECT_EQ(save->text(), app.uiText(QLatin1String(c.key)));
        EXPECT_EQ(saveAs->text(), app.uiText(QLatin1String(c.key) + QStringLiteral("As")));
        EXPECT_NE(save->text(), QLatin1String(c.key)); // the key has a text
    }
}

TEST(WindowSave, PluginSaveAsksBacksUpAndTheReopenedFileHoldsTheTranslations) {
    TWindowFixture t;
    const QString data = t.dir.file(QStringLiteral("Data"));
    ASSERT_FALSE(writePluginSamples(data).isEmpty());
    const QString plugin = data + QStringLiteral("/QuillerySample.esp");
    const QByteArray original = fileBytes(plugin);
    ASSERT_TRUE(t.open(plugin));
    const QStringList translated = t.translateSome(3);
    ASSERT_EQ(translated.size(), 3);

    {
        // Not in expert mode: the confirmation, then the replacement question with its backup note.
        TDialogAnswers answerer;
        t.save(false);
        EXPECT_EQ(answerer.questions, 2);
    }
    const QStringList backups = filesMatching(data, QStringLiteral("QuillerySample.esp.*"));
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(fileBytes(data + QLatin1Char('/') + backups[0]), original);
    const QStringList reread = textsAfterReopen(t.dir.path(), plugin, QStringLiteral("fr"));
    for (const QString& text : translated)
        EXPECT_TRUE(reread.contains(text)) << text.toStdString();

    // Save as a new file: no replacement question and no backup; the written bytes equal the saved plugin's.
    const QString copy = t.dir.file(QStringLiteral("Out/Copy.esp"));
    QDir().mkpath(t.dir.file(QStringLiteral("Out")));
    {
        TDialogAnswers answerer({copy});
        t.save(true);
        EXPECT_EQ(answerer.fileDialogs, 1);
        EXPECT_EQ(answerer.questions, 1); // the confirmation only
    }
    EXPECT_EQ(fileBytes(copy), fileBytes(plugin));
    EXPECT_EQ(filesMatching(t.dir.file(QStringLiteral("Out")), QStringLiteral("*")).size(), 1);
    // A cancelled file dialog writes nothing.
    {
        t.ws.state().quillexpertMode = true;
        TDialogAnswers answerer;
        t.save(true);
        EXPECT_EQ(answerer.fileDialogs, 1);
    }
    EXPECT_EQ(filesMatching(t.dir.file(QStringLiteral("Out")), QStringLiteral("*")).size(), 1);
}

TEST(WindowSave, TableSetsOfALocalizedPluginAndOfTheirOwnSaveUnderTheDestinationLanguage) {
    TWindowFixture t;
    t.ws.state().quillexpertMode = true;
    const QString data = t.dir.file(QStringLiteral("Data"));
    ASSERT_FALSE(writePluginSamples(data).isEmpty());
    const QString strings = data + QStringLiteral("/strings/");

    // The localized plugin: its tables are written, the plugin itself is left alone.
    const QByteArray pluginBytes = fileBytes(data + QStringLiteral("/QuillerySampleLocalized.esp"));
    ASSERT_TRUE(t.open(data + QStringLiteral("/QuillerySampleLocalized.esp")));
    QStringList translated = t.translateSome(2);
    {
        TDialogAnswers answerer;
        t.save(false);
    }
    EXPECT_EQ(fileBytes(data + QStringLiteral("/QuillerySampleLocalized.esp")), pluginBytes);
    ASSERT_TRUE(QFile::exists(strings + QStringLiteral("QuillerySampleLocalized_fr.STRINGS")));
    QStringList reread = textsAfterReopen(t.dir.path(), strings + QStringLiteral("QuillerySampleLocalized_fr.STRINGS"),
                                          QStringLiteral("fr"));
    for (const QString& text : translated)
        EXPECT_TRUE(reread.contains(text)) << text.toStdString();

    // A table set opened on its own, saved as another name in another folder.
    ASSERT_TRUE(t.open(strings + QStringLiteral("QuillerySampleLocalized_en.STRINGS")));
    translated = t.translateSome(2);
    QDir().mkpath(t.dir.file(QStringLiteral("Out")));
    {
        TDialogAnswers answerer({t.dir.file(QStringLiteral("Out/Renamed_fr.strings"))});
        t.save(true);
        EXPECT_EQ(answerer.fileDialogs, 1);
    }
    for (const char* ext : {"STRINGS", "DLSTRINGS", "ILSTRINGS"})
        EXPECT_TRUE(QFile::exists(t.dir.file(QStringLiteral("Out/Renamed_fr.") + QLatin1String(ext)))) << ext;
    reread = textsAfterReopen(t.dir.path(), t.dir.file(QStringLiteral("Out/Renamed_fr.STRINGS")), QStringLiteral("fr"));
    for (const QString& text : translated)
        EXPECT_TRUE(reread.contains(text)) << text.toStdString();
}

TEST(WindowSave, ScriptAndMenuFileSaveAndSaveAs) {
    TWindowFixture t;
    t.ws.state().quillexpertMode = true;
    const QString script = t.dir.write(QStringLiteral("Scripts/QuillerySample.pex"), buildSampleScript(3, 9));
    const QByteArray original = fileBytes(script);
    ASSERT_TRUE(t.open(script));
    auto translateText = [&t](const QString& source, const QString& translation) {
        for (auto& e : t.ws.loadedLists[0])
            if (e->gS == source) {
                e->setSTrans(translation);
                return true;
            }
        return false;
    };
    ASSERT_TRUE(translateText(QStringLiteral("Quest started"), QStringLiteral("Qu\u00eate commenc\u00e9e")));
    {
        TDialogAnswers answerer;
        t.save(false);
        EXPECT_EQ(answerer.questions, 1); // replacing the script
    }
    const QStringList backups =
        filesMatching(t.dir.file(QStringLiteral("Scripts")), QStringLiteral("QuillerySample.pex.*"));
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(fileBytes(t.dir.file(QStringLiteral("Scripts/")) + backups[0]), original);
    EXPECT_TRUE(textsAfterReopen(t.dir.path(), script, QStringLiteral("en"))
                    .contains(QStringLiteral("Qu\u00eate commenc\u00e9e")));
    const QString scriptCopy = t.dir.file(QStringLiteral("Out/Copy.pex"));
    QDir().mkpath(t.dir.file(QStringLiteral("Out")));
    {
        TDialogAnswers answerer({scriptCopy});
        t.save(true);
    }
    EXPECT_EQ(fileBytes(scriptCopy), fileBytes(script));

    // The menu file saves under the destination language beside the source.
    const QString menu = t.dir.write(QStringLiteral("Interface/Translations/mymod_en.txt"), buildSampleMenuFile());
    ASSERT_TRUE(t.open(menu));
    ASSERT_FALSE(t.ws.loadedLists[0].empty());
    t.ws.loadedLists[0][0]->setSTrans(QStringLiteral("Exemple Quillery"));
    {
        TDialogAnswers answerer;
        t.save(false);
    }
    const QString saved = t.dir.file(QStringLiteral("Interface/Translations/mymod_FR.txt"));
    ASSERT_TRUE(QFile::exists(saved));
    EXPECT_TRUE(
        textsAfterReopen(t.dir.path(), saved, QStringLiteral("fr")).contains(QStringLiteral("Exemple Quillery")));
    // The name chosen is the mod's; the destination language is added to it.
    {
        TDialogAnswers answerer({t.dir.file(QStringLiteral("Out/other.txt"))});
        t.save(true);
        EXPECT_EQ(answerer.fileDialogs, 1);
    }
    EXPECT_EQ(fileBytes(t.dir.file(QStringLiteral("Out/other_FR.txt"))), fileBytes(saved));
}
