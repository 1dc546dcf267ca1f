// The edit dialog's rules without its window: trimming, the counter, case, the tag check, the record and dialogue
// pages over a small plugin tree, the next string (record, tree, list), the vocabulary search and the store command.
#include "scripted_host.h"
#include "temp_program_dir.h"

#include "aids/QUILL_editLogic.h"
#include "core/QUILL_startup.h"
#include "plugin/QUILL_espTree.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsTagging.h"

#include <gtest/gtest.h>

using namespace editlogic;

namespace {

// A small plugin: a WEAP group with two records, and a QUST group holding a DIAL, its topic group of two INFOs, and
// a second topic group whose DIAL comes only after it.
struct TTreeFixture {
    tPluginTree tree;
    tSkyStrList entries;
    TAppContext app;

    tSkyStr* entry(const QString& source, uint32_t id) {
        entries.push_back(std::make_unique<tSkyStr>(source, source, 0, id, 0));
        return entries.back().get();
    }
    tPluginNode* group(tPluginNode* parent, uint32_t type, uint32_t ident) {
        auto g = std::make_unique<tGrup>(rGenericHeader{kSigGRUP, 0});
        g->headerData.sType = type;
        g->headerData.sIdent = ident;
        return parent->append(std::move(g));
    }
    trecord* record(tPluginNode* parent, sHeaderSig sig, uint32_t formId, std::initializer_list<tSkyStr*> strings,
                    bool raw = false) {
        auto r = std::make_unique<trecord>(rGenericHeader{sig, 0});
        r->headerData.formID = formId;
        r->rawRec = raw;
        trecord* rec = r.get();
        tPluginNode* node = parent->append(std::move(r));
        rec->espRec = node;
        int i = 0;
        for (tSkyStr* s : strings) {
            auto f = std::make_unique<tField>();
            f->header.name = i++ == 0 ? sHeaderSig('F', 'U', 'L', 'L') : sHeaderSig('D', 'E', 'S', 'C');
            f->sk = s;
            f->maxStrSize = 50;
            rec->fList.push_back(std::move(f));
            if (s) s->AssignEspdata(rec, rec->fList.back().get());
        }
        return rec;
    }
    static uint32_t label(const char* s) { return sHeaderSig(s[0], s[1], s[2], s[3]).asUint(); }

    tSkyStr *gun, *gunDesc, *sword, *raw, *dialName, *line1, *line2, *otherLine, *laterDial;
    trecord *gunRec, *info1, *dialRec, *otherInfo;

    TTreeFixture() {
        app.state.WorkMode = TWorkMode::Esp;
        gun = entry(QStringLiteral("Gun"), 1);
        gunDesc = entry(QStringLiteral("A gun"), 2);
        sword = entry(QStringLiteral("Sword"), 3);
        raw = entry(QStringLiteral("Raw"), 4);
        dialName = entry(QStringLiteral("Topic"), 5);
        line1 = entry(QStringLiteral("Hello"), 6);
        line2 = entry(QStringLiteral("Bye"), 7);
        otherLine = entry(QStringLiteral("Other"), 8);
        laterDial = entry(QStringLiteral("Later topic"), 9);
        tPluginNode* weap = group(&tree.root, 0, label("WEAP"));
        gunRec = record(weap, sHeaderSig('W', 'E', 'A', 'P'), 0x100, {gun, gunDesc});
        record(weap, sHeaderSig('W', 'E', 'A', 'P'), 0x101, {raw}, true);
        record(weap, sHeaderSig('W', 'E', 'A', 'P'), 0x102, {sword});
        tPluginNode* qust = group(&tree.root, 0, label("QUST"));
        dialRec = record(qust, sHeaderSig('D', 'I', 'A', 'L'), 0x200, {dialName});
        tPluginNode* topic = group(qust, 7, 0x200);
        info1 = record(topic, sHeaderSig('I', 'N', 'F', 'O'), 0x201, {line1});
        record(topic, sHeaderSig('I', 'N', 'F', 'O'), 0x202, {line2});
        tPluginNode* other = group(qust, 7, 0x300);
        otherInfo = record(other, sHeaderSig('I', 'N', 'F', 'O'), 0x301, {otherLine});
        record(qust, sHeaderSig('D', 'I', 'A', 'L'), 0x300, {laterDial});
        app.texts.set(QStringLiteral("Edit_RecordHeader"), QStringLiteral("Record: %.4s - %s[%.8x] - Field: %.4s %s"));
        app.texts.set(QStringLiteral("Edit_DialHeader"), QStringLiteral("DIAL: %s[%.8x]"));
        app.texts.set(QStringLiteral("Edit_DialHeaderId"), QStringLiteral("DIAL: [%.8x]"));
    }
};

} // namespace

