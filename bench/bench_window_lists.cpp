// The window on a 1,000,000-string table set, shown (offscreen unless QT_QPA_PLATFORM says otherwise), timing what a
// translator waits for: each action and then the event loop until it is idle (layouts, scroll bars, painting). The
// baseline is the same set opened by a workspace without a window, as the command line opens it; the targets are
// each action under 0.3 s, the list shown within 1.5 times the baseline, and closing the set or quitting the window
// with it open under a tenth of the baseline. --file=PATH takes a document of the translator's (a big plugin) instead
// of the generated set.
// Usage: bench_window_lists [--entries=N | --file=PATH] [benchmark options].
#include "bench_support.h"
#include "bench_texts.h"
#include "scripted_host.h"
#include "temp_program_dir.h"

#include "core/QUILL_startup.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_workspace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeView>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int gEntries = 1000000;
QString gFile;
using quillbench::now;

struct TSetFiles {
    TTempProgramDir dir{false};
    QString firstTable;
    TSetFiles() {
        firstTable = writeUtf8TableSet(dir.path() + QStringLiteral("set/"), "bench", "en",
                                       quillbench::tableSetTexts(gEntries, false))[0];
    }
};

// The document the benchmarks open.
QString documentPath() {
    if (!gFile.isEmpty()) return gFile;
    static TSetFiles f;
    return f.firstTable;
}

// Runs the event loop until a few passes in a row find nothing to do: delayed layouts, scroll bars, paints.
void settle() {
    for (int quiet = 0; quiet < 3;) {
        QElapsedTimer pass;
        pass.start();
        QApplication::processEvents(QEventLoop::AllEvents);
        QApplication::sendPostedEvents();
        quiet = pass.nsecsElapsed() < 300000 ? quiet + 1 : 0;
    }
}

struct TWindow {
    TTempProgramDir dir;
    std::unique_ptr<TForm1> form;
    TWindow() {
        form = std::make_unique<TForm1>(dir.path(), QString(), QString());
        form->workspace().state().SourceLang = QStringLiteral("en");
        form->workspace().state().DestLang = QStringLiteral("fr");
        form->resize(1280, 800);
        form->show();
        settle();
    }
    QLineEdit* search() const { return form->findChild<QLineEdit*>(QStringLiteral("ButtonedEdit1")); }
};

std::unique_ptr<TWindow>& windowHolder() {
    static std::unique_ptr<TWindow> w;
    return w;
}

// The window with the set open (opened once, by the first benchmark that needs it).
TWindow& openWindow() {
    if (!windowHolder()) {
        windowHolder() = std::make_unique<TWindow>();
        TForm1& form = *windowHolder()->form;
        form.runGuarded([&] { form.workspace().openFileByKind(documentPath()); });
        settle();
    }
    return *windowHolder();
}

// Baseline: the set opened by a workspace alone, as the command line opens it.
void BM_OpenWithoutWindow(benchmark::State& state) {
    const QString path = documentPath();
    TTempProgramDir program;
    for (auto _ : state) {
        TScriptedHost host;
        auto ws = std::make_unique<TWorkspace>(&host);
        startApplication(ws->app, program.path());
        ws->state().SourceLang = QStringLiteral("en");
        ws->state().DestLang = QStringLiteral("fr");
        quillbench::recordIteration(state, "open-bare", quillbench::timed([&] { ws->openFileByKind(path); }));
        state.PauseTiming();
        ws.reset();
        state.ResumeTiming();
    }
}

// Notes when a list view first paints rows after `armed` is set.
class TFirstRowsPaint : public QObject {
public:
    explicit TFirstRowsPaint(TForm1& form) {
        for (QTreeView* view : form.findChildren<QTreeView*>()) {
            view->viewport()->installEventFilter(this);
            views_.push_back(view);
        }
    }
    bool armed = false;
    double at = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (armed && at == 0 && event->type() == QEvent::Paint)
            for (QTreeView* view : views_)
                if (view->viewport() == watched && view->isVisible() && view->model() &&
                    view->model()->rowCount() > 1000)
                    at = now();
        return false;
    }

private:
    std::vector<QTreeView*> views_;
};

// The set opened in the window: until its list is painted, and until the window is idle (the quality checks run in
// steps after the list is shown).
void BM_OpenInWindow(benchmark::State& state) {
    const QString path = documentPath();
    for (auto _ : state) {
        auto window = std::make_unique<TWindow>();
        TForm1& form = *window->form;
        TFirstRowsPaint painted(form);
        painted.armed = true;
        const double start = now();
        quillbench::recordIteration(state, "open-window", quillbench::timed([&] {
                                        form.runGuarded([&] { form.workspace().openFileByKind(path); });
                                        settle();
                                    }));
        if (painted.at > 0) quillbench::timings().record("list-painted", painted.at - start);
        state.PauseTiming();
        window.reset();
        settle();
        state.ResumeTiming();
    }
}

// A letter typed in the search field, once its timer fired; then the search cleared.
void BM_SearchKeystroke(benchmark::State& state) {
    TWindow& w = openWindow();
    QLineEdit* search = w.search();
    int turn = 0;
    for (auto _ : state) {
        const QString text = turn++ % 2 ? QStringLiteral("iron s") : QStringLiteral("iron");
        search->setText(text);
        quillbench::recordIteration(state, "keystroke", quillbench::timed([&] {
                                        w.form->applyFilter(text);
                                        settle();
                                    }));
        search->setText(QString());
        quillbench::timings().record("clear-search", quillbench::timed([&] {
                                         w.form->applyFilter(QString());
                                         settle();
                                     }));
    }
}

