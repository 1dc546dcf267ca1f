// A whole translator's round on real files: open a plugin, translate, save the dictionary, reopen the plugin and
// find every translation restored by reference; then save the plugin and read the translations back from it.
#include "plugin_samples.h"
#include "scripted_host.h"
#include "temp_program_dir.h"

#include "core/QUILL_startup.h"
#include "workspace/QUILL_workspace.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// Translates every entry of the loaded lists as "[fr] source", in list order.
int translateAll(TWorkspace& ws) {
    int count = 0;
    for (auto& list : ws.loadedLists)
        for (auto& entry : list) {
            entry->setSTrans(QStringLiteral("[fr] ") + entry->gS);
            entry->resetStatus({sStrParam::validated}, {});
            ++count;
        }
    ws.state().dictionaryModified = true;
    return count;
}

} // namespace

TEST(TranslatorRound, DictionaryRestoresEveryTranslationByReferenceAndThePluginKeepsThem) {
    TTempProgramDir dir;
    TScriptedHost host;
    auto ws = std::make_unique<TWorkspace>(&host);
    startApplication(ws->app, dir.path());
    ws->state().quillexpertMode = true; // no confirmation before writing
    const QStringList files = writePluginSamples(ws->app, dir.file(QStringLiteral("Data")));
    ASSERT_FALSE(files.isEmpty());
    const QString plugin = dir.file(QStringLiteral("Data/QuillerySample.esp"));

    ASSERT_TRUE(ws->openAs("plugin", plugin, false));
    ASSERT_EQ(ws->state().WorkMode, TWorkMode::Esp);
    const int translated = translateAll(*ws);
    ASSERT_GT(translated, 20);
    ASSERT_TRUE(ws->saveDocumentDictionary());
    EXPECT_FALSE(ws->state().dictionaryModified);
    EXPECT_FALSE(QDir(dir.file(QStringLiteral("UserDictionary"))).entryList({"*.sst"}, QDir::Files).isEmpty());

    // A fresh workspace, as after a restart: the document's own dictionary is applied by reference on load.
    TScriptedHost host2;
    ws = std::make_unique<TWorkspace>(&host2);
    startApplication(ws->app, dir.path());
    ws->state().quillexpertMode = true;
    ASSERT_TRUE(ws->openAs("plugin", plugin, false));
    int restored = 0;
    for (const auto& list : ws->loadedLists)
        for (const auto& entry : list) {
            EXPECT_EQ(entry->gTrans, QStringLiteral("[fr] ") + entry->gS) << entry->gS.toStdString();
            restored += entry->gTrans == QStringLiteral("[fr] ") + entry->gS;
        }
    EXPECT_EQ(restored, translated);

    // Saving the plugin writes the translations; opening the written file lists them as its texts.
    const QString saved = dir.file(QStringLiteral("Out/QuillerySample.esp"));
    QDir().mkpath(QFileInfo(saved).path());
    ASSERT_TRUE(ws->saveDocument(true, saved));
    TScriptedHost host3;
    TWorkspace reread(&host3);
    startApplication(reread.app, dir.path());
    reread.state().SourceLang = QStringLiteral("fr");
    reread.state().DestLang = QStringLiteral("de");
    ASSERT_TRUE(reread.openAs("plugin", saved, false));
    int seen = 0;
    for (const auto& list : reread.loadedLists)
        for (const auto& entry : list) {
            EXPECT_TRUE(entry->gS.startsWith(QStringLiteral("[fr] "))) << entry->gS.toStdString();
            ++seen;
        }
    EXPECT_EQ(seen, translated);
}