TEST(EditLogic, TrimCounterAndCase) {
    EXPECT_EQ(trimForStore(QStringLiteral("\t  Hello world \r\n"), QStringLiteral("Hi")),
              QStringLiteral("Hello world"));
    // An ideographic space is only cut at the end, after the blanks before it.
    EXPECT_EQ(trimForStore(QStringLiteral("\u3000Text  \u3000 "), {}), QStringLiteral("\u3000Text"));
    EXPECT_EQ(trimForStore(QStringLiteral(" \u3000 "), {}), QString());
    // An end where the source has blanks keeps the translation's: scripts join their texts.
    EXPECT_EQ(trimForStore(QStringLiteral("  Bonjour, voyageur  "), QStringLiteral(" Hello, traveller ")),
              QStringLiteral("  Bonjour, voyageur  "));
    EXPECT_EQ(trimForStore(QStringLiteral(" et plus \r\n"), QStringLiteral("and more ")),
              QStringLiteral("et plus \r\n"));

    rLengthInfo info = lengthInfo(QString(51, QLatin1Char('x')), 50, true);
    EXPECT_TRUE(info.tooLong);
    EXPECT_EQ(info.counterText(), QStringLiteral("51/50 "));
    EXPECT_FALSE(lengthInfo(QString(50, QLatin1Char('x')), 50, true).tooLong);
    EXPECT_FALSE(lengthInfo(QString(500, QLatin1Char('x')), 0, true).tooLong); // no known size
    info = lengthInfo(QStringLiteral("one\ntwo"), 0, false);
    EXPECT_TRUE(info.lineBreakError);
    EXPECT_EQ(info.counterText(), QStringLiteral("7/0 [!]"));
    EXPECT_FALSE(lengthInfo(QStringLiteral("one\ntwo"), 0, true).lineBreakError);

    EXPECT_EQ(changeCase(QStringLiteral("the DOG's bone-yard 2nd"), TCaseChange::title),
              QStringLiteral("The Dog's Bone-Yard 2nd"));
    EXPECT_EQ(changeCase(QStringLiteral("éa"), TCaseChange::upper), QStringLiteral("ÉA"));
}

TEST(EditLogic, StoreDecision) {
    tSkyStr e(QStringLiteral("Gun"), QStringLiteral("Fusil"), 0, 1, 0);
    const sStrParams validated{sStrParam::validated};
    EXPECT_TRUE(needsStore(e, QStringLiteral("Pistolet"), false, validated));
    EXPECT_FALSE(needsStore(e, QStringLiteral("Fusil"), false, validated)); // unchanged without force
    EXPECT_TRUE(needsStore(e, QStringLiteral("Fusil"), true, validated));   // validate as it is
    e.sparams.set(sStrParam::validated);
    EXPECT_FALSE(needsStore(e, QStringLiteral("Fusil"), true, validated)); // already holds the status
    e.sparams = {sStrParam::translated};
    EXPECT_FALSE(needsStore(e, QStringLiteral("Fusil"), true, validated));
}

TEST(EditLogic, TagCheckColours) {
    // Swapped tags: each side light blue, nothing missing.
    rAliasCheck check =
        checkAliases(QStringLiteral("<Alias=A> meets <Alias=B>"), QStringLiteral("<Alias=B> rencontre <Alias=A>"));
    ASSERT_EQ(check.rows.size(), 2u);
    for (const TAliasData& row : check.rows) {
        EXPECT_EQ(row.cSource, 1);
        EXPECT_EQ(row.cDest, 1);
    }
    // A tag dropped and another invented: the source cell red, the translation cell salmon.
    check = checkAliases(QStringLiteral("Hi <Alias=A>"), QStringLiteral("Salut <Alias=C>"));
    ASSERT_EQ(check.rows.size(), 1u);
    EXPECT_TRUE(check.tagsDiffer);
    EXPECT_EQ(check.rows[0].cSource, 2);
    EXPECT_EQ(check.rows[0].cDest, 3);
    EXPECT_EQ(aliasColour(check.rows[0].cDest), 0xFFAAAAu);
    // A missing tag at the end: an empty translation cell stays white.
    check = checkAliases(QStringLiteral("<Alias=A> and <Alias=B>"), QStringLiteral("<Alias=A> seul"));
    ASSERT_EQ(check.rows.size(), 2u);
    EXPECT_EQ(check.rows[0].cSource, 0);
    EXPECT_EQ(check.rows[1].cSource, 2);
    EXPECT_EQ(check.rows[1].cDest, 1);
    EXPECT_FALSE(checkAliases(QStringLiteral("<Alias=A>"), QStringLiteral("<Alias=A>")).tagsDiffer);
}

