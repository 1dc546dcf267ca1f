// Opening and saving plugins through the workspace: plain and localized loads, orphans and shared ids, backups,
// save-as, and the real fixtures' byte-identical round trips.
#include "core/QUILL_startup.h"
#include "plugin/QUILL_espStrings.h"
#include "plugin_test_support.h"
#include "support/plugin_samples.h"
#include "support/scripted_host.h"
#include "support/string_table_builder.h"
#include "support/temp_program_dir.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

using B = TPluginBuilder;

struct TPluginFixture {
    TTempProgramDir dir{false};
    TScriptedHost host;
    TWorkspace ws{&host};

    TPluginFixture() {
        startApplication(ws.app, dir.path());
        ws.app.state.SourceLang = QStringLiteral("en");
        ws.app.state.DestLang = QStringLiteral("fr");
        ws.app.state.quillexpertMode = true;
    }
    QString write(const QString& relative, const QByteArray& bytes) { return dir.write(relative, bytes); }
    QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    tSkyStrList& list(int i) { return ws.loadedLists[static_cast<size_t>(i)]; }
    QStringList filesIn(const QString& relative) { return QDir(dir.file(relative)).entryList(QDir::Files, QDir::Name); }
};

QByteArray samplePlain() {
    B b;
    b.beginGroup("WEAP");
    b.record("WEAP", 0x100, {B::text("EDID", "Gun"), B::text("FULL", "Laser rifle"), B::text("DESC", "Hot")});
    b.record("WEAP", 0x101, {B::text("EDID", "Pistol"), B::text("FULL", "Pistol")}, 9);
    b.endGroup();
    b.beginGroup("MISC").record("MISC", 0x102, {B::text("EDID", "Junk"), B::u32("DATA", 1)}).endGroup();
    return b.bytes();
}

} // namespace

TEST(PluginWorkspace, PlainPluginListsItsTextsInOrder) {
    TPluginFixture f;
    const QString path = f.write(QStringLiteral("Data/mymod.esp"), samplePlain());
    ASSERT_TRUE(f.ws.openAs("plugin", path, true));
    EXPECT_EQ(f.ws.state().WorkMode, TWorkMode::Esp);
    ASSERT_EQ(f.list(0).size(), 2u);
    ASSERT_EQ(f.list(1).size(), 1u);
    EXPECT_EQ(f.list(0)[0]->id, 1u);
    EXPECT_EQ(f.list(1)[0]->id, 2u);
    EXPECT_EQ(f.list(0)[1]->id, 3u);
    EXPECT_EQ(f.list(0)[1]->gS, QStringLiteral("Pistol"));
    EXPECT_EQ(f.ws.plugin()->stringCounts.records, 2);
    EXPECT_EQ(f.ws.plugin()->stringCounts.fields, 3);
    const tSkyStr& gun = *f.list(0)[0];
    ASSERT_TRUE(gun.isEspAssigned());
    EXPECT_EQ(gun.esp.field->sk, &gun);
    EXPECT_EQ(gun.getEspRef(), QStringLiteral("EDID [Gun] WEAP [00000100] [3|0|0] [Field: FULL]"));
    EXPECT_EQ(f.ws.state().EspFolder, QFileInfo(path).absolutePath() + QLatin1Char('/'));
    EXPECT_EQ(f.ws.state().recentAddon.value(0), QFileInfo(path).absoluteFilePath());
}

TEST(PluginWorkspace, NotAPluginAndTruncatedPluginFail) {
    TPluginFixture f;
    EXPECT_FALSE(f.ws.openAs("plugin", f.write(QStringLiteral("a.esp"), "TES3 not a plugin at all"), false));
    EXPECT_EQ(f.ws.plugin(), nullptr);
    const QByteArray bytes = samplePlain();
    EXPECT_FALSE(f.ws.openAs("plugin", f.write(QStringLiteral("b.esp"), bytes.left(bytes.size() - 3)), false));
    EXPECT_EQ(f.ws.state().WorkMode, TWorkMode::None);
    EXPECT_EQ(countListSet(f.ws.loadedLists), 0);
}

