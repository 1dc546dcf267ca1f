// The options dialog: its values from the preferences, the language rules of the rebuild box, Cancel and Ok.
#include "installed_layout.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"
#include "ui/QUILL_LangPref.h"
#include "ui/QUILL_mainWindow.h"
#include "ui_screenshot.h"
#include "workspace/QUILL_workspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Takes the folders the Options dialog asks the desktop to open, instead of a file manager.
class TOpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

} // namespace

TEST(OptionsDialog, ShowsThePreferencesAndTheCacheInformation) {
    TTempProgramDir dir;
    dir.write(QStringLiteral("res/Common/readme.txt"), "x");
    dir.write(QStringLiteral("prefs.ini"), "isFirstLaunch=0\r\nSourceLang=EN\r\nDestLang=de\r\nsstbackupCount=7\r\n");
    TForm1 form(dir.path(), {}, QString());
    TForm3 dialog(form.workspace(), &form);
    dialog.show();
    // The languages show their names beside their codes; the code is what is taken.
    EXPECT_EQ(dialog.ComboBox1->currentData().toString(), QStringLiteral("en"));
    EXPECT_EQ(dialog.ComboBox1->currentText(), QStringLiteral("en - English"));
    EXPECT_EQ(dialog.ComboBox2->currentData().toString(), QStringLiteral("de"));
    const int mexican = dialog.ComboBox2->findData(QStringLiteral("esmx"));
    ASSERT_GE(mexican, 0);
    EXPECT_EQ(dialog.ComboBox2->itemText(mexican), QStringLiteral("esmx - Spanish (Mexico)"));
    EXPECT_TRUE(dialog.Label4->text().startsWith(QLatin1Char('[')) && dialog.Label4->text().endsWith(QLatin1Char(']')));
    for (int i = 0; i < dialog.ComboBox3->count(); ++i)
        EXPECT_NE(dialog.ComboBox3->itemText(i).toLower(), QStringLiteral("common"));
    EXPECT_EQ(dialog.ComboBox3->currentText().toLower(), QStringLiteral("english"));
    EXPECT_EQ(dialog.Edit3->value(), 7);
    EXPECT_TRUE(dialog.CheckBox4->isEnabled());
    EXPECT_FALSE(dialog.CheckBox6->isEnabled());
    EXPECT_GT(dialog.memo1->count(), 1);
    EXPECT_FALSE(dialog.CheckBox1->isChecked()); // same languages as now, not a first launch
    screenshot(&dialog, QStringLiteral("options-dialog-languages"));
    dialog.pages->setCurrentIndex(1);
    screenshot(&dialog, QStringLiteral("options-dialog-switches"));

    // Other languages tick the rebuild box only where the game's tables for them were found.
    auto choose = [](QComboBox* combo, const char* code) {
        combo->setCurrentIndex(combo->findData(QLatin1String(code)));
    };
    choose(dialog.ComboBox2, "fr");
    EXPECT_TRUE(dialog.CheckBox1->isEnabled());
    EXPECT_FALSE(dialog.CheckBox1->isChecked()); // no table of the game anywhere
    const QString tables = dir.file(QStringLiteral("Game/Data/Strings"));
    writeUtf8TableSet(tables, QStringLiteral("fallout4"), QStringLiteral("en"),
                      {{{{1, "Iron"}}, {{2, "Long"}}, {{3, "Hi"}}}});
    writeUtf8TableSet(tables, QStringLiteral("fallout4"), QStringLiteral("it"),
                      {{{{1, "Ferro"}}, {{2, "Lungo"}}, {{3, "Ciao"}}}});
    dialog.Edit1->setText(QDir::toNativeSeparators(tables));
    choose(dialog.ComboBox2, "it");
    EXPECT_TRUE(dialog.CheckBox1->isChecked());
    // The same language on both sides disables and clears the rebuild box.
    choose(dialog.ComboBox2, "en");
    EXPECT_FALSE(dialog.CheckBox1->isEnabled());
    EXPECT_FALSE(dialog.CheckBox1->isChecked());
    // The backup folder needs both backup switches.
    dialog.CheckBoxOptBackup->setChecked(false);
    EXPECT_FALSE(dialog.CheckBoxOptFolder->isEnabled());
    EXPECT_FALSE(dialog.CheckBoxOptFolder->isChecked());
    dialog.reject();
    EXPECT_TRUE(dialog.doReload);
    EXPECT_EQ(form.workspace().state().DestLang, QStringLiteral("de")); // Cancel changes nothing
}

