// Benchmarks of the dictionaries: loading a 500,000-pair vocabulary from caches and dictionaries (against the
// one-by-one sorted insert), the exact pass of 200,000 strings (against a plain copy pass), and writing a
// 200,000-entry dictionary (against writing the same number of bytes). Ratios to the baselines are printed.
#include "bench_support.h"
#include "core/QUILL_files.h"
#include "core/QUILL_startup.h"
#include "dictionary/QUILL_dictionary.h"
#include "dictionary/QUILL_vocabulary.h"
#include "scripted_host.h"
#include "temp_program_dir.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kVocabularyPairs = 500000;
constexpr int kDocumentStrings = 200000;

QString sentence(uint32_t n) {
    static const char* const words[] = {"iron",  "sword", "of",    "the",  "north", "water", "purified", "old",
                                        "radio", "power", "armor", "mole", "rat",   "gun",   "with",     "and"};
    QString s;
    uint32_t x = n * 2654435761u + 12345u;
    const int count = 1 + static_cast<int>(n % 9);
    for (int i = 0; i < count; ++i) {
        if (i) s += QLatin1Char(' ');
        s += QLatin1String(words[x % 16]);
        x = x * 1103515245u + 12345u;
    }
    return s + QString::number(n % 50000);
}

// Four caches and four dictionaries, 500,000 pairs in all, a fifth of them repeated from an earlier file.
struct TVocabularyFiles {
    TTempProgramDir dir{false};
    std::vector<QString> paths;

    TVocabularyFiles() {
        const int perFile = kVocabularyPairs / 8;
        for (int f = 0; f < 8; ++f) {
            const bool dictionary = f % 2 == 0;
            QByteArray out = dictionary ? QByteArray("SSU5\0", 5) : QByteArray("SST2");
            for (int i = 0; i < perFile; ++i) {
                const uint32_t n = (i % 5 == 0 && f > 0) ? uint32_t((f - 1) * perFile + i) : uint32_t(f * perFile + i);
                const uint8_t list = static_cast<uint8_t>(n % 3);
                if (dictionary) {
                    quilldict::rDictionaryRecord r;
                    r.listIndex = list;
                    r.flags = 1;
                    r.source = sentence(n);
                    r.translation = sentence(n + 7) + QStringLiteral(" fr");
                    quilldict::appendDictionaryRecord(out, r);
                } else {
                    binary_out::u8(out, list);
                    quilldict::appendSizedText(out, sentence(n));
                    quilldict::appendSizedText(out, sentence(n + 7) + QStringLiteral(" fr"));
                }
            }
            const QString name =
                QStringLiteral("%1%2_en_fr.%3")
                    .arg(dictionary ? QStringLiteral("UserDictionary/dict") : QStringLiteral("Cache/cache"))
                    .arg(f)
                    .arg(dictionary ? QStringLiteral("sst") : QStringLiteral("cache"));
            paths.push_back(dir.write(name, out));
        }
    }
};

TVocabularyFiles& files() {
    static TVocabularyFiles f;
    return f;
}

using quillbench::now;

struct TLoadedWorkspace {
    TScriptedHost host;
    TWorkspace ws{&host};
    explicit TLoadedWorkspace(const QString& folder) {
        startApplication(ws.app, folder);
        ws.app.state.SourceLang = QStringLiteral("en");
        ws.app.state.DestLang = QStringLiteral("fr");
    }
};

void BM_VocabularyLoad(benchmark::State& state) {
    TVocabularyFiles& f = files();
    for (auto _ : state) {
        TLoadedWorkspace w(f.dir.path());
        const double t0 = now();
        loadVocabulary(w.ws);
        const double t = now() - t0;
        quillbench::recordIteration(state, "load", t);
        state.counters["entries"] = static_cast<double>(countListSet(w.ws.vocabularyLists));
    }
}