// Hostile files end the open with a message and leave nothing loaded: groups nested past the bound, and a pipe or an
// endless device named like a plugin (neither is waited on nor read).
TEST(PluginWorkspace, HostileFilesFailWithAMessage) {
    TPluginFixture f;
    B deep;
    for (int i = 0; i < 2000; ++i)
        deep.beginGroup(static_cast<uint32_t>(i), 1);
    EXPECT_FALSE(f.ws.openAs("plugin", f.write(QStringLiteral("deep.esp"), deep.bytes()), false));
    EXPECT_TRUE(f.host.logContains(QStringLiteral("Fbk_PluginTooDeep"))) << f.host.log.join('\n').toStdString();
    EXPECT_EQ(f.ws.state().WorkMode, TWorkMode::None);
    EXPECT_EQ(countListSet(f.ws.loadedLists), 0);
    if (QFileInfo::exists(QStringLiteral("/dev/zero"))) {
        const QString zero = f.dir.file(QStringLiteral("z.esp"));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
        EXPECT_FALSE(f.ws.openAs("plugin", zero, false));
    }
    const QString fifo = f.dir.file(QStringLiteral("x.esp"));
    if (QProcess::execute(QStringLiteral("mkfifo"), {fifo}) == 0) {
        EXPECT_FALSE(f.ws.openAs("plugin", fifo, false));
    }
    EXPECT_EQ(f.ws.plugin(), nullptr);
}

TEST(PluginWorkspace, SaveWithoutChangeKeepsTheBytesAndBacksUp) {
    TPluginFixture f;
    const QByteArray bytes = samplePlain();
    const QString path = f.write(QStringLiteral("Data/mymod.esp"), bytes);
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    ASSERT_TRUE(f.ws.saveDocument(false));
    EXPECT_EQ(f.read(path), bytes);
    const QStringList files = f.filesIn(QStringLiteral("Data"));
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(files[1].startsWith(QStringLiteral("mymod.esp.20"))) << files.join(',').toStdString();
    EXPECT_EQ(f.read(f.dir.file(QStringLiteral("Data/") + files[1])), bytes);
}

TEST(PluginWorkspace, SaveAsWritesTheTranslationWithoutBackup) {
    TPluginFixture f;
    const QByteArray bytes = samplePlain();
    const QString path = f.write(QStringLiteral("Data/mymod.esp"), bytes);
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    f.list(0)[0]->setSTrans(QStringLiteral("Fusil laser"));
    f.list(1)[0]->setSTrans(QStringLiteral("Chaud"));
    const QString target = f.dir.file(QStringLiteral("Out/sub/mymod_fr.esp"));
    const int asked = static_cast<int>(f.host.messages.size());
    ASSERT_TRUE(f.ws.saveDocument(true, target));
    EXPECT_EQ(f.read(path), bytes); // the loaded plugin is untouched
    EXPECT_EQ(f.filesIn(QStringLiteral("Data")).size(), 1);
    EXPECT_EQ(f.filesIn(QStringLiteral("Out/sub")).size(), 1); // no backup for a save-as
    tPluginTree tree;
    readInto(tree, f.read(target));
    EXPECT_EQ(tree.root.children[1]->children[0]->record()->fList[1].buffer, QByteArray("Fusil laser", 12));
    // Saving as onto an existing file asks once (without a backup note) and makes no backup.
    for (const auto& m : f.host.messages.mid(asked))
        EXPECT_FALSE(m.buttons & dbYes);
    ASSERT_TRUE(f.ws.saveDocument(true, target));
    EXPECT_EQ(f.filesIn(QStringLiteral("Out/sub")).size(), 1);
    EXPECT_EQ(f.ws.state().currentFilePath, QFileInfo(path).absoluteFilePath());
}

