// Workspace commands of the translation aids.
#include "workspace/QUILL_wsAids.h"

#include "aids/QUILL_heuristic.h"
#include "core/QUILL_dataList.h"
#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "strings/QUILL_stringTable.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"

#include <QFileInfo>

namespace {

// The batch matches on two threads (the results are those of one thread): bench_heuristic measured the split at 1.56
// and 1.04 times one thread in two runs on a shared two-core machine (37 s against 58 s, then 29 s against 30 s).
constexpr int kHeuristicThreads = 2;

// The heuristic pass of one list inside its operation; false when cancelled.
bool heuristicOnList(TWorkspace& ws, int i) {
    TAppContext& app = ws.app;
    std::vector<rHeuristicPair>& matches = ws.heuristicMatches[static_cast<size_t>(i)];
    matches.clear();
    TOperation operation(app, app.uiTextFormat(QStringLiteral("Fbk_LDLaunch"), {tableExtension(i)}), true, true);
    std::vector<std::pair<tSkyStr*, tSkyStr*>> pairs;
    tSkyStrList& list = ws.loadedLists[static_cast<size_t>(i)];
    const int left = heuristicPass(app, ws.vocabularyLists, list, i, pairs, kHeuristicThreads);
    for (const auto& [entry, vocabulary] : pairs)
        matches.push_back({entry, vocabulary});
    if (left < 0) return false;
    const auto size = static_cast<qlonglong>(list.size());
    app.logMessage(
        app.uiTextFormat(QStringLiteral("Fbk_LDResult"), {left, size, ratio(left, static_cast<double>(size)) * 100}));
    ws.notify(&TWorkspaceObserver::scoresComputed, i, false);
    return true;
}

// The similar strings of `sourceSk` take its translation (see replaceAllStrings); each is added to `command` before
// it changes, so the step holds only those.
int carrySimilar(TWorkspace& ws, TEntryCommand& command, tSkyStr& sourceSk, sStrParams v1, sStrParams v2,
                 bool autoAccept) {
    TAppContext& app = ws.app;
    if (app.state.noReplace || sourceSk.listIndex > 2) return 0;
    QList<tSkyStr*> candidates;
    for (auto& e : ws.loadedLists[sourceSk.listIndex]) {
        if (e.get() == &sourceSk || e->hash != sourceSk.hash) continue;
        if (e->hashTrans != sourceSk.hashTrans || (e->sparams.bits() & v1.bits()) == 0) candidates << e.get();
    }
    if (candidates.isEmpty()) return 0;
    if (!autoAccept) {
        rRowChoiceRequest request;
        request.dialog = QStringLiteral("TForm5");
        request.caption = app.uiText(QStringLiteral("Update_Similar_Strings")) + QStringLiteral(" ") + sourceSk.gTrans;
        for (const char* key : {"ID", "Original", "Translated", "LD"})
            request.headers << app.uiText(QLatin1String(key));
        for (const tSkyStr* c : candidates) {
            request.rows.append({QStringLiteral("%1").arg(c->id, 5, 16, QLatin1Char('0')), c->gS, c->gTrans,
                                 ldColumnText(c->LDResult, c->LDFound)});
            // Translations someone made are kept unless the translator picks them too.
            request.chosen.append(!c->hasParam(sStrParam::translated) && !c->hasParam(sStrParam::validated) &&
                                  !c->hasParam(sStrParam::incompleteTrans));
        }
        if (!app.host().chooseRows(request)) return 0;
        QList<tSkyStr*> kept;
        for (qsizetype i = 0; i < candidates.size(); ++i)
            if (request.chosen.value(i)) kept << candidates[i];
        candidates = kept;
    }
    for (tSkyStr* c : candidates) {
        command.add(c);
        c->setSTrans(sourceSk.gTrans);
        c->resetStatus(v1, v2);
    }
    return static_cast<int>(candidates.size());
}

// True when the edit dialog holds no string but LDfstring; else the refusal is shown.
bool editDialogAllows(TWorkspace& ws) {
    TAidsState& aids = aidsState(ws);
    if (aids.fstring && aids.fstring != aids.LDfstring) {
        ws.app.messageDialog(ws.app.uiText(QStringLiteral("FbK_LDNodeerror")), dbOk);
        return false;
    }
    return true;
}

} // namespace

