// The tagging commands: id tag formats per work mode, the dialogue topic rule on a built plugin, the entries the
// filter and the source rule leave alone, one undo step each, and marking strings by source and translation.
#include "plugin/plugin_test_support.h"
#include "scripted_host.h"
#include "temp_program_dir.h"
#include "test_documents.h"

#include "core/QUILL_startup.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"
#include "workspace/QUILL_wsTagging.h"

#include <gtest/gtest.h>

namespace {

using B = TPluginBuilder;

// A host whose option dialog checks the boxes the test names (the scripted host answers the radio item).
struct TCheckingHost : TScriptedHost {
    QList<bool> checks;
    int chooseOption(rOptionRequest& request) override {
        const int answer = TScriptedHost::chooseOption(request); // records the request as asked
        request.checks = checks;
        return answer;
    }
};

struct TTaggingFixture {
    TTempProgramDir dir;
    TCheckingHost host;
    TWorkspace ws{&host};

    TTaggingFixture() {
        startApplication(ws.app, dir.path());
        ws.app.state.SourceLang = QStringLiteral("en");
        ws.app.state.DestLang = QStringLiteral("fr");
        ws.app.state.quillexpertMode = true;
    }
    tSkyStr* add(int list, uint32_t id, const QString& source, const QString& translation, sStrParams status = {}) {
        ws.loadedLists[list].push_back(
            std::make_unique<tSkyStr>(source, translation, list, id, 99, status, sStrInternalParams{}, nullptr, true));
        return ws.loadedLists[list].back().get();
    }
    // The id tags command with radio item `filter` and the four boxes as given.
    int idTags(int filter, QList<bool> boxes) {
        host.optionAnswers.enqueue(filter);
        host.checks = std::move(boxes);
        return addIdTags(ws);
    }
    // The translation of the entry linked to record `formId`, field `field`.
    QString translationOf(uint32_t formId, const char* field) const {
        for (const auto& list : ws.loadedLists)
            for (const auto& e : list)
                if (e->isEspAssigned() && e->esp.formID == formId && e->esp.fName.toString() == QLatin1String(field))
                    return e->gTrans;
        return QStringLiteral("<none>");
    }
};

// Quest dialogue (topic children inside quest children), a top-level DIAL group with a topic whose DIAL stands after
// its group, a top-level group of INFO records, and a weapon.
QByteArray dialoguePlugin() {
    B b;
    b.beginGroup("QUST");
    b.record("QUST", 0x10, {B::text("EDID", "MyQuest"), B::text("FULL", "The quest")});
    b.beginGroup(0x10, 10);
    b.record("DIAL", 0x20, {B::text("EDID", "TopicA"), B::text("FULL", "Topic A")});
    b.beginGroup(0x20, 7).record("INFO", 0x21, {B::text("NAM1", "Hello there")}).endGroup();
    b.beginGroup(0x30, 7).record("INFO", 0x31, {B::text("NAM1", "No topic before")}).endGroup();
    b.endGroup();
    b.endGroup();
    b.beginGroup("DIAL");
    b.beginGroup(0x50, 7).record("INFO", 0x51, {B::text("NAM1", "Topic comes later")}).endGroup();
    b.record("DIAL", 0x50, {B::text("EDID", "TopicLate"), B::text("FULL", "Late topic")});
    // A DIAL whose form id is the label of the top-level INFO group below: a top-level group never counts.
    b.record("DIAL", 0x4F464E49, {B::text("EDID", "TopicInfo"), B::text("FULL", "Named like a group")});
    b.record("DIAL", 0x60, {B::text("EDID", "TopicSix"), B::text("FULL", "Topic six")});
    b.beginGroup(0x60, 7).record("INFO", 0x61, {B::text("NAM1", "Six")}).endGroup();
    b.endGroup();
    b.beginGroup("INFO").record("INFO", 0x70, {B::text("NAM1", "Top level")}).endGroup();
    b.beginGroup("WEAP").record("WEAP", 0x80, {B::text("EDID", "Gun"), B::text("FULL", "Laser")}).endGroup();
    return b.bytes();
}

} // namespace

TEST(IdTags, OptionsEnabledByDocument) {
    using A = std::array<bool, 4>;
    TWorkspace ws;
    const auto enabled = [&ws](TWorkMode mode) {
        adoptDocument(ws, mode);
        return idTagOptionsEnabled(ws);
    };
    EXPECT_EQ(enabled(TWorkMode::Strings), (A{true, false, false, false}));
    EXPECT_EQ(enabled(TWorkMode::Esp), (A{false, true, true, true}));
    EXPECT_EQ(enabled(TWorkMode::StringsEspLayout), (A{true, true, true, true}));
    for (TWorkMode m : {TWorkMode::None, TWorkMode::sstEditCustom, TWorkMode::MCMTranslate, TWorkMode::ScriptPex})
        EXPECT_EQ(enabled(m), (A{false, false, false, false}));
}