TEST(PluginWorkspace, RefusedConfirmationWritesNothing) {
    TPluginFixture f;
    const QByteArray bytes = samplePlain();
    const QString path = f.write(QStringLiteral("Data/mymod.esp"), bytes);
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    f.list(0)[0]->setSTrans(QStringLiteral("Changed"));
    f.host.answers.enqueue(drNo);
    EXPECT_FALSE(f.ws.saveDocument(false));
    EXPECT_EQ(f.read(path), bytes);
    EXPECT_EQ(f.filesIn(QStringLiteral("Data")).size(), 1);
}

TEST(PluginWorkspace, LocalizedPluginWithOrphansAndSharedIds) {
    TPluginFixture f;
    B b(true);
    b.beginGroup("WEAP");
    b.record("WEAP", 0x1, {B::text("EDID", "A"), B::u32("FULL", 10), B::u32("DESC", 20)});
    b.record("WEAP", 0x2, {B::text("EDID", "B"), B::u32("FULL", 10)}); // shares id 10
    b.record("WEAP", 0x3, {B::text("EDID", "C"), B::u32("FULL", 0)});  // id 0: no entry
    b.record("WEAP", 0x4, {B::text("EDID", "D"), B::u32("FULL", 99)}); // not in the table: orphan field
    b.endGroup();
    b.beginGroup("MISC").record("MISC", 0x5, {B::u32("DATA", 1)}).endGroup();
    const QString path = f.write(QStringLiteral("Data/MyMod.esp"), b.bytes());
    rTableSetTexts texts;
    texts[0] = {{10, QStringLiteral("Gun")}, {30, QStringLiteral("Unused")}};
    texts[1] = {{20, QStringLiteral("A description")}};
    writeUtf8TableSet(f.dir.file(QStringLiteral("Data/Strings")), QStringLiteral("MyMod"), QStringLiteral("en"), texts);
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    EXPECT_EQ(f.ws.state().WorkMode, TWorkMode::StringsEspLayout);
    EXPECT_EQ(f.ws.plugin()->stringCounts.fields, 4);
    EXPECT_EQ(f.ws.plugin()->orphanShared.orphanFields, 1);
    EXPECT_EQ(f.ws.plugin()->orphanShared.sharedEntries, 1);
    ASSERT_EQ(f.ws.sharedIdList.size(), 1u);
    // STRINGS: 10 (owner), 30 (orphan table entry), 99 (orphan field).
    ASSERT_EQ(f.list(0).size(), 3u);
    const tSkyStr& owner = *f.list(0)[0];
    EXPECT_EQ(owner.gS, QStringLiteral("Gun"));
    EXPECT_TRUE(owner.hasFlag(sStrInternalParam::toLocalizedSharedID));
    const tSkyStr& shared = *f.ws.sharedIdList[0];
    EXPECT_EQ(shared.gS, QStringLiteral("<PlaceHolder_Lookup>"));
    EXPECT_EQ(shared.esp.field->sk, &owner);
    EXPECT_EQ(sharedChildrenOf(f.ws.sharedIdList, owner).size(), 1u);
    EXPECT_TRUE(f.list(0)[1]->hasFlag(sStrInternalParam::isOrphean));
    EXPECT_EQ(f.list(0)[2]->gS, QStringLiteral("<PlaceHolder_Lookup>"));
    EXPECT_EQ(f.list(1)[0]->gS, QStringLiteral("A description"));
    // The tree holds only records with ids (no TES4, no MISC), and the group without any is hidden.
    EXPECT_EQ(f.ws.plugin()->tree.root.children.size(), 2u);
    EXPECT_TRUE(f.ws.plugin()->tree.root.children[1]->hidden);

    // Saving writes the three tables under DestLang, named after the plugin without its extension.
    f.list(0)[0]->setSTrans(QStringLiteral("Fusil"));
    ASSERT_TRUE(f.ws.saveDocument(false));
    QStringList written = f.filesIn(QStringLiteral("Data/Strings"));
    EXPECT_TRUE(written.contains(QStringLiteral("MyMod_fr.STRINGS"))) << written.join(',').toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("MyMod_fr.DLSTRINGS")));
    EXPECT_TRUE(written.contains(QStringLiteral("MyMod_fr.ILSTRINGS")));
    for (const QString& name : written)
        EXPECT_FALSE(name.contains(QStringLiteral(".esp")));
}