TAidsState& aidsState(TWorkspace& ws) {
    if (!ws.aids) ws.aids = std::make_unique<TAidsState>();
    return *ws.aids;
}

void forgetAidsEntries(TWorkspace& ws) {
    if (!ws.aids) return;
    ws.aids->LDfstring = nullptr;
    ws.aids->fstring = nullptr;
}

bool runHeuristic(TWorkspace& ws, int listIndex) {
    if (listIndex < 0 || listIndex > 2) return false;
    TEntryCommand command(ws, QStringLiteral("Step_Heuristic"));
    return heuristicOnList(ws, listIndex);
}

bool runHeuristicFull(TWorkspace& ws) {
    TEntryCommand command(ws, QStringLiteral("Step_Heuristic"));
    for (int i = 0; i < 3; ++i)
        if (!heuristicOnList(ws, i)) return false;
    return true;
}

std::vector<tSkyStr*> refreshCandidates(TWorkspace& ws) {
    TAidsState& aids = aidsState(ws);
    if (!aids.LDfstring || aids.LDfstring->listIndex > 2) return {};
    // No progress steps: the list takes tens of milliseconds on a 300,000-entry vocabulary (bench_heuristic), and
    // letting window events run midway would let a command free the entries being listed.
    return heuristicCandidates(*aids.LDfstring, ws.vocabularyLists[aids.LDfstring->listIndex]);
}

bool takeCandidate(TWorkspace& ws, const tSkyStr& candidate) {
    TAidsState& aids = aidsState(ws);
    if (!aids.LDfstring || !editDialogAllows(ws)) return false;
    tSkyStr& target = *aids.LDfstring;
    TEntryCommand command(ws, QStringLiteral("Step_TakeSuggestion"), {&target});
    target.setSTrans(candidate.gTrans);
    target.resetStatus({sStrParam::validated}, {sStrParam::incompleteTrans});
    carrySimilar(ws, command, target, {sStrParam::validated}, {sStrParam::incompleteTrans}, false);
    command.finish();
    return true;
}

bool mayEditWithCandidate(TWorkspace& ws, const tSkyStr& candidate) {
    TAidsState& aids = aidsState(ws);
    aids.bestLDString = candidate.gS;
    return aids.LDfstring && editDialogAllows(ws);
}

int fixAliases(TWorkspace& ws, const QList<tSkyStr*>& entries) {
    TEntryCommand command(ws, QStringLiteral("Step_FixAlias"), entries);
    for (tSkyStr* e : entries) {
        if (!e->hasFlag(sStrInternalParam::aliasOneWordError)) continue;
        rParse source, translation;
        parseString(e->gS, source);
        parseString(e->gTrans, translation);
        QString fixed = e->gTrans;
        if (!translation.sTag.isEmpty()) fixed.replace(translation.sTag, source.sTag, Qt::CaseSensitive);
        e->setSTrans(fixed);
        e->resetStatus({sStrParam::incompleteTrans}, {sStrParam::validated});
    }
    return command.finish();
}

int replaceAllStrings(TWorkspace& ws, tSkyStr& sourceSk, sStrParams v1, sStrParams v2, bool autoAccept) {
    TEntryCommand command(ws, QStringLiteral("Step_Similar"), {});
    carrySimilar(ws, command, sourceSk, v1, v2, autoAccept);
    return command.finish();
}

int carrySimilarTranslations(TWorkspace& ws, TEntryCommand& command, tSkyStr& sourceSk, sStrParams v1, sStrParams v2) {
    return carrySimilar(ws, command, sourceSk, v1, v2, false);
}

int applySearchRule(TWorkspace& ws, const rSearchData& rule, int activeList) {
    TEntryCommand command(ws, QStringLiteral("Step_Replace"));
    const bool refused = applySearchRule(rule, ws.loadedLists, activeList, ws.selectionPredicate()) < 0;
    if (refused)
        ws.app.logMessage(ws.app.uiTextFormat(QStringLiteral("Fbk_ReplaceTooLong"), {rule.s1, kMaxRuleTextLength}),
                          true, dbOk);
    const int changed = command.finish();
    return refused ? -1 : changed;
}

