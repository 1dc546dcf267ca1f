// Command-line steps of the XLIFF 1.2 exchange: --export-xliff and --import-xliff.
#include "QUILL_cli.h"

#include "workspace/QUILL_wsXliff.h"

#include <QDir>
#include <QFileInfo>

namespace {

const TCliStepRegistrar exportStep(
    {QStringLiteral("--export-xliff"),
     QStringLiteral("FILE [--all]: write the translated entries (every entry with --all) as XLIFF 1.2"),
     TCliSyntax{1, 1, {cliFlag(QStringLiteral("--all"))}, false}, [](TCliContext& cli, const QStringList& args) {
         const QString path = QFileInfo(cliPositional(args).first()).absoluteFilePath();
         QDir().mkpath(QFileInfo(path).absolutePath());
         return exportXliffFile(cli.ws, path, args.contains(QStringLiteral("--all")));
     }});

const TCliStepRegistrar
    importStep({QStringLiteral("--import-xliff"),
                QStringLiteral("FILE: take the targets of an XLIFF 1.2 file by id where the source is unchanged"),
                TCliSyntax{1, 1, {}, true}, [](TCliContext& cli, const QStringList& args) {
                    return importXliffFile(cli.ws, QFileInfo(args.first()).absoluteFilePath());
                }});

} // namespace