TEST(PluginWorkspace, LocalizedPluginWithoutTablesFails) {
    TPluginFixture f;
    B b(true);
    b.record("WEAP", 0x1, {B::u32("FULL", 10)});
    EXPECT_FALSE(f.ws.openAs("plugin", f.write(QStringLiteral("Data/x.esp"), b.bytes()), false));
    EXPECT_EQ(countListSet(f.ws.loadedLists), 0);
    EXPECT_EQ(f.ws.state().WorkMode, TWorkMode::None);
}

TEST(PluginWorkspace, PickedTablesMustBeInTheSourceLanguage) {
    TPluginFixture f;
    f.ws.state().UseStringDialog2 = true;
    B b(true);
    b.record("WEAP", 0x1, {B::u32("FULL", 10)});
    const QString path = f.write(QStringLiteral("Data/x.esp"), b.bytes());
    rTableSetTexts texts;
    texts[0] = {{10, QStringLiteral("Gun")}};
    const auto de =
        writeUtf8TableSet(f.dir.file(QStringLiteral("Elsewhere")), QStringLiteral("x"), QStringLiteral("de"), texts);
    f.host.pickAnswers.enqueue(de[0]);
    EXPECT_FALSE(f.ws.openAs("plugin", path, false));
    const auto en =
        writeUtf8TableSet(f.dir.file(QStringLiteral("Elsewhere")), QStringLiteral("x"), QStringLiteral("en"), texts);
    f.host.pickAnswers.enqueue(en[1]);
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    EXPECT_EQ(f.list(0)[0]->gS, QStringLiteral("Gun"));
    // The tables are saved where they were read from.
    ASSERT_TRUE(f.ws.saveDocument(false));
    EXPECT_TRUE(QFileInfo::exists(f.dir.file(QStringLiteral("Elsewhere/x_fr.STRINGS"))));
}

TEST(PluginFixtures, EveryRealPluginOpensAndSavesBackIdentically) {
    const QString root = QStringLiteral(QUILL_SHARED_FIXTURES) + QStringLiteral("/testing-plugins");
    QDirIterator it(root, {QStringLiteral("*.esp"), QStringLiteral("*.esm")}, QDir::Files,
                    QDirIterator::Subdirectories);
    int plugins = 0;
    while (it.hasNext()) {
        const QString source = it.next();
        SCOPED_TRACE(source.toStdString());
        TPluginFixture f;
        QFile in(source);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        tPluginTree halves; // read whole and in two halves at once: the same tree, written back as read
        readInto(halves, bytes);
        const QString path = f.write(QStringLiteral("Data/") + QFileInfo(source).fileName(), bytes);
        ASSERT_TRUE(f.ws.openAs("plugin", path, false));
        ++plugins;
        if (QFileInfo(source).path().endsWith(QLatin1String("Fallout4"))) {
            EXPECT_EQ(countListSet(f.ws.loadedLists), 0);
        } else {
            // The real files hold minimal BPTD records with a BPTN text.
            ASSERT_GE(f.list(0).size(), 1u);
            bool bptn = false;
            for (const auto& e : f.list(0))
                bptn = bptn || e->esp.fName == sHeaderSig('B', 'P', 'T', 'N');
            EXPECT_TRUE(bptn);
        }
        const QString target = f.dir.file(QStringLiteral("Out/") + QFileInfo(source).fileName());
        ASSERT_TRUE(f.ws.saveDocument(true, target));
        EXPECT_EQ(f.read(target), bytes);
    }
    EXPECT_GE(plugins, 20);
}

