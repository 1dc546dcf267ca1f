// The command line's registry of steps and commands, its host, and the context steps run in.
#pragma once

#include "workspace/QUILL_workspace.h"

#include <QString>
#include <QStringList>
#include <QJsonObject>
#include <QTextStream>
#include <functional>

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
};

struct TCliContext {
    TWorkspace& ws;
    TCliHost& host;
    QTextStream& out;
};

// A step runs on the opened document: `--name [args/options ...]`. Returns false when it failed.
struct TCliStep {
    QString name;        // with the leading "--"
    QString usage;       // shown by --help
    std::function<bool(TCliContext&, const QStringList& args)> run;
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

// Reads "--name VALUE" from a step's options; returns `fallback` when absent. Sets `ok` false on a bad value.
int cliIntOption(const QStringList& args, const QString& name, int fallback, bool* ok = nullptr);
QString cliStringOption(const QStringList& args, const QString& name, const QString& fallback = {});
// The arguments that are not options (not "--x" and not the value after one).
QStringList cliPositional(const QStringList& args);

// One JSON object per line.
QString jsonLine(const QJsonObject& object);
