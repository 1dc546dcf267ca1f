// Benchmarks of plugins: a synthetic plain plugin (about 300 MB at scale 1: a million records in nested groups, one
// in ten compressed, a text field in one record of five) loaded to its listed strings and saved back with every
// text translated, against a baseline that reads the file and inflates its compressed records; the same plugin as a
// localized one with its string tables, against the plain load. Medians and ratios are printed at the end, with the
// peak memory of a load. Usage: bench_plugin [--scale=0.1] [benchmark options]; bench_plugin --write-plugins=DIR
// [--scale=1] only writes the synthetic plugins under DIR/Data (to time whole commands on them);
// bench_plugin --read-inflate=FILE only runs the baseline on FILE, as a process of its own.
#include "bench_support.h"
#include "core/QUILL_cursor.h"
#include "core/QUILL_files.h"
#include "core/QUILL_main.h"
#include "plugin/QUILL_espDefinition.h"
#include "plugin/QUILL_espReader.h"
#include "plugin/QUILL_espStrings.h"
#include "plugin/QUILL_espWriter.h"
#include "plugin_builder.h"
#include "scripted_host.h"
#include "strings/QUILL_stringTable.h"
#include "synthetic_plugin.h"
#include "temp_program_dir.h"

#include <QCoreApplication>
#include <QFile>
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

double gScale = 0.1;
QString gWriteTo; // --write-plugins=DIR: the synthetic plugins are written there and kept
using quillbench::timed;

class TQuietHost : public TScriptedHost {
public:
    void appendLog(const QString&) override {}
};

const TRecordDefinitions& defs() {
    static TRecordDefinitions d = [] {
        TRecordDefinitions t;
        t.loadRecordDefs(recordDefinitionText({}));
        return t;
    }();
    return d;
}

struct TSyntheticPlugin {
    TTempProgramDir dir{false};
    QString plainPath, localizedPath, stringsFolder;
    qint64 plainSize = 0;

    TSyntheticPlugin() {
        const int records = std::max(1000, static_cast<int>(1000000 * gScale));
        const QString root = gWriteTo.isEmpty() ? dir.path() : gWriteTo;
        plainPath = root + QStringLiteral("/Data/Synthetic.esp");
        localizedPath = root + QStringLiteral("/Data/SyntheticLoc.esp");
        stringsFolder = root + QStringLiteral("/Data/strings/");
        QDir().mkpath(stringsFolder);
        tListSet tables;
        for (int localized = 0; localized < 2; ++localized) {
            TPluginBuilder b(localized == 1);
            quillbench::addSyntheticRecords(b, records, [&](uint32_t formId, std::vector<rBuiltField>& fields) {
                const QString text = QStringLiteral("Synthetic item number %1 of the benchmark").arg(formId);
                if (localized) {
                    fields.push_back(TPluginBuilder::u32("FULL", formId));
                    tables[0].push_back(std::make_unique<tSkyStr>(text, text, 0, formId, 99));
                } else {
                    fields.push_back(TPluginBuilder::text("FULL", text));
                }
            });
            const QByteArray bytes = b.bytes();
            quillfs::writeFileAtomic(localized ? localizedPath : plainPath, bytes);
            if (!localized) plainSize = bytes.size();
        }
        TQuietHost host;
        TAppContext app(&host);
        writeTableSet(app, tables, stringsFolder, QStringLiteral("syntheticloc"), QStringLiteral("en"));
    }
};

TSyntheticPlugin& synthetic() {
    static TSyntheticPlugin p;
    return p;
}

// Baseline: the file read whole and every compressed record inflated, records walked by their headers.
qsizetype readAndInflate(const QString& path) {
    QByteArray bytes;
    quillfs::readWholeFile(path, bytes);
    TBinaryCursor c(bytes);
    qsizetype inflated = 0;
    QByteArray out;
    while (!c.atEnd()) {
        const QByteArrayView head = c.view(24);
        uint32_t size, flags;
        std::memcpy(&size, head.data() + 4, 4);
        std::memcpy(&flags, head.data() + 8, 4);
        if (std::memcmp(head.data(), "GRUP", 4) == 0) continue;
        const QByteArrayView data = c.view(size);
        if (flags & 0x00040000u) {
            uint32_t plain;
            std::memcpy(&plain, data.data(), 4);
            out.resize(plain);
            uLongf len = plain;
            uncompress(reinterpret_cast<Bytef*>(out.data()), &len, reinterpret_cast<const Bytef*>(data.data() + 4),
                       static_cast<uLong>(data.size() - 4));
            inflated += static_cast<qsizetype>(len);
        }
    }
    return inflated;
}

