// Command-line step --stats: the progress table as JSON lines.
#include "QUILL_cli.h"

#include "workspace/QUILL_progress.h"

namespace {

const TCliStepRegistrar statsRegistrar(
    TCliStep(QStringLiteral("--stats"),
             QStringLiteral(": how far the work is, one JSON line a list, then one a record and field pair (total, "
                            "untranslated, translated, partial, validated, words_left)"),
             TCliSyntax{}, [](TCliContext& cli, const QStringList&) {
                 cli.out << progressJsonLines(computeProgress(cli.ws));
                 cli.out.flush();
                 return true;
             }));

} // namespace