int searchAndReplace(TWorkspace& ws, rSearchData rule, int activeList) {
    if (!rule.caseSensitive) rule.s1 = rule.s1.toLower();
    aidsState(ws).searchSettings = rule;
    if (rule.s1.trimmed().isEmpty() && rule.mode2 != 2) return 0;
    TOperation operation(ws.app, ws.app.uiText(QStringLiteral("Fbk_Replacing")));
    const int changed = applySearchRule(ws, rule, activeList);
    if (changed >= 0) reportChangedStrings(ws.app, changed);
    return changed;
}

int runBatchText(TWorkspace& ws, const QString& text, int activeList) {
    TOperation operation(ws.app, ws.app.uiText(QStringLiteral("Fbk_Replacing")));
    TEntryCommand command(ws, QStringLiteral("Step_Batch"));
    const auto isSelected = ws.selectionPredicate();
    const std::vector<rSearchData> rules = parseBatchRules(text);
    bool stopped = false;
    for (size_t i = 0; i < rules.size() && !stopped; ++i) {
        aidsState(ws).searchSettings = rules[i];
        // A rule that would grow some text past what a field holds stops the batch (rules that double a letter
        // would otherwise grow every text without end); the rules before it stay applied.
        stopped = applySearchRule(rules[i], ws.loadedLists, activeList, isSelected) < 0;
        if (stopped)
            ws.app.logMessage(ws.app.uiTextFormat(QStringLiteral("Fbk_BatchRuleTooLong"),
                                                  {static_cast<int>(i + 1), rules[i].s1, kMaxRuleTextLength}),
                              true, dbOk);
    }
    const int changed = command.finish();
    reportChangedStrings(ws.app, changed);
    return stopped ? -1 : changed;
}

void reportChangedStrings(TAppContext& app, int changed) {
    const QString text = app.uiTextFormat(QStringLiteral("Fbk_StringsChanged"), {changed});
    app.logMessage(text);
    app.host().setStatusText(2, text);
}

bool readBatchFile(TWorkspace& ws, const QString& path, QString& text) {
    QByteArray bytes;
    if (!QFileInfo(path).isFile() || !quillfs::readWholeFile(path, bytes)) {
        ws.app.logMessage(ws.app.uiText(QStringLiteral("FileNotFound")) + QStringLiteral(": ") + path, true, dbOk);
        return false;
    }
    text = decodeTextFile(bytes);
    return true;
}

bool runBatchFile(TWorkspace& ws, int activeList) {
    TAppContext& app = ws.app;
    const QString path = app.host().pickOpenFile(app.uiText(QStringLiteral("Dia_loadBatch")), app.state.batchFolder,
                                                 QString(), app.uiText(QStringLiteral("Filtertxt2")));
    if (path.isEmpty()) return false;
    rTextRequest request;
    request.dialog = QStringLiteral("TForm11");
    request.caption = app.uiText(QStringLiteral("BatchSearchAndReplace"));
    request.fileName = path;
    if (!readBatchFile(ws, path, request.text)) return false;
    if (!app.host().editText(request)) return false;
    runBatchText(ws, request.text, activeList);
    return true;
}

bool saveBatchRules(TAppContext& app, const QString& text) {
    const QString path = app.host().pickSaveFile(app.uiText(QStringLiteral("Dia_SaveBatch")), QString(), QString(),
                                                 app.uiText(QStringLiteral("Filtertxt2")));
    if (path.isEmpty()) return false;
    QString error;
    if (!quillfs::writeFileAtomic(path, QByteArray("\xEF\xBB\xBF") + text.toUtf8(), &error)) {
        app.logMessage(error, true, dbOk);
        return false;
    }
    return true;
}

void rememberSearchText(TWorkspace& ws, const QString& text) {
    if (text.isEmpty()) return;
    QStringList& history = aidsState(ws).textSearchHistory;
    history.removeAll(text);
    history.prepend(text);
    while (history.size() > 10)
        history.removeLast();
}

void wordSuggestions(TWorkspace& ws, QStringList& out, const QString& word, int max) {
    wordSuggestions(out, word, max, vocabularyState(ws).vocab.oneWordList, ws.vocabularyLists);
}
