// quillery-cli: opens a document by kind and runs steps on it, or runs one command. Drives the same workspace
// commands as the window.
#include "cli/QUILL_cli.h"

#include "core/QUILL_startup.h"
#include "workspace/QUILL_journal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <exception>

namespace {

void printUsage(QTextStream& err) {
    err << "usage: quillery-cli [--program-dir DIR] [--source LANG] [--dest LANG] [--yes|--no] [--recover yes|no] FILE "
           "[STEP ...]\n"
           "       quillery-cli [--program-dir DIR] [--source LANG] [--dest LANG] COMMAND ARGS...\n\n"
           "steps:\n";
    for (const auto& s : TCliRegistry::instance().steps())
        err << "  " << s.name << "  " << s.usage << '\n';
    err << "commands:\n";
    for (const auto& c : TCliRegistry::instance().commands())
        err << "  " << c.name << "  " << c.usage << '\n';
    err.flush();
}

} // namespace

static int runCli(int argc, char* argv[]);

int main(int argc, char* argv[]) {
    // A command catches its readers' errors; anything else (memory exhausted, say) still ends with a message and
    // status 1 rather than an abort.
    try {
        return runCli(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillery-cli: %s\n", error.what());
        return 1;
    }
}

static int runCli(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quillery"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList args = application.arguments().mid(1);
    QString programDir = QCoreApplication::applicationDirPath();
    QString source, dest;
    bool yes = false;
    bool recover = false;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            printUsage(err);
            return 0;
        }
        if (option == QLatin1String("--version")) {
            out << "quillery-cli " << TAppContext::versionText() << '\n';
            out.flush();
            return 0;
        }
        if (option == QLatin1String("--yes"))
            yes = true;
        else if (option == QLatin1String("--no"))
            yes = false;
        // A journal the window left after a crash is replayed only when asked; the command line never writes one.
        else if (option == QLatin1String("--recover") && !args.isEmpty() &&
                 (args.first() == QLatin1String("yes") || args.first() == QLatin1String("no")))
            recover = args.takeFirst() == QLatin1String("yes");
        else if ((option == QLatin1String("--program-dir") || option == QLatin1String("--source") ||
                  option == QLatin1String("--dest")) &&
                 !args.isEmpty()) {
            const QString value = args.takeFirst();
            if (option == QLatin1String("--program-dir"))
                programDir = value;
            else if (option == QLatin1String("--source"))
                source = value;
            else
                dest = value;
        } else {
            err << "quillery-cli: unknown option " << option << '\n';
            printUsage(err);
            return 2;
        }
    }
    if (args.isEmpty()) {
        printUsage(err);
        return 2;
    }

    TCliHost host;
    host.answerYes = yes;
    TWorkspace ws(&host);
    if (recover) ws.recovery = TRecoveryUse::restore;
    startApplication(ws.app, QDir(programDir).absolutePath());
    if (!source.isEmpty()) ws.state().SourceLang = source;
    if (!dest.isEmpty()) ws.state().DestLang = dest;
    TCliContext cli{ws, host, out};

    const QString first = args.takeFirst();
    if (const TCliCommand* command = TCliRegistry::instance().command(first)) {
        const int status = command->run(cli, args);
        out.flush();
        return status;
    }

    // Split the remaining arguments into steps, each with the options that follow it.
    struct rPlannedStep {
        const TCliStep* step;
        QStringList args;
    };
    std::vector<rPlannedStep> plan;
    for (const QString& arg : args) {
        if (const TCliStep* step = TCliRegistry::instance().step(arg)) {
            plan.push_back({step, {}});
        } else if (!plan.empty()) {
            plan.back().args << arg;
        } else {
            err << "quillery-cli: unknown step " << arg << '\n';
            printUsage(err);
            return 2;
        }
    }

    if (!QFileInfo::exists(first)) {
        ws.app.logMessage(ws.app.uiText(QStringLiteral("FileNotFound")) + QStringLiteral(": ") + first);
        return 1;
    }
    if (!TWorkspace::isOpenableKind(first)) {
        ws.app.logMessage(ws.app.uiTextFormat(QStringLiteral("FbK_UnsupportedFile"), {first}));
        return 1;
    }
    if (!ws.openFileByKind(QFileInfo(first).absoluteFilePath())) return 1;
    for (const auto& planned : plan) {
        host.presetChoices.clear();
        if (!planned.step->run(cli, planned.args)) {
            out.flush();
            return 1;
        }
    }
    out.flush();
    return 0;
}
