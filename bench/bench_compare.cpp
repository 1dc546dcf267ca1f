// Benchmark of plugin compare: a synthetic plain plugin (about 300 MB at scale 1: a million records in nested
// groups, one in ten compressed, a text field in one record of five, as bench_plugin builds it) compared with a
// translated copy of itself, against opening it, both as the workspace commands run them. Open and compare run back
// to back in every round; the medians and the median of the per-round ratios are printed (target: compare at most
// twice the open), and the memory the compare keeps after it. Usage: bench_compare [--scale=1] [--rounds=5].
#include "bench_support.h"
#include "core/QUILL_files.h"
#include "core/QUILL_startup.h"
#include "plugin_builder.h"
#include "scripted_host.h"
#include "synthetic_plugin.h"
#include "temp_program_dir.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsCompare.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

double gScale = 1.0;
int gRounds = 5;
using quillbench::timed;

class TQuietHost : public TScriptedHost {
public:
    void appendLog(const QString&) override {}
};

// The plugin, with English texts or (translated) French ones in the same fields.
QByteArray syntheticPlugin(bool translated) {
    TPluginBuilder b;
    quillbench::addSyntheticRecords(b, std::max(1000, static_cast<int>(1000000 * gScale)),
                                    [translated](uint32_t formId, std::vector<rBuiltField>& fields) {
                                        const QString text =
                                            translated ? QStringLiteral("Objet synthétique numéro %1 du banc d'essai")
                                                       : QStringLiteral("Synthetic item number %1 of the benchmark");
                                        fields.push_back(TPluginBuilder::text("FULL", text.arg(formId)));
                                    });
    return b.bytes();
}

// Resident memory in KiB where the platform reports it (Linux), else -1.
qint64 residentKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--scale=", 8) == 0) gScale = std::atof(argv[i] + 8);
        if (std::strncmp(argv[i], "--rounds=", 9) == 0) gRounds = std::max(1, std::atoi(argv[i] + 9));
    }
    QCoreApplication application(argc, argv);
    TTempProgramDir dir(false);
    std::printf("scale %.3f: generating the synthetic plugins...\n", gScale);
    const QString newer = dir.write(QStringLiteral("Data/Synthetic.esp"), syntheticPlugin(false));
    const QString older = dir.write(QStringLiteral("Old/Synthetic.esp"), syntheticPlugin(true));
    std::printf("plugin: %.1f MB\n", static_cast<double>(QFileInfo(newer).size()) / 1e6);

    TQuietHost host;
    for (int round = 0; round < gRounds; ++round) {
        TWorkspace ws(&host);
        startApplication(ws.app, dir.path());
        ws.app.state.SourceLang = QStringLiteral("en");
        ws.app.state.DestLang = QStringLiteral("fr");
        bool opened = false;
        const double open = timed([&] { opened = ws.openAs("plugin", newer, false); });
        const qint64 openedKiB = residentKiB();
        bool compared = false;
        host.optionAnswers.enqueue(0);
        const double compare = timed([&] { compared = comparePlugin(ws, older); });
        if (!opened || !compared) {
            std::printf("round %d failed (opened %d, compared %d)\n", round, opened, compared);
            return 1;
        }
        if (round == 0) {
            int carried = 0;
            for (const auto& list : ws.loadedLists)
                for (const auto& e : list)
                    carried += e->hasParam(sStrParam::incompleteTrans) ? 1 : 0;
            std::printf("strings carried over: %d; memory kept by the compare: %lld MB\n", carried,
                        static_cast<long long>((residentKiB() - openedKiB) / 1024));
        }
        std::printf("round %d: open %.3f s, compare %.3f s\n", round, open, compare);
        quillbench::timings().record("open", open);
        quillbench::timings().record("compare", compare);
        quillbench::timings().record("compare/open", compare / open);
    }
    quillbench::timings().printRatio("compare", "open", "(target: at most 2)");
    std::printf("median of the per-round ratios compare/open: %.2f\n", quillbench::timings().median("compare/open"));
    return 0;
}
