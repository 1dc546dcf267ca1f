// Hunspell against Nuspell on the French dictionary: words checked per second over a real French word list (the
// wfrench package's /usr/share/dict/french, 100,000 words drawn from it) and the time to suggest for ten misspelled
// words, both libraries in the same run. Built only where both libraries are installed; it chose the library the
// spelling module links.
#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <hunspell/hunspell.hxx>
#include <nuspell/dictionary.hxx>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const kAff = "/usr/share/hunspell/fr_FR.aff";
const char* const kDic = "/usr/share/hunspell/fr_FR.dic";
const char* const kWordList = "/usr/share/dict/french";
constexpr size_t kCheckedWords = 100000;

// Ten words a translator mistypes: accents left out, letters doubled or dropped.
const std::vector<std::string> kMisspelled = {"bibliotheque", "recompence", "munitons", "cuirrasse", "armurrerie",
                                              "deffense",     "laboratoir", "enemi",    "fusill",    "survivans"};

const std::vector<std::string>& words() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> all;
        std::ifstream in(kWordList);
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) all.push_back(line);
        std::mt19937 rng(25);
        std::shuffle(all.begin(), all.end(), rng);
        if (all.size() > kCheckedWords) all.resize(kCheckedWords);
        return all;
    }();
    return list;
}

Hunspell& hunspell() {
    static Hunspell h(kAff, kDic);
    return h;
}

nuspell::Dictionary& nuspellDictionary() {
    static const std::unique_ptr<nuspell::Dictionary> d = [] {
        auto dictionary = std::make_unique<nuspell::Dictionary>();
        dictionary->load_aff_dic(kAff);
        return dictionary;
    }();
    return *d;
}

template <typename Check> void checkWords(benchmark::State& state, const char* name, Check check) {
    for (auto _ : state) {
        size_t known = 0;
        const double t = quillbench::timed([&] {
            for (const std::string& w : words())
                known += check(w) ? 1 : 0;
        });
        benchmark::DoNotOptimize(known);
        quillbench::recordIteration(state, name, t);
        state.counters["known"] = static_cast<double>(known);
    }
}

template <typename Suggest> void suggestWords(benchmark::State& state, const char* name, Suggest suggest) {
    for (auto _ : state) {
        size_t count = 0;
        const double t = quillbench::timed([&] {
            for (const std::string& w : kMisspelled)
                count += suggest(w);
        });
        quillbench::recordIteration(state, name, t);
        state.counters["suggestions"] = static_cast<double>(count);
    }
}

void BM_HunspellCheck(benchmark::State& state) {
    checkWords(state, "hunspell-check", [](const std::string& w) { return hunspell().spell(w); });
}
void BM_NuspellCheck(benchmark::State& state) {
    checkWords(state, "nuspell-check", [](const std::string& w) { return nuspellDictionary().spell(w); });
}
void BM_HunspellSuggest(benchmark::State& state) {
    suggestWords(state, "hunspell-suggest", [](const std::string& w) { return hunspell().suggest(w).size(); });
}
void BM_NuspellSuggest(benchmark::State& state) {
    std::vector<std::string> out;
    suggestWords(state, "nuspell-suggest", [&out](const std::string& w) {
        nuspellDictionary().suggest(w, out);
        return out.size();
    });
}

BENCHMARK(BM_HunspellCheck)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_NuspellCheck)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_HunspellSuggest)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_NuspellSuggest)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    if (words().empty()) {
        std::printf("no word list at %s (Debian package wfrench): nothing measured\n", kWordList);
        return 0;
    }
    // Loading is a cost the translator meets once per start: measured here, outside the repetitions.
    const double hunspellLoad = quillbench::timed([] { benchmark::DoNotOptimize(hunspell().spell(std::string("a"))); });
    const double nuspellLoad = quillbench::timed([] { benchmark::DoNotOptimize(nuspellDictionary().spell("a")); });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    auto& t = quillbench::timings();
    const double n = static_cast<double>(words().size());
    std::printf("dictionary load: hunspell %.3f s, nuspell %.3f s\n", hunspellLoad, nuspellLoad);
    std::printf("words checked per second: hunspell %.0f, nuspell %.0f (%zu words of %s)\n",
                n / t.median("hunspell-check"), n / t.median("nuspell-check"), words().size(), kWordList);
    std::printf("suggestions for ten misspelled words: hunspell %.3f s, nuspell %.3f s\n", t.median("hunspell-suggest"),
                t.median("nuspell-suggest"));
    t.printRatio("nuspell-check", "hunspell-check");
    t.printRatio("nuspell-suggest", "hunspell-suggest");
    for (const std::string& w : kMisspelled) {
        std::vector<std::string> nu;
        nuspellDictionary().suggest(w, nu);
        const std::vector<std::string> hu = hunspell().suggest(w);
        std::printf("%-14s hunspell: %-40s nuspell: %s\n", w.c_str(),
                    (hu.empty() ? std::string("-") : hu.front() + (hu.size() > 1 ? ", " + hu[1] : "")).c_str(),
                    (nu.empty() ? std::string("-") : nu.front() + (nu.size() > 1 ? ", " + nu[1] : "")).c_str());
    }
    benchmark::Shutdown();
    return 0;
}
