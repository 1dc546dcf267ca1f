// Spell checking where a translator waits, on the French dictionary, with texts drawn from a real French word list
// (the wfrench package's /usr/share/dict/french, words taken with the uneven frequencies of a real text):
// - re-checking a 2,000-character translation after one key (target under 2 ms), against the library checking every
//   word of that text;
// - the unknown words of every translation of a 500,000-string document with a vocabulary of 100,000 translations
//   (its word set built once, timed apart), against the library alone checking the same words fed from a plain list
//   (target at most 3 times the library).
#include "bench_support.h"
#include "core/QUILL_startup.h"
#include "dictionary/QUILL_vocabulary.h"
#include "scripted_host.h"
#include "spelling/QUILL_spellingLibrary.h"
#include "temp_program_dir.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsSpelling.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <nuspell/dictionary.hxx>

#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kDocumentStrings = 500000;
constexpr int kVocabularyStrings = 100000;
constexpr int kDistinctWords = 60000;
constexpr int kEditorText = 2000;
const char* const kWordList = "/usr/share/dict/french";

// Draws words as a text uses them: the k-th most common word about 1/k as often as the first, a few mistyped.
class TWordSource {
public:
    TWordSource() {
        std::ifstream in(kWordList);
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) words_.push_back(QString::fromStdString(line));
        std::mt19937 shuffle(25);
        std::shuffle(words_.begin(), words_.end(), shuffle);
        if (words_.size() > static_cast<size_t>(kDistinctWords)) words_.resize(kDistinctWords);
        std::vector<double> weights(words_.size());
        for (size_t k = 0; k < weights.size(); ++k)
            weights[k] = 1.0 / static_cast<double>(k + 1);
        rank_ = std::discrete_distribution<size_t>(weights.begin(), weights.end());
    }
    bool empty() const { return words_.empty(); }
    QString word() {
        QString w = words_[rank_(rng_)];
        if (rng_() % 100 == 0 && w.size() > 3) w.remove(static_cast<qsizetype>(rng_() % w.size()), 1);
        return w;
    }
    // A sentence of `count` words, now and then with the game's mark-up or a number.
    QString sentence(int count) {
        QString s;
        for (int i = 0; i < count; ++i) {
            if (i) s += QLatin1Char(' ');
            const uint32_t r = rng_() % 40;
            if (r == 0) s += QStringLiteral("<Alias=Player> ");
            if (r == 1) s += QStringLiteral("%d ");
            s += word();
        }
        return s + QLatin1Char('.');
    }

private:
    std::vector<QString> words_;
    std::discrete_distribution<size_t> rank_;
    std::mt19937 rng_{2000};
};

TWordSource& source() {
    static TWordSource s;
    return s;
}

struct TSpellingBench {
    TTempProgramDir dir{true};
    TScriptedHost host;
    TWorkspace ws{&host};
    QString editorText;
    std::vector<std::string> documentWords; // every word the checker reads, as a plain list for the library
    std::vector<std::string> editorWords;
    nuspell::Dictionary library;
    double vocabularySeconds = 0;

    TSpellingBench() {
        startApplication(ws.app, dir.path());
        ws.app.state.SourceLang = QStringLiteral("en");
        ws.app.state.DestLang = QStringLiteral("fr");
        setSpellerFactory(ws, quillspell::spellingLibraryFactory());
        library.load_aff_dic("/usr/share/hunspell/fr_FR.aff");
        std::mt19937 rng(7);
        for (int i = 0; i < kVocabularyStrings; ++i)
            ws.vocabularyLists[0].push_back(std::make_unique<tSkyStr>(
                QStringLiteral("Source %1").arg(i), source().sentence(1 + static_cast<int>(rng() % 12)), 0,
                static_cast<uint32_t>(i), 99));
        vocabularyState(ws).vocab.generation++;
        for (int i = 0; i < kDocumentStrings; ++i) {
            const int list = i % 10 == 0 ? 1 : 0;
            ws.loadedLists[list].push_back(std::make_unique<tSkyStr>(
                QStringLiteral("Source text %1").arg(i), source().sentence(1 + static_cast<int>(rng() % 11)), list,
                static_cast<uint32_t>(i), 99, sStrParams{sStrParam::translated}));
        }
        for (const tSkyStrList& list : ws.loadedLists)
            for (const auto& e : list)
                for (const quillspell::rWordSpan& w : quillspell::textWords(e->gTrans))
                    documentWords.push_back(quillspell::lookupForm(e->gTrans.mid(w.position, w.length)).toStdString());
        while (editorText.size() < kEditorText)
            editorText += source().sentence(12) + QLatin1Char(' ');
        editorText.truncate(kEditorText);
        for (const quillspell::rWordSpan& w : quillspell::textWords(editorText))
            editorWords.push_back(editorText.mid(w.position, w.length).toStdString());
        // The checker and the vocabulary's word set, made once as a window makes them after a load.
        vocabularySeconds = quillbench::timed([this] { prepareSpelling(ws); });
    }
};