TEST(IdTags, FormatsOfLinkedAndUnlinkedEntriesAndTheEntriesLeftAlone) {
    TTaggingFixture f;
    adoptDocument(f.ws, TWorkMode::StringsEspLayout);
    trecord record(rGenericHeader{sHeaderSig('B', 'O', 'O', 'K'), 0});
    tField field;
    field.header.name = sHeaderSig('D', 'E', 'S', 'C');
    tSkyStr* linked = f.add(1, 0x12, QStringLiteral("Source"), QStringLiteral("T"));
    linked->esp = rEspPointer{&record, &field, 0x123, field.header.name};
    tSkyStr* wide = f.add(0, 0xabcdef12, QStringLiteral("Wide id"), QStringLiteral("W"));
    tSkyStr* blank = f.add(0, 0x5, QStringLiteral(" "), QStringLiteral("kept"));
    tSkyStr* empty = f.add(0, 0x6, QString(), QStringLiteral("kept too"));
    tSkyStr* script = f.add(2, 0x7, QStringLiteral("Func"), QStringLiteral("Func"));
    script->sInternalparams.set(sStrInternalParam::pexNoTrans);

    EXPECT_EQ(f.idTags(0, {true, true, false, false}), 2);
    EXPECT_EQ(linked->gTrans, QStringLiteral("[00012][00000123] T"));
    // An id wider than five digits keeps every digit; an unlinked entry has form id 0.
    EXPECT_EQ(wide->gTrans, QStringLiteral("[abcdef12][00000000] W"));
    EXPECT_EQ(blank->gTrans, QStringLiteral("kept"));
    EXPECT_EQ(empty->gTrans, QStringLiteral("kept too"));
    EXPECT_EQ(script->gTrans, QStringLiteral("Func"));
    // The dialog was asked with radio item 1 preselected and every box unchecked.
    ASSERT_EQ(f.host.options.size(), 1);
    EXPECT_EQ(f.host.options[0].dialog, QStringLiteral("TForm8"));
    EXPECT_EQ(f.host.options[0].current, 1);
    EXPECT_EQ(f.host.options[0].checks, (QList<bool>{false, false, false, false}));
    EXPECT_TRUE(f.host.logContains(f.ws.app.uiText(QStringLiteral("AddIdToString"))));

    // Record and field only, run again: tags pile up, an unlinked entry gets the blank alone.
    EXPECT_EQ(f.idTags(0, {false, false, true, false}), 2);
    EXPECT_EQ(linked->gTrans, QStringLiteral("[BOOK:DESC] [00012][00000123] T"));
    EXPECT_EQ(wide->gTrans, QStringLiteral(" [abcdef12][00000000] W"));
    EXPECT_EQ(f.host.options[1].current, 1); // item 1 again at the next opening

    // Cancel, or Ok with no box: nothing, no step.
    const size_t steps = f.ws.history.stepCount();
    EXPECT_EQ(f.idTags(-1, {true, true, true, true}), -1);
    EXPECT_EQ(f.idTags(0, {false, false, false, false}), -1);
    EXPECT_EQ(f.ws.history.stepCount(), steps);
    EXPECT_EQ(linked->gTrans, QStringLiteral("[BOOK:DESC] [00012][00000123] T"));
}

TEST(IdTags, FilterKeepsTranslatedValidatedAndUnselectedEntriesAndStatusesStay) {
    TTaggingFixture f;
    adoptDocument(f.ws, TWorkMode::Strings);
    tSkyStr* plain = f.add(0, 1, QStringLiteral("A"), QStringLiteral("a"));
    tSkyStr* translated = f.add(0, 2, QStringLiteral("B"), QStringLiteral("b"), {sStrParam::translated});
    tSkyStr* validated = f.add(0, 3, QStringLiteral("C"), QStringLiteral("c"), {sStrParam::validated});
    tSkyStr* partial = f.add(1, 4, QStringLiteral("D"), QStringLiteral("d"), {sStrParam::incompleteTrans});

    // Item 1: neither translated nor validated. A plugin box in a string table mode is dropped.
    EXPECT_EQ(f.idTags(1, {true, true, true, true}), 2);
    EXPECT_EQ(plain->gTrans, QStringLiteral("[00001] a"));
    EXPECT_EQ(translated->gTrans, QStringLiteral("b"));
    EXPECT_EQ(validated->gTrans, QStringLiteral("c"));
    EXPECT_EQ(partial->gTrans, QStringLiteral("[00004] d"));
    EXPECT_EQ(partial->sparams, sStrParams{sStrParam::incompleteTrans});
    EXPECT_TRUE(plain->sparams.empty());

    // Item 2: the selected rows; without a selection (the command line) nothing.
    EXPECT_EQ(f.idTags(2, {true, false, false, false}), 0);
    f.ws.setSelection({validated});
    EXPECT_EQ(f.idTags(2, {true, false, false, false}), 1);
    EXPECT_EQ(validated->gTrans, QStringLiteral("[00003] c"));
    EXPECT_EQ(validated->sparams, sStrParams{sStrParam::validated});

    // A work mode enabling only plugin boxes, with only the string id checked: nothing to do.
    adoptDocument(f.ws, TWorkMode::Esp);
    EXPECT_EQ(f.idTags(0, {true, false, false, false}), -1);
}

