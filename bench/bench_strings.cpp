// Benchmarks of the string tables and the vocabulary cache: reading a 1,000,000-entry set (about 60 MB of UTF-8)
// into the lists and writing it back, against reading the same bytes and decoding them from UTF-8; pairing two
// languages of 300,000 entries into a cache, against reading and decoding their tables. Ratios are printed.
// Whole-process figures: bench_strings --write-files=DIR writes the tables (DIR/set/bench_en.* and
// DIR/Data/Strings/fallout4_en.*, _fr.*) and stops; bench_strings --read-decode FILE... only reads and decodes the
// files named, as a process of its own (the baseline of the command line's open and build-cache).
#include "bench_support.h"
#include "bench_texts.h"
#include "string_table_builder.h"
#include "temp_program_dir.h"

#include "core/QUILL_files.h"
#include "core/QUILL_main.h"
#include "dictionary/QUILL_cache.h"
#include "strings/QUILL_stringTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kSetEntries = 1000000;
constexpr int kCacheEntries = 300000;

using quillbench::tableSetTexts;

QString gWriteTo; // --write-files=DIR: the tables are written there and kept

struct TBenchFiles {
    TTempProgramDir dir{false};
    QString setFolder;
    QString stringsFolder;
    qint64 setBytes = 0;
    QString root() const { return gWriteTo.isEmpty() ? dir.path() : gWriteTo + QLatin1Char('/'); }
    TBenchFiles() {
        setFolder = root() + QStringLiteral("set/");
        for (const QString& p : writeUtf8TableSet(setFolder, "bench", "en", tableSetTexts(kSetEntries, false)))
            setBytes += QFileInfo(p).size();
        stringsFolder = root() + QStringLiteral("Data/Strings/");
        writeUtf8TableSet(stringsFolder, "fallout4", "en", tableSetTexts(kCacheEntries, false));
        // The destination misses every 50th string, so the pairing drops some.
        rTableSetTexts fr = tableSetTexts(kCacheEntries, true);
        for (auto& list : fr) {
            decltype(list.size()) kept = 0;
            for (decltype(list.size()) k = 0; k < list.size(); ++k)
                if (list[k].first % 50 != 0) list[kept++] = list[k];
            list.resize(kept);
        }
        writeUtf8TableSet(stringsFolder, "fallout4", "fr", fr);
    }
};

TBenchFiles& files() {
    static TBenchFiles f;
    return f;
}

using quillbench::now;

TAppContext& appContext() {
    static TAppContext app;
    app.state.SourceLang = QStringLiteral("en");
    app.state.DestLang = QStringLiteral("fr");
    return app;
}

// The baseline: the same files' bytes read and decoded from UTF-8 in one piece each.
double readAndDecode(const QString& folder, const QStringList& names) {
    const double t0 = now();
    qsizetype chars = 0;
    for (const QString& name : names) {
        QByteArray bytes;
        quillfs::readWholeFile(folder + name, bytes);
        chars += QString::fromUtf8(bytes).size();
    }
    benchmark::DoNotOptimize(chars);
    return now() - t0;
}

const QStringList kSetNames = {"bench_en.strings", "bench_en.dlstrings", "bench_en.ilstrings"};

void BM_ReadDecodeBaseline(benchmark::State& state) {
    TBenchFiles& f = files();
    for (auto _ : state) {
        const double t = readAndDecode(f.setFolder, kSetNames);
        quillbench::recordIteration(state, "read-decode", t);
    }
    state.counters["MB"] = static_cast<double>(f.setBytes) / 1e6;
}

void readSet(benchmark::State& state, tSinkMode mode, const char* name) {
    TBenchFiles& f = files();
    for (auto _ : state) {
        tListSet lists;
        const double t0 = now();
        readTableSet(appContext(), lists, f.setFolder, "bench", rTableSink{mode}, false, "en");
        const double t = now() - t0;
        quillbench::recordIteration(state, name, t);
        state.counters["entries"] = static_cast<double>(countListSet(lists));
        // What closing the set costs (its entries freed), beside what opening it cost.
        quillbench::timings().record(std::string(name) + "-close", quillbench::timed([&] { clearListSet(lists); }));
    }
}

void BM_ReadSetIntoLists(benchmark::State& state) {
    readSet(state, tSinkMode::append, "read-set");
}
void BM_OpenSetWithParse(benchmark::State& state) {
    readSet(state, tSinkMode::openTables, "open-set");
}

// Where a read's time goes: the tables parsed and every entry decoded, without making list entries.
void BM_ParseDecodeOnly(benchmark::State& state) {
    TBenchFiles& f = files();
    const rCodepage utf8 = chooseCodepage(QStringLiteral("bench_en.strings"), {}, true);
    for (auto _ : state) {
        const double t0 = now();
        qsizetype chars = 0;
        for (int i = 0; i < 3; ++i) {
            QByteArray bytes;
            quillfs::readWholeFile(f.setFolder + kSetNames[i], bytes);
            parseStringTable(bytes, i, utf8, [&](qsizetype, uint32_t, QString&& text) { chars += text.size(); });
        }
        benchmark::DoNotOptimize(chars);
        const double t = now() - t0;
        quillbench::recordIteration(state, "parse-decode", t);
    }
}