TEST(EditLogic, RecordAndDialoguePages) {
    TTreeFixture f;
    const TPluginLayout plain = TPluginLayout::plain;
    rRecordPage page = recordPage(f.app, *f.gunDesc, plain);
    EXPECT_TRUE(page.linked);
    EXPECT_EQ(page.maxLength, 50);
    EXPECT_EQ(page.header, QStringLiteral("Record: WEAP - [00000100] - Field: DESC "));
    EXPECT_EQ(page.rows, (QList<tSkyStr*>{f.gun, f.gunDesc}));
    EXPECT_EQ(page.focusedRow, 1);
    EXPECT_EQ(recordRowId(*f.gun, plain), QStringLiteral("FULL"));
    EXPECT_EQ(recordRowId(*f.gun, TPluginLayout::none), QStringLiteral("00001"));

    // A shared string id: one row in a localized plugin, two in a plain one.
    f.gunRec->fList[1]->sk = f.gun;
    EXPECT_EQ(recordPage(f.app, *f.gun, TPluginLayout::localized).rows.size(), 1);
    EXPECT_EQ(recordPage(f.app, *f.gun, plain).rows.size(), 2);

    tSkyStr orphan(QStringLiteral("x"), QStringLiteral("x"), 0, 9, 0);
    EXPECT_FALSE(recordPage(f.app, orphan, plain).linked);
    EXPECT_FALSE(recordPage(f.app, *f.gun, TPluginLayout::none).linked);

    // An INFO: the topic's DIAL first, then every INFO of the topic group.
    rDialoguePage dial = dialoguePage(f.app, f.tree, *f.info1, f.line1, plain);
    EXPECT_TRUE(dial.marked);
    EXPECT_EQ(dial.rows, (QList<tSkyStr*>{f.dialName, f.line1, f.line2}));
    EXPECT_EQ(dial.focusedRow, 1);
    EXPECT_EQ(dial.header, QStringLiteral("DIAL: [00000200]"));
    // The DIAL itself finds its topic group below QUST.
    dial = dialoguePage(f.app, f.tree, *f.dialRec, f.dialName, plain);
    EXPECT_EQ(dial.rows, (QList<tSkyStr*>{f.dialName, f.line1, f.line2}));
    // A topic's record follows its responses only in a damaged file: the page, as the id tags, names no topic then,
    // and shows the responses under the group's label.
    dial = dialoguePage(f.app, f.tree, *f.otherInfo, f.otherLine, plain);
    EXPECT_EQ(dial.rows, (QList<tSkyStr*>{f.otherLine}));
    EXPECT_EQ(dial.header, QStringLiteral("DIAL: [00000300]"));
    // Not dialogue: empty and neutral.
    dial = dialoguePage(f.app, f.tree, *f.gunRec, f.gun, plain);
    EXPECT_FALSE(dial.marked);
    EXPECT_TRUE(dial.rows.isEmpty());
    // Without a QUST group: empty and neutral.
    f.tree.root.children.pop_back();
    tPluginNode* loose = f.group(&f.tree.root, 0, TTreeFixture::label("DIAL"));
    trecord* info = f.record(f.group(loose, 7, 0x500), sHeaderSig('I', 'N', 'F', 'O'), 0x501, {});
    EXPECT_FALSE(dialoguePage(f.app, f.tree, *info, nullptr, plain).marked);
}

