// Plugin compare: an older translated plugin carried over to a newer one built with records added, removed and
// moved, repeated fields and moved fields; the overwrite filter, the undo step, the refusals, the saved bytes, and a
// real plugin compared with a translated copy of itself.
#include "core/QUILL_startup.h"
#include "plugin_test_support.h"
#include "support/scripted_host.h"
#include "support/temp_program_dir.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsCompare.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using B = TPluginBuilder;
using W = sStrInternalParam;

struct TCompareFixture {
    TTempProgramDir dir; // with the data files: "en" is code page 1252, "fr" UTF-8
    TScriptedHost host;
    TWorkspace ws{&host};

    TCompareFixture() {
        startApplication(ws.app, dir.path());
        ws.app.state.SourceLang = QStringLiteral("en");
        ws.app.state.DestLang = QStringLiteral("fr");
        ws.app.state.quillexpertMode = true;
    }
    QString write(const QString& relative, const QByteArray& bytes) { return dir.write(relative, bytes); }
    // The entry of the field `sig` (the n-th of that signature) of the record `formId`.
    tSkyStr* entry(uint32_t formId, const char* sig, int n = 0) {
        for (auto& list : ws.loadedLists)
            for (auto& e : list)
                if (e->esp.formID == formId && e->esp.fName == sHeaderSig(sig[0], sig[1], sig[2], sig[3]) &&
                    e->esp.field->rIndex.index == n)
                    return e.get();
        return nullptr;
    }
};

// The translated older version: French texts inline.
QByteArray olderPlugin() {
    B b;
    b.beginGroup("WEAP");
    b.record("WEAP", 0x100, {B::text("EDID", "Gun"), B::text("FULL", "Fusil laser"), B::text("DESC", "Brûlant")});
    b.record("WEAP", 0x101, {B::text("EDID", "Pistol"), B::text("FULL", "Pistolet")});
    b.endGroup();
    b.beginGroup("MESG");
    b.record("MESG", 0x200,
             {B::text("EDID", "Menu"), B::text("FULL", "Titre"), B::text("ITXT", "Oui"), B::text("ITXT", "Non"),
              B::text("ITXT", "Peut-être")});
    b.record("MESG", 0x201, {B::text("EDID", "Menu2"), B::text("ITXT", "Un"), B::text("ITXT", "Deux")});
    b.endGroup();
    b.beginGroup("ARMO");
    b.record("ARMO", 0x300,
             {B::text("EDID", "Coat"), B::text("FULL", "Manteau"), B::text("DESC", "Chaud"), B::u32("DATA", 7)});
    b.record("ARMO", 0x301, {B::text("EDID", "Gone"), B::text("FULL", "Disparu")});
    b.endGroup();
    return b.bytes();
}

struct rNewerTexts {
    const char* pistol = "Pistol";
    const char* gunName = "Laser rifle";
    const char* gunDesc = "Hot";
    const char* title = "Title";
    const char* buttons[3] = {"Yes", "No", "Maybe"};
    const char* counts[3] = {"One", "Two", "Three"};
    const char* coatName = "Coat";
    const char* coatDesc = "Warm";
};

// The newer version in English: a record moved, one removed, one added; a third button; FULL moved after DESC and
// DATA; a new ATTX field. With other texts, the same file as the writer must give it back.
QByteArray newerPlugin(const rNewerTexts& t = {}) {
    B b;
    b.beginGroup("WEAP");
    b.record("WEAP", 0x101, {B::text("EDID", "Pistol"), B::text("FULL", t.pistol)});
    b.record("WEAP", 0x100, {B::text("EDID", "Gun"), B::text("FULL", t.gunName), B::text("DESC", t.gunDesc)});
    b.endGroup();
    b.beginGroup("MESG");
    b.record("MESG", 0x200,
             {B::text("EDID", "Menu"), B::text("FULL", t.title), B::text("ITXT", t.buttons[0]),
              B::text("ITXT", t.buttons[1]), B::text("ITXT", t.buttons[2])});
    b.record("MESG", 0x201,
             {B::text("EDID", "Menu2"), B::text("ITXT", t.counts[0]), B::text("ITXT", t.counts[1]),
              B::text("ITXT", t.counts[2])});
    b.endGroup();
    b.beginGroup("ARMO");
    b.record("ARMO", 0x300,
             {B::text("EDID", "Coat"), B::text("DESC", t.coatDesc), B::u32("DATA", 7), B::text("FULL", t.coatName),
              B::text("ATTX", "Wear")});
    b.record("ARMO", 0x302, {B::text("EDID", "New"), B::text("FULL", "Brand new")});
    b.endGroup();
    return b.bytes();
}

