// Command-line steps --save and --save-as, shared by every document kind through TWorkspace::saveDocument.
#include "QUILL_cli.h"

namespace {

const TCliStepRegistrar saveStep(
    {QStringLiteral("--save"),
     QStringLiteral("save the translated document in place (asks --yes/--no only before replacing a file)"),
     TCliSyntax{}, [](TCliContext& cli, const QStringList&) { return cli.ws.saveDocument(false, QString(), true); }});

const TCliStepRegistrar saveAsStep(
    {QStringLiteral("--save-as"),
     QStringLiteral("FOLDER/NAME: save the translated document under another name (tables: NAME_<dest> in FOLDER)"),
     TCliSyntax{1, 1, {}, false}, [](TCliContext& cli, const QStringList& args) {
         const QStringList target = cliPositional(args);
         if (target.size() != 1) return usageError(cli, QStringLiteral("--save-as"));
         return cli.ws.saveDocument(true, target.first(), true);
     }});

} // namespace