// The dialogue page and the id tags name the same topic for every INFO: a DIAL kept before the quest group is the
// topic for both, a DIAL standing after its responses for neither.
TEST(EditLogic, TheDialoguePageAndTheIdTagsNameTheSameTopic) {
    TTreeFixture f;
    f.tree.root.children.clear();
    const sHeaderSig dialSig('D', 'I', 'A', 'L'), infoSig('I', 'N', 'F', 'O');
    tSkyStr* early = f.entry(QStringLiteral("Early topic"), 20);
    tSkyStr* reply = f.entry(QStringLiteral("Reply"), 21);
    tSkyStr* lateReply = f.entry(QStringLiteral("Late reply"), 22);
    f.record(f.group(&f.tree.root, 0, TTreeFixture::label("DIAL")), dialSig, 0x400, {early});
    tPluginNode* qust = f.group(&f.tree.root, 0, TTreeFixture::label("QUST"));
    const trecord* info = f.record(f.group(qust, 7, 0x400), infoSig, 0x401, {reply});
    const trecord* lateInfo = f.record(f.group(qust, 7, 0x500), infoSig, 0x501, {lateReply});
    f.record(qust, dialSig, 0x500, {f.entry(QStringLiteral("Late topic"), 23)});

    const tDialogueTopics topics = dialogueTopics(f.tree);
    EXPECT_EQ(topics.value(info), 0x400u);
    EXPECT_EQ(dialoguePage(f.app, f.tree, *info, reply, TPluginLayout::plain).rows, (QList<tSkyStr*>{early, reply}));
    EXPECT_FALSE(topics.contains(lateInfo));
    EXPECT_EQ(dialoguePage(f.app, f.tree, *lateInfo, lateReply, TPluginLayout::plain).rows, QList<tSkyStr*>{lateReply});
}

TEST(EditLogic, TreeWalkSkipsRawHiddenAndFocused) {
    TTreeFixture f;
    auto all = [](const tSkyStr&) { return true; };
    // From the gun record forward: the raw record is passed over.
    rTreeStep step = nextTreeString(f.tree, nullptr, f.gun, true, all);
    EXPECT_EQ(step.entry, f.sword);
    EXPECT_EQ(step.node, f.sword->esp.rec->espRec);
    // A filtered-out string is passed over too.
    step = nextTreeString(f.tree, step.node, f.sword, true, [&](const tSkyStr& e) { return &e != f.dialName; });
    EXPECT_EQ(step.entry, f.line1);
    // Backward from the first record wraps to the last.
    step = nextTreeString(f.tree, f.gunRec->espRec, f.gun, false, all);
    EXPECT_EQ(step.entry, f.laterDial);
    // Forward from the last wraps to the first; the focused string is never the answer.
    step = nextTreeString(f.tree, step.node, f.laterDial, true, all);
    EXPECT_EQ(step.entry, f.gun);
    // Nothing visible: the walk comes back to its start and gives up.
    step = nextTreeString(f.tree, f.gunRec->espRec, f.gun, true, [](const tSkyStr&) { return false; });
    EXPECT_EQ(step.entry, nullptr);
    tPluginTree empty;
    EXPECT_EQ(nextNode(empty, nullptr), nullptr);
}

// Moving on: the record's next row first, past its ends the tree; in a list, the view's next row, wrapping.
TEST(EditLogic, NextStringInTheRecordTheTreeAndTheList) {
    TTreeFixture f;
    auto all = [](const tSkyStr&) { return true; };
    const QList<tSkyStr*> rows{f.gun, f.gunDesc};
    tPluginNode* node = f.gunRec->espRec;
    rTreeStep step = nextPluginString(f.tree, rows, node, f.gun, true, all);
    EXPECT_EQ(step.entry, f.gunDesc);
    EXPECT_EQ(step.node, node); // a row of the record keeps the walk's node
    EXPECT_EQ(nextPluginString(f.tree, rows, nullptr, f.gunDesc, true, all).entry, f.sword);
    EXPECT_EQ(nextPluginString(f.tree, rows, nullptr, f.gun, false, all).entry, f.laterDial);

    const std::vector<tSkyStr*> list{f.gun, f.sword, f.raw};
    auto at = [&list](int row) -> const tSkyStr* { return list[row]; };
    EXPECT_EQ(nextListRow(3, 1, at, f.sword, true), 2);
    EXPECT_EQ(nextListRow(3, 0, at, f.sword, true), 2); // the current row holds another string: looked up
    EXPECT_EQ(nextListRow(3, 2, at, f.raw, true), 0);
    EXPECT_EQ(nextListRow(3, -1, at, f.gun, false), 2);
    EXPECT_EQ(nextListRow(3, 0, at, f.line1, true), -1); // not listed
    EXPECT_EQ(nextListRow(1, 0, at, f.gun, true), -1);   // no other row
}

