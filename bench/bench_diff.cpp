// The difference engine: two texts of 1,000 characters that share nothing (the worst case the difference page
// meets), against a plain quadratic table of the same texts measured in the same run; and the memory of a run as
// the texts grow (bytes allocated at the peak of one Execute), which must grow linearly.
#include "aids/Diff.h"
#include "bench_support.h"

#include <QString>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

namespace {

std::atomic<long long> gLive{0};
std::atomic<long long> gPeak{0};

QString randomText(int length, char16_t first, int alphabet, unsigned seed) {
    std::mt19937 rng(seed);
    QString s(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        s[i] = QChar(static_cast<char16_t>(first + rng() % static_cast<unsigned>(alphabet)));
    return s;
}

// The length of the longest common subsequence by the full table: the plain way to the same distance.
int quadraticLcs(const QString& a, const QString& b) {
    std::vector<int> table(static_cast<size_t>((a.size() + 1) * (b.size() + 1)), 0);
    const qsizetype w = b.size() + 1;
    for (qsizetype i = 1; i <= a.size(); ++i)
        for (qsizetype j = 1; j <= b.size(); ++j)
            table[static_cast<size_t>(i * w + j)] =
                a[i - 1] == b[j - 1]
                    ? table[static_cast<size_t>((i - 1) * w + j - 1)] + 1
                    : std::max(table[static_cast<size_t>((i - 1) * w + j)], table[static_cast<size_t>(i * w + j - 1)]);
    return table.back();
}

const QString& textA() {
    static const QString s = randomText(1000, u'a', 26, 1);
    return s;
}
const QString& textB() {
    static const QString s = randomText(1000, u'A', 26, 2); // capitals: nothing in common
    return s;
}

void BM_Baseline_QuadraticTable(benchmark::State& state) {
    for (auto _ : state) {
        const double t = quillbench::timed([] { benchmark::DoNotOptimize(quadraticLcs(textA(), textB())); });
        quillbench::recordIteration(state, "quadratic", t);
    }
}

void BM_DiffDisjoint1000(benchmark::State& state) {
    for (auto _ : state) {
        const double t = quillbench::timed([] {
            TDiff diff;
            diff.Execute(textA(), textB());
            benchmark::DoNotOptimize(diff.Count());
        });
        quillbench::recordIteration(state, "diff-disjoint", t);
    }
}

BENCHMARK(BM_Baseline_QuadraticTable)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(15);
BENCHMARK(BM_DiffDisjoint1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(15);

// Peak bytes allocated during one run over a text of `length` and a copy with 200 scattered changes.
long long peakBytes(int length) {
    const QString a = randomText(length, u'a', 26, 3);
    QString b = a;
    std::mt19937 rng(4);
    for (int i = 0; i < 200; ++i)
        b[static_cast<qsizetype>(rng() % static_cast<unsigned>(length))] = QLatin1Char('#');
    TDiff diff;
    const long long base = gLive.load();
    gPeak = base;
    diff.Execute(a, b);
    return gPeak.load() - base;
}

} // namespace

void* operator new(size_t size) {
    const long long live = gLive.fetch_add(static_cast<long long>(size)) + static_cast<long long>(size);
    long long peak = gPeak.load();
    while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
    }
    // The size is kept in front of the block so that delete can count it back.
    auto* block = static_cast<size_t*>(std::malloc(size + sizeof(std::max_align_t)));
    if (!block) throw std::bad_alloc();
    *block = size;
    return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

void operator delete(void* p) noexcept {
    if (!p) return;
    auto* block = reinterpret_cast<size_t*>(static_cast<char*>(p) - sizeof(std::max_align_t));
    gLive.fetch_sub(static_cast<long long>(*block));
    std::free(block);
}

void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    quillbench::timings().printRatio("diff-disjoint", "quadratic", "(target: diff under 10 ms)");
    for (int length : {10000, 20000, 40000, 80000})
        std::printf("memory of one run over %6d characters: %9lld bytes (%.1f per character)\n", length,
                    peakBytes(length), static_cast<double>(peakBytes(length)) / length);
    benchmark::Shutdown();
    return 0;
}
