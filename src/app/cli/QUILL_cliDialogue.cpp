// Command-line steps of the dialogue and language tools: --old-dialog-style and --convert-chinese.
#include "QUILL_cli.h"

#include "workspace/QUILL_wsDialogue.h"

namespace {

bool fail(TCliContext& cli, const char* key, const QString& step) {
    cli.ws.app.logMessage(cli.ws.app.uiTextFormat(QLatin1String(key), {step}));
    return false;
}

const TCliStepRegistrar oldDialogStep(
    {QStringLiteral("--old-dialog-style"),
     QStringLiteral("[--prefix-words] [--pattern TEXT] [--all-prompts] [--add-original] [--apply N] [--long "
                    "keep/skip/cut] [--limit N] [--keep-changes]: rewrite the plugin's dialogue prompts as the lines "
                    "said (\"OldDialogStyle\"); --prefix-words takes misc/oldDialogStyle_<dest>.txt, --apply 0 all, 1 "
                    "partial, 2 selected (none here: nothing changes), --limit 75-150 (115)"),
     TCliSyntax{0,
                0,
                {cliFlag(QStringLiteral("--prefix-words")), cliText(QStringLiteral("--pattern")),
                 cliFlag(QStringLiteral("--all-prompts")), cliFlag(QStringLiteral("--add-original")),
                 cliInteger(QStringLiteral("--apply"), 0, 2), cliText(QStringLiteral("--long")),
                 cliInteger(QStringLiteral("--limit"), 75, 150), cliFlag(QStringLiteral("--keep-changes"))},
                true},
     [](TCliContext& cli, const QStringList& args) {
         const QString step = QStringLiteral("--old-dialog-style");
         TWorkspace& ws = cli.ws;
         if (!ws.plugin()) return fail(cli, "Cli_NeedsPlugin", step);
         if (!canRunOldDialogStyle(ws))
             return fail(cli, "Cli_OldDialSameLanguage", step);
         rOldDialogOptions options;
         if (args.contains(QStringLiteral("--prefix-words")))
             options.prefixWords = oldDialogWords(readOldDialogWords(ws));
         options.pattern = cliStringOption(args, QStringLiteral("--pattern"), oldDialogPattern(ws));
         options.allPrompts = args.contains(QStringLiteral("--all-prompts"));
         options.addOriginal = options.allPrompts && args.contains(QStringLiteral("--add-original"));
         options.keepChanges = args.contains(QStringLiteral("--keep-changes"));
         static constexpr tStringPredicate selections[] = {tStringPredicate::all, tStringPredicate::incomplete,
                                                           tStringPredicate::selected};
         options.selection = selections[cliIntOption(args, QStringLiteral("--apply"), 0)];
         // No row is selected on the command line: the selection converts nothing and resets nothing.
         if (options.selection == tStringPredicate::selected) options.keepChanges = true;
         options.isSelected = [](const tSkyStr&) { return false; };
         options.limit = cliIntOption(args, QStringLiteral("--limit"), options.limit);
         const QString longResponse = cliStringOption(args, QStringLiteral("--long"), QStringLiteral("keep"));
         if (longResponse == QLatin1String("skip"))
             options.longResponse = TLongResponse::skip;
         else if (longResponse == QLatin1String("cut"))
             options.longResponse = TLongResponse::cut;
         else if (longResponse != QLatin1String("keep"))
             return usageError(cli, step);
         return runOldDialogStyle(ws, options) >= 0;
     }});

const TCliStepRegistrar convertChineseStep(
    {QStringLiteral("--convert-chinese"),
     QStringLiteral("tc-to-sc|sc-to-tc: convert the translations between traditional and simplified Chinese "
                    "characters with misc/Charset_SCTC.txt (\"ConvertTCSC\" / \"ConvertSCTC\")"),
     TCliSyntax{1, 1, {}, true}, [](TCliContext& cli, const QStringList& args) {
         const QString direction = args.value(0);
         if (direction == QLatin1String("tc-to-sc"))
             convertChinese(cli.ws, TChineseDirection::traditionalToSimplified);
         else if (direction == QLatin1String("sc-to-tc"))
             convertChinese(cli.ws, TChineseDirection::simplifiedToTraditional);
         else
             return usageError(cli, QStringLiteral("--convert-chinese"));
         return true;
     }});

} // namespace