// Where a write's time goes: the three tables built in memory, without the files.
void BM_BuildTables(benchmark::State& state) {
    TBenchFiles& f = files();
    tListSet lists;
    readTableSet(appContext(), lists, f.setFolder, "bench", rTableSink{tSinkMode::append}, false, "en");
    const rCodepage utf8 = chooseCodepage(QStringLiteral("bench_fr.strings"), {}, true);
    std::array<std::vector<rTableText>, 3> entries;
    for (int i = 0; i < 3; ++i)
        for (auto& e : lists[i])
            entries[i].push_back({e->id, e->gS, e->hash});
    for (auto _ : state) {
        const double t0 = now();
        qsizetype bytes = 0;
        for (int i = 0; i < 3; ++i)
            bytes += buildStringTable(entries[i], i, utf8).size();
        benchmark::DoNotOptimize(bytes);
        const double t = now() - t0;
        quillbench::recordIteration(state, "build-tables", t);
    }
}

void BM_WriteSet(benchmark::State& state) {
    TBenchFiles& f = files();
    tListSet lists;
    readTableSet(appContext(), lists, f.setFolder, "bench", rTableSink{tSinkMode::append}, false, "en");
    for (auto& list : lists)
        for (auto& e : list)
            e->setTransLite(e->gS);
    for (auto _ : state) {
        const double t0 = now();
        writeTableSet(appContext(), lists, f.dir.path() + QStringLiteral("out/"), "bench", "fr");
        const double t = now() - t0;
        quillbench::recordIteration(state, "write-set", t);
    }
}

// The floor of any save: the same table bytes written whole and flushed to disk, as every save writes them.
void BM_DurableWriteBaseline(benchmark::State& state) {
    TBenchFiles& f = files();
    std::array<QByteArray, 3> bytes;
    for (int i = 0; i < 3; ++i)
        quillfs::readWholeFile(f.setFolder + kSetNames[i], bytes[i]);
    const QString folder = f.dir.path() + QStringLiteral("durable/");
    QDir().mkpath(folder);
    for (auto _ : state) {
        const double t0 = now();
        for (int i = 0; i < 3; ++i)
            quillfs::writeFileAtomic(folder + kSetNames[i], bytes[i]);
        const double t = now() - t0;
        quillbench::recordIteration(state, "durable-write", t);
    }
}

void BM_CacheReadDecodeBaseline(benchmark::State& state) {
    TBenchFiles& f = files();
    QStringList names;
    for (const char* lang : {"en", "fr"})
        for (int i = 0; i < 3; ++i)
            names << QStringLiteral("fallout4_%1%2").arg(lang, tableExtension(i));
    for (auto _ : state) {
        const double t = readAndDecode(f.stringsFolder, names);
        quillbench::recordIteration(state, "cache-read-decode", t);
    }
}

void BM_CacheBuild(benchmark::State& state) {
    TBenchFiles& f = files();
    TAppContext& app = appContext();
    app.state.cacheFolder = f.dir.path() + QStringLiteral("Cache/");
    for (auto _ : state) {
        tListSet lists;
        const double t0 = now();
        pairVocabularySet(app, lists, 0, f.stringsFolder, "fallout4");
        writeCache(app, lists, cacheFilePath(app.state, "fallout4"));
        const double t = now() - t0;
        quillbench::recordIteration(state, "cache-build", t);
        state.counters["pairs"] = static_cast<double>(countListSet(lists));
    }
}

} // namespace

BENCHMARK(BM_ReadDecodeBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadSetIntoLists)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenSetWithParse)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ParseDecodeOnly)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BuildTables)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DurableWriteBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WriteSet)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CacheReadDecodeBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CacheBuild)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1 && arguments[1].startsWith(QStringLiteral("--write-files="))) {
        gWriteTo = QDir(arguments[1].mid(14)).absolutePath();
        std::printf("%lld bytes in the 1,000,000-string set under %s\n", static_cast<long long>(files().setBytes),
                    qPrintable(gWriteTo));
        return 0;
    }
    if (arguments.size() > 1 && arguments[1] == QStringLiteral("--read-decode")) {
        qsizetype chars = 0;
        for (const QString& path : arguments.mid(2)) {
            QByteArray bytes;
            if (!quillfs::readWholeFile(path, bytes)) return 1;
            chars += QString::fromUtf8(bytes).size();
        }
        std::printf("%lld characters\n", static_cast<long long>(chars));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto ratio = [](const char* a, const char* b, const char* note = "") {
        quillbench::timings().printRatio(a, b, note);
    };
    ratio("read-set", "read-decode");
    ratio("open-set", "read-decode");
    ratio("parse-decode", "read-decode");
    ratio("write-set", "read-decode");
    ratio("build-tables", "read-decode");
    ratio("durable-write", "read-decode");
    ratio("write-set", "durable-write");
    ratio("cache-build", "cache-read-decode");
    ratio("open-set-close", "open-set", "(target under 0.1)");
    if (quillbench::timings().has("cache-build"))
        std::printf("median cache-build of two languages of %d entries: %.3f s (target at most 1.5 s)\n", kCacheEntries,
                    quillbench::timings().median("cache-build"));
    return 0;
}
