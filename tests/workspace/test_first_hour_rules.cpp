// Rules a translator meets in the first hour: line breaks stored as the source writes them, and the backups of a
// plugin saved in place found newest first.
#include "aids/QUILL_editLogic.h"
#include "core/QUILL_main.h"
#include "strings/QUILL_backup.h"
#include "temp_program_dir.h"
#include "workspace/QUILL_workspace.h"

#include <QFileInfo>
#include <gtest/gtest.h>

TEST(FirstHourRules, LineBreaksFollowTheSource) {
    using editlogic::withSourceLineBreaks;
    const QString crlf = QStringLiteral("Quick.\r\nDirty.");
    EXPECT_EQ(withSourceLineBreaks(QStringLiteral("Rapide.\nSalissant."), crlf),
              QStringLiteral("Rapide.\r\nSalissant."));
    EXPECT_EQ(withSourceLineBreaks(QStringLiteral("a\r\nb\nc"), crlf), QStringLiteral("a\r\nb\r\nc"));
    EXPECT_EQ(withSourceLineBreaks(QStringLiteral("a\r\nb"), QStringLiteral("x\ny")), QStringLiteral("a\nb"));
    // No break in the source: the game's CRLF (Enter in a one-line description); a mix: the translation as typed.
    EXPECT_EQ(withSourceLineBreaks(QStringLiteral("a\nb"), QStringLiteral("xy")), QStringLiteral("a\r\nb"));
    EXPECT_EQ(withSourceLineBreaks(QStringLiteral("a\nb"), QStringLiteral("x\r\ny\nz")), QStringLiteral("a\nb"));

    // The edit dialog's store writes them so.
    TWorkspace ws;
    ws.loadedLists[0].push_back(std::make_unique<tSkyStr>(crlf, crlf, 0, 1, 99));
    tSkyStr* entry = ws.loadedLists[0].back().get();
    rStoreRequest request;
    request.translation = QStringLiteral("Rapide.\nSalissant.");
    request.carrySimilar = false;
    ASSERT_TRUE(ws.storeTranslation(entry, request));
    EXPECT_EQ(entry->gTrans, QStringLiteral("Rapide.\r\nSalissant."));
}

TEST(FirstHourRules, BackupsOfAWrittenFileNewestFirst) {
    TTempProgramDir dir(false);
    const QString plugin = dir.write(QStringLiteral("Data/Mod.esp"), "now");
    dir.write(QStringLiteral("Data/Mod.esp.2026_01_01_10_00_00"), "oldest");
    dir.write(QStringLiteral("Data/Mod.esp.2026_03_01_10_00_00"), "newest");
    dir.write(QStringLiteral("Data/Mod.esp.2026_03_01_10_00_00 (2)"), "newest again");
    dir.write(QStringLiteral("Data/Mod.esp.2026_03_01_10_00_00 (10)"), "newest tenth");
    dir.write(QStringLiteral("Data/Mod.esp.bak"), "not a backup");
    dir.write(QStringLiteral("Data/Other.esp.2026_05_01_10_00_00"), "another file's");
    dir.write(QStringLiteral("Backups/MOD.ESP.2026_02_01_10_00_00"), "in the backup folder");
    TAppState st;
    st.EspBackup = dir.file(QStringLiteral("Backups")) + QLatin1Char('/');
    QStringList names;
    for (const QString& path : writtenFileBackups(st, plugin))
        names << QFileInfo(path).fileName();
    EXPECT_EQ(
        names,
        (QStringList{QStringLiteral("Mod.esp.2026_03_01_10_00_00 (10)"),
                     QStringLiteral("Mod.esp.2026_03_01_10_00_00 (2)"), QStringLiteral("Mod.esp.2026_03_01_10_00_00"),
                     QStringLiteral("MOD.ESP.2026_02_01_10_00_00"), QStringLiteral("Mod.esp.2026_01_01_10_00_00")}));
}