TEST(EditLogic, VocabularySearchAndDiffRuns) {
    tListSet vocab;
    vocab[0].push_back(
        std::make_unique<tSkyStr>(QStringLiteral("Laser Rifle"), QStringLiteral("Fusil laser"), 0, 1, 0));
    vocab[1].push_back(
        std::make_unique<tSkyStr>(QStringLiteral("A rifle for you"), QStringLiteral("Une arme"), 1, 2, 0));
    vocab[0].push_back(std::make_unique<tSkyStr>(QStringLiteral("Pistol"), QStringLiteral("Pistolet"), 0, 3, 0));
    EXPECT_EQ(searchVocabulary(vocab, 0, QStringLiteral("RIFLE"), false).size(), 1);
    EXPECT_EQ(searchVocabulary(vocab, -1, QStringLiteral("rifle"), false).size(), 2);
    EXPECT_EQ(searchVocabulary(vocab, -1, QStringLiteral("fusil"), true).size(), 1);
    EXPECT_TRUE(searchVocabulary(vocab, -1, QStringLiteral("ri"), false).isEmpty()); // two characters: no search

    const rDiffView view = diffView(QStringLiteral("the cat sat"), QStringLiteral("the dog sat!"));
    QString merged, kinds;
    for (const rDiffRun& run : view.runs) {
        merged += run.text;
        kinds += QString::number(static_cast<int>(run.kind));
    }
    EXPECT_EQ(merged, QStringLiteral("the dog sat!"));
    EXPECT_EQ(kinds, QStringLiteral("0301"));
    EXPECT_EQ(view.stats.modifies, 3);
    // A deleted character shows from the first text.
    const rDiffView deleted = diffView(QStringLiteral("abcd"), QStringLiteral("ad"));
    ASSERT_EQ(deleted.runs.size(), 3u);
    EXPECT_EQ(deleted.runs[1].text, QStringLiteral("bc"));
    EXPECT_EQ(deleted.runs[1].kind, TChangeKind::ckDelete);
}

TEST(EditLogic, StoreTranslationIsOneUndoStepWithTheStringsThatFollow) {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws(&host);
    startApplication(ws.app, dir.path());
    for (uint32_t id = 1; id <= 3; ++id) {
        const QString source = id == 3 ? QStringLiteral("Other") : QStringLiteral("Gun <Alias=A>");
        ws.loadedLists[0].push_back(std::make_unique<tSkyStr>(
            source, source, 0, id, 0, sStrParams{sStrParam::incompleteTrans}, sStrInternalParams{}, nullptr, true));
    }
    tSkyStr* e = ws.loadedLists[0][0].get();
    tSkyStr* twin = ws.loadedLists[0][1].get();
    EXPECT_FALSE(ws.hasUnsavedWork());
    rStoreRequest request;
    request.translation = QStringLiteral("  Fusil <Alias=B>\r\n");
    EXPECT_TRUE(ws.storeTranslation(e, request));
    EXPECT_EQ(e->gTrans, QStringLiteral("Fusil <Alias=B>")); // trimmed: the source has no blanks at its ends
    EXPECT_TRUE(e->hasParam(sStrParam::validated));
    EXPECT_FALSE(e->hasParam(sStrParam::incompleteTrans));
    EXPECT_TRUE(e->hasFlag(sStrInternalParam::aliasError)); // the full setter checks the tags
    EXPECT_EQ(twin->gTrans, e->gTrans);                     // the similar string followed (the host said Yes)
    EXPECT_TRUE(ws.hasUnsavedWork());
    // One step, holding only the two entries it changed.
    ASSERT_EQ(ws.history.stepCount(), 1u);
    EXPECT_TRUE(ws.undo());
    EXPECT_EQ(e->gTrans, QStringLiteral("Gun <Alias=A>"));
    EXPECT_EQ(twin->gTrans, QStringLiteral("Gun <Alias=A>"));
    EXPECT_TRUE(e->hasParam(sStrParam::incompleteTrans));
    EXPECT_FALSE(ws.hasUnsavedWork());
    EXPECT_TRUE(ws.redo());
    EXPECT_EQ(e->gTrans, QStringLiteral("Fusil <Alias=B>"));
    EXPECT_EQ(twin->gTrans, QStringLiteral("Fusil <Alias=B>"));

    // A custom dictionary's source change stays unsaved even back at the saved point.
    ws.markWorkSaved();
    const QString newSource = QStringLiteral("Rifle");
    request = {};
    request.translation = QStringLiteral("Fusil");
    request.source = &newSource;
    request.statusOut = {};
    request.carrySimilar = false;
    EXPECT_TRUE(ws.storeTranslation(e, request));
    EXPECT_EQ(e->gS, newSource);
    ws.undo();
    EXPECT_TRUE(ws.hasUnsavedWork());
}