// The documented way: each record inserted into its sorted list by binary search, one by one.
void BM_VocabularyLoadNaiveInsert(benchmark::State& state) {
    TVocabularyFiles& f = files();
    for (auto _ : state) {
        tListSet lists;
        const double t0 = now();
        for (const QString& path : f.paths) {
            QByteArray data;
            quillfs::readWholeFile(path, data);
            const auto insert = [&](std::unique_ptr<tSkyStr> e) {
                const int l = e->listIndex;
                insertSorted(lists[l], skycompare::byDictionaryKey, std::move(e));
            };
            if (data.startsWith("SSU5")) {
                quilldict::parseDictionary(data, [&](const quilldict::rDictionaryRecord& r) {
                    insert(std::make_unique<tSkyStr>(r.source, r.translation, r.listIndex, 0u, 0));
                });
            } else {
                TBinaryCursor c(data);
                c.skip(4);
                while (!c.atEnd()) {
                    const uint8_t l = c.u8();
                    QString s = quilldict::readSizedText(c);
                    QString t = quilldict::readSizedText(c);
                    insert(std::make_unique<tSkyStr>(s, t, l, 0u, 0));
                }
            }
        }
        const double t = now() - t0;
        quillbench::recordIteration(state, "load-naive", t);
    }
}

struct TDocumentFixture {
    TLoadedWorkspace w{files().dir.path()};
    TDocumentFixture() {
        loadVocabulary(w.ws);
        w.ws.app.state.WorkMode = TWorkMode::Strings;
    }
    void fillDocument() {
        clearListSet(w.ws.loadedLists);
        for (int i = 0; i < kDocumentStrings; ++i) {
            // Half of them are in the vocabulary.
            const uint32_t n = i % 2 ? uint32_t(i) : uint32_t(kVocabularyPairs + i);
            const QString s = sentence(n);
            w.ws.loadedLists[n % 3].push_back(std::make_unique<tSkyStr>(s, s, n % 3, uint32_t(i), 99));
        }
    }
};

TDocumentFixture& document() {
    static TDocumentFixture d;
    return d;
}

void BM_ExactPass(benchmark::State& state) {
    TDocumentFixture& d = document();
    for (auto _ : state) {
        d.fillDocument();
        const double t0 = now();
        exactTranslation(d.w.ws, tStringPredicate::all, true);
        const double t = now() - t0;
        quillbench::recordIteration(state, "exact", t);
    }
}

// The floor of any pass: visiting every entry and setting its translation once.
void BM_ExactPassCopyBaseline(benchmark::State& state) {
    TDocumentFixture& d = document();
    for (auto _ : state) {
        d.fillDocument();
        const double t0 = now();
        for (auto& list : d.w.ws.loadedLists)
            for (auto& e : list)
                e->setSTrans(e->gS);
        const double t = now() - t0;
        quillbench::recordIteration(state, "exact-copy", t);
    }
}

void BM_WriteDictionary(benchmark::State& state) {
    TDocumentFixture& d = document();
    d.fillDocument();
    for (auto& list : d.w.ws.loadedLists)
        for (auto& e : list)
            e->sparams.set(sStrParam::translated);
    const QString path = files().dir.file(QStringLiteral("UserDictionary/bench_en_fr.sst"));
    for (auto _ : state) {
        const double t0 = now();
        quilldict::writeDictionary(d.w.ws.app, d.w.ws.loadedLists, path);
        const double t = now() - t0;
        quillbench::recordIteration(state, "write", t);
    }
}

// Writing as many bytes from one prepared buffer.
void BM_WriteBytesBaseline(benchmark::State& state) {
    const QString path = files().dir.file(QStringLiteral("UserDictionary/bench_en_fr.sst"));
    QByteArray bytes;
    quillfs::readWholeFile(path, bytes);
    const QString copy = files().dir.file(QStringLiteral("copy.bin"));
    for (auto _ : state) {
        const double t0 = now();
        QSaveFile file(copy);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.commit();
        const double t = now() - t0;
        quillbench::recordIteration(state, "write-bytes", t);
    }
}

} // namespace

BENCHMARK(BM_VocabularyLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_VocabularyLoadNaiveInsert)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ExactPass)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExactPassCopyBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WriteDictionary)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WriteBytesBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Each scenario reports its best run.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto ratio = [](const char* a, const char* b) {
        const quillbench::TTimings& t = quillbench::timings();
        if (!t.has(a) || !t.has(b) || t.best(b) <= 0) return;
        std::printf("%-12s %8.3f s   %-12s %8.3f s   ratio %.3f (best runs)\n", a, t.best(a), b, t.best(b),
                    t.best(a) / t.best(b));
    };
    ratio("load", "load-naive");
    ratio("exact", "exact-copy");
    ratio("write", "write-bytes");
    return 0;
}
