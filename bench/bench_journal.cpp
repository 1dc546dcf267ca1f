// The recovery journal on 500,000 strings: what "validate all" adds on the window's thread (identities and states
// captured, the step queued), what the writer thread then spends (encoding, writing, flushing to the disk), and a
// restore (reading the journal and replaying it as one step). The command itself is the baseline of the same run.
#include "bench_support.h"
#include "scripted_host.h"

#include "workspace/QUILL_journal.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsStrings.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kEntries = 500000;
using quillbench::now;

// Processor seconds of the whole process: on a machine shared with other work the wall clock mostly measures the
// waiting. While the writer works the window's thread only waits, and the other way round, so each phase's figure is
// that thread's.
double cpuNow() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

struct TBenchWork {
    QTemporaryDir dir;
    TScriptedHost host;
    TWorkspace ws{&host};

    TBenchWork() {
        ws.app.state.userDictionaryFolder = dir.path() + QStringLiteral("/UserDictionary/");
        ws.app.state.WorkMode = TWorkMode::Strings;
        ws.app.state.SourceLang = QStringLiteral("en");
        ws.app.state.DestLang = QStringLiteral("fr");
        ws.document = std::make_unique<TTableSetDocument>();
        ws.document->path = dir.path() + QStringLiteral("/Bench_en.STRINGS");
        for (int list = 0; list < 3; ++list)
            ws.loadedLists[list].reserve(kEntries / 3 + 1);
        for (int i = 0; i < kEntries; ++i) {
            const int list = i % 3;
            ws.loadedLists[list].push_back(std::make_unique<tSkyStr>(
                QStringLiteral("Source text number %1").arg(i), QStringLiteral("Texte traduit numéro %1").arg(i), list,
                static_cast<uint32_t>(i), 0, sStrParams{sStrParam::translated}));
        }
    }
};

TBenchWork& work() {
    static TBenchWork w;
    return w;
}

// The changes "validate all" makes, as its command records them.
std::vector<rEntryChange> validateAllChanges(TWorkspace& ws) {
    TEntryRecorder recorder;
    recorder.addAll(ws.loadedLists, ws.sharedIdList);
    for (auto& list : ws.loadedLists)
        for (auto& e : list)
            e->resetStatus({sStrParam::validated}, {sStrParam::incompleteTrans});
    std::vector<rEntryChange> changes = recorder.changes();
    for (const rEntryChange& change : changes)
        change.before.applyTo(*change.entry);
    return changes;
}

// Baseline: the command itself (recorder, change, undo step), without a journal; undone between iterations.
void BM_ValidateAllCommand(benchmark::State& state) {
    TWorkspace& ws = work().ws;
    for (auto _ : state) {
        const double c0 = cpuNow();
        const double t0 = now();
        const int changed = ws.validateAll();
        const double t = now() - t0;
        quillbench::timings().record("validate-all-cpu", cpuNow() - c0);
        quillbench::recordIteration(state, "validate-all", t);
        if (changed != kEntries) state.SkipWithError("validate all changed too few entries");
        ws.undo();
    }
}

// The window's thread: the step captured and queued; then the writer's time until the step is on the disk.
void BM_JournalStep(benchmark::State& state) {
    TWorkspace& ws = work().ws;
    const std::vector<rEntryChange> changes = validateAllChanges(ws);
    TJournalWriter writer;
    writer.start(journalPathFor(ws), currentJournalHeader(ws));
    // The first step makes the file; the ones measured append to it.
    writer.append(captureJournalRecord(ws, {changes.front()}, TJournalStepKind::command));
    writer.waitIdle();
    for (auto _ : state) {
        const double c0 = cpuNow();
        const double t0 = now();
        writer.append(captureJournalRecord(ws, changes, TJournalStepKind::command));
        const double t1 = now();
        const double c1 = cpuNow();
        writer.waitIdle();
        const double t2 = now();
        quillbench::timings().record("window-thread-cpu", c1 - c0);
        quillbench::timings().record("writer-thread-cpu", cpuNow() - c1);
        quillbench::timings().record("writer-thread", t2 - t1);
        quillbench::recordIteration(state, "window-thread", t1 - t0);
    }
    writer.remove();
}

// A restore: the journal of one "validate all" read and replayed as one step.
void BM_Restore(benchmark::State& state) {
    TWorkspace& ws = work().ws;
    const std::vector<rEntryChange> changes = validateAllChanges(ws);
    QByteArray bytes = encodeJournalHeader(currentJournalHeader(ws));
    appendJournalRecord(bytes, captureJournalRecord(ws, changes, TJournalStepKind::command));
    std::printf("journal of %d changes: %.1f MB\n", kEntries, static_cast<double>(bytes.size()) / 1048576.0);
    for (auto _ : state) {
        const double c0 = cpuNow();
        const double t0 = now();
        rJournalContents contents;
        readJournal(bytes, contents);
        const int restored = replayJournal(ws, contents.records);
        const double t = now() - t0;
        quillbench::recordIteration(state, "restore", t);
        quillbench::timings().record("restore-cpu", cpuNow() - c0);
        if (restored != kEntries) state.SkipWithError("the restore changed too few entries");
        ws.undo();
    }
}

} // namespace

BENCHMARK(BM_ValidateAllCommand)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_JournalStep)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_Restore)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    quillbench::timings().printRatio("window-thread", "validate-all", "(target: under 20 ms)");
    quillbench::timings().printRatio("writer-thread", "validate-all", "(target: under 200 ms)");
    quillbench::timings().printRatio("restore", "validate-all", "(target: under 1 s)");
    quillbench::timings().printRatio("window-thread-cpu", "validate-all-cpu", "(processor time)");
    quillbench::timings().printRatio("writer-thread-cpu", "validate-all-cpu", "(processor time)");
    quillbench::timings().printRatio("restore-cpu", "validate-all-cpu", "(processor time)");
    return 0;
}
