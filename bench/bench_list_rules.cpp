// The string list views' filter and sort over 500,000 entries, against a plain walk over the same entries and a
// plain sort of their ids measured in the same run.
#include "bench_support.h"
#include "bench_texts.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_workspace.h"

#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>

namespace {

constexpr int kEntries = 500000;
using quillbench::now;

TWorkspace& workspace() {
    static TWorkspace ws;
    if (ws.loadedLists[0].empty()) {
        ws.loadedLists[0].reserve(kEntries);
        for (int i = 0; i < kEntries; ++i) {
            // Reversed numbers so that the source order is far from sorted.
            auto e = std::make_unique<tSkyStr>(QStringLiteral("Source Text Number %1").arg(kEntries - i),
                                               QStringLiteral("texte %1").arg(i), 0, static_cast<uint32_t>(i), 0,
                                               i % 3 ? sStrParams{} : sStrParams{sStrParam::validated});
            ws.loadedLists[0].push_back(std::move(e));
        }
    }
    return ws;
}

template <typename F> void timed(benchmark::State& state, const char* name, F&& body) {
    for (auto _ : state) {
        const double t0 = now();
        body();
        const double t = now() - t0;
        quillbench::recordIteration(state, name, t);
    }
}

// Baseline: touch every entry's source once.
void BM_WalkBaseline(benchmark::State& state) {
    const auto& list = workspace().loadedLists[0];
    timed(state, "walk", [&] {
        qsizetype total = 0;
        for (const auto& e : list)
            total += e->gS.size();
        benchmark::DoNotOptimize(total);
    });
}

void BM_FilterWithSearch(benchmark::State& state) {
    const auto& list = workspace().loadedLists[0];
    rListFilter filter;
    filter.buttons[static_cast<int>(TStatusButton::validated)] = false;
    filter.setSearchText(QStringLiteral("number 4999"), true);
    timed(state, "filter", [&] {
        int shown = 0;
        for (const auto& e : list)
            shown += entryPassesFilter(filter, *e) ? 1 : 0;
        benchmark::DoNotOptimize(shown);
    });
}

// Baseline: sort the entries' ids.
void BM_SortIdsBaseline(benchmark::State& state) {
    const auto& list = workspace().loadedLists[0];
    timed(state, "sort-ids", [&] {
        std::vector<uint32_t> ids;
        ids.reserve(list.size());
        for (const auto& e : list)
            ids.push_back(e->id ^ 0x5bd1e995u);
        std::sort(ids.begin(), ids.end());
        benchmark::DoNotOptimize(ids.data());
    });
}

// What the view does on a header click of a text column.
void BM_SortSourceFoldedKeys(benchmark::State& state) {
    TWorkspace& ws = workspace();
    timed(state, "sort-folded", [&] {
        const std::vector<int> rows = sortedListOrder(ws, ws.loadedLists[0], 1, false);
        benchmark::DoNotOptimize(rows.data());
    });
}

// The same on the sentences of the window's benchmark (600,000 names of loosely repeated words, many sharing their
// first three words), sorted by source and by translation.
void BM_SortSentences(benchmark::State& state) {
    static TWorkspace ws;
    if (ws.loadedLists[0].empty()) {
        constexpr int kSentences = 600000;
        ws.loadedLists[0].reserve(kSentences);
        for (int i = 0; i < kSentences; ++i)
            ws.loadedLists[0].push_back(std::make_unique<tSkyStr>(
                quillbench::tableSentence(static_cast<uint32_t>(i), false),
                quillbench::tableSentence(static_cast<uint32_t>(i) * 7u, true), 0, static_cast<uint32_t>(i), 0,
                sStrParams{}));
    }
    int turn = 0;
    timed(state, "sort-sentences", [&] {
        const int column =
            turn++ % 2 ? static_cast<int>(TListColumn::translated) : static_cast<int>(TListColumn::original);
        const std::vector<int> rows = sortedListOrder(ws, ws.loadedLists[0], column, false);
        benchmark::DoNotOptimize(rows.data());
    });
}

// The comparer the score and editor-id columns use, on the source column for comparison.
void BM_SortSourceComparer(benchmark::State& state) {
    TWorkspace& ws = workspace();
    const auto& list = ws.loadedLists[0];
    timed(state, "sort-comparer", [&] {
        std::vector<int> rows(list.size());
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = static_cast<int>(i);
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            return compareListEntries(ws, *list[static_cast<size_t>(a)], *list[static_cast<size_t>(b)], 1) < 0;
        });
        benchmark::DoNotOptimize(rows.data());
    });
}

} // namespace

BENCHMARK(BM_WalkBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FilterWithSearch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SortIdsBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortSourceFoldedKeys)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortSentences)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_SortSourceComparer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto ratio = [](const char* a, const char* b) { quillbench::timings().printRatio(a, b); };
    ratio("filter", "walk");
    ratio("sort-folded", "sort-ids");
    ratio("sort-comparer", "sort-ids");
    return 0;
}