struct TLoadedPlain {
    tPluginTree tree;
    tListSet lists;
};

void loadPlain(TLoadedPlain& doc, const QString& path) {
    QByteArray bytes;
    quillfs::readWholeFile(path, bytes);
    doc.tree.fileData = bytes;
    TBinaryCursor stream(doc.tree.fileData);
    rPluginReadContext ctx;
    ctx.defs = &defs();
    readPluginHeader(stream, &doc.tree, ctx);
    readPluginTree(stream, doc.tree, true, ctx);
    markStringGroups(doc.tree, false);
    collectInlineStrings(doc.tree, doc.lists, codepageFromNumber(65001), defs());
}

void BM_Baseline_ReadAndInflate(benchmark::State& state) {
    const QString path = synthetic().plainPath;
    for (auto _ : state) {
        qsizetype n = 0;
        quillbench::recordIteration(state, "baseline", timed([&] { n = readAndInflate(path); }));
        benchmark::DoNotOptimize(n);
    }
}

void BM_PlainLoad(benchmark::State& state) {
    const QString path = synthetic().plainPath;
    for (auto _ : state) {
        auto doc = std::make_unique<TLoadedPlain>();
        quillbench::recordIteration(state, "plain load", timed([&] { loadPlain(*doc, path); }));
        state.PauseTiming();
        // Closing: the tree and the entries freed.
        quillbench::timings().record("plain close", timed([&] { doc.reset(); }));
        state.ResumeTiming();
    }
}

void BM_PlainSaveTranslated(benchmark::State& state) {
    TLoadedPlain doc;
    loadPlain(doc, synthetic().plainPath);
    for (auto& list : doc.lists)
        for (auto& e : list)
            e->setTransLite(e->gS + QStringLiteral(" (traduit)"));
    const QString target = synthetic().dir.file(QStringLiteral("Out/Synthetic.esp"));
    QDir().mkpath(QFileInfo(target).path());
    for (auto _ : state) {
        bool ok = false;
        quillbench::recordIteration(state, "plain save", timed([&] {
                                        encodeTranslations(doc.lists, codepageFromNumber(65001), true);
                                        QString error;
                                        ok = savePluginTree(doc.tree, target, &error);
                                    }));
        if (!ok) state.SkipWithError("save failed");
    }
}

// The localized plugin with its string tables, as opening it does: ids collected, tables matched, orphans and
// shared ids resolved.
void loadLocalized(TLoadedPlain& doc, TAppContext& app) {
    QByteArray bytes;
    quillfs::readWholeFile(synthetic().localizedPath, bytes);
    doc.tree.fileData = bytes;
    TBinaryCursor stream(doc.tree.fileData);
    rPluginReadContext ctx;
    ctx.defs = &defs();
    readPluginHeader(stream, nullptr, ctx);
    readPluginTree(stream, doc.tree, false, ctx);
    collectStringRefs(doc.tree, doc.lists, defs());
    markStringGroups(doc.tree, true);
    for (auto& list : doc.lists)
        std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a->id < b->id; });
    rTableSink sink;
    sink.mode = tSinkMode::localizedPlugin;
    sink.relinkShared = [](tSkyStr& further, tSkyStr& owner) { further.esp.field->sk = &owner; };
    readTableSet(app, doc.lists, synthetic().stringsFolder, QStringLiteral("syntheticloc"), sink, false,
                 QStringLiteral("en"));
    tSkyStrList shared;
    resolveOrphansAndShared(app, doc.lists, shared);
}

void BM_LocalizedLoad(benchmark::State& state) {
    TQuietHost host;
    TAppContext app(&host);
    for (auto _ : state) {
        auto doc = std::make_unique<TLoadedPlain>();
        quillbench::recordIteration(state, "localized load", timed([&] { loadLocalized(*doc, app); }));
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}

// The baseline and each scenario run back to back in every round, so both see the same machine: on a shared
// machine whose speed drifts between runs, the median of these per-round ratios is steadier than a ratio of
// medians taken minutes apart.
void BM_PairedRounds(benchmark::State& state) {
    const QString plain = synthetic().plainPath;
    TQuietHost host;
    TAppContext app(&host);
    TLoadedPlain saved;
    loadPlain(saved, plain);
    for (auto& list : saved.lists)
        for (auto& e : list)
            e->setTransLite(e->gS + QStringLiteral(" (traduit)"));
    const QString target = synthetic().dir.file(QStringLiteral("Out/Paired.esp"));
    QDir().mkpath(QFileInfo(target).path());
    for (auto _ : state) {
        qsizetype n = 0;
        const double base = timed([&] { n = readAndInflate(plain); });
        benchmark::DoNotOptimize(n);
        auto doc = std::make_unique<TLoadedPlain>();
        const double load = timed([&] { loadPlain(*doc, plain); });
        doc = std::make_unique<TLoadedPlain>();
        const double localized = timed([&] { loadLocalized(*doc, app); });
        doc.reset();
        const double save = timed([&] {
            encodeTranslations(saved.lists, codepageFromNumber(65001), true);
            QString error;
            savePluginTree(saved.tree, target, &error);
        });
        quillbench::timings().record("baseline", base);
        quillbench::timings().record("plain load", load);
        quillbench::timings().record("localized load", localized);
        quillbench::timings().record("plain save", save);
        quillbench::timings().record("paired load ratio", load / base);
        quillbench::timings().record("paired save ratio", save / base);
        quillbench::timings().record("paired localized ratio", localized / load);
        state.SetIterationTime(base + load + save);
    }
}

// Peak resident memory, where the platform reports it (Linux: VmHWM, reset through clear_refs).
qint64 peakKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}
qint64 currentKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

