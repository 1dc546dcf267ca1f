// Benchmarks of compiled scripts: reading a 5 MB script (file, head, table, the object model with every instruction
// and operand checked, then the string rules over the model), building its listing (which decodes the operands it
// shows) and writing it back (new table, file). Reading and copying the file's bytes, and writing a copy, are the
// baselines; medians and ratios are printed.
#include "bench_support.h"
#include "pex_builder.h"
#include "temp_program_dir.h"

#include "core/QUILL_files.h"
#include "script/QUILL_pexReader.h"
#include "script/QUILL_pexRules.h"
#include "script/QUILL_pexWriter.h"
#include "script/QUILL_scriptListing.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

struct TBenchFiles {
    TTempProgramDir dir{false};
    QString path;
    qsizetype bytes = 0;
    TBenchFiles() {
        const QByteArray data = buildLargeScript(5 * 1000 * 1000);
        bytes = data.size();
        path = dir.write(QStringLiteral("Large.pex"), data);
    }
};

TBenchFiles& files() {
    static TBenchFiles f;
    return f;
}

using quillbench::now;

void BM_ReadCopyBaseline(benchmark::State& state) {
    TBenchFiles& f = files();
    for (auto _ : state) {
        const double t0 = now();
        QByteArray bytes;
        quillfs::readWholeFile(f.path, bytes);
        QByteArray copy(bytes.constData(), bytes.size());
        benchmark::DoNotOptimize(copy.data());
        const double t = now() - t0;
        quillbench::recordIteration(state, "read-copy", t);
    }
    state.counters["MB"] = static_cast<double>(f.bytes) / 1e6;
}

void BM_CopyWriteBaseline(benchmark::State& state) {
    TBenchFiles& f = files();
    QByteArray bytes;
    quillfs::readWholeFile(f.path, bytes);
    const QString out = f.dir.path() + QStringLiteral("baseline.pex");
    for (auto _ : state) {
        const double t0 = now();
        QByteArray copy(bytes.constData(), bytes.size());
        quillfs::writeFileAtomic(out, copy);
        const double t = now() - t0;
        quillbench::recordIteration(state, "copy-write", t);
    }
}

const QStringList kNoTransCalls{QStringLiteral("PlayAnimation"), QStringLiteral("Trace")};

void BM_ReadScript(benchmark::State& state) {
    TBenchFiles& f = files();
    for (auto _ : state) {
        TPexScript pex;
        const double t0 = now();
        if (!loadPexFile(pex, f.path, nullptr) || !pex.bodyError.isEmpty()) state.SkipWithError("script not read");
        applyPexStringRules(pex, kNoTransCalls);
        const double t = now() - t0;
        quillbench::recordIteration(state, "read-script", t);
        state.counters["strings"] = static_cast<double>(pex.pexStringTable.size());
        state.counters["instructions"] = static_cast<double>(pex.pexOps.size());
    }
}

void BM_BuildListing(benchmark::State& state) {
    TBenchFiles& f = files();
    TPexScript pex;
    loadPexFile(pex, f.path, nullptr);
    for (auto _ : state) {
        const double t0 = now();
        buildListing(pex);
        const double t = now() - t0;
        quillbench::recordIteration(state, "build-listing", t);
        state.counters["lines"] = static_cast<double>(pex.feedback.lineCount());
    }
}

void BM_WriteScript(benchmark::State& state) {
    TBenchFiles& f = files();
    TPexScript pex;
    loadPexFile(pex, f.path, nullptr);
    QStringList texts;
    for (size_t i = 0; i < pex.pexStringTable.size(); ++i)
        texts << pex.pexText(static_cast<uint32_t>(i)) + QStringLiteral(" (fr)");
    const QString out = f.dir.path() + QStringLiteral("out.pex");
    for (auto _ : state) {
        const double t0 = now();
        if (!writePexFile(pex, texts, out, nullptr)) state.SkipWithError("script not written");
        const double t = now() - t0;
        quillbench::recordIteration(state, "write-script", t);
    }
}

} // namespace

BENCHMARK(BM_ReadCopyBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_ReadScript)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_BuildListing)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_CopyWriteBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_WriteScript)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    quillbench::timings().printRatio("read-script", "read-copy");
    quillbench::timings().printRatio("build-listing", "read-copy");
    quillbench::timings().printRatio("write-script", "copy-write");
    return 0;
}
