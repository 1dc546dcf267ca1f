// The window's interactive costs: a keystroke in the search field filtering the three lists of a 500,000-string
// document (against a plain walk over the same entries), and the formatted hint laying out a 5,000-character book
// text with real font metrics (against measuring the text's words alone).
#include "bench_support.h"
#include "temp_program_dir.h"

#include "display/QUILL_Hint.h"
#include "ui/QUILL_hintWindow.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_stringListModel.h"
#include "workspace/QUILL_workspace.h"

#include <QApplication>
#include <QFontMetrics>
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
    TWindow() {
        form = std::make_unique<TForm1>(dir.path(), QString(), QString());
        TWorkspace& ws = form->workspace();
        // Half the strings in STRINGS, a quarter in each of the other lists.
        for (int i = 0; i < kEntries; ++i) {
            const int list = i % 4 < 2 ? 0 : i % 4 - 1;
            ws.loadedLists[list].push_back(std::make_unique<tSkyStr>(
                QStringLiteral("Source text number %1").arg(i), QStringLiteral("Texte %1").arg(i), list,
                static_cast<uint32_t>(i), 0, i % 3 ? sStrParams{} : sStrParams{sStrParam::validated}));
        }
        ws.state().WorkMode = TWorkMode::Strings;
        form->resize(1280, 800);
        form->show();
        form->refreshLists();
    }
    ~TWindow() { form->workspace().state().WorkMode = TWorkMode::None; }
};

// Made on first use, let go of before the application object (a window outliving it cannot be closed).
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

// What a keystroke does once the search timer fires: the three lists filtered, the active one first.
void BM_SearchKeystroke(benchmark::State& state) {
    TForm1& form = *window().form;
    int turn = 0;
    timed(state, "keystroke",
          [&] { form.applyFilter(turn++ % 2 ? QStringLiteral("number 4999") : QStringLiteral("number 499")); });
    form.applyFilter(QString());
}

// What a list command (validate, a search rule, a batch) does after changing entries: the three lists redrawn.
void BM_RepaintLists(benchmark::State& state) {
    TForm1& form = *window().form;
    timed(state, "repaint", [&] {
        form.repaintLists();
        QApplication::processEvents();
    });
}

QString bookText() {
    QString text =
        QStringLiteral("<p align='center'><font face='$HandwrittenFont' size='20'>The Lost Patrol</font></p>\n"
                       "<img src='img://Textures/Interface/Books/T_letter.dds'>");
    int paragraph = 0;
    while (text.size() < 5000) {
        text += QStringLiteral("he patrol left Fort Strong at dawn, <b>twelve</b> of us in <i>power armor</i>, "
                               "and only three came back to tell of it. ");
        if (++paragraph % 4 == 0) text += QStringLiteral("\n\n[pagebreak]\n");
    }
    return text.left(5000);
}

void BM_HintWordsBaseline(benchmark::State& state) {
    const QString text = bookText();
    const QStringList words = text.split(QLatin1Char(' '));
    const QFontMetrics metrics(QApplication::font());
    timed(state, "hint-words", [&] {
        int total = 0;
        for (const QString& w : words)
            total += metrics.horizontalAdvance(w);
        benchmark::DoNotOptimize(total);
    });
}

void BM_HintLayout(benchmark::State& state) {
    const QString text = bookText();
    TFontMeasure measure(QApplication::font());
    timed(state, "hint-layout", [&] {
        const rHintLayout measured = calcHintRect(measure, text);
        const rHintLayout painted =
            layoutHintText(measure, text, QRect(QPoint(0, 0), QPoint(measured.rect.width(), 0)), 1.0, 0);
        benchmark::DoNotOptimize(painted.words.size());
    });
}

} // namespace

BENCHMARK(BM_WalkBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_SearchKeystroke)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_RepaintLists)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HintWordsBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(51);
BENCHMARK(BM_HintLayout)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(51);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    windowHolder().reset();
    quillbench::timings().printRatio("keystroke", "walk", "(target: keystroke < 0.100 s)");
    quillbench::timings().printRatio("repaint", "walk", "(redraw after a list command)");
    quillbench::timings().printRatio("hint-layout", "hint-words", "(target: hint-layout < 0.005 s)");
    return 0;
}
