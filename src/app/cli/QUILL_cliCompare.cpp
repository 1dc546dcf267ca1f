// Command-line step of plugin compare (--compare OLDER.esp [--filter N]).
#include "QUILL_cli.h"

#include "workspace/QUILL_wsCompare.h"
#include "workspace/QUILL_wsDictionary.h"

#include <QFileInfo>

namespace {

const TCliStepRegistrar compareStep(
    {QStringLiteral("--compare"),
     QStringLiteral("OLDER.esp [--filter 0-4]: carry the translations of an older, translated version of the plugin "
                    "over (\"LoadEspCompare\")"),
     TCliSyntax{1, 1, {cliInteger(QStringLiteral("--filter"), 0, 4)}, true},
     [](TCliContext& cli, const QStringList& args) {
         TAppContext& app = cli.ws.app;
         const QStringList paths = cliPositional(args);
         bool ok = true;
         const int filter =
             cliIntOption(args, QStringLiteral("--filter"), vocabularyState(cli.ws).overwriteChoice, &ok);
         if (paths.size() != 1 || !ok || filter < 0 || filter > 4) return usageError(cli, QStringLiteral("--compare"));
         if (!canComparePlugin(cli.ws)) {
             app.logMessage(app.uiTextFormat(QStringLiteral("Cli_NeedsPlugin"), {QStringLiteral("--compare")}));
             return false;
         }
         const QString path = QFileInfo(paths[0]).absoluteFilePath();
         if (!QFileInfo::exists(path)) {
             app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_FileNotFoundNamed"), {path}));
             return false;
         }
         cli.host.presetChoices.insert(QStringLiteral("TForm6"), filter);
         return comparePlugin(cli.ws, path);
     }});

} // namespace