TEST(IdTags, DialogueTopicsOnAPluginAreOneUndoStep) {
    TTaggingFixture f;
    const QString path = f.dir.write(QStringLiteral("Data/dialogue.esp"), dialoguePlugin());
    ASSERT_TRUE(f.ws.openAs("plugin", path, false));
    ASSERT_EQ(f.ws.state().WorkMode, TWorkMode::Esp);
    f.ws.history.clear();
    for (const auto& list : f.ws.loadedLists)
        for (const auto& e : list)
            e->setSTrans(e->gS); // as a fresh plugin shows them
    EXPECT_EQ(f.idTags(0, {false, false, false, true}), 11);
    EXPECT_EQ(f.translationOf(0x21, "NAM1"), QStringLiteral("[@00000020] Hello there"));
    EXPECT_EQ(f.translationOf(0x61, "NAM1"), QStringLiteral("[@00000060] Six"));
    // No DIAL with the group's label before it, a DIAL only after it, a top-level group: no tag.
    EXPECT_EQ(f.translationOf(0x31, "NAM1"), QStringLiteral(" No topic before"));
    EXPECT_EQ(f.translationOf(0x51, "NAM1"), QStringLiteral(" Topic comes later"));
    EXPECT_EQ(f.translationOf(0x70, "NAM1"), QStringLiteral(" Top level"));
    // A weapon's name: the blank only.
    EXPECT_EQ(f.translationOf(0x80, "FULL"), QStringLiteral(" Laser"));
    EXPECT_EQ(f.translationOf(0x20, "FULL"), QStringLiteral(" Topic A"));
    EXPECT_TRUE(f.ws.hasUnsavedWork());
    ASSERT_EQ(f.ws.history.stepCount(), 1u);
    EXPECT_EQ(f.ws.history.undoName(), f.ws.app.uiTextFormat(QStringLiteral("Step_AddIdTags"), {11}));

    // The four tags in their order on one INFO.
    EXPECT_EQ(f.idTags(0, {true, true, true, true}), 11);
    EXPECT_EQ(f.translationOf(0x21, "NAM1"),
              QStringLiteral("[00000021][INFO:NAM1][@00000020] [@00000020] Hello there"));
    ASSERT_TRUE(f.ws.undo());
    ASSERT_TRUE(f.ws.undo());
    EXPECT_EQ(f.translationOf(0x21, "NAM1"), QStringLiteral("Hello there"));
    EXPECT_EQ(f.translationOf(0x80, "FULL"), QStringLiteral("Laser"));
}

TEST(TagStrings, SameAndDiffMarkPartialAsOneStep) {
    TTaggingFixture f;
    adoptDocument(f.ws, TWorkMode::Strings);
    tSkyStr* same = f.add(0, 1, QStringLiteral("Door"), QStringLiteral("Door"), {sStrParam::validated});
    tSkyStr* differs = f.add(1, 2, QStringLiteral("Key"), QStringLiteral("Clé"), {sStrParam::validated});
    tSkyStr* caseOnly = f.add(2, 3, QStringLiteral("Lock"), QStringLiteral("lock"));

    EXPECT_EQ(tagStrings(f.ws, true), 1);
    EXPECT_EQ(same->sparams, sStrParams{sStrParam::incompleteTrans});
    EXPECT_EQ(differs->sparams, sStrParams{sStrParam::validated});
    EXPECT_TRUE(caseOnly->sparams.empty());
    EXPECT_TRUE(f.host.logContains(f.ws.app.uiText(QStringLiteral("ComparingStrings"))));
    EXPECT_EQ(f.ws.history.stepCount(), 1u);

    EXPECT_EQ(tagStrings(f.ws, false), 2);
    EXPECT_EQ(differs->sparams, sStrParams{sStrParam::incompleteTrans});
    EXPECT_EQ(caseOnly->sparams, sStrParams{sStrParam::incompleteTrans});
    // Already partial and not validated: the same mark again changes nothing and records nothing.
    EXPECT_EQ(tagStrings(f.ws, false), 0);
    EXPECT_EQ(f.ws.history.stepCount(), 2u);
    ASSERT_TRUE(f.ws.undo());
    EXPECT_EQ(differs->sparams, sStrParams{sStrParam::validated});
    EXPECT_EQ(same->gTrans, QStringLiteral("Door"));
}
