// Benchmarks of the translation aids over a vocabulary of real sentences: the English to French pairs of the
// system's message catalogs (/usr/share/locale/fr/LC_MESSAGES/*.mo), varied to 300,000 entries.
// - the heuristic batch of 10,000 untranslated strings, indexed and bounded, on one and on two threads, against the
//   literal rule measured on a sample of the same strings (its time per string scaled to the 10,000);
// - the candidate list of one focused string;
// - one search-and-replace rule over 500,000 strings, against one plain pass that lower-cases every translation.
// Every figure is a median of runs alternated in this one process; the results are checked equal first.
#include "aids/QUILL_heuristic.h"
#include "aids/QUILL_search.h"
#include "bench_support.h"
#include "core/QUILL_cursor.h"
#include "scripted_host.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>

namespace {

constexpr size_t kVocabularySize = 300000;
constexpr size_t kUntranslated = 10000;
constexpr size_t kLiteralSample = 40;
constexpr size_t kReplaceStrings = 500000;

// The (msgid, msgstr) pairs of a GNU .mo catalog; plural forms give their first text. Malformed files give what was
// read before the fault.
void readMoCatalog(const QByteArray& data, std::vector<std::pair<QString, QString>>& out) {
    try {
        TBinaryCursor c(data);
        const uint32_t magic = c.u32le();
        const bool big = magic == 0xde120495u;
        if (!big && magic != 0x950412deu) return;
        c.u32(big); // revision
        const uint32_t count = c.u32(big);
        const uint32_t originals = c.u32(big);
        const uint32_t translations = c.u32(big);
        const auto text = [&](uint32_t table, uint32_t i) {
            TBinaryCursor t(data);
            t.seek(static_cast<qsizetype>(table) + 8 * static_cast<qsizetype>(i));
            const uint32_t length = t.u32(big);
            const uint32_t offset = t.u32(big);
            t.seek(offset);
            QByteArrayView bytes = t.view(length);
            const qsizetype zero = bytes.indexOf('\0');
            return QString::fromUtf8(zero < 0 ? bytes : bytes.first(zero));
        };
        for (uint32_t i = 0; i < count; ++i) {
            const QString source = text(originals, i);
            const QString translation = text(translations, i);
            if (source.isEmpty() || translation.isEmpty()) continue;
            out.emplace_back(source, translation);
        }
    } catch (const TQuillError&) {
    }
}

std::vector<std::pair<QString, QString>> catalogPairs() {
    std::vector<std::pair<QString, QString>> pairs;
    const QDir folder(QStringLiteral("/usr/share/locale/fr/LC_MESSAGES"));
    for (const QString& name : folder.entryList({QStringLiteral("*.mo")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly)) readMoCatalog(file.readAll(), pairs);
    }
    return pairs;
}

// A variant of a real sentence: a word changed, a number appended, a word dropped or letters swapped.
QString vary(const QString& text, uint32_t k) {
    QStringList words = text.split(QLatin1Char(' '));
    static const char* const extra[] = {"file", "the", "new", "window", "not", "user", "value", "error"};
    switch (k % 4) {
    case 0:
        return text + QStringLiteral(" %1").arg(k % 97);
    case 1:
        words[static_cast<qsizetype>(k % static_cast<uint32_t>(words.size()))] = QLatin1String(extra[k % 8]);
        return words.join(QLatin1Char(' '));
    case 2:
        if (words.size() > 2) words.removeAt(static_cast<qsizetype>(k % static_cast<uint32_t>(words.size())));
        return words.join(QLatin1Char(' ')) + QLatin1Char('.');
    default: {
        QString t = text;
        if (t.size() > 3) std::swap(t[1], t[2]);
        return t + QLatin1Char('!');
    }
    }
}

std::unique_ptr<tSkyStr> entry(const QString& source, const QString& translation) {
    return std::make_unique<tSkyStr>(source, translation, 0, 0u, 99, sStrParams{}, sStrInternalParams{}, nullptr, true);
}

tSkyStrList untranslatedCopy(const std::vector<QString>& sources) {
    tSkyStrList list;
    for (const QString& s : sources)
        list.push_back(entry(s, s));
    return list;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const std::vector<std::pair<QString, QString>> pairs = catalogPairs();
    if (pairs.size() < 1000) {
        std::printf("too few catalog pairs (%zu)\n", pairs.size());
        return 1;
    }
    std::printf("%zu catalog pairs\n", pairs.size());

    // The vocabulary: each pair, then variants of it, until 300,000 entries.
    tListSet vocabulary;
    for (uint32_t k = 0; vocabulary[0].size() < kVocabularySize; ++k) {
        const auto& [source, translation] = pairs[k % pairs.size()];
        const uint32_t round = k / static_cast<uint32_t>(pairs.size());
        vocabulary[0].push_back(round == 0 ? entry(source, translation) : entry(vary(source, k + round), translation));
    }
    // The strings to translate: a third close to a vocabulary sentence, a third varied further, a third taken from the
    // end of the catalogs with a word changed (many then share words with many entries but are far from all).
    std::mt19937 rng(7);
    std::vector<QString> sources;
    for (size_t k = 0; k < kUntranslated; ++k) {
        const auto& pair = pairs[rng() % pairs.size()];
        sources.push_back(k % 3 == 0 ? vary(pair.first, static_cast<uint32_t>(k))
                                     : vary(vary(pair.first, static_cast<uint32_t>(rng())), static_cast<uint32_t>(k)));
    }

    TScriptedHost host;
    TAppContext app(&host);
    auto& t = quillbench::timings();

    // "--profile N [THREADS]": the indexed batch once (one thread unless told) over the first N strings and nothing
    // else, for an instruction count (valgrind --tool=callgrind --toggle-collect='heuristicPass*') or a whole-process
    // timing.
    for (int a = 1; a + 1 < argc; ++a) {
        if (std::string_view(argv[a]) != "--profile") continue;
        const size_t count = std::min<size_t>(std::strtoul(argv[a + 1], nullptr, 10), sources.size());
        const int threads = a + 2 < argc ? std::atoi(argv[a + 2]) : 1;
        tSkyStrList strings = untranslatedCopy(std::vector<QString>(sources.begin(), sources.begin() + count));
        std::vector<std::pair<tSkyStr*, tSkyStr*>> out;
        const int left = heuristicPass(app, vocabulary, strings, 0, out, threads);
        long long found = 0;
        for (const auto& s : strings)
            found += s->LDFound;
        std::printf("%zu strings: %d without a candidate, %lld candidates counted\n", count, left, found);
        return 0;
    }

    // Results first: the literal rule on the sample, the fast batch on the whole, the same decisions.
    std::vector<QString> sample(sources.begin(), sources.begin() + kLiteralSample);
    tSkyStrList literalStrings = untranslatedCopy(sample);
    std::vector<std::pair<tSkyStr*, tSkyStr*>> out;
    for (int run = 0; run < 3; ++run) {
        literalStrings = untranslatedCopy(sample);
        out.clear();
        t.record("literal/string", quillbench::timed([&] {
                                       heuristicPassLiteral(app, vocabulary, literalStrings, 0, out);
                                   }) / kLiteralSample);
        for (const int threads : {1, 2}) {
            tSkyStrList strings = untranslatedCopy(sources);
            out.clear();
            const double seconds = quillbench::timed([&] { heuristicPass(app, vocabulary, strings, 0, out, threads); });
            t.record(threads == 1 ? "indexed-1thread" : "indexed-2threads", seconds);
            for (size_t k = 0; k < kLiteralSample; ++k) {
                if (strings[k]->LDFound != literalStrings[k]->LDFound ||
                    strings[k]->LDResult != literalStrings[k]->LDResult ||
                    strings[k]->gTrans != literalStrings[k]->gTrans) {
                    std::printf("MISMATCH at %zu\n", k);
                    return 1;
                }
            }
            if (run == 0 && threads == 1) {
                int withCandidate = 0;
                for (const auto& s : strings)
                    withCandidate += s->LDResult < 90 ? 1 : 0;
                std::printf("%d of %zu strings took a candidate\n", withCandidate, strings.size());
            }
        }
    }
    const double literalWhole = t.median("literal/string") * static_cast<double>(kUntranslated);
    t.record("literal-scaled", literalWhole);
    std::printf("literal rule: %.4f s a string, %.1f s for %zu strings (scaled)\n", t.median("literal/string"),
                literalWhole, kUntranslated);
    t.printRatio("literal-scaled", "indexed-1thread", "(target >= 25)");
    t.printRatio("literal-scaled", "indexed-2threads", "(target >= 40)");
    t.printRatio("indexed-1thread", "indexed-2threads", "(second thread)");

    // The candidate list of one focused string.
    for (size_t k = 0; k < 60; ++k) {
        tSkyStrList one = untranslatedCopy({sources[k * 97 % sources.size()]});
        t.record("candidates", quillbench::timed([&] { heuristicCandidates(*one[0], vocabulary[0]); }));
    }
    std::printf("median candidates of one string %8.4f s (target < 0.030)\n", t.median("candidates"));

    // One rule over 500,000 strings.
    tListSet strings;
    for (size_t k = 0; k < kReplaceStrings; ++k) {
        const auto& pair = pairs[k % pairs.size()];
        strings[0].push_back(std::make_unique<tSkyStr>(pair.first, pair.second, 0, 0u, 99));
    }
    rSearchData rule;
    rule.s1 = QStringLiteral("fichier");
    rule.s2 = QStringLiteral("document");
    rule.mode1 = 0;
    rule.mode2 = 0;
    for (int run = 0; run < 5; ++run) {
        qsizetype total = 0;
        t.record("lower-all", quillbench::timed([&] {
                     for (const auto& e : strings[0])
                         total += e->gTrans.toLower().size();
                 }));
        int changed = 0;
        t.record("replace-rule", quillbench::timed([&] { changed = applySearchRule(rule, strings, 0, {}); }));
        if (run == 0)
            std::printf("rule changed %d of %zu strings (%lld)\n", changed, kReplaceStrings, (long long)total);
        rule.s1.swap(rule.s2); // back and forth, so that every run changes as many
    }
    t.printRatio("replace-rule", "lower-all", "(target: rule < 0.5 s)");
    return 0;
}
