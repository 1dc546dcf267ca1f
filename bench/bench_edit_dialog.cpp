// The edit dialog on a plugin of 500,000 strings (100,000 records of five texts, with a QUST group of dialogue):
// opening it on a string and moving on with F1 (store, walk to the next string, load it), against the baseline of
// putting the two texts into the editors alone; and the search page over a vocabulary of 500,000 entries, against a
// plain walk over the same sources. Runs under the offscreen platform.
#include "aids/QUILL_editLogic.h"
#include "bench_support.h"
#include "plugin/QUILL_espTree.h"
#include "temp_program_dir.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QApplication>
#include <QKeyEvent>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>

namespace {

constexpr int kRecords = 100000;
constexpr int kFieldsPerRecord = 5;
constexpr int kVocabulary = 500000;

struct TBigDocument {
    TTempProgramDir dir;
    std::unique_ptr<TForm1> form;
    TForm2* dialog = nullptr;
    std::vector<tSkyStr*> entries;

    TBigDocument() {
        form = std::make_unique<TForm1>(dir.path(), QString(), QString());
        TWorkspace& ws = form->workspace();
        auto doc = std::make_unique<TPluginDocument>();
        tPluginTree& tree = doc->tree;
        auto group = [](tPluginNode* parent, uint32_t type, const char* label) {
            auto g = std::make_unique<tGrup>(rGenericHeader{kSigGRUP, 0});
            g->headerData.sType = type;
            g->headerData.sIdent = sHeaderSig(label[0], label[1], label[2], label[3]).asUint();
            return parent->append(std::move(g));
        };
        tPluginNode* weap = group(&tree.root, 0, "WEAP");
        tPluginNode* qust = group(&tree.root, 0, "QUST");
        static const sHeaderSig names[] = {{'F', 'U', 'L', 'L'},
                                           {'D', 'E', 'S', 'C'},
                                           {'N', 'N', 'A', 'M'},
                                           {'R', 'N', 'A', 'M'},
                                           {'S', 'H', 'R', 'T'}};
        uint32_t id = 1;
        for (int r = 0; r < kRecords; ++r) {
            const bool dialogue = r >= kRecords - 1000;
            auto rec = std::make_unique<trecord>(
                rGenericHeader{dialogue ? sHeaderSig('I', 'N', 'F', 'O') : sHeaderSig('W', 'E', 'A', 'P'), 0});
            rec->headerData.formID = 0x01000000u + static_cast<uint32_t>(r);
            trecord* record = rec.get();
            record->espRec = (dialogue ? qust : weap)->append(std::move(rec));
            record->fList.reserve(kFieldsPerRecord); // the fields never move once entries point at them
            for (int f = 0; f < kFieldsPerRecord; ++f) {
                tField& field = record->fList.emplace_back();
                field.header.name = names[f];
                field.maxStrSize = 256;
                auto entry = std::make_unique<tSkyStr>(
                    QStringLiteral("Source text %1 of <Alias=Player> record %2").arg(f).arg(r),
                    QStringLiteral("Texte %1 de <Alias=Player> enregistrement %2").arg(f).arg(r), 0, id++, 0);
                field.sk = entry.get();
                entry->AssignEspdata(record, &field);
                entries.push_back(entry.get());
                ws.loadedLists[0].push_back(std::move(entry));
            }
        }
        ws.document = std::move(doc);
        ws.state().WorkMode = TWorkMode::Esp;
        ws.state().currentFileName = QStringLiteral("Big");
        for (int i = 0; i < kVocabulary; ++i)
            ws.vocabularyLists[0].push_back(
                std::make_unique<tSkyStr>(QStringLiteral("Vocabulary source number %1 with words").arg(i),
                                          QStringLiteral("Traduction %1").arg(i), 0, static_cast<uint32_t>(i), 0));
        form->resize(1280, 800);
        form->show();
        form->refreshLists();
        dialog = editDialog(*form);
        QCoreApplication::processEvents();
    }
};

std::unique_ptr<TBigDocument> gBig; // made and freed while the application lives

TBigDocument& big() {
    if (!gBig) gBig = std::make_unique<TBigDocument>();
    return *gBig;
}

tSkyStr* randomEntry() {
    static std::mt19937 rng(7);
    return big().entries[rng() % big().entries.size()];
}

void BM_Baseline_EditorsOnly(benchmark::State& state) {
    TForm2* dialog = big().dialog;
    for (auto _ : state) {
        tSkyStr* e = randomEntry();
        const double t = quillbench::timed([&] {
            dialog->sourceEditor()->setPlainText(e->gS);
            dialog->translationEditor()->setPlainText(e->gTrans);
            QCoreApplication::processEvents();
        });
        quillbench::recordIteration(state, "editors-only", t);
    }
}

void BM_OpenDialog(benchmark::State& state) {
    TForm2* dialog = big().dialog;
    for (auto _ : state) {
        tSkyStr* e = randomEntry();
        const double t = quillbench::timed([&] {
            dialog->openEditDialog(false, e);
            QCoreApplication::processEvents();
        });
        quillbench::recordIteration(state, "open", t);
    }
}

void BM_F1MovesOn(benchmark::State& state) {
    TForm2* dialog = big().dialog;
    dialog->openEditDialog(false, randomEntry());
    int n = 0;
    for (auto _ : state) {
        // The last field of a record, so that half the moves walk the tree to the next record.
        dialog->translationEditor()->setPlainText(QStringLiteral("Traduit %1").arg(++n));
        const double t = quillbench::timed([&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
            QApplication::sendEvent(dialog->translationEditor(), &press);
            QCoreApplication::processEvents();
        });
        quillbench::recordIteration(state, "f1", t);
    }
}

void BM_Baseline_VocabularyWalk(benchmark::State& state) {
    const auto& list = big().form->workspace().vocabularyLists[0];
    for (auto _ : state) {
        const double t = quillbench::timed([&] {
            qsizetype total = 0;
            for (const auto& e : list)
                total += e->gS.size();
            benchmark::DoNotOptimize(total);
        });
        quillbench::recordIteration(state, "vocab-walk", t);
    }
}

// The search as a plain case-insensitive contains per entry (the matcher's skip table made again each time).
void BM_Baseline_ContainsPerEntry(benchmark::State& state) {
    const auto& list = big().form->workspace().vocabularyLists[0];
    const QString needle = QStringLiteral("number 4242");
    for (auto _ : state) {
        const double t = quillbench::timed([&] {
            QList<tSkyStr*> hits;
            for (const auto& e : list)
                if (e->gS.contains(needle, Qt::CaseInsensitive)) hits.append(e.get());
            benchmark::DoNotOptimize(hits);
        });
        quillbench::recordIteration(state, "contains", t);
    }
}

void BM_SearchPage(benchmark::State& state) {
    const tListSet& vocab = big().form->workspace().vocabularyLists;
    for (auto _ : state) {
        const double t = quillbench::timed([&] {
            benchmark::DoNotOptimize(editlogic::searchVocabulary(vocab, 0, QStringLiteral("NUMBER 4242"), false));
        });
        quillbench::recordIteration(state, "search", t);
    }
}

BENCHMARK(BM_Baseline_EditorsOnly)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(3);
BENCHMARK(BM_OpenDialog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(3);
BENCHMARK(BM_F1MovesOn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(3);
BENCHMARK(BM_Baseline_VocabularyWalk)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9);
BENCHMARK(BM_Baseline_ContainsPerEntry)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9);
BENCHMARK(BM_SearchPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    big();
    benchmark::RunSpecifiedBenchmarks();
    auto& t = quillbench::timings();
    t.printRatio("open", "editors-only", "(target: open under 30 ms)");
    t.printRatio("f1", "editors-only", "(target: F1 under 30 ms)");
    t.printRatio("search", "vocab-walk", "(target: search under 100 ms)");
    t.printRatio("search", "contains");
    gBig.reset();
    benchmark::Shutdown();
    return 0;
}
