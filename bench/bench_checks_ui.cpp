// The Checks tab's costs on a 500,000-string document whose every string is still its source (one problem each):
// the rows made after a run, one string fixed and followed through the change channel (its re-check, its rows, the
// figures), a header click sorting every row, and the lists' "With problems" filter; against a plain walk over the same
// entries.
#include "bench_support.h"
#include "temp_program_dir.h"
#include "test_documents.h"

#include "ui/QUILL_checksUi.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"

#include <QApplication>
#include <QTabWidget>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kEntries = 500000;
using quillbench::now;

template <typename F> void timed(benchmark::State& state, const char* name, F&& body) {
    for (auto _ : state) {
        const double t0 = now();
        body();
        quillbench::recordIteration(state, name, now() - t0);
    }
}

struct TWindow {
    TTempProgramDir dir;
    std::unique_ptr<TForm1> form;
    TChecksPage* page = nullptr;
    TWindow() {
        form = std::make_unique<TForm1>(dir.path(), QString(), QString());
        TWorkspace& ws = form->workspace();
        for (int i = 0; i < kEntries; ++i) {
            const int list = i % 4 < 2 ? 0 : i % 4 - 1;
            const QString text = QStringLiteral("Source text number %1").arg(i);
            ws.loadedLists[list].push_back(std::make_unique<tSkyStr>(text, text, list, static_cast<uint32_t>(i), 0));
        }
        adoptDocument(ws, TWorkMode::Strings);
        form->resize(1280, 800);
        form->show();
        form->refreshLists();
        page = checksPage(*form);
        form->bottomPages()->setCurrentWidget(page); // the rows are made while the tab is shown
        QApplication::processEvents();
        page->runNow();
    }
    ~TWindow() { adoptDocument(form->workspace(), TWorkMode::None); }
};

std::unique_ptr<TWindow>& windowHolder() {
    static std::unique_ptr<TWindow> w;
    return w;
}

TWindow& window() {
    if (!windowHolder()) windowHolder() = std::make_unique<TWindow>();
    return *windowHolder();
}

void BM_WalkBaseline(benchmark::State& state) {
    TWorkspace& ws = window().form->workspace();
    timed(state, "walk", [&] {
        qsizetype total = 0;
        for (const auto& list : ws.loadedLists)
            for (const auto& e : list)
                total += e->gS.toLower().contains(QLatin1String("number 4999"));
        benchmark::DoNotOptimize(total);
    });
}

// After a run (an open, the Run button): every row made from the workspace's problems.
void BM_TabRows(benchmark::State& state) {
    TChecksPage& page = *window().page;
    timed(state, "tab-rows", [&] {
        page.model()->rebuild();
        QApplication::processEvents();
    });
}

// A command changed one string: the channel re-checks it and the tab, its figures and the lists follow.
void BM_OneStringFixed(benchmark::State& state) {
    TWorkspace& ws = window().form->workspace();
    int turn = 0;
    timed(state, "one-fix", [&] {
        tSkyStr* e = ws.loadedLists[0][static_cast<size_t>(1000 + turn)].get();
        e->setSTrans(turn++ % 2 ? e->gS : QStringLiteral("Texte"));
        ws.notify(&TWorkspaceObserver::entriesChanged, std::vector<tSkyStr*>{e});
        QApplication::processEvents();
    });
}

// A click on the Problem column's header: every row sorted (then back to the order of the lists, not timed).
void BM_SortByProblem(benchmark::State& state) {
    TChecksPage& page = *window().page;
    for (auto _ : state) {
        const double t0 = now();
        page.proxy()->sort(TProblemsModel::columnProblem, Qt::AscendingOrder);
        quillbench::recordIteration(state, "sort", now() - t0);
        page.proxy()->sort(-1);
    }
}

// "With problems" pressed and released: the three lists filtered by the problems.
void BM_ProblemsFilter(benchmark::State& state) {
    TForm1& form = *window().form;
    timed(state, "filter", [&] { form.problemsFilterButton()->click(); });
}

} // namespace

BENCHMARK(BM_WalkBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_TabRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OneStringFixed)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);
BENCHMARK(BM_SortByProblem)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ProblemsFilter)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    windowHolder().reset();
    quillbench::timings().printRatio("tab-rows", "walk", "(after a run)");
    quillbench::timings().printRatio("one-fix", "walk", "(after every command, the lists' redraw included)");
    quillbench::timings().printRatio("sort", "walk", "(a header click)");
    quillbench::timings().printRatio("filter", "walk", "(With problems)");
    return 0;
}
