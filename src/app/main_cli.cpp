// quillery-cli: opens a document by kind and runs steps on it, or runs one command. Drives the same workspace
// commands as the window.
#include "cli/QUILL_cli.h"

#include "core/QUILL_folders.h"
#include "core/QUILL_startup.h"
#include "spelling/QUILL_spellingLibrary.h"
#include "workspace/QUILL_journal.h"
#include "workspace/QUILL_options.h"
#include "workspace/QUILL_wsSpelling.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <utility>

namespace {

void printUsage(QTextStream& stream) {
    stream << "usage: quillery-cli [--program-dir DIR] [--source LANG] [--dest LANG] [--yes|--no] [--recover yes|no]\n"
              "                    FILE [STEP ...]\n"
              "       quillery-cli [--program-dir DIR] [--source LANG] [--dest LANG] COMMAND ARGS...\n\n"
              "Log lines go to standard error, data to standard output. Exit status: 0 done, 1 the document could\n"
              "not be opened or a step failed, 2 wrong usage.\n\n"
              "options:\n"
              "  --program-dir DIR  keep every file in DIR: the data files, prefs.ini, UserDictionary/, Cache/\n"
              "  --source LANG  the source language (a language of codepage.txt)\n"
              "  --dest LANG  the destination language\n"
              "  --yes, --no  the answer to the questions the window would ask (default --no)\n"
              "  --recover yes|no  replay the recovery journal the window left after a crash\n"
              "  --version  the version\n"
              "  --help, -h  this help\n\n"
              "folders:\n"
              "  Without --program-dir, a program folder that holds the data files and can be written, or that holds\n"
              "  a file named \"portable\", keeps everything. An installed program reads its data from\n"
              "  share/quillery beside its bin folder and writes to the user's data folder (~/.local/share/Quillery,\n"
              "  %APPDATA%\\Quillery), where the user's own codepage.txt, vocabulary.txt, batch/ ... win.\n\n"
              "steps (run left to right on FILE):\n";
    for (const auto& s : TCliRegistry::instance().steps())
        stream << "  " << s.name << "  " << s.usage << '\n';
    stream << "commands:\n";
    for (const auto& c : TCliRegistry::instance().commands())
        stream << "  " << c.name << "  " << c.usage << '\n';
    stream.flush();
}

int usageError(QTextStream& err, const QString& message) {
    err << "quillery-cli: " << message << "\nquillery-cli: see quillery-cli --help\n";
    err.flush();
    return 2;
}

// An unknown language code would run the whole load with code pages and caches of a language that does not exist.
QString checkLanguage(const TAppContext& app, const QString& option, const QString& code) {
    if (code.isEmpty()) return {};
    const QStringList known = codepageLanguageNames(app.state.codepageList);
    if (known.isEmpty() || known.contains(code.toLower())) return {};
    return QStringLiteral("%1: unknown language %2 (codepage.txt names %3)")
        .arg(option, code, known.join(QLatin1String(", ")));
}

// Ends the process once the work is done, leaving the open document's memory to the operating system, which takes
// a process's memory back at once: freeing a 300 MB plugin's millions of objects one by one took about a fifth of
// its open time. Every step has finished its files by now (a save completes before its step returns) and the
// command line keeps no recovery journal; the journal is closed all the same, and the streams are flushed.
[[noreturn]] void endLeavingMemory(TWorkspace& ws, QTextStream& out, int status) {
    closeJournal(ws);
    out.flush();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
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
    // --program-dir puts everything in one folder; without it the folders are decided as for the window.
    QString programDir;
    QString source, dest;
    bool yes = false;
    bool recover = false;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--help")) {
            printUsage(out);
            return 0;
        }
        if (option == QLatin1String("--version")) {
            out << "quillery-cli " << TAppContext::versionText() << '\n';
            out.flush();
            return 0;
        }
        if (option == QLatin1String("--yes")) {
            yes = true;
        } else if (option == QLatin1String("--no")) {
            yes = false;
        } else if (option == QLatin1String("--recover")) {
            // A journal the window left after a crash is replayed only when asked; the command line never writes one.
            if (args.isEmpty() || (args.first() != QLatin1String("yes") && args.first() != QLatin1String("no")))
                return usageError(err, QStringLiteral("the option --recover needs yes or no"));
            recover = args.takeFirst() == QLatin1String("yes");
        } else if (option == QLatin1String("--program-dir") || option == QLatin1String("--source") ||
                   option == QLatin1String("--dest")) {
            if (args.isEmpty() || args.first().isEmpty())
                return usageError(err, QStringLiteral("the option %1 needs a value").arg(option));
            const QString value = args.takeFirst();
            if (option == QLatin1String("--program-dir"))
                programDir = value;
            else if (option == QLatin1String("--source"))
                source = value;
            else
                dest = value;
        } else if (TCliRegistry::instance().step(option)) {
            return usageError(err, QStringLiteral("the step %1 needs a FILE before it").arg(option));
        } else {
            return usageError(err, QStringLiteral("unknown option %1").arg(option));
        }
    }
    if (!args.isEmpty() && args.first() == QLatin1String("-h")) {
        printUsage(out);
        return 0;
    }
    if (args.isEmpty()) return usageError(err, QStringLiteral("a FILE or a COMMAND is needed"));

    const QString first = args.takeFirst();
    const TCliCommand* command = TCliRegistry::instance().command(first);
    // Every step and its options are checked before anything is read.
    std::vector<rCliPlannedStep> plan;
    QString planError;
    if (!command && !planCliSteps(args, plan, planError)) return usageError(err, planError);
    if (!programDir.isEmpty() && !QFileInfo(programDir).isDir())
        return usageError(err, QStringLiteral("--program-dir: %1 is not a folder").arg(programDir));

    TCliHost host;
    host.answerYes = yes;
    TWorkspace ws(&host);
    setSpellerFactory(ws, quillspell::spellingLibraryFactory());
    if (recover) ws.recovery = TRecoveryUse::restore;
    startApplication(ws.app, programDir.isEmpty() ? decideAppFolders(QCoreApplication::applicationDirPath())
                                                  : portableFolders(programDir));
    for (const auto& [option, code] :
         {std::pair{QStringLiteral("--source"), source}, std::pair{QStringLiteral("--dest"), dest}})
        if (const QString bad = checkLanguage(ws.app, option, code); !bad.isEmpty()) return usageError(err, bad);
    if (!source.isEmpty()) ws.state().SourceLang = source;
    if (!dest.isEmpty()) ws.state().DestLang = dest;
    TCliContext cli{ws, host, out};

    if (command) endLeavingMemory(ws, out, command->run(cli, args));

    if (!QFileInfo::exists(first)) {
        ws.app.logMessage(ws.app.uiTextFormat(QStringLiteral("Fbk_FileNotFoundNamed"), {first}));
        return 1;
    }
    if (!TWorkspace::isOpenableKind(first)) {
        ws.app.logMessage(ws.app.uiTextFormat(QStringLiteral("FbK_UnsupportedFile"), {first}));
        return 1;
    }
    if (!ws.openFileByKind(QFileInfo(first).absoluteFilePath())) return 1;
    for (const auto& planned : plan) {
        host.presetChoices.clear();
        const size_t stepsBefore = ws.history.stepCount();
        const QString undoBefore = ws.history.undoName();
        const bool ok = planned.step->run(cli, planned.args);
        // A step that changes entries says how many: the undo step it recorded is named with the count.
        if (planned.step->syntax && planned.step->syntax->changesEntries) {
            if (ws.history.stepCount() != stepsBefore || ws.history.undoName() != undoBefore)
                ws.app.logMessage(ws.history.undoName());
            else if (ok)
                ws.app.logMessage(ws.app.uiTextFormat(QStringLiteral("Cli_NoChange"), {planned.step->name}));
        }
        if (!ok) endLeavingMemory(ws, out, 1);
    }
    endLeavingMemory(ws, out, 0);
}
