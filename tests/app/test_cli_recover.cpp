// The command line and the recovery journal: replayed only with --recover yes, never written or moved.
#include "cli_runner.h"
#include "plugin_samples.h"
#include "scripted_host.h"
#include "temp_program_dir.h"

#include "core/QUILL_startup.h"
#include "workspace/QUILL_journal.h"
#include "workspace/QUILL_workspace.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(CliRecover, AJournalIsReplayedOnlyWhenAskedAndLeftAsItWas) {
    TTempProgramDir dir;
    ASSERT_EQ(writePluginSamples(dir.file(QStringLiteral("Data"))).size(), 5);
    const QString plugin = dir.file(QStringLiteral("Data/QuillerySample.esp"));
    QString journalPath;
    {
        // The window's work, left unsaved by a crash.
        TScriptedHost host;
        TWorkspace ws(&host);
        startApplication(ws.app, dir.path());
        ws.journal = std::make_unique<TJournalWriter>();
        ASSERT_TRUE(ws.openFileByKind(plugin));
        tSkyStr* e = ws.loadedLists[0][0].get();
        TEntryCommand command(ws, QStringLiteral("Step_Validate"), {e});
        e->setSTrans(QStringLiteral("Texte sauvé du crash"));
        command.finish();
        ws.journal->waitIdle();
        journalPath = ws.journal->path();
        ws.journal.reset();
    }
    const QByteArray journal = fileBytes(journalPath);
    ASSERT_FALSE(journal.isEmpty());

    const rCliRun plain = runCli({"--program-dir", dir.path(), plugin, "--dump"});
    ASSERT_EQ(plain.status, 0) << plain.err.toStdString();
    EXPECT_FALSE(plain.out.contains(QStringLiteral("Texte sauvé du crash")));
    const rCliRun no = runCli({"--program-dir", dir.path(), "--recover", "no", plugin, "--dump"});
    EXPECT_FALSE(no.out.contains(QStringLiteral("Texte sauvé du crash")));
    const rCliRun yes = runCli({"--program-dir", dir.path(), "--recover", "yes", plugin, "--dump"});
    ASSERT_EQ(yes.status, 0) << yes.err.toStdString();
    EXPECT_TRUE(yes.out.contains(QStringLiteral("Texte sauvé du crash")));
    EXPECT_EQ(runCli({"--program-dir", dir.path(), "--recover", "maybe", plugin}).status, 2);
    EXPECT_EQ(fileBytes(journalPath), journal);
    EXPECT_TRUE(QDir(dir.file(QStringLiteral("UserDictionary/Recovery/Discarded"))).isEmpty());
}
