// Opening and saving scripts through the workspace: the disclaimer, the entries, the backup and the written file.
#include "support/pex_builder.h"
#include "support/scripted_host.h"
#include "support/temp_program_dir.h"
#include "temp_program_dir.h"

#include "core/QUILL_startup.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsScript.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

struct TScriptWorkspace {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws{&host};
    QString path;
    TScriptWorkspace() {
        startApplication(ws.app, dir.path());
        ws.app.texts.clear(); // messages show their keys
        path = dir.write(QStringLiteral("Scripts/QuillerySample.pex"), buildSampleScript(3, 9));
    }
    tSkyStr* entry(const QString& text) {
        for (const auto& e : ws.loadedLists[0])
            if (e->gS == text) return e.get();
        return nullptr;
    }
};

} // namespace

TEST(ScriptWorkspace, DisclaimerNoLoadsNothing) {
    TScriptWorkspace t;
    t.host.answers.enqueue(drNo);
    EXPECT_FALSE(t.ws.openAs("script", t.path, false));
    EXPECT_TRUE(t.ws.loadedLists[0].empty());
    ASSERT_EQ(t.host.messages.size(), 1);
    EXPECT_EQ(t.host.messages[0].buttons, dbYesNo);
}

TEST(ScriptWorkspace, LoadListsTheTableWithItsFlags) {
    TScriptWorkspace t;
    ASSERT_TRUE(t.ws.openAs("script", t.path, true));
    EXPECT_EQ(t.ws.state().WorkMode, TWorkMode::ScriptPex);
    EXPECT_EQ(t.ws.state().currentFileName, QStringLiteral("QuillerySample.pex"));
    EXPECT_EQ(t.ws.state().papyrusPexFolder, t.ws.script()->folder);
    EXPECT_EQ(t.ws.state().recentAddon.value(0), QFileInfo(t.path).absoluteFilePath());
    EXPECT_EQ(t.ws.loadedLists[0].size(), t.ws.script()->pex.pexStringTable.size());
    ASSERT_TRUE(t.entry(QStringLiteral("sample: trace text"))); // "Trace" is in the bundled call list
    EXPECT_TRUE(t.entry(QStringLiteral("sample: trace text"))->hasFlag(sStrInternalParam::pexNoTrans));
    EXPECT_TRUE(t.entry(QStringLiteral("IdleWave"))->hasFlag(sStrInternalParam::pexNoTrans));
    EXPECT_TRUE(t.entry(QStringLiteral("$QS_MenuTitle"))->hasFlag(sStrInternalParam::pexNoTrans));
    EXPECT_FALSE(t.entry(QStringLiteral("Quest started"))->hasFlag(sStrInternalParam::pexNoTrans));
    EXPECT_TRUE(t.entry(QStringLiteral("yes"))->hasFlag(sStrInternalParam::pexWarn));
    EXPECT_TRUE(t.ws.script()->pex.listingReady);

    // With the lock button up the "$" text is translatable at the next load; expert mode asks nothing.
    t.ws.state().pexLockTranslateTag = false;
    t.ws.state().quillexpertMode = true;
    t.host.messages.clear();
    ASSERT_TRUE(t.ws.openAs("script", t.path, false));
    EXPECT_TRUE(t.host.messages.isEmpty());
    EXPECT_FALSE(t.entry(QStringLiteral("$QS_MenuTitle"))->hasFlag(sStrInternalParam::pexNoTrans));
}

TEST(ScriptWorkspace, SaveBacksUpAndWritesTheTranslations) {
    TScriptWorkspace t;
    const QByteArray original = fileBytes(t.path);
    ASSERT_TRUE(t.ws.openAs("script", t.path, false));
    t.entry(QStringLiteral("Quest started"))->setSTrans(QStringLiteral("Qu\u00eate commenc\u00e9e\r\nenfin"));
    t.entry(QStringLiteral("OnInit"))->setSTrans(QStringLiteral("never written"));
    ASSERT_TRUE(t.ws.saveDocument(false, QString()));
    // The old file is kept beside it under a time-stamped name.
    const QStringList backups =
        QDir(t.dir.file(QStringLiteral("Scripts"))).entryList({QStringLiteral("QuillerySample.pex.*")}, QDir::Files);
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(fileBytes(t.dir.file(QStringLiteral("Scripts/") + backups[0])), original);
    EXPECT_TRUE(t.host.logContains(QStringLiteral("Fbk_Saved")));

    TScriptWorkspace check;
    check.ws.state().quillexpertMode = true;
    ASSERT_TRUE(check.ws.openAs("script", t.path, false));
    EXPECT_TRUE(check.entry(QStringLiteral("Qu\u00eate commenc\u00e9e\nenfin")));
    EXPECT_TRUE(check.entry(QStringLiteral("OnInit")));
    EXPECT_FALSE(check.entry(QStringLiteral("never written")));
    EXPECT_TRUE(check.ws.script()->pex.bodyError.isEmpty());

    // Save as: no backup, the same bytes as the translated save.
    const QString other = t.dir.file(QStringLiteral("Out/Copy.pex"));
    ASSERT_TRUE(t.ws.saveDocument(true, other));
    EXPECT_EQ(fileBytes(other), fileBytes(t.path));
    EXPECT_TRUE(QDir(t.dir.file(QStringLiteral("Out"))).entryList(QDir::Files).size() == 1);
}

TEST(ScriptWorkspace, AWriteThatFailsSaysSo) {
    TScriptWorkspace t;
    ASSERT_TRUE(t.ws.openAs("script", t.path, false));
    // A folder where the file should go: the write cannot replace it.
    QDir().mkpath(t.dir.file(QStringLiteral("Blocked/Target.pex")));
    EXPECT_FALSE(saveScript(t.ws, t.dir.file(QStringLiteral("Blocked")), QStringLiteral("Target.pex"), true));
    EXPECT_TRUE(t.host.logContains(QStringLiteral("Fbk_SavedError")));
}

TEST(ScriptWorkspace, NotAScriptFailsAndABodyErrorStillLoads) {
    TScriptWorkspace t;
    const QString bad = t.dir.write(QStringLiteral("bad.pex"), QByteArray("not a script at all"));
    EXPECT_FALSE(t.ws.openAs("script", bad, false));
    EXPECT_TRUE(t.host.logContains(QStringLiteral("Fbk_FailPex")));
    EXPECT_TRUE(t.ws.loadedLists[0].empty());
    EXPECT_EQ(t.ws.state().WorkMode, TWorkMode::None);

    QByteArray cut = buildSampleScript(3, 2);
    cut.chop(40);
    const QString truncated = t.dir.write(QStringLiteral("cut.pex"), cut);
    ASSERT_TRUE(t.ws.openAs("script", truncated, false));
    EXPECT_FALSE(t.ws.loadedLists[0].empty());
    EXPECT_FALSE(t.ws.script()->pex.bodyError.isEmpty());
    EXPECT_FALSE(t.ws.script()->pex.listingReady);
}