// A header click on another text column (source and translation in turn), then on the same column again (the other
// order).
void BM_Sort(benchmark::State& state) {
    TWindow& w = openWindow();
    int turn = 0;
    for (auto _ : state) {
        const int column =
            turn++ % 2 ? static_cast<int>(TListColumn::translated) : static_cast<int>(TListColumn::original);
        quillbench::recordIteration(state, "sort", quillbench::timed([&] {
                                        w.form->sortListView(0, column, Qt::AscendingOrder);
                                        settle();
                                    }));
        quillbench::timings().record("sort-again", quillbench::timed([&] {
                                         w.form->sortListView(0, column, Qt::DescendingOrder);
                                         settle();
                                     }));
    }
}

// A header click on each of the other columns in turn (id, score, editor id).
void BM_SortOtherColumns(benchmark::State& state) {
    TWindow& w = openWindow();
    const int columns[] = {static_cast<int>(TListColumn::id), static_cast<int>(TListColumn::ld),
                           static_cast<int>(TListColumn::edid)};
    int turn = 0;
    for (auto _ : state) {
        const int column = columns[turn++ % 3];
        quillbench::recordIteration(state, "sort-other", quillbench::timed([&] {
                                        w.form->sortListView(0, column, Qt::AscendingOrder);
                                        settle();
                                    }));
    }
}

void sendKey(QWidget* to, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(to, &release);
}

// Ctrl+End in the list, then Ctrl+Home (timed apart).
void BM_CtrlEnd(benchmark::State& state) {
    TWindow& w = openWindow();
    QTreeView* view = w.form->listView(0);
    view->setFocus();
    for (auto _ : state) {
        quillbench::recordIteration(state, "ctrl-end", quillbench::timed([&] {
                                        sendKey(view, Qt::Key_End, Qt::ControlModifier);
                                        settle();
                                    }));
        quillbench::timings().record("ctrl-home", quillbench::timed([&] {
                                         sendKey(view, Qt::Key_Home, Qt::ControlModifier);
                                         settle();
                                     }));
    }
}

// The next list page shown (it re-applies the search to the three lists).
void BM_SwitchPage(benchmark::State& state) {
    TWindow& w = openWindow();
    QTabWidget* pages = w.form->listPages();
    int turn = 0;
    for (auto _ : state)
        quillbench::recordIteration(state, "switch-page", quillbench::timed([&] {
                                        pages->setCurrentIndex(++turn % 3);
                                        settle();
                                    }));
    pages->setCurrentIndex(0);
    settle();
}

// A translation stored as the edit dialog's Ctrl+Enter stores it (the same sources left alone), until the window is
// idle: the lists, the checks and the title follow.
void BM_StoreTranslation(benchmark::State& state) {
    TWindow& w = openWindow();
    TWorkspace& ws = w.form->workspace();
    int turn = 0;
    for (auto _ : state) {
        tSkyStr* e = ws.loadedLists[0][static_cast<size_t>(1000 + 7 * turn++)].get();
        rStoreRequest request;
        request.translation = QStringLiteral("Traduction %1").arg(turn);
        request.carrySimilar = false;
        quillbench::recordIteration(state, "store", quillbench::timed([&] {
                                        w.form->runGuarded([&] { ws.storeTranslation(e, request); });
                                        settle();
                                    }));
        quillbench::timings().record("undo", quillbench::timed([&] {
                                         w.form->runCommand(QStringLiteral("Menu_Undo"));
                                         settle();
                                     }));
    }
}

// File > Close all with the set open, until the window is idle; then the window closed and freed with the set open,
// as on quitting (each on a window of its own).
void BM_CloseAndQuit(benchmark::State& state) {
    const QString path = documentPath();
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<TWindow>();
        TForm1& form = *window->form;
        form.runGuarded([&] { form.workspace().openFileByKind(path); });
        settle();
        state.ResumeTiming();
        if (turn++ % 2 == 0) {
            quillbench::recordIteration(state, "close", quillbench::timed([&] {
                                            form.runCommand(QStringLiteral("Menu_CloseAll"));
                                            settle();
                                        }));
            window.reset();
        } else {
            quillbench::recordIteration(state, "quit", quillbench::timed([&] {
                                            form.close();
                                            window.reset();
                                            settle();
                                        }));
        }
        settle();
    }
}

} // namespace

BENCHMARK(BM_OpenWithoutWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenInWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SearchKeystroke)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Sort)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_SortOtherColumns)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_CtrlEnd)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SwitchPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_StoreTranslation)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CloseAndQuit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);

int main(int argc, char** argv) {
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--entries=", 10) == 0)
            gEntries = std::atoi(argv[i] + 10);
        else if (std::strncmp(argv[i], "--file=", 7) == 0)
            gFile = QString::fromLocal8Bit(argv[i] + 7);
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(count, args.data());
    benchmark::Initialize(&count, args.data());
    if (gFile.isEmpty())
        std::printf("%d strings\n", gEntries);
    else
        std::printf("%s\n", qPrintable(gFile));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    windowHolder().reset();
    auto& t = quillbench::timings();
    t.printRatio("list-painted", "open-bare", "(target: at most 1.5)");
    t.printRatio("open-window", "open-bare", "(the window idle, its checks done)");
    for (const char* name :
         {"keystroke", "clear-search", "sort", "sort-again", "sort-other", "ctrl-end", "ctrl-home", "switch-page", "store", "undo"})
        if (t.has(name)) std::printf("median %-14s %8.4f s   (target: under 0.3 s)\n", name, t.median(name));
    t.printRatio("close", "open-bare", "(target: under 0.1)");
    t.printRatio("quit", "open-bare", "(target: under 0.1)");
    return 0;
}
