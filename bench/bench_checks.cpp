// The quality checks: every check over a document of 500,000 strings (with an official vocabulary of 100,000 terms)
// against one case-insensitive search over the same strings, today's search keystroke (target: at most 20 times
// it); and the edit dialog's re-check of a 2,000-character book text as the translator types (target: under 2 ms),
// against one lower-casing of that text.
#include "bench_support.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int kEntries = 500000;
constexpr int kTerms = 100000;
using quillbench::now;

// Sources and translations as a mod's: names, sentences, dialogue with tags, numbers and format codes, a few book
// pages; most translated, some with a fault, some left in English.
struct rPair {
    const char* source;
    const char* translation;
};
constexpr rPair kPairs[] = {
    {"Quill Laser Musket %1", "Mousquet laser à plume %1"},
    {"A hand-cranked laser musket, tuned by the scribes of the Quillery. Model %1.",
     "Un mousquet laser à manivelle, réglé par les scribes de la Quillery. Modèle %1."},
    {"<Alias=Player> found %1 pages of the lost manuscript.", "<Alias=Player> a trouvé %1 pages du manuscrit perdu."},
    {"Fires %d pellets of quick-drying ink (%1).", "Tire %d plombs d'encre à séchage rapide (%1)."},
    {"Costs 1,250 caps for %1 sheets.", "Coûte 1 250 capsules pour %1 feuilles."},
    {"Any luck with the manuscript number %1?", "Du nouveau pour le manuscrit numéro %1 ?"},
    {"Please keep looking, it means everything to me.\r\nAsk <Alias=Scribe> about page %1.",
     "Continue de chercher, cela compte beaucoup pour moi.\r\nDemande à <Alias=Scribe> pour la page %1."},
    {"Bottle of Ink %1", "Bouteille d'encre  %1"},
    {"Speed Reader rank %1", "Speed Reader rank %1"},
    {"You read books twice as fast. Bonus: %1%%", "Vous lisez deux fois plus vite. Bonus : %1%"},
};

QString numbered(const char* text, int i) {
    return QString::fromUtf8(text).replace(QLatin1String("%1"), QString::number(i));
}

QString bookText(const char* paragraph, int size) {
    QString text = QStringLiteral("<p align='center'><font face='$HandwrittenFont' size='20'>The Lost Patrol</font></p>"
                                  "\r\n");
    while (text.size() < size)
        text += QString::fromUtf8(paragraph) + QStringLiteral(" <b>12</b> of us, [pagebreak]\r\n");
    return text.left(size);
}

struct TDocument {
    TWorkspace ws;
    tSkyFolder official{QStringLiteral("fallout4"), {}};
    tSkyStr* book = nullptr;
    QString bookTranslation;

    TDocument() {
        ws.state().SourceLang = QStringLiteral("en");
        ws.state().DestLang = QStringLiteral("fr");
        ws.state().WorkMode = TWorkMode::Strings;
        for (int i = 0; i < kEntries; ++i) {
            const int list = i % 4 < 2 ? 0 : i % 4 - 1;
            const rPair& p = kPairs[i % std::size(kPairs)];
            ws.loadedLists[list].push_back(std::make_unique<tSkyStr>(
                numbered(p.source, i / 7), numbered(p.translation, i / 7), list, static_cast<uint32_t>(i), 0,
                i % 3 ? sStrParams{sStrParam::translated} : sStrParams{sStrParam::validated}));
        }
        book = ws.loadedLists[1].back().get();
        book->setS(bookText("The patrol left Fort Strong at dawn, and only three came back to tell of it.", 2000));
        bookTranslation =
            bookText("La patrouille quitta Fort Strong à l'aube, et trois seulement revinrent le raconter.", 2000);
        book->setSTrans(bookTranslation);
        for (int i = 0; i < kTerms; ++i)
            ws.vocabularyLists[0].push_back(
                std::make_unique<tSkyStr>(numbered("Quill Laser Musket %1", i), numbered("Mousquet laser %1", i), 0, 0,
                                          0, sStrParams{}, sStrInternalParams{sStrInternalParam::isCache}, &official));
        sortListSet(ws.vocabularyLists, skycompare::byHashSourceId);
    }
};

TDocument& document() {
    static TDocument d;
    return d;
}

template <typename F> void timed(benchmark::State& state, const char* name, F&& body) {
    for (auto _ : state) {
        const double t0 = now();
        body();
        quillbench::recordIteration(state, name, now() - t0);
    }
}

// Baseline: what a keystroke in the search field does to every row.
void BM_SearchBaseline(benchmark::State& state) {
    TWorkspace& ws = document().ws;
    rListFilter filter;
    filter.setSearchText(QStringLiteral("manuscript number 4999"), true);
    timed(state, "search", [&] {
        int shown = 0;
        for (const auto& list : ws.loadedLists)
            for (const auto& e : list)
                shown += entryPassesFilter(filter, *e) ? 1 : 0;
        benchmark::DoNotOptimize(shown);
    });
}

void BM_AllChecks(benchmark::State& state) {
    TWorkspace& ws = document().ws;
    int problems = 0;
    timed(state, "all-checks", [&] { problems = runChecks(ws, quillcheck::allChecks()); });
    state.counters["problems"] = problems;
}

// Baseline: one pass over the book text.
void BM_BookBaseline(benchmark::State& state) {
    const QString& text = document().bookTranslation;
    timed(state, "book-lower", [&] { benchmark::DoNotOptimize(text.toLower()); });
}

// The edit dialog after a key: the typed text checked as the book's translation.
void BM_BookRecheck(benchmark::State& state) {
    TDocument& d = document();
    QString typed = d.bookTranslation;
    typed[500] = QLatin1Char('x');
    problemsOfText(d.ws, *d.book, typed, false); // the cross-entry indexes, made once
    timed(state, "book-recheck", [&] { benchmark::DoNotOptimize(problemsOfText(d.ws, *d.book, typed, false).size()); });
}

} // namespace

BENCHMARK(BM_SearchBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_AllChecks)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BookBaseline)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(201);
BENCHMARK(BM_BookRecheck)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(201);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    quillbench::timings().printRatio("all-checks", "search", "(target: ratio <= 20)");
    quillbench::timings().printRatio("book-recheck", "book-lower", "(target: book-recheck < 0.002 s)");
    return 0;
}