QStringList flagNames(const tSkyStr* e) {
    return strInternalParamNames(e->sInternalparams).filter(QRegularExpression(QStringLiteral("^(big)?Warning$")));
}

} // namespace

TEST(PluginCompare, OlderTextsPairByFormIdSignatureAndOrder) {
    TCompareFixture f;
    ASSERT_TRUE(f.ws.openAs("plugin", f.write(QStringLiteral("Data/mod.esp"), newerPlugin()), false));
    const QString older = f.write(QStringLiteral("Old/mod.esp"), olderPlugin());
    const QString untouchedBefore = f.entry(0x201, "ITXT", 2)->gTrans;
    ASSERT_TRUE(comparePlugin(f.ws, older));

    // The overwrite dialog was asked with its caption and the remembered choice.
    ASSERT_EQ(f.host.options.size(), 1);
    EXPECT_EQ(f.host.options[0].dialog, QStringLiteral("TForm6"));
    EXPECT_EQ(f.host.options[0].caption, f.ws.app.uiText(QStringLiteral("Esp Compare:")));
    EXPECT_EQ(f.host.options[0].current, 1);
    EXPECT_EQ(f.ws.state().EspCompareFolder, QFileInfo(older).absolutePath() + QLatin1Char('/'));

    // Texts decoded with the destination's code page (UTF-8 for "fr", not the source's 1252).
    EXPECT_EQ(f.entry(0x100, "FULL")->gTrans, QStringLiteral("Fusil laser"));
    EXPECT_EQ(f.entry(0x100, "DESC")->gTrans, QStringLiteral("Brûlant"));
    EXPECT_EQ(f.entry(0x101, "FULL")->gTrans, QStringLiteral("Pistolet")); // moved record
    // Three buttons then and now: each takes its own, all warned, none strongly.
    const char* buttons[3] = {"Oui", "Non", "Peut-être"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(f.entry(0x200, "ITXT", i)->gTrans, QString::fromUtf8(buttons[i]));
        EXPECT_EQ(flagNames(f.entry(0x200, "ITXT", i)), QStringList{QStringLiteral("Warning")});
    }
    EXPECT_TRUE(flagNames(f.entry(0x200, "FULL")).isEmpty());
    // Three now, two before: the first two take theirs with both warnings, the third nothing.
    EXPECT_EQ(f.entry(0x201, "ITXT", 0)->gTrans, QStringLiteral("Un"));
    EXPECT_EQ(f.entry(0x201, "ITXT", 1)->gTrans, QStringLiteral("Deux"));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(flagNames(f.entry(0x201, "ITXT", i)),
                  (QStringList{QStringLiteral("Warning"), QStringLiteral("bigWarning")}));
    const tSkyStr* third = f.entry(0x201, "ITXT", 2);
    EXPECT_EQ(third->gTrans, untouchedBefore);
    EXPECT_TRUE(third->sparams.empty());
    EXPECT_TRUE(flagNames(third).isEmpty());
    // FULL after DESC and DATA still pairs with the older FULL; the new ATTX and the added record stay as they were.
    EXPECT_EQ(f.entry(0x300, "FULL")->gTrans, QStringLiteral("Manteau"));
    EXPECT_EQ(f.entry(0x300, "DESC")->gTrans, QStringLiteral("Chaud"));
    EXPECT_TRUE(f.entry(0x300, "ATTX")->sparams.empty());
    EXPECT_TRUE(f.entry(0x302, "FULL")->sparams.empty());

    // Every carried entry is partial only: not translated, not validated.
    for (const tSkyStr* e : {f.entry(0x100, "FULL"), f.entry(0x200, "ITXT", 2), f.entry(0x300, "FULL")})
        EXPECT_EQ(strParamNames(e->sparams), QStringList{QStringLiteral("incompleteTrans")});

    // The older records stay for the edit dialog and the warning mark: one field of each older signature used up,
    // the removed record's fields untouched.
    const tPluginTree& tree = f.ws.plugin()->tree;
    ASSERT_EQ(tree.compareRecordList.size(), 6u);
    for (size_t i = 1; i < tree.compareRecordList.size(); ++i)
        EXPECT_LT(tree.compareRecordList[i - 1]->headerData.formID, tree.compareRecordList[i]->headerData.formID);
    const trecord* gone = findCompareRecord(tree.compareRecordList, 0x301);
    ASSERT_NE(gone, nullptr);
    EXPECT_FALSE(gone->fList[0].params.has(sfieldParam::compared));
    EXPECT_TRUE(findCompareRecord(tree.compareRecordList, 0x201)->fList[1].params.has(sfieldParam::compared));
    EXPECT_EQ(compareTextsFor(f.ws, *f.entry(0x200, "ITXT", 1)),
              (QStringList{QStringLiteral("Oui"), QStringLiteral("Non"), QString::fromUtf8("Peut-être")}));
    EXPECT_TRUE(compareTextsFor(f.ws, *f.entry(0x302, "FULL")).isEmpty());
    // ITXT of MESG is a warning pair: a partial button is marked, a partial FULL is not.
    EXPECT_TRUE(isCompareWarning(f.ws, *f.entry(0x200, "ITXT", 0)));
    EXPECT_FALSE(isCompareWarning(f.ws, *f.entry(0x200, "FULL")));
}

