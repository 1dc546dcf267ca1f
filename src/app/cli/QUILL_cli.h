// The command line's registry of steps and commands, its host, and the context steps run in.
#pragma once

#include "workspace/QUILL_workspace.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <optional>
#include <vector>

// Answers questions from --yes/--no, logs to standard error.
class TCliHost : public THost {
public:
    bool answerYes = false;
    void appendLog(const QString& line) override;
    int showMessage(const QString& caption, const QString& text, int buttons, int intervalMs) override;
    QString pickOpenFile(const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString pickSaveFile(const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString pickFolder(const QString&, const QString&) override { return {}; }
    // Options come from the step's own options (set by the step before it runs), else the remembered choice.
    int chooseOption(rOptionRequest& request) override;
    // Set by a step from its options ("--filter 1"): dialog name -> chosen index.
    QHash<QString, int> presetChoices;
    // And the check boxes' states a step sets for a dialog ("--form-id" ...): dialog name -> states.
    QHash<QString, QList<bool>> presetChecks;
};

struct TCliContext {
    TWorkspace& ws;
    TCliHost& host;
    QTextStream& out;
};

// One option of a step: a flag ("--all") or a name followed by its value ("--filter 1").
struct TCliOption {
    enum class TValue { none, integer, text };
    QString name; // with the leading "--"
    TValue value = TValue::none;
    int minimum = 0; // the range of an integer value
    int maximum = 0;
};
inline TCliOption cliFlag(const QString& name) {
    return {name, TCliOption::TValue::none, 0, 0};
}
inline TCliOption cliInteger(const QString& name, int minimum, int maximum) {
    return {name, TCliOption::TValue::integer, minimum, maximum};
}
inline TCliOption cliText(const QString& name) {
    return {name, TCliOption::TValue::text, 0, 0};
}

// What may follow a step: how many plain arguments, and its options. The command line checks every step against it
// before it opens anything.
struct TCliSyntax {
    int minArguments = 0;
    int maxArguments = 0;
    std::vector<TCliOption> options;
    // The step changes entries: the number it changed is logged (the undo step it recorded, or none).
    bool changesEntries = false;
    const TCliOption* option(const QString& name) const;
};

// A step runs on the opened document: `--name [args/options ...]`. Returns false when it failed. A step with a
// syntax gets its plain arguments first, then its options with values, then its flags, whatever order they were
// given in (so cliPositional, cliIntOption and cliStringOption read them right); a step without one gets what
// followed it up to the next step name, unchecked.
struct TCliStep {
    using TRun = std::function<bool(TCliContext&, const QStringList& args)>;
    TCliStep(QString name, QString usage, TRun run)
        : name(std::move(name)), usage(std::move(usage)), run(std::move(run)) {}
    TCliStep(QString name, QString usage, TCliSyntax syntax, TRun run)
        : name(std::move(name)), usage(std::move(usage)), syntax(std::move(syntax)), run(std::move(run)) {}
    QString name;  // with the leading "--"
    QString usage; // shown by --help
    std::optional<TCliSyntax> syntax;
    TRun run;
    // Checks a step with a syntax's plain arguments before anything is opened: an error text makes the call wrong
    // usage (exit status 2). Unset: any arguments the syntax allows.
    std::function<QString(const QStringList& arguments)> checkArguments;
};

// A command runs instead of opening a document: `quillery-cli [opts] name ARGS...`. Returns the exit status.
struct TCliCommand {
    QString name;
    QString usage;
    std::function<int(TCliContext&, const QStringList& args)> run;
};

class TCliRegistry {
public:
    static TCliRegistry& instance();
    void addStep(TCliStep step) { steps_.push_back(std::move(step)); }
    void addCommand(TCliCommand command) { commands_.push_back(std::move(command)); }
    const TCliStep* step(const QString& name) const;
    const TCliCommand* command(const QString& name) const;
    const std::vector<TCliStep>& steps() const { return steps_; }
    const std::vector<TCliCommand>& commands() const { return commands_; }

private:
    std::vector<TCliStep> steps_;
    std::vector<TCliCommand> commands_;
};

// Static registration helpers, for one file per capability in src/app/cli/.
struct TCliStepRegistrar {
    explicit TCliStepRegistrar(TCliStep step) { TCliRegistry::instance().addStep(std::move(step)); }
};
struct TCliCommandRegistrar {
    explicit TCliCommandRegistrar(TCliCommand command) { TCliRegistry::instance().addCommand(std::move(command)); }
};

// A step given on the command line with its arguments, in the order its syntax hands them over.
struct rCliPlannedStep {
    const TCliStep* step = nullptr;
    QStringList args;
};
// Splits the arguments after FILE into steps and checks each against its syntax. On wrong usage returns false with
// `error` naming the bad argument.
bool planCliSteps(const QStringList& args, std::vector<rCliPlannedStep>& plan, QString& error);

// Reads "--name VALUE" from a step's options; returns `fallback` when absent. Sets `ok` false on a bad value.
int cliIntOption(const QStringList& args, const QString& name, int fallback, bool* ok = nullptr);
QString cliStringOption(const QStringList& args, const QString& name, const QString& fallback = {});
// The arguments that are not options (not "--x" and not the value after one).
QStringList cliPositional(const QStringList& args);

// One JSON object per line.
QString jsonLine(const QJsonObject& object);
