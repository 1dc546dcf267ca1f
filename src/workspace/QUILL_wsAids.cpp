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

void repaintList(TWorkspace& ws, int listIndex) {
    if (auto& f = vocabularyState(ws).listTranslated) f(listIndex);
}

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
    repaintList(ws, i);
    return true;
}

// The similar strings of `sourceSk` take its translation (see replaceAllStrings), without recording a step.
int carrySimilar(TWorkspace& ws, tSkyStr& sourceSk, sStrParams v1, sStrParams v2, bool autoAccept) {
    TAppContext& app = ws.app;
    if (app.state.noReplace || sourceSk.listIndex > 2) return 0;
    QList<tSkyStr*> candidates;
    for (auto& e : ws.loadedLists[sourceSk.listIndex]) {
        if (e.get() == &sourceSk || e->hash != sourceSk.hash) continue;
        if (e->hashTrans != sourceSk.hashTrans || (e->sparams.bits() & v1.bits()) == 0) candidates << e.get();
    }
    if (candidates.isEmpty()) return 0;
    if (!autoAccept) {
        const QString caption =
            app.uiText(QStringLiteral("Update_Similar_Strings")) + QStringLiteral(" ") + sourceSk.gTrans;
        TAidsState& aids = aidsState(ws);
        const bool accepted =
            aids.chooseSimilar ? aids.chooseSimilar(candidates, caption) : app.messageDialog(caption, dbYesNo) == drYes;
        if (!accepted) return 0;
    }
    for (tSkyStr* c : candidates) {
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
    TEntryCommand command(ws, QStringLiteral("Step_TakeSuggestion"));
    tSkyStr& target = *aids.LDfstring;
    target.setSTrans(candidate.gTrans);
    target.resetStatus({sStrParam::validated}, {sStrParam::incompleteTrans});
    carrySimilar(ws, target, {sStrParam::validated}, {sStrParam::incompleteTrans}, false);
    command.finish();
    for (int i = 0; i < 3; ++i)
        repaintList(ws, i);
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
    const int changed = command.finish();
    for (int i = 0; i < 3; ++i)
        repaintList(ws, i);
    return changed;
}

int replaceAllStrings(TWorkspace& ws, tSkyStr& sourceSk, sStrParams v1, sStrParams v2, bool autoAccept) {
    TEntryCommand command(ws, QStringLiteral("Step_Similar"));
    carrySimilar(ws, sourceSk, v1, v2, autoAccept);
    return command.finish();
}

void translateEntry(TWorkspace& ws, tSkyStr& entry, const QString& text) {
    TEntryCommand command(ws, QStringLiteral("Step_Translate"));
    entry.setSTrans(text);
    entry.resetStatus({sStrParam::validated}, {sStrParam::incompleteTrans});
    carrySimilar(ws, entry, {sStrParam::validated}, {sStrParam::incompleteTrans}, false);
}

int applySearchRule(TWorkspace& ws, const rSearchData& rule, int activeList, bool refresh) {
    TEntryCommand command(ws, QStringLiteral("Step_Replace"));
    const bool refused = applySearchRule(rule, ws.loadedLists, activeList, vocabularyState(ws).isSelected) < 0;
    if (refused)
        ws.app.logMessage(ws.app.uiTextFormat(QStringLiteral("Fbk_ReplaceTooLong"), {rule.s1, kMaxRuleTextLength}),
                          true, dbOk);
    const int changed = command.finish();
    if (refresh)
        for (int i = 0; i < 3; ++i)
            repaintList(ws, i);
    return refused ? -1 : changed;
}

int searchAndReplace(TWorkspace& ws, rSearchData rule, int activeList) {
    if (!rule.caseSensitive) rule.s1 = rule.s1.toLower();
    aidsState(ws).searchSettings = rule;
    if (rule.s1.trimmed().isEmpty() && rule.mode2 != 2) return 0;
    return applySearchRule(ws, rule, activeList, true);
}

int runBatchText(TWorkspace& ws, const QString& text, int activeList) {
    TEntryCommand command(ws, QStringLiteral("Step_Batch"));
    const auto& isSelected = vocabularyState(ws).isSelected;
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
    for (int i = 0; i < 3; ++i)
        repaintList(ws, i);
    return stopped ? -1 : changed;
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
    QString text;
    if (!readBatchFile(ws, path, text)) return false;
    if (auto& edit = aidsState(ws).editBatch; edit && !edit(text, path)) return false;
    runBatchText(ws, text, activeList);
    return true;
}

bool saveBatchRules(TWorkspace& ws, const QString& text) {
    TAppContext& app = ws.app;
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