TEST(PluginFixtures, BlankEsmHasXxxxOnamAndACompressedCell) {
    QFile in(QStringLiteral(QUILL_SHARED_FIXTURES) + QStringLiteral("/testing-plugins/Skyrim/Blank.esm"));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    tPluginTree tree;
    readInto(tree, bytes);
    trecord* tes4 = tree.root.children[0]->record();
    ASSERT_NE(tes4, nullptr);
    EXPECT_EQ(tes4->buffer.size(), static_cast<qsizetype>(tes4->header.dsize));
    // The TES4 record is raw: parse its data again to look at the ONAM field.
    rGenericHeader gh = tes4->header;
    trecord probe(gh);
    rPluginReadContext ctx;
    probe.parseFields(tes4->buffer, ctx);
    bool onam = false;
    for (size_t i = 1; i < probe.fList.size(); ++i)
        if (probe.fList[i].header.name == sHeaderSig('O', 'N', 'A', 'M')) {
            EXPECT_EQ(probe.fList[i - 1].header.name, kSigXXXX);
            EXPECT_EQ(probe.fList[i].buffer.size(), 65536);
            onam = true;
        }
    EXPECT_TRUE(onam);
    bool compressedCell = false;
    tree.forEach([&](const tPluginNode& node) {
        if (const trecord* r = node.record())
            if (r->header.name == sHeaderSig('C', 'E', 'L', 'L') && r->compressed) compressedCell = true;
    });
    EXPECT_TRUE(compressedCell);
    EXPECT_EQ(buildPluginBytes(tree), bytes);
}

TEST(PluginSamples, BothSamplesListTheSameTexts) {
    TPluginFixture f;
    const QStringList files = writePluginSamples(f.ws.app, f.dir.file(QStringLiteral("Samples")));
    ASSERT_EQ(files.size(), 5);
    ASSERT_TRUE(f.ws.openAs("plugin", files[0], false));
    int total = 0;
    for (int i = 0; i < 3; ++i) {
        QStringList listed;
        for (const auto& e : f.list(i))
            listed << e->gS;
        EXPECT_EQ(listed, pluginSampleTexts(i)) << i;
        total += static_cast<int>(listed.size());
    }
    EXPECT_GE(total, 36);
    // The plain sample round-trips byte for byte.
    const QString copy = f.dir.file(QStringLiteral("Out/QuillerySample.esp"));
    ASSERT_TRUE(f.ws.saveDocument(true, copy));
    EXPECT_EQ(f.read(copy), f.read(files[0]));
    ASSERT_TRUE(f.ws.openAs("plugin", files[1], false));
    EXPECT_EQ(f.ws.state().WorkMode, TWorkMode::StringsEspLayout);
    for (int i = 0; i < 3; ++i) {
        QStringList listed;
        for (const auto& e : f.list(i))
            listed << e->gS;
        EXPECT_EQ(listed, pluginSampleTexts(i)) << i; // ids follow the plain order
    }
    EXPECT_EQ(f.ws.plugin()->orphanShared.orphanFields, 0);
}

// Run with QUILL_REGENERATE_SAMPLES=1 to write the samples again into data/samples after changing the generator.
TEST(PluginSamples, ShippedSamplesAreTheGeneratedOnes) {
    TPluginFixture f;
    if (qEnvironmentVariableIsSet("QUILL_REGENERATE_SAMPLES")) {
        ASSERT_EQ(writePluginSamples(f.ws.app, QStringLiteral(QUILL_DATA_DIR) + QStringLiteral("/samples")).size(), 5);
    }
    const QStringList files = writePluginSamples(f.ws.app, f.dir.file(QStringLiteral("Samples")));
    ASSERT_EQ(files.size(), 5);
    const QDir shipped(QStringLiteral(QUILL_DATA_DIR) + QStringLiteral("/samples"));
    for (const QString& file : files) {
        const QString relative = QDir(f.dir.file(QStringLiteral("Samples"))).relativeFilePath(file);
        // The plain sample holds compressed records, whose bytes depend on the zlib build; its texts are checked
        // by the test above.
        if (relative == QLatin1String("QuillerySample.esp")) {
            EXPECT_TRUE(QFileInfo::exists(shipped.filePath(relative)));
            continue;
        }
        EXPECT_EQ(f.read(shipped.filePath(relative)), f.read(file)) << relative.toStdString();
    }
}

