// Benchmarks of compiled scripts: reading a 5 MB script (file, head, table, the object model with every instruction
// and operand checked, and the string rules; the file is read on a second thread while the bytes already in are
// parsed; the listing is built when first shown, and decodes the operands it shows) and writing it back (new table,
// file), each against reading the file and copying its bytes. Ratios are printed. The operand decode the listing
// does is timed on its own.
#include "bench_support.h"
#include "pex_builder.h"
#include "temp_program_dir.h"

#include "core/QUILL_files.h"
#include "script/QUILL_scriptPex.h"

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

void BM_ReadScript(benchmark::State& state) {
    TBenchFiles& f = files();
    for (auto _ : state) {
        TPexScript pex;
        pex.noTransProcList = {QStringLiteral("PlayAnimation"), QStringLiteral("Trace")};
        const double t0 = now();
        pex.resetPex();
        if (!pex.loadPexFile(f.path, nullptr) || !pex.bodyError.isEmpty()) state.SkipWithError("script not read");
        const double t = now() - t0;
        quillbench::recordIteration(state, "read-script", t);
        state.counters["strings"] = static_cast<double>(pex.pexStringTable.size());
    }
}

void BM_DecodeOperands(benchmark::State& state) {
    TBenchFiles& f = files();
    TPexScript pex;
    pex.resetPex();
    pex.loadPexFile(f.path, nullptr);
    for (auto _ : state) {
        const double t0 = now();
        qsizetype operands = 0;
        for (const TpexOp& op : pex.pexOps)
            operands += pex.args(op).size();
        benchmark::DoNotOptimize(operands);
        const double t = now() - t0;
        quillbench::recordIteration(state, "decode-operands", t);
        state.counters["operands"] = static_cast<double>(operands);
    }
}

void BM_WriteScript(benchmark::State& state) {
    TBenchFiles& f = files();
    TPexScript pex;
    pex.resetPex();
    pex.loadPexFile(f.path, nullptr);
    QStringList texts;
    for (size_t i = 0; i < pex.pexStringTable.size(); ++i)
        texts << pex.pexText(static_cast<uint32_t>(i)) + QStringLiteral(" (fr)");
    const QString out = f.dir.path() + QStringLiteral("out.pex");
    for (auto _ : state) {
        const double t0 = now();
        if (!pex.writePexFile(texts, out, nullptr)) state.SkipWithError("script not written");
        const double t = now() - t0;
        quillbench::recordIteration(state, "write-script", t);
    }
}

} // namespace

BENCHMARK(BM_ReadCopyBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_ReadScript)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_DecodeOperands)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_CopyWriteBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_WriteScript)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto ratio = [](const char* a, const char* b) {
        quillbench::timings().printRatio(a, b, "(target at most 3)");
    };
    ratio("read-script", "read-copy");
    quillbench::timings().printRatio("decode-operands", "read-copy", "(when the listing is built; no target)");
    ratio("write-script", "copy-write");
    ratio("write-script", "read-copy");
    return 0;
}