BENCHMARK(BM_Baseline_ReadAndInflate)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_PlainLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_PlainSaveTranslated)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_LocalizedLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_PairedRounds)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(11);

int main(int argc, char** argv) {
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--read-inflate=", 15) == 0) {
            const qsizetype inflated = readAndInflate(QString::fromLocal8Bit(argv[i] + 15));
            std::printf("%lld bytes inflated\n", static_cast<long long>(inflated));
            return 0;
        }
        if (std::strncmp(argv[i], "--scale=", 8) == 0)
            gScale = std::atof(argv[i] + 8);
        else if (std::strncmp(argv[i], "--write-plugins=", 16) == 0)
            gWriteTo = QDir(QString::fromLocal8Bit(argv[i] + 16)).absolutePath();
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    QCoreApplication application(count, args.data());
    benchmark::Initialize(&count, args.data());
    std::printf("scale %.3f: generating the synthetic plugins...\n", gScale);
    const qint64 fileSize = synthetic().plainSize;
    std::printf("plain plugin: %.1f MB\n", static_cast<double>(fileSize) / 1e6);
    if (!gWriteTo.isEmpty()) {
        std::printf("written: %s and %s\n", qPrintable(synthetic().plainPath), qPrintable(synthetic().localizedPath));
        return 0;
    }

    // Peak memory of one plain load (and its save), measured before the timed runs.
    {
        const qint64 before = currentKiB();
        resetPeak();
        {
            TLoadedPlain doc;
            loadPlain(doc, synthetic().plainPath);
            for (auto& list : doc.lists)
                for (auto& e : list)
                    e->setTransLite(e->gS + QStringLiteral(" (traduit)"));
            encodeTranslations(doc.lists, codepageFromNumber(65001), true);
            QString error;
            savePluginTree(doc.tree, synthetic().dir.file(QStringLiteral("peak.esp")), &error);
        }
        const qint64 peak = peakKiB();
        if (peak > 0)
            std::printf("peak memory of a load and save: %.1f MB above the %.1f MB held before, %.2f x the file\n",
                        static_cast<double>(peak - before) / 1024.0, static_cast<double>(before) / 1024.0,
                        static_cast<double>(peak - before) * 1024.0 / static_cast<double>(fileSize));
    }

    benchmark::RunSpecifiedBenchmarks();
    const double base = quillbench::timings().median("baseline");
    const double load = quillbench::timings().median("plain load");
    const double save = quillbench::timings().median("plain save");
    const double loc = quillbench::timings().median("localized load");
    std::printf("\nmedians: baseline %.1f ms, plain load %.1f ms, plain save %.1f ms, localized load %.1f ms\n",
                base * 1e3, load * 1e3, save * 1e3, loc * 1e3);
    std::printf("ratios: plain load / baseline %.2f (target <= 2), plain save / baseline %.2f (target <= 2), "
                "localized load / plain load %.2f (target <= 1.5)\n",
                base > 0 ? load / base : 0, base > 0 ? save / base : 0, load > 0 ? loc / load : 0);
    quillbench::timings().printRatio("plain close", "plain load", "(target under 0.1)");
    if (quillbench::timings().has("paired load ratio"))
        std::printf(
            "paired rounds (median of %zu): plain load / baseline %.2f (target <= 2), plain save / baseline "
            "%.2f (target <= 2), localized load / plain load %.2f (target <= 1.5)\n",
            quillbench::timings().all("paired load ratio").size(), quillbench::timings().median("paired load ratio"),
            quillbench::timings().median("paired save ratio"), quillbench::timings().median("paired localized ratio"));
    benchmark::Shutdown();
    return 0;
}
