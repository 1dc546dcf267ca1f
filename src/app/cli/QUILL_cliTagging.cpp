// Command-line steps of the tagging commands: --add-id-tags, --tag-same and --tag-diff.
#include "QUILL_cli.h"

#include "workspace/QUILL_wsTagging.h"

namespace {

const TCliStepRegistrar addIdTagsStep(
    {QStringLiteral("--add-id-tags"),
     QStringLiteral("[--string-id] [--form-id] [--record-ref] [--dial-ref] [--filter 0-2]: put id tags before the "
                    "translations (\"AddIdToStrings\"); filter 0 all, 1 neither translated nor validated (default), 2 "
                    "selected rows (none here)"),
     TCliSyntax{0,
                0,
                {cliFlag(QStringLiteral("--string-id")), cliFlag(QStringLiteral("--form-id")),
                 cliFlag(QStringLiteral("--record-ref")), cliFlag(QStringLiteral("--dial-ref")),
                 cliInteger(QStringLiteral("--filter"), 0, 2)},
                true},
     [](TCliContext& cli, const QStringList& args) {
         TAppContext& app = cli.ws.app;
         bool ok = true;
         const int filter = cliIntOption(args, QStringLiteral("--filter"), 1, &ok);
         if (!ok || filter < 0 || filter > 2) return usageError(cli, QStringLiteral("--add-id-tags"));
         const char* flags[4] = {"--string-id", "--form-id", "--record-ref", "--dial-ref"};
         const std::array<bool, 4> enabled = idTagOptionsEnabled(cli.ws);
         QList<bool> checks;
         for (int i = 0; i < 4; ++i) {
             const bool asked = args.contains(QLatin1String(flags[i]));
             // The dialog would show the box disabled: say so rather than leave it out without a word.
             if (asked && !enabled[static_cast<size_t>(i)]) {
                 app.logMessage(app.uiTextFormat(QStringLiteral("Cli_IdTagUnavailable"),
                                                 {QLatin1String(flags[i]), workModeName(app.state.WorkMode)}));
                 return false;
             }
             checks << asked;
         }
         if (!checks.contains(true)) return usageError(cli, QStringLiteral("--add-id-tags"));
         cli.host.presetChoices.insert(QStringLiteral("TForm8"), filter);
         cli.host.presetChecks.insert(QStringLiteral("TForm8"), checks);
         return addIdTags(cli.ws) >= 0;
     }});

const TCliStepRegistrar tagSameStep({QStringLiteral("--tag-same"),
                                     QStringLiteral("mark partial the strings whose translation equals the source "
                                                    "(\"Menu_TagSame\")"),
                                     TCliSyntax{0, 0, {}, true}, [](TCliContext& cli, const QStringList&) {
                                         tagStrings(cli.ws, true);
                                         return true;
                                     }});

const TCliStepRegistrar tagDiffStep({QStringLiteral("--tag-diff"),
                                     QStringLiteral("mark partial the strings whose translation differs from the "
                                                    "source (\"Menu_TagDiff\")"),
                                     TCliSyntax{0, 0, {}, true}, [](TCliContext& cli, const QStringList&) {
                                         tagStrings(cli.ws, false);
                                         return true;
                                     }});

} // namespace