// A plugin saved in UTF-8 (a French translation) reopened with an 8-bit source language: its texts show as "Ã "
// and are warned about, and saving them (which would encode them a second time) asks first. Real 8-bit texts do not
// warn.
TEST(PluginWorkspace, Utf8TextsReadAsAnEightBitCodePageWarnAndSavingAsks) {
    TPluginFixture f;
    f.ws.app.state.codepageList = {QStringLiteral("fr=utf8"), QStringLiteral("en=1252")};
    B utf8;
    utf8.beginGroup("WEAP");
    utf8.record("WEAP", 0x100, {B::text("EDID", "Gun"), B::text("FULL", "Mousquet laser \xC3\xA0 plume")});
    utf8.record("WEAP", 0x101, {B::text("EDID", "Pistol"), B::text("FULL", "Pistolet \xC3\xA9tranger")});
    utf8.record("WEAP", 0x102, {B::text("EDID", "Plain"), B::text("FULL", "Plain words")});
    utf8.endGroup();
    const QByteArray bytes = utf8.bytes();
    const QString path = f.write(QStringLiteral("Data/french.esp"), bytes);
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    EXPECT_EQ(f.list(0)[0]->gS, QString::fromUtf8("Mousquet laser \xC3\x83\xC2\xA0 plume"));
    EXPECT_EQ(f.ws.document->misencodedTexts, 2);
    EXPECT_TRUE(f.host.logContains(QStringLiteral("Fbk_TextsLookUtf8"))) << f.host.log.join('\n').toStdString();
    f.list(0)[2]->setSTrans(QStringLiteral("Mots simples"));
    f.host.messages.clear();
    f.host.answers.enqueue(drNo);
    EXPECT_FALSE(f.ws.saveDocument(false));
    EXPECT_EQ(f.read(path), bytes);
    ASSERT_EQ(f.host.messages.size(), 1);
    EXPECT_TRUE(f.host.messages[0].text.contains(QStringLiteral("Ask_SaveMisencoded")));
    f.host.answers.enqueue(drYes);
    EXPECT_TRUE(f.ws.saveDocument(false));

    // Read as UTF-8 (the option ticked), the same file neither warns nor asks.
    f.write(QStringLiteral("Data/french.esp"), bytes);
    f.ws.app.state.ForceUtf8Load = true;
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    EXPECT_EQ(f.list(0)[0]->gS, QString::fromUtf8("Mousquet laser \xC3\xA0 plume"));
    EXPECT_EQ(f.ws.document->misencodedTexts, 0);

    // A real code page 1252 plugin with accents does not warn.
    f.ws.app.state.ForceUtf8Load = false;
    B ansi;
    ansi.beginGroup("WEAP");
    const auto raw = [](const char* text) { return B::raw("FULL", QByteArray(text, qstrlen(text) + 1)); };
    ansi.record("WEAP", 0x100, {B::text("EDID", "Gun"), raw("Caf\xE9 cr\xE8me")});
    ansi.record("WEAP", 0x101, {B::text("EDID", "Odd"), raw("Na\xEFve \xC3\xA9")});
    ansi.record("WEAP", 0x102, {B::text("EDID", "Odd2"), raw("\xC0 la fa\xE7on")});
    ansi.endGroup();
    f.host.log.clear();
    ASSERT_TRUE(f.ws.openAs("plugin", f.write(QStringLiteral("Data/ansi.esp"), ansi.bytes()), false));
    EXPECT_EQ(f.list(0)[0]->gS, QString::fromUtf8("Caf\xC3\xA9 cr\xC3\xA8me"));
    EXPECT_EQ(f.ws.document->misencodedTexts, 0);
    EXPECT_FALSE(f.host.logContains(QStringLiteral("Fbk_TextsLookUtf8")));
}
