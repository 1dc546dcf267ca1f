// Command-line steps of the translation aids: --translate, --heuristic, --heuristic-full, --replace and --batch.
#include "QUILL_cli.h"

#include "workspace/QUILL_wsAids.h"

#include <QFileInfo>

namespace {

// "--list N" (0 to 2, default 0): the page the command acts on. False on a bad value.
bool listOption(const QStringList& args, int& list) {
    bool ok = true;
    list = cliIntOption(args, QStringLiteral("--list"), 0, &ok);
    return ok && list >= 0 && list <= 2;
}

// "LIST ID": LIST 0 to 2 and ID a whole number; empty when they are.
QString checkEntryArguments(const QStringList& args) {
    bool listOk = false, idOk = false;
    const int list = args.value(0).toInt(&listOk);
    args.value(1).toUInt(&idOk);
    if (!listOk || list < 0 || list > 2)
        return QStringLiteral("--translate: LIST must be 0, 1 or 2, not %1").arg(args.value(0));
    if (!idOk) return QStringLiteral("--translate: ID must be a whole number, not %1").arg(args.value(1));
    return {};
}

TCliStep translateStep() {
    TCliStep step(
        QStringLiteral("--translate"),
        QStringLiteral("LIST ID TEXT: store TEXT as the validated translation of entry ID of list LIST (0-2), as the "
                       "edit dialog's Ctrl+Enter does; --yes carries it to the entries with the same source"),
        TCliSyntax{3, 3, {}, true}, [](TCliContext& cli, const QStringList& args) {
            const int list = args[0].toInt();
            const uint id = args[1].toUInt();
            for (auto& entry : cli.ws.loadedLists[static_cast<size_t>(list)]) {
                if (entry->id != id) continue;
                rStoreRequest request;
                request.translation = args[2];
                request.forceValid = true;
                cli.ws.storeTranslation(entry.get(), request);
                return true;
            }
            cli.ws.app.logMessage(
                cli.ws.app.uiTextFormat(QStringLiteral("Cli_EntryNotFound"), {list, static_cast<qlonglong>(id)}));
            return false;
        });
    step.checkArguments = checkEntryArguments;
    return step;
}

const TCliStepRegistrar translateRegistrar(translateStep());

const TCliStepRegistrar heuristicStep({QStringLiteral("--heuristic"),
                                       QStringLiteral("[--list N]: suggestions for the untranslated strings of list N "
                                                      "(\"Heuristic\")"),
                                       [](TCliContext& cli, const QStringList& args) {
                                           int list = 0;
                                           if (!listOption(args, list) || !cliPositional(args).isEmpty())
                                               return usageError(cli, QStringLiteral("--heuristic"));
                                           return runHeuristic(cli.ws, list);
                                       }});

const TCliStepRegistrar heuristicFullStep(
    {QStringLiteral("--heuristic-full"), QStringLiteral("suggestions for the three lists (\"HeuristicFull\")"),
     [](TCliContext& cli, const QStringList&) { return runHeuristicFull(cli.ws); }});

const TCliStepRegistrar replaceStep(
    {QStringLiteral("--replace"),
     QStringLiteral("SEARCH REPLACEMENT [--select N] [--mode N] [--pattern TEXT] [--case-sensitive] [--all-lists] "
                    "[--list N]: one search-and-replace rule"),
     [](TCliContext& cli, const QStringList& args) {
         if (args.size() < 2) return usageError(cli, QStringLiteral("--replace"));
         // SEARCH and REPLACEMENT are the first two arguments whatever they hold; the options follow.
         const QStringList options = args.mid(2);
         for (qsizetype i = 0; i < options.size(); ++i) {
             const QString& o = options[i];
             if (o == QLatin1String("--case-sensitive") || o == QLatin1String("--all-lists")) continue;
             if (o == QLatin1String("--select") || o == QLatin1String("--mode") || o == QLatin1String("--pattern") ||
                 o == QLatin1String("--list")) {
                 ++i;
                 continue;
             }
             return usageError(cli, QStringLiteral("--replace"));
         }
         rSearchData rule = aidsState(cli.ws).searchSettings;
         rule.s1 = args[0];
         rule.s2 = args[1];
         bool ok = true;
         rule.mode1 = cliIntOption(options, QStringLiteral("--select"), rule.mode1, &ok);
         rule.mode2 = cliIntOption(options, QStringLiteral("--mode"), rule.mode2, &ok);
         rule.strformat = cliStringOption(options, QStringLiteral("--pattern"), rule.strformat);
         rule.caseSensitive = options.contains(QStringLiteral("--case-sensitive"));
         rule.allList = options.contains(QStringLiteral("--all-lists"));
         int list = 0;
         if (!ok || !listOption(options, list) || rule.mode1 < 0 || rule.mode1 > 3 || rule.mode2 < 0 || rule.mode2 > 2)
             return usageError(cli, QStringLiteral("--replace"));
         return searchAndReplace(cli.ws, rule, list) >= 0;
     }});

const TCliStepRegistrar batchStep({QStringLiteral("--batch"),
                                   QStringLiteral("FILE [--list N]: run the rules of a batch file"),
                                   [](TCliContext& cli, const QStringList& args) {
                                       const QStringList files = cliPositional(args);
                                       int list = 0;
                                       if (files.size() != 1 || !listOption(args, list))
                                           return usageError(cli, QStringLiteral("--batch"));
                                       QString text;
                                       if (!readBatchFile(cli.ws, QFileInfo(files[0]).absoluteFilePath(), text))
                                           return false;
                                       return runBatchText(cli.ws, text, list) >= 0;
                                   }});

} // namespace