TEST(PluginCompare, OneUndoStepJournalledAndUnsaved) {
    TCompareFixture f;
    ASSERT_TRUE(f.ws.openAs("plugin", f.write(QStringLiteral("Data/mod.esp"), newerPlugin()), false));
    EXPECT_FALSE(f.ws.hasUnsavedWork());
    const tSkyStr* button = f.entry(0x200, "ITXT", 0);
    const QString before = button->gTrans;
    ASSERT_TRUE(comparePlugin(f.ws, f.write(QStringLiteral("Old/mod.esp"), olderPlugin())));
    EXPECT_TRUE(f.ws.hasUnsavedWork());
    ASSERT_EQ(f.ws.history.stepCount(), 1u);
    // Eleven fields took a text.
    EXPECT_EQ(f.ws.history.undoName(), f.ws.app.uiTextFormat(QStringLiteral("Step_Compare"), {11}));
    ASSERT_TRUE(f.ws.undo());
    EXPECT_EQ(button->gTrans, before);
    EXPECT_TRUE(button->sparams.empty());
    EXPECT_TRUE(flagNames(button).isEmpty());
    EXPECT_FALSE(f.ws.hasUnsavedWork());
    ASSERT_TRUE(f.ws.redo());
    EXPECT_EQ(button->gTrans, QStringLiteral("Oui"));
    EXPECT_EQ(flagNames(button), QStringList{QStringLiteral("Warning")});
}

TEST(PluginCompare, NoTransFilterKeepsATranslatedEntryAndUsesItsOlderFieldUp) {
    TCompareFixture f;
    ASSERT_TRUE(f.ws.openAs("plugin", f.write(QStringLiteral("Data/mod.esp"), newerPlugin()), false));
    tSkyStr* first = f.entry(0x200, "ITXT", 0);
    // As a dictionary pass leaves it.
    first->setSTrans(QStringLiteral("D'accord"));
    first->sparams.set(sStrParam::translated);
    f.host.optionAnswers.enqueue(1); // "overwrite_NoTrans"
    ASSERT_TRUE(comparePlugin(f.ws, f.write(QStringLiteral("Old/mod.esp"), olderPlugin())));
    EXPECT_EQ(first->gTrans, QStringLiteral("D'accord"));
    EXPECT_TRUE(first->hasParam(sStrParam::translated));
    EXPECT_TRUE(flagNames(first).isEmpty());
    // The second button takes the second older button, not the first one left over.
    EXPECT_EQ(f.entry(0x200, "ITXT", 1)->gTrans, QStringLiteral("Non"));
    EXPECT_EQ(f.entry(0x200, "ITXT", 2)->gTrans, QString::fromUtf8("Peut-être"));

    // The choice is remembered; "overwrite_All" then takes the translated one too.
    f.host.optionAnswers.enqueue(0);
    ASSERT_TRUE(comparePlugin(f.ws, f.dir.file(QStringLiteral("Old/mod.esp"))));
    EXPECT_EQ(f.host.options.last().current, 1);
    EXPECT_EQ(first->gTrans, QStringLiteral("Oui"));
    EXPECT_FALSE(first->hasParam(sStrParam::translated));
    EXPECT_EQ(vocabularyState(f.ws).overwriteChoice, 0);
}

