// The command line's registry, host, option helpers and the --dump step.
#include "QUILL_cli.h"

#include "plugin/QUILL_espTree.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>

TCliRegistry& TCliRegistry::instance() {
    static TCliRegistry registry;
    return registry;
}

const TCliStep* TCliRegistry::step(const QString& name) const {
    for (const auto& s : steps_)
        if (s.name == name) return &s;
    return nullptr;
}

const TCliCommand* TCliRegistry::command(const QString& name) const {
    for (const auto& c : commands_)
        if (c.name == name) return &c;
    return nullptr;
}

const TCliOption* TCliSyntax::option(const QString& name) const {
    for (const auto& o : options)
        if (o.name == name) return &o;
    return nullptr;
}

namespace {

// Checks the arguments gathered for one step and puts them in the order its run expects.
bool finishPlannedStep(rCliPlannedStep& planned, const QStringList& plain, const QStringList& valued,
                       const QStringList& flags, QString& error) {
    const TCliSyntax& syntax = *planned.step->syntax;
    const qsizetype count = plain.size();
    if (count < syntax.minArguments || count > syntax.maxArguments) {
        error = syntax.minArguments == syntax.maxArguments
                    ? QStringLiteral("%1 takes %2 argument(s), %3 given (%1 %4)")
                          .arg(planned.step->name)
                          .arg(syntax.minArguments)
                          .arg(count)
                          .arg(planned.step->usage.section(QLatin1Char(':'), 0, 0))
                    : QStringLiteral("%1 takes %2 to %3 arguments, %4 given")
                          .arg(planned.step->name)
                          .arg(syntax.minArguments)
                          .arg(syntax.maxArguments)
                          .arg(count);
        return false;
    }
    if (planned.step->checkArguments) {
        error = planned.step->checkArguments(plain);
        if (!error.isEmpty()) return false;
    }
    planned.args = plain + valued + flags;
    return true;
}

} // namespace

bool planCliSteps(const QStringList& args, std::vector<rCliPlannedStep>& plan, QString& error) {
    plan.clear();
    QStringList plain, valued, flags;
    auto finishLast = [&]() {
        if (plan.empty() || !plan.back().step->syntax) return true;
        return finishPlannedStep(plan.back(), plain, valued, flags, error);
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const TCliStep* current = plan.empty() ? nullptr : plan.back().step;
        const TCliOption* option = current && current->syntax ? current->syntax->option(arg) : nullptr;
        if (option) {
            if (option->value == TCliOption::TValue::none) {
                flags << arg;
                continue;
            }
            if (i + 1 >= args.size()) {
                error = QStringLiteral("%1: the option %2 needs a value").arg(current->name, arg);
                return false;
            }
            const QString value = args[++i];
            if (option->value == TCliOption::TValue::integer) {
                bool converted = false;
                const int number = value.toInt(&converted);
                if (!converted || number < option->minimum || number > option->maximum) {
                    error = QStringLiteral("%1: %2 %3 is not a whole number from %4 to %5")
                                .arg(current->name, arg, value)
                                .arg(option->minimum)
                                .arg(option->maximum);
                    return false;
                }
            }
            valued << arg << value;
            continue;
        }
        if (const TCliStep* step = TCliRegistry::instance().step(arg)) {
            if (!finishLast()) return false;
            plan.push_back({step, {}});
            plain.clear();
            valued.clear();
            flags.clear();
            continue;
        }
        if (!current) {
            error = QStringLiteral("unknown step %1").arg(arg);
            return false;
        }
        if (current->syntax && arg.startsWith(QLatin1String("--")) && arg.size() > 2) {
            error = QStringLiteral("%1: unknown option %2").arg(current->name, arg);
            return false;
        }
        if (current->syntax)
            plain << arg;
        else
            plan.back().args << arg;
    }
    return finishLast();
}

