// The old dialogue style over a master-sized quest group (100,000 INFO records by default, as in Fallout4.esm): the
// whole run as the menu runs it (one form-id index made at the first shared response), against the baseline of a walk
// of the quest group per shared response, the plain reading of the lookup. Rounds alternate the two; medians printed.
// Usage: bench_dialogue [--infos=N] [--shared-every=K] [--rounds=R]
#include "aids/QUILL_dialogueTools.h"
#include "bench_support.h"
#include "core/QUILL_startup.h"
#include "plugin/QUILL_espTree.h"
#include "support/plugin_builder.h"
#include "support/temp_program_dir.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDialogue.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QCoreApplication>
#include <cstring>

namespace {

const sHeaderSig kSigNAM1{'N', 'A', 'M', '1'};

// The baseline lookup: the first INFO with that form id, found by walking the group from its start.
std::optional<QString> walkForSharedResponse(const tPluginNode& quests, uint32_t formId) {
    std::optional<QString> found;
    bool done = false;
    quests.forEachBelow([&](const tPluginNode& node) {
        const trecord* r = node.record();
        if (done || !r || r->header.name != kSigINFO || r->headerData.formID != formId) return;
        done = true;
        for (const tField& f : r->fList)
            if (f.header.name == kSigNAM1 && f.sk) {
                found = f.sk->gS;
                break;
            }
    });
    return found;
}

// Topics of 20 responses each; every `sharedEvery`th INFO shares the response of an INFO met earlier.
QByteArray buildPlugin(int infos, int sharedEvery, std::vector<uint32_t>& sharedIds) {
    TPluginBuilder b;
    b.beginGroup("QUST");
    b.record("QUST", 0x100, {TPluginBuilder::text("EDID", "BenchQuest")});
    b.beginGroup(0x100, 10);
    uint32_t formId = 0x1000;
    for (int i = 0; i < infos; ++i) {
        if (i % 20 == 0) {
            if (i) b.endGroup();
            b.record("DIAL", 0x800000u + static_cast<uint32_t>(i), {TPluginBuilder::text("EDID", "Topic")});
            b.beginGroup(0x800000u + static_cast<uint32_t>(i), 7);
        }
        const uint32_t id = formId++;
        if (i > 0 && i % sharedEvery == 0) {
            uint32_t earlier = (static_cast<uint32_t>(i) * 2654435761u) % static_cast<uint32_t>(i);
            if (earlier % static_cast<uint32_t>(sharedEvery) == 0 && earlier > 0) --earlier;
            const uint32_t target = 0x1000 + earlier;
            sharedIds.push_back(target);
            b.record("INFO", id, {TPluginBuilder::u32("DNAM", target), TPluginBuilder::text("RNAM", "Same")});
        } else {
            b.record("INFO", id,
                     {TPluginBuilder::text("NAM1", QStringLiteral("Response number %1 of the bench").arg(i)),
                      TPluginBuilder::text("RNAM", QStringLiteral("Prompt %1").arg(i % 97))});
        }
    }
    return b.bytes();
}

} // namespace

int main(int argc, char** argv) {
    int infos = 100000, sharedEvery = 50, rounds = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--infos=", 8) == 0) infos = std::atoi(argv[i] + 8);
        if (std::strncmp(argv[i], "--shared-every=", 15) == 0) sharedEvery = std::max(1, std::atoi(argv[i] + 15));
        if (std::strncmp(argv[i], "--rounds=", 9) == 0) rounds = std::atoi(argv[i] + 9);
    }
    QCoreApplication application(argc, argv);
    TTempProgramDir dir(false);
    TWorkspace ws;
    startApplication(ws.app, dir.path());
    ws.app.state.DestLang = ws.app.state.SourceLang;
    std::vector<uint32_t> sharedIds;
    const QString path = dir.write(QStringLiteral("bench.esp"), buildPlugin(infos, sharedEvery, sharedIds));
    if (!ws.openAs("plugin", path, false)) return 1;
    const tPluginNode* quests = findQuestGroup(ws.plugin()->tree);
    std::printf("%d INFO records, %zu shared responses, %d rounds\n", infos, sharedIds.size(), rounds);

    auto& t = quillbench::timings();
    int converted = 0;
    size_t found = 0;
    for (int round = 0; round < rounds; ++round) {
        t.record("indexed run", quillbench::timed([&] { converted = runOldDialogStyle(ws, rOldDialogOptions()); }));
        t.record("walk lookups", quillbench::timed([&] {
                     found = 0;
                     for (uint32_t id : sharedIds)
                         found += walkForSharedResponse(*quests, id).has_value();
                 }));
        ws.undo();
    }
    std::printf("converted %d, shared responses found by the walk %zu\n", converted, found);
    const double run = t.median("indexed run"), walks = t.median("walk lookups");
    std::printf("median indexed run %.3f s; median of the walks alone %.3f s; a run with a walk per lookup would take "
                "about %.3f s, %.1f times the indexed run\n",
                run, walks, run + walks, run > 0 ? (run + walks) / run : 0.0);
    return 0;
}
