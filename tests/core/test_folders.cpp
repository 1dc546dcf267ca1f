// The program's folders: which mode a folder gives, what an installed program reads and where it writes, and the
// user's own copies of the editable data files.
#include "installed_layout.h"
#include "scripted_host.h"
#include "temp_program_dir.h"

#include "core/QUILL_dataList.h"
#include "core/QUILL_folders.h"
#include "core/QUILL_startup.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDialogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QString readText(const QString& path) {
    return decodeTextFile(fileBytes(path));
}

} // namespace

TEST(Folders, TheProgramFolderDecidesTheMode) {
    // A folder that holds the data and can be written (an unpacked folder, the build) keeps everything.
    TTempProgramDir unpacked;
    rAppFolders f = decideAppFolders(unpacked.path(), QStringLiteral("/nowhere/"));
    EXPECT_EQ(f.mode, TFolderMode::portable);
    EXPECT_EQ(f.shippedFolder, unpacked.path());
    EXPECT_EQ(f.userFolder, unpacked.path());

    // bin/ beside share/quillery is an install, even where bin/ may be written (root, or an install in the home).
    TInstalledLayout layout;
    f = layout.folders();
    EXPECT_EQ(f.mode, TFolderMode::installed);
    EXPECT_EQ(f.programFolder, layout.binFolder());
    EXPECT_EQ(f.shippedFolder, layout.shippedFolder());
    EXPECT_EQ(f.userFolder, layout.userFolder());
    // Without a folder given, the system's per-user data folder (here under the layout's XDG_DATA_HOME).
    EXPECT_TRUE(decideAppFolders(layout.binFolder()).userFolder.startsWith(layout.dataHome()))
        << decideAppFolders(layout.binFolder()).userFolder.toStdString();

    // A file named "portable" (any case) beside the program keeps everything there, install layout or not.
    QFile marker(layout.binFolder() + QStringLiteral("Portable"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    f = layout.folders();
    EXPECT_EQ(f.mode, TFolderMode::portable);
    EXPECT_EQ(f.userFolder, layout.binFolder());

    // A program folder with its data beside it that cannot be written (Program Files, say) is an install too.
    TTempProgramDir locked;
    QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (!folderIsWritable(locked.path())) {
        f = decideAppFolders(locked.path(), QStringLiteral("/home/u/.local/share/Quillery"));
        EXPECT_EQ(f.mode, TFolderMode::installed);
        EXPECT_EQ(f.shippedFolder, locked.path());
        EXPECT_EQ(f.userFolder, QStringLiteral("/home/u/.local/share/Quillery/"));
    }
    QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(folderIsWritable(locked.path()));
    EXPECT_EQ(QDir(locked.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("write-test")),
              QStringList()); // the probe leaves nothing behind
}

TEST(Folders, AnInstalledFirstStartReadsTheShippedDataAndWritesOnlyToTheUserFolder) {
    TInstalledLayout layout;
    const QStringList before = layout.shippedSnapshot();
    TScriptedHost host;
    TAppContext app(&host);
    startApplication(app, layout.folders(), QString());
    const TAppState& st = app.state;
    // The read-only shipped files are read: code pages, the interface texts, the header.
    EXPECT_GT(st.codepageList.size(), 2);
    EXPECT_FALSE(st.vocabularyList.isEmpty());
    EXPECT_FALSE(st.pexNoTransProc.isEmpty());
    EXPECT_NE(app.uiText(QStringLiteral("Set_Options")), QStringLiteral("Set_Options"));
    EXPECT_FALSE(st.headerTemplate.isEmpty());
    EXPECT_EQ(st.resFolder, layout.shippedFolder() + QStringLiteral("res/english/"));
    EXPECT_TRUE(st.isFirstLaunch); // no prefs.ini yet: the options dialog opens as on any first start
    // What the program writes lies in the user's folder.
    EXPECT_EQ(st.cacheFolder, layout.userFolder() + QStringLiteral("Cache/"));
    EXPECT_EQ(st.userDictionaryFolder, layout.userFolder() + QStringLiteral("UserDictionary/"));
    EXPECT_EQ(st.dictionaryBackupFolder, layout.userFolder() + QStringLiteral("UserDictionary/Backup/"));
    EXPECT_EQ(st.miscFolder, layout.userFolder() + QStringLiteral("misc/"));
    EXPECT_EQ(st.batchFolder, layout.shippedFolder() + QStringLiteral("batch/")); // the user has no rules yet
    EXPECT_FALSE(st.XMLFolder.startsWith(layout.binFolder()));
    EXPECT_TRUE(QFileInfo(st.dictionaryBackupFolder).isDir());
    EXPECT_TRUE(QFileInfo(st.cacheFolder).isDir());
    // The log names the mode and both folders, once.
    const QStringList lines = host.log.filter(QStringLiteral("Installed program"));
    ASSERT_EQ(lines.size(), 1) << host.log.join('\n').toStdString();
    EXPECT_TRUE(lines[0].contains(QDir::toNativeSeparators(layout.shippedFolder())));
    EXPECT_TRUE(lines[0].contains(QDir::toNativeSeparators(layout.userFolder())));
    EXPECT_TRUE(host.messages.isEmpty());

    app.state.DestLang = QStringLiteral("it");
    closeApplication(app);
    EXPECT_TRUE(readText(layout.userFolder() + QStringLiteral("prefs.ini")).contains(QStringLiteral("DestLang=it")));
    EXPECT_EQ(layout.shippedSnapshot(), before);
    EXPECT_TRUE(QDir(layout.binFolder()).isEmpty());

    // The next start reads those preferences back: no first launch any more.
    TAppContext again;
    startApplication(again, layout.folders(), QString());
    EXPECT_EQ(again.state.DestLang, QStringLiteral("it"));
}

TEST(Folders, TheUsersCopiesOfEditableFilesWinOverTheShippedOnes) {
    TInstalledLayout layout;
    layout.writeUserFile(QStringLiteral("CodePage.txt"), "_en=1252\r\n_xx=utf8\r\n");
    layout.writeUserFile(QStringLiteral("_recorddefs.txt"), "# mine\r\nWEAP FULL\r\n");
    layout.writeUserFile(QStringLiteral("batch/mine.txt"), "a=b\r\n");
    // The interface texts are not the user's to replace: the shipped ones stay in force.
    layout.writeUserFile(QStringLiteral("res/english/Res.ini"), "Set_Options=Mine\r\n");
    TWorkspace ws;
    startApplication(ws.app, layout.folders(), QString());
    const TAppState& st = ws.app.state;
    EXPECT_EQ(st.codepageList, (QStringList{"_en=1252", "_xx=utf8"}));
    EXPECT_EQ(st.recordDefinitionLines, (QStringList{"# mine", "WEAP FULL"}));
    EXPECT_EQ(st.batchFolder, layout.userFolder() + QStringLiteral("batch/"));
    EXPECT_NE(ws.app.uiText(QStringLiteral("Set_Options")), QStringLiteral("Mine"));
    EXPECT_EQ(findDataFile(st, QStringLiteral("vocabulary.txt")),
              layout.shippedFolder() + QStringLiteral("vocabulary.txt"));
    EXPECT_EQ(findDataFile(st, QStringLiteral("codepage.txt")), layout.userFolder() + QStringLiteral("CodePage.txt"));
    EXPECT_EQ(findDataFile(st, QStringLiteral("absent.txt")), QString());
    EXPECT_TRUE(userCopyWins(QStringLiteral("misc\\oldDialogStyle_fr.txt")));
    EXPECT_FALSE(userCopyWins(QStringLiteral("samples/QuillerySample.esp")));

    // The prefix words of the old dialogue style: read from the shipped file until the user saves their own.
    ws.app.state.DestLang = QStringLiteral("fr");
    const QString shippedWords = readOldDialogWords(ws);
    EXPECT_FALSE(shippedWords.isEmpty());
    EXPECT_EQ(oldDialogWordFile(ws), layout.shippedFolder() + QStringLiteral("misc/oldDialogStyle_fr.txt"));
    ASSERT_TRUE(saveOldDialogWords(ws, QStringLiteral("Mine\nYours")));
    EXPECT_EQ(oldDialogWordFile(ws), layout.userFolder() + QStringLiteral("misc/oldDialogStyle_fr.txt"));
    EXPECT_EQ(readOldDialogWords(ws), QStringLiteral("Mine\nYours"));
}

TEST(Folders, APortableFolderKeepsEverythingBesideTheProgram) {
    TTempProgramDir dir;
    TScriptedHost host;
    TAppContext app(&host);
    startApplication(app, dir.path(), QString());
    const TAppState& st = app.state;
    EXPECT_EQ(st.folderMode, TFolderMode::portable);
    EXPECT_EQ(shippedFolder(st), dir.path());
    EXPECT_EQ(userFolder(st), dir.path());
    EXPECT_EQ(st.batchFolder, dir.path() + QStringLiteral("batch/"));
    EXPECT_EQ(st.XMLFolder, dir.path());
    EXPECT_EQ(host.log.filter(QStringLiteral("Portable program folder")).size(), 1);
    // A state whose folders were never applied has everything in programFolder.
    TAppState bare;
    bare.programFolder = dir.path();
    EXPECT_EQ(userFilePath(bare, QStringLiteral("prefs.ini")), dir.path() + QStringLiteral("prefs.ini"));
    EXPECT_EQ(dataFilePath(bare, QStringLiteral("CODEPAGE.TXT")), dir.path() + QStringLiteral("codepage.txt"));
}