void TCliHost::appendLog(const QString& line) {
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

int TCliHost::showMessage(const QString& caption, const QString& text, int buttons, int intervalMs) {
    (void)caption;
    (void)intervalMs;
    // The log already holds the text when it came through logMessage; questions are shown here.
    if (buttons & dbSelfClosing) return drOk;
    if (buttons & (dbYes | dbNo)) {
        appendLog(text + (answerYes ? QStringLiteral(" -> yes") : QStringLiteral(" -> no")));
        return answerYes ? drYes : ((buttons & dbNo) ? drNo : drCancel);
    }
    return drOk;
}

int TCliHost::chooseOption(rOptionRequest& request) {
    if (request.yesNo) {
        appendLog(request.caption + QStringLiteral(" -> ") +
                  request.choices.value(answerYes ? 0 : 1).remove(QLatin1Char('&')));
        return answerYes ? 0 : 1;
    }
    if (auto checks = presetChecks.constFind(request.dialog); checks != presetChecks.constEnd())
        request.checks = *checks;
    auto it = presetChoices.constFind(request.dialog);
    if (it != presetChoices.constEnd()) return *it;
    return request.current;
}

bool usageError(TCliContext& cli, const QString& name) {
    cli.ws.app.logMessage(cli.ws.app.uiTextFormat(QStringLiteral("Cli_BadStepOptions"), {name}));
    return false;
}

int cliIntOption(const QStringList& args, const QString& name, int fallback, bool* ok) {
    const qsizetype at = args.indexOf(name);
    if (at < 0) return fallback;
    if (at + 1 >= args.size()) {
        if (ok) *ok = false;
        return fallback;
    }
    bool converted = false;
    const int value = args[at + 1].toInt(&converted);
    if (!converted) {
        if (ok) *ok = false;
        return fallback;
    }
    return value;
}

QString cliStringOption(const QStringList& args, const QString& name, const QString& fallback) {
    const qsizetype at = args.indexOf(name);
    if (at < 0 || at + 1 >= args.size()) return fallback;
    return args[at + 1];
}

QStringList cliPositional(const QStringList& args) {
    QStringList out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i].startsWith(QLatin1String("--"))) {
            ++i;
            continue;
        }
        out << args[i];
    }
    return out;
}

QString jsonLine(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

namespace {

QJsonArray toJsonArray(const QStringList& list) {
    QJsonArray a;
    for (const QString& s : list)
        a.append(s);
    return a;
}

QJsonObject entryJson(const TWorkspace& ws, const tSkyStr& entry, bool shared) {
    QJsonObject o;
    o.insert(QStringLiteral("list"), entry.listIndex);
    o.insert(QStringLiteral("id"), static_cast<qint64>(entry.id));
    o.insert(QStringLiteral("source"), entry.gS);
    o.insert(QStringLiteral("translation"), entry.gTrans);
    o.insert(QStringLiteral("status"), toJsonArray(strParamNames(entry.sparams)));
    o.insert(QStringLiteral("flags"), toJsonArray(strInternalParamNames(entry.sInternalparams)));
    o.insert(QStringLiteral("ld"), static_cast<double>(entry.LDResult));
    o.insert(QStringLiteral("ldfound"), entry.LDFound);
    if (entry.isEspAssigned()) {
        o.insert(QStringLiteral("rec"), entry.esp.rec->header.name.toString());
        o.insert(QStringLiteral("field"), entry.esp.fName.toString());
        o.insert(QStringLiteral("formid"), QStringLiteral("%1").arg(entry.esp.formID, 8, 16, QLatin1Char('0')));
        o.insert(QStringLiteral("edid"), entry.esp.rec->EdidNameEx());
    }
    const QString key = ws.menuKeyOf(entry);
    if (!key.isEmpty()) o.insert(QStringLiteral("key"), key);
    if (shared) o.insert(QStringLiteral("shared"), true);
    return o;
}

const TCliStepRegistrar dumpStep({QStringLiteral("--dump"),
                                  QStringLiteral("print every entry of the loaded lists as one JSON object a line"),
                                  TCliSyntax{}, [](TCliContext& cli, const QStringList&) {
                                      for (const auto& list : cli.ws.loadedLists)
                                          for (const auto& entry : list)
                                              cli.out << jsonLine(entryJson(cli.ws, *entry, false)) << '\n';
                                      for (const auto& entry : cli.ws.sharedIdList)
                                          cli.out << jsonLine(entryJson(cli.ws, *entry, true)) << '\n';
                                      cli.out.flush();
                                      return true;
                                  }});

} // namespace
