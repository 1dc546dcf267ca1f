// Command line for compiled scripts: "pex-listing FILE.pex" prints the listing as the PexData page shows it, with
// every section, state and function open.
#include "QUILL_cli.h"

#include "core/QUILL_files.h"
#include "script/QUILL_pexReader.h"

#include <QFileInfo>

namespace {

void openEverything(TPexScript& pex) {
    pex.feedback.varOpen = pex.feedback.propOpen = pex.feedback.structOpen = true;
    for (TPexState& state : pex.pexStates)
        state.open = true;
    for (TpexFunc& function : pex.pexFuncs)
        function.open = true;
}

int pexListing(TCliContext& cli, const QStringList& args) {
    TAppContext& app = cli.ws.app;
    const QStringList files = cliPositional(args);
    if (files.size() != 1) {
        usageError(cli, QStringLiteral("pex-listing"));
        return 2;
    }
    TPexScript pex;
    const QString path = QFileInfo(files[0]).absoluteFilePath();
    if (!loadPexFile(pex, path, &app)) {
        app.logMessage(app.uiText(QStringLiteral("Fbk_FailPex")));
        return 1;
    }
    // After a body error there is no listing: the header lines are all the page would have had.
    if (!pex.bodyError.isEmpty()) {
        for (const QString& line : pex.feedback.header)
            cli.out << line << '\n';
        cli.out.flush();
        return 1;
    }
    openEverything(pex);
    buildListing(pex);
    for (const QString& line : pex.feedback.lines)
        cli.out << line << '\n';
    cli.out.flush();
    return 0;
}

const TCliCommandRegistrar
    pexListingCommand({QStringLiteral("pex-listing"),
                       QStringLiteral("FILE.pex: print the script listing with every section open"), pexListing});

} // namespace