TEST(PluginCompare, RefusedCancelledAndUnreadableOlderFilesChangeNothing) {
    TCompareFixture f;
    const QString path = f.write(QStringLiteral("Data/mod.esp"), newerPlugin());
    // Nothing open: no plugin mode, nothing asked.
    EXPECT_FALSE(comparePlugin(f.ws, path));
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    const auto translations = [&f] {
        QStringList out;
        for (auto& list : f.ws.loadedLists)
            for (auto& e : list)
                out << e->gTrans + QString::number(e->sparams.bits());
        return out;
    };
    const QStringList before = translations();

    // A localized older plugin is refused before any question.
    B localized(true);
    localized.beginGroup("WEAP").record("WEAP", 0x100, {B::u32("FULL", 5)}).endGroup();
    EXPECT_FALSE(comparePlugin(f.ws, f.write(QStringLiteral("Old/loc.esp"), localized.bytes())));
    EXPECT_TRUE(f.host.logContains(f.ws.app.uiText(QStringLiteral("Fbk_MustDeloc"))));
    EXPECT_TRUE(f.host.options.isEmpty());
    EXPECT_TRUE(f.ws.state().EspCompareFolder.isEmpty() ||
                !f.ws.state().EspCompareFolder.endsWith(QStringLiteral("Old/")));
    // Not a plugin at all, or not readable: refused the same way.
    f.host.log.clear();
    EXPECT_FALSE(comparePlugin(f.ws, f.write(QStringLiteral("Old/text.esp"), "not a plugin")));
    EXPECT_TRUE(f.host.logContains(f.ws.app.uiText(QStringLiteral("Fbk_MustDeloc"))));
    f.host.log.clear();
    EXPECT_FALSE(comparePlugin(f.ws, f.dir.file(QStringLiteral("Old"))));
    EXPECT_TRUE(f.host.logContains(f.ws.app.uiText(QStringLiteral("Fbk_MustDeloc"))));

    // Cancelled in the overwrite dialog.
    const QString older = f.write(QStringLiteral("Old/mod.esp"), olderPlugin());
    f.host.optionAnswers.enqueue(-1);
    EXPECT_FALSE(comparePlugin(f.ws, older));
    EXPECT_FALSE(compareRecordsLoaded(f.ws));

    // A good compare, then a truncated older file: its error and "Fbk_Failesp", and the older records gone.
    ASSERT_TRUE(comparePlugin(f.ws, older));
    ASSERT_TRUE(f.ws.undo());
    EXPECT_TRUE(compareRecordsLoaded(f.ws));
    QByteArray cut = olderPlugin();
    cut.chop(9);
    f.host.log.clear();
    EXPECT_FALSE(comparePlugin(f.ws, f.write(QStringLiteral("Old/cut.esp"), cut)));
    EXPECT_TRUE(f.host.logContains(f.ws.app.uiText(QStringLiteral("Fbk_Failesp"))));
    EXPECT_FALSE(compareRecordsLoaded(f.ws));
    EXPECT_EQ(translations(), before);
    EXPECT_FALSE(f.ws.hasUnsavedWork());
    EXPECT_FALSE(isCompareWarning(f.ws, *f.entry(0x200, "ITXT", 0)));

    // Closing the files ends the older records; so does opening another plugin.
    ASSERT_TRUE(comparePlugin(f.ws, older));
    EXPECT_TRUE(compareRecordsLoaded(f.ws));
    f.host.answers.enqueue(drNo);
    ASSERT_TRUE(f.ws.closeAll());
    EXPECT_FALSE(compareRecordsLoaded(f.ws));
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    ASSERT_TRUE(comparePlugin(f.ws, older));
    f.host.answers.enqueue(drNo);
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    EXPECT_FALSE(compareRecordsLoaded(f.ws));
}