TSpellingBench& bench() {
    static TSpellingBench b;
    return b;
}

void BM_Baseline_LibraryOnEditorText(benchmark::State& state) {
    TSpellingBench& b = bench();
    for (auto _ : state) {
        size_t known = 0;
        const double t = quillbench::timed([&] {
            for (const std::string& w : b.editorWords)
                known += b.library.spell(w) ? 1 : 0;
        });
        benchmark::DoNotOptimize(known);
        quillbench::recordIteration(state, "library-text", t);
    }
}

void BM_KeystrokeRecheck(benchmark::State& state) {
    TSpellingBench& b = bench();
    QString text = b.editorText;
    unknownWordsInText(b.ws, text); // the text as it was before the key
    std::mt19937 rng(3);
    for (auto _ : state) {
        // One key typed inside a word: a new word the checker has not seen.
        const qsizetype at = 1 + static_cast<qsizetype>(rng() % static_cast<unsigned>(text.size() - 2));
        text.insert(at, QChar(u'a' + static_cast<char16_t>(rng() % 26)));
        size_t unknown = 0;
        const double t = quillbench::timed([&] { unknown = unknownWordsInText(b.ws, text).size(); });
        benchmark::DoNotOptimize(unknown);
        quillbench::recordIteration(state, "keystroke", t);
    }
}

void BM_Baseline_LibraryOnDocumentWords(benchmark::State& state) {
    TSpellingBench& b = bench();
    for (auto _ : state) {
        size_t known = 0;
        const double t = quillbench::timed([&] {
            for (const std::string& w : b.documentWords)
                known += b.library.spell(w) ? 1 : 0;
        });
        benchmark::DoNotOptimize(known);
        quillbench::recordIteration(state, "library-document", t);
    }
}

void BM_DocumentUnknownWords(benchmark::State& state) {
    TSpellingBench& b = bench();
    for (auto _ : state) {
        // A checker that has seen none of the document's words, the vocabulary's word set already built.
        state.PauseTiming();
        resetSpelling(b.ws);
        prepareSpelling(b.ws);
        state.ResumeTiming();
        size_t words = 0;
        const double t = quillbench::timed([&] { words = documentUnknownWords(b.ws).size(); });
        state.counters["unknown"] = static_cast<double>(words);
        quillbench::recordIteration(state, "document", t);
    }
}

BENCHMARK(BM_Baseline_LibraryOnEditorText)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(9);
BENCHMARK(BM_KeystrokeRecheck)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50)->Repetitions(5);
BENCHMARK(BM_Baseline_LibraryOnDocumentWords)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_DocumentUnknownWords)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (source().empty()) {
        std::printf("no word list at %s (Debian package wfrench): nothing measured\n", kWordList);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    auto& t = quillbench::timings();
    const double wordSet = quillbench::timed(
        [] { benchmark::DoNotOptimize(quillspell::TWordSet::fromTranslations(bench().ws.vocabularyLists).size()); });
    std::printf("made once: the checker with the dictionary and the vocabulary's word set %.3f s, of which the word "
                "set of %d translations %.3f s\n",
                bench().vocabularySeconds, kVocabularyStrings, wordSet);
    std::printf("document: %d strings, %zu words\n", kDocumentStrings, bench().documentWords.size());
    t.printRatio("keystroke", "library-text", "(target: keystroke under 2 ms)");
    t.printRatio("document", "library-document", "(target: at most 3)");
    benchmark::Shutdown();
    return 0;
}