TEST(OptionsDialog, OkTakesTheChoicesAndClearsTheFirstLaunch) {
    TTempProgramDir dir;
    TForm1 form(dir.path(), {}, QString());
    ASSERT_TRUE(form.workspace().state().isFirstLaunch);
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TForm3*>(w); d && d->isVisible()) {
                EXPECT_FALSE(d->CheckBox4->isEnabled()); // expert mode waits for a second start
                d->ComboBox2->setCurrentIndex(d->ComboBox2->findData(QStringLiteral("it")));
                d->CheckBox1->setChecked(false);
                d->Edit3->setValue(9);
                d->accept();
            }
    });
    form.runCommand(QStringLiteral("Set_Options"));
    const TAppState& st = form.workspace().state();
    EXPECT_FALSE(st.isFirstLaunch);
    EXPECT_EQ(st.DestLang, QStringLiteral("it"));
    EXPECT_EQ(st.sstbackupCount, 9);
    EXPECT_EQ(form.statusPanel(1)->text(), QStringLiteral("[en]->[it] "));
}

TEST(OptionsDialog, ShowsTheFoldersOfAnInstalledFirstStartAndOpensTheUsersFolder) {
    TInstalledLayout layout;
    const QStringList before = layout.shippedSnapshot();
    TOpenedUrls opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    QString userFolder;
    {
        TForm1 form(layout.binFolder(), {}, QString());
        const TAppState& st = form.workspace().state();
        ASSERT_EQ(st.folderMode, TFolderMode::installed);
        userFolder = st.userDataFolder;
        EXPECT_TRUE(userFolder.startsWith(layout.dataHome())) << userFolder.toStdString();
        EXPECT_TRUE(st.isFirstLaunch);
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<TForm3*>(w); d && d->isVisible()) {
                    d->pages->setCurrentIndex(1);
                    screenshot(d, QStringLiteral("options-dialog-installed-folders"));
                    EXPECT_EQ(d->LabelFolderMode->text(),
                              form.workspace().app.uiText(QStringLiteral("Folders_Installed")));
                    const auto* data = d->findChild<QLineEdit*>(QStringLiteral("EditDataFolder"));
                    ASSERT_NE(data, nullptr);
                    EXPECT_EQ(data->text(), QDir::toNativeSeparators(layout.shippedFolder()));
                    EXPECT_EQ(d->EditUserFolder->text(), QDir::toNativeSeparators(userFolder));
                    d->ButtonOpenFolder->click();
                    d->accept();
                }
        });
        form.runCommand(QStringLiteral("Set_Options"));
        ASSERT_EQ(opened.urls.size(), 1);
        EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(userFolder));
        EXPECT_FALSE(st.isFirstLaunch);
        form.close();
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(fileBytes(userFolder + QStringLiteral("prefs.ini")).contains("isFirstLaunch=0"));
    EXPECT_EQ(layout.shippedSnapshot(), before);

    // A portable folder shows the one folder, without a separate data folder.
    TTempProgramDir dir;
    TForm1 portable(dir.path(), {}, QString());
    TForm3 dialog(portable.workspace(), &portable);
    EXPECT_EQ(dialog.LabelFolderMode->text(), portable.workspace().app.uiText(QStringLiteral("Folders_Portable")));
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("EditDataFolder")), nullptr);
    EXPECT_EQ(dialog.EditUserFolder->text(), QDir::toNativeSeparators(dir.path()));
}

#include "test_options_dialog.moc"