TEST(PluginCompare, MenuCommandPicksInTheCompareFolderAndReportsAMissingFile) {
    TCompareFixture f;
    EXPECT_FALSE(pickAndComparePlugin(f.ws)); // no plugin open: no dialog
    ASSERT_TRUE(f.ws.openAs("plugin", f.write(QStringLiteral("Data/mod.esp"), newerPlugin()), false));
    f.ws.app.state.EspCompareFolder.clear(); // no compare yet: the dialog starts beside the open plugin
    f.host.pickAnswers.enqueue(f.dir.file(QStringLiteral("Old/missing.esp")));
    EXPECT_FALSE(pickAndComparePlugin(f.ws));
    ASSERT_EQ(f.host.pickFolders.size(), 1);
    EXPECT_EQ(QDir(f.host.pickFolders[0]), QDir(f.dir.file(QStringLiteral("Data"))));
    ASSERT_FALSE(f.host.messages.isEmpty());
    EXPECT_TRUE(f.host.messages.last().text.startsWith(f.ws.app.uiText(QStringLiteral("FileNotFound"))));
    EXPECT_TRUE(f.host.options.isEmpty());
    f.host.pickAnswers.enqueue(f.write(QStringLiteral("Old/mod.esp"), olderPlugin()));
    EXPECT_TRUE(pickAndComparePlugin(f.ws));
    EXPECT_EQ(f.entry(0x101, "FULL")->gTrans, QStringLiteral("Pistolet"));
    EXPECT_FALSE(pickAndComparePlugin(f.ws)); // cancelled file dialog
    ASSERT_EQ(f.host.pickFolders.size(), 3);
    EXPECT_EQ(QDir(f.host.pickFolders[2]), QDir(f.dir.file(QStringLiteral("Old")))); // the last compare's folder
}

TEST(PluginCompare, SavingAfterACompareChangesOnlyTheTexts) {
    TCompareFixture f;
    const QByteArray newer = newerPlugin();
    ASSERT_TRUE(f.ws.openAs("plugin", f.write(QStringLiteral("Data/mod.esp"), newer), false));
    ASSERT_TRUE(comparePlugin(f.ws, f.write(QStringLiteral("Old/mod.esp"), olderPlugin())));
    const QString target = f.dir.file(QStringLiteral("Out/mod.esp"));
    ASSERT_TRUE(f.ws.saveDocument(true, target));
    rNewerTexts fr;
    fr.pistol = "Pistolet";
    fr.gunName = "Fusil laser";
    fr.gunDesc = "Brûlant";
    fr.title = "Titre";
    fr.buttons[0] = "Oui";
    fr.buttons[1] = "Non";
    fr.buttons[2] = "Peut-être";
    fr.counts[0] = "Un";
    fr.counts[1] = "Deux";
    fr.coatName = "Manteau";
    fr.coatDesc = "Chaud";
    EXPECT_EQ(fileBytes(target), newerPlugin(fr));
    EXPECT_EQ(fileBytes(f.dir.file(QStringLiteral("Data/mod.esp"))), newer);
}

TEST(PluginCompare, RealPluginWithATranslatedCopyOfItselfPairsEveryString) {
    TCompareFixture f;
    const QString source = QStringLiteral(QUILL_SHARED_FIXTURES) + QStringLiteral("/testing-plugins/Skyrim/Blank.esm");
    const QString path = f.write(QStringLiteral("Data/Blank.esm"), fileBytes(source));
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    // The translated copy: every text replaced, saved as a plain plugin.
    int strings = 0;
    for (auto& list : f.ws.loadedLists)
        for (auto& e : list) {
            e->setSTrans(QStringLiteral("fr-%1 é").arg(e->id));
            ++strings;
        }
    ASSERT_GT(strings, 0);
    const QString copy = f.dir.file(QStringLiteral("Old/Blank.esm"));
    ASSERT_TRUE(f.ws.saveDocument(true, copy));
    f.host.answers.enqueue(drNo);
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    f.host.optionAnswers.enqueue(0);
    ASSERT_TRUE(comparePlugin(f.ws, copy));
    for (auto& list : f.ws.loadedLists)
        for (auto& e : list) {
            EXPECT_EQ(e->gTrans, QStringLiteral("fr-%1 é").arg(e->id));
            EXPECT_TRUE(e->hasParam(sStrParam::incompleteTrans));
        }
    // Every older string field was used up.
    for (const auto& r : f.ws.plugin()->tree.compareRecordList)
        for (const tField& field : r->fList)
            EXPECT_TRUE(field.params.has(sfieldParam::compared)) << r->getname().toStdString();
}
