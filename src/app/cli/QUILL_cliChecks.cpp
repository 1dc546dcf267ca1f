// Command-line steps of the quality checks: --check and --check-strict.
#include "QUILL_cli.h"

#include "workspace/QUILL_wsChecks.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

using quillcheck::TCheck;

QString unknownCheck(const QStringList& arguments) {
    quillcheck::TCheckSet checks;
    QString unknown;
    if (quillcheck::parseCheckNames(arguments, checks, unknown)) return {};
    QStringList names;
    for (const TCheck c : quillcheck::checkOrder())
        names << quillcheck::checkName(c);
    return QStringLiteral("unknown check %1 (the checks: %2)").arg(unknown, names.join(QLatin1String(", ")));
}

// A JSON string with its quotes.
QString jsonString(const QString& text) {
    const QString array = QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
    return array.mid(1, array.size() - 2);
}

// Runs the named checks (every enabled one without names), prints one JSON line a problem and the counts on standard
// error. Returns the number of problems printed.
int runCheckStep(TCliContext& cli, const QStringList& args) {
    TWorkspace& ws = cli.ws;
    TAppContext& app = ws.app;
    quillcheck::TCheckSet checks;
    QString unknown;
    quillcheck::parseCheckNames(args, checks, unknown); // the names were checked before the document opened
    if (checks.empty()) checks = enabledChecks(app.state);
    runChecks(ws, checks);

    const std::vector<rEntryProblem> problems = allProblems(ws);
    for (const rEntryProblem& p : problems) {
        // Written by hand to keep the documented key order (a JSON object sorts its keys).
        cli.out << QStringLiteral("{\"list\":%1,\"id\":%2,\"check\":%3,\"detail\":%4}\n")
                       .arg(p.entry->listIndex)
                       .arg(p.entry->id)
                       .arg(jsonString(quillcheck::checkName(p.problem.check)),
                            jsonString(problemText(app, p.problem)));
    }
    cli.out.flush();

    const auto counts = problemCounts(ws);
    for (const TCheck c : quillcheck::checkOrder())
        if (checks.has(c))
            app.logMessage(app.uiTextFormat(QStringLiteral("Chk_Count"),
                                            {quillcheck::checkName(c), counts[static_cast<size_t>(c)]}));
    return static_cast<int>(problems.size());
}

TCliStep checkStep(const char* name, const char* usage, bool strict) {
    TCliStep step(QLatin1String(name), QLatin1String(usage), TCliSyntax{0, 1000, {}, false},
                  [strict](TCliContext& cli, const QStringList& args) {
                      const int problems = runCheckStep(cli, args);
                      return !strict || problems == 0;
                  });
    step.checkArguments = unknownCheck;
    return step;
}

const TCliStepRegistrar checkRegistrar(checkStep("--check",
                                                 "[NAMES]: the quality checks (NAMES comma-separated; every enabled "
                                                 "check without): one JSON line a problem, the counts on stderr",
                                                 false));
const TCliStepRegistrar checkStrictRegistrar(checkStep("--check-strict",
                                                       "[NAMES]: as --check, and exit with status 1 on any problem",
                                                       true));

} // namespace
