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
    auto it = presetChoices.constFind(request.dialog);
    if (it != presetChoices.constEnd()) return *it;
    return request.current;
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
    for (const QString& s : list) a.append(s);
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
        o.insert(QStringLiteral("rec"), entry.esp.rec->getname());
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
                                  [](TCliContext& cli, const QStringList&) {
                                      for (const auto& list : cli.ws.loadedLists)
                                          for (const auto& entry : list)
                                              cli.out << jsonLine(entryJson(cli.ws, *entry, false)) << '\n';
                                      for (const auto& entry : cli.ws.sharedIdList)
                                          cli.out << jsonLine(entryJson(cli.ws, *entry, true)) << '\n';
                                      cli.out.flush();
                                      return true;
                                  }});

} // namespace
