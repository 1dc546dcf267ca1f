// Command-line steps --save and --save-as, shared by every document kind through TWorkspace::saveDocument.
#include "QUILL_cli.h"

namespace {

const TCliStepRegistrar saveStep({QStringLiteral("--save"),
                                  QStringLiteral("save the translated document in place (answers from --yes/--no)"),
                                  [](TCliContext& cli, const QStringList&) { return cli.ws.saveDocument(false); }});

const TCliStepRegistrar saveAsStep(
    {QStringLiteral("--save-as"),
     QStringLiteral("FOLDER/NAME: save the translated document under another name (tables: NAME_<dest> in FOLDER)"),
     [](TCliContext& cli, const QStringList& args) {
         const QStringList target = cliPositional(args);
         if (target.size() != 1) {
             cli.ws.app.logMessage(cli.ws.app.uiTextFormat(QStringLiteral("Cli_BadStepOptions"), {"--save-as"}));
             return false;
         }
         return cli.ws.saveDocument(true, target.first());
     }});

} // namespace
