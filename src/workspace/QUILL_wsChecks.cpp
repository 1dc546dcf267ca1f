// Workspace commands of the quality checks.
#include "workspace/QUILL_wsChecks.h"

#include "core/QUILL_dataList.h"
#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "core/QUILL_main.h"
#include "plugin/QUILL_espDefinition.h"
#include "plugin/QUILL_espStrings.h"
#include "plugin/QUILL_espTree.h"
#include "strings/QUILL_codepage.h"
#include "workspace/QUILL_journal.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsSpelling.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <unordered_set>
#include <utility>

using quillcheck::rProblem;
using quillcheck::TCheck;
using quillcheck::TCheckSet;

namespace {

// What a run sets up once: the pair checks with the document's languages and the code page its translations are
// written with (a menu file is UTF-16 text without a size limit).
std::unique_ptr<quillcheck::TPairChecks> pairChecksFor(const TWorkspace& ws, TCheckSet checks) {
    const TAppState& st = ws.app.state;
    quillcheck::rPairSetup setup;
    setup.checks = checks;
    setup.sourceLanguage = st.SourceLang;
    setup.destLanguage = st.DestLang;
    setup.codepage = chooseCodepage(QLatin1Char('_') + st.DestLang, st.codepageList, st.ForceUtf8Export);
    // A menu file's lines have no table limit.
    if (ws.menu()) setup.maxTextBytes = 0;
    return std::make_unique<quillcheck::TPairChecks>(std::move(setup));
}

// Field rules by (record, field) signature, looked up once per run.
class TFieldRulesCache {
public:
    quillcheck::rFieldRules of(const TWorkspace& ws, const tSkyStr& entry) {
        quillcheck::rFieldRules rules = ofField(entry);
        if (ws.sharedIdList.empty() || !entry.isEspAssigned()) return rules;
        // The same text shown in further fields must fit the strictest of them.
        for (const tSkyStr* child : sharedChildrenOf(ws.sharedIdList, entry)) {
            const quillcheck::rFieldRules other = ofField(*child);
            if (!other.lineBreaks && rules.lineBreaks) {
                rules.lineBreaks = false;
                rules.name = other.name;
            }
            if (other.maxBytes > 0 && (rules.maxBytes == 0 || other.maxBytes < rules.maxBytes)) {
                rules.maxBytes = other.maxBytes;
                if (rules.lineBreaks) rules.name = other.name;
            }
        }
        return rules;
    }

private:
    quillcheck::rFieldRules ofField(const tSkyStr& entry) {
        if (!entry.isEspAssigned()) return {};
        const sHeaderSig record = entry.esp.rec->header.name;
        const sHeaderSig field = entry.esp.fName;
        const quint64 key = (quint64(record.asUint()) << 32) | field.asUint();
        const auto it = known_.constFind(key);
        if (it != known_.constEnd()) return *it;
        quillcheck::rFieldRules rules;
        int maxSize = 0;
        bool hasCR = false;
        if (recordDefs().findFieldSize(record, field, maxSize, hasCR)) {
            rules.name = record.toString() + QLatin1Char(':') + field.toString();
            rules.maxBytes = maxSize;
            rules.lineBreaks = hasCR;
        }
        known_.insert(key, rules);
        return rules;
    }
    QHash<quint64, quillcheck::rFieldRules> known_;
};

// Entries the checks leave alone: gone from the document, or script texts locked as untranslatable.
bool isCheckable(const tSkyStr& entry) {
    return !entry.hasFlag(sStrInternalParam::isDeleted) && !entry.hasFlag(sStrInternalParam::pexNoTrans);
}

// A further plugin field sharing its string id with an entry of the lists: its text is its owner's, checked with the
// owner (whose field rules take the shared fields' into account).
bool isSharedChild(const TWorkspace& ws, const tSkyStr& entry) {
    if (ws.sharedIdList.empty()) return false;
    const rFindResult hit = findSorted(ws.sharedIdList, skycompare::byId, entry, true);
    if (!hit.found) return false;
    for (size_t i = static_cast<size_t>(hit.index); i < ws.sharedIdList.size() && ws.sharedIdList[i]->id == entry.id;
         ++i)
        if (ws.sharedIdList[i].get() == &entry) return true;
    return false;
}

void refreshOfficialTerms(TWorkspace& ws, TChecksState& cs) {
    cs.officialTerms.build(ws.vocabularyLists);
    cs.officialVocabularySize = countListSet(ws.vocabularyLists);
}

// The problems of one entry with `translation` in place of its own, in check order. `withInconsistent` asks the
// source groups for the entry's peers (a full run adds `inconsistent` group by group instead).
void checkEntry(TWorkspace& ws, TChecksState& cs, const quillcheck::TPairChecks& pairs, TFieldRulesCache& fields,
                const tSkyStr& entry, const QString& translation, bool validated, bool withInconsistent,
                std::vector<rProblem>& out) {
    if (!isCheckable(entry)) return;
    const TCheckSet checks = pairs.checks();
    pairs.check(entry.gS, translation, validated, fields.of(ws, entry), out);
    if (quillcheck::TPairChecks::isUntranslated(entry.gS, translation, validated) ||
        quillcheck::TPairChecks::isBlank(entry.gS, translation) || translation.isEmpty())
        return;
    const size_t before = out.size();
    if (withInconsistent && checks.has(TCheck::inconsistent))
        quillcheck::checkInconsistent(translation, quillcheck::givenTranslations(cs.groups.peers(entry)), out);
    if (checks.has(TCheck::officialTerm))
        quillcheck::checkOfficialTerm(cs.officialTerms, entry.listIndex, entry.gS, entry.hash, translation, out);
    if (checks.has(TCheck::spelling) && cs.speller)
        quillcheck::addSpellingProblems(unknownWordsOf(ws, entry.gS, translation), out);
    if (out.size() != before)
        std::stable_sort(out.begin(), out.end(),
                         [](const rProblem& a, const rProblem& b) { return a.check < b.check; });
}

void markIgnored(const TChecksState& cs, const tSkyStr& entry, std::span<rProblem> problems) {
    if (cs.ignored.empty()) {
        for (rProblem& p : problems)
            p.ignored = false;
        return;
    }
    const auto it = cs.ignored.find(&entry);
    for (rProblem& p : problems)
        p.ignored = it != cs.ignored.end() && it->second.has(p.check);
}

void storeProblems(TChecksState& cs, const tSkyStr& entry, std::vector<rProblem>& problems) {
    cs.tally.add(cs.problems.find(&entry), -1);
    markIgnored(cs, entry, problems);
    cs.tally.add(problems, 1);
    cs.problems.set(&entry, problems);
}

// Every figure counted again (after a run, or when the ignored problems were read).
void recount(TChecksState& cs) {
    cs.tally = {};
    cs.problems.forEach([&cs](const tSkyStr*, std::span<const rProblem> list) { cs.tally.add(list, 1); });
}

void recheckOne(TWorkspace& ws, TChecksState& cs, TFieldRulesCache& fields, tSkyStr& entry) {
    std::vector<rProblem> problems;
    checkEntry(ws, cs, *cs.pairs, fields, entry, entry.gTrans, entry.hasParam(sStrParam::validated), true, problems);
    storeProblems(cs, entry, problems);
}

// ----- the ignore file

constexpr const char* kIgnoreHeader = "# Quillery: quality check problems ignored for this document's strings\n"
                                      "# entry<TAB>check<TAB>source hash\n";

// The entry identity back from the text rEntryIdentity::toText writes.
bool identityFromText(const QString& text, rEntryIdentity& id) {
    id = rEntryIdentity{};
    if (text.startsWith(QLatin1String("M:"))) {
        id.kind = rEntryIdentity::TKind::menuKey;
        id.key = text.mid(2);
        const qsizetype hash = id.key.lastIndexOf(QLatin1Char('#'));
        bool ok = false;
        const uint occurrence = hash > 0 ? id.key.mid(hash + 1).toUInt(&ok) : 0;
        if (ok) {
            id.number = occurrence;
            id.key.truncate(hash);
        }
        return !id.key.isEmpty();
    }
    const QStringList parts = text.split(QLatin1Char(':'));
    if ((parts.size() != 2 && parts.size() != 4) || parts[0].size() != 2 || parts[0][0] != QLatin1Char('L'))
        return false;
    bool ok = false;
    const int list = parts[0].mid(1).toInt(&ok);
    if (!ok || list < 0 || list > 2) return false;
    id.list = static_cast<uint8_t>(list);
    id.number = parts[1].toUInt(&ok, 16);
    if (!ok) return false;
    if (parts.size() == 2) return true;
    if (parts[2].size() != 4) return false;
    id.kind = rEntryIdentity::TKind::pluginField;
    id.field = sHeaderSig::fromText(parts[2]);
    const uint index = parts[3].toUInt(&ok);
    if (!ok || index > 0xFFFF) return false;
    id.index = static_cast<uint16_t>(index);
    return true;
}

QString hashText(uint32_t hash) {
    return QStringLiteral("%1").arg(hash, 8, 16, QLatin1Char('0'));
}

} // namespace

TChecksState& checksState(TWorkspace& ws) {
    if (!ws.checks) ws.checks = std::make_unique<TChecksState>();
    return *ws.checks;
}

const TChecksState* checksStateIfAny(const TWorkspace& ws) {
    return ws.checks.get();
}

bool checkEnabled(const TAppState& state, TCheck check) {
    return state.checkSwitches.value(quillcheck::checkName(check), quillcheck::checkOnByDefault(check));
}

void setCheckEnabled(TAppState& state, TCheck check, bool on) {
    state.checkSwitches.insert(quillcheck::checkName(check), on);
}

TCheckSet enabledChecks(const TAppState& state) {
    TCheckSet checks;
    for (const TCheck c : quillcheck::checkOrder())
        if (checkEnabled(state, c)) checks.set(c);
    return checks;
}

namespace {

// What every run does first: the problems forgotten, the run's set-up and indexes made.
void setUpRun(TWorkspace& ws, TChecksState& cs, TCheckSet checks) {
    TAppContext& app = ws.app;
    // Room for as many as the last run found (or one for every eighth string), so the table does not grow step by step.
    const size_t expected = std::max(cs.problems.size(), static_cast<size_t>(countListSet(ws.loadedLists) / 8));
    cs.problems.clear();
    cs.tally = {};
    cs.problems.reserve(expected, expected);
    cs.checks = checks;
    cs.ran = true;
    cs.run = {};
    cs.run.active = true;
    cs.pairs = pairChecksFor(ws, checks);
    cs.unheldEntry = nullptr;
    if (checks.has(TCheck::inconsistent))
        cs.groups.build(ws.loadedLists);
    else
        cs.groups.clear();
    cs.speller = checks.has(TCheck::spelling) && spellChecker(ws);
    if (checks.has(TCheck::spelling) && !cs.speller) app.logMessage(app.uiText(QStringLiteral("Chk_NoSpeller")));
    if (checks.has(TCheck::officialTerm))
        refreshOfficialTerms(ws, cs);
    else
        cs.officialTerms.clear();
}

// Checks the entries from the run's place on, a batch at a time, until `more()` says stop or the lists end. True
// at the end. The lists are looked at afresh each time: a command between two steps may have changed them.
template <typename More> bool checkFromRunPlace(TWorkspace& ws, TChecksState& cs, More&& more) {
    TFieldRulesCache fields;
    std::vector<rProblem> problems;
    constexpr size_t kBatch = 1024;
    while (cs.run.list < ws.loadedLists.size()) {
        const tSkyStrList& list = ws.loadedLists[cs.run.list];
        const size_t end = std::min(list.size(), cs.run.position + kBatch);
        for (size_t i = cs.run.position; i < end; ++i) {
            tSkyStr& entry = *list[i];
            problems.clear();
            checkEntry(ws, cs, *cs.pairs, fields, entry, entry.gTrans, entry.hasParam(sStrParam::validated), false,
                       problems);
            if (problems.empty()) continue;
            markIgnored(cs, entry, problems);
            cs.problems.set(&entry, problems);
        }
        cs.run.position = end;
        if (end >= list.size()) {
            ++cs.run.list;
            cs.run.position = 0;
        }
        if (!more()) return cs.run.list >= ws.loadedLists.size();
    }
    return true;
}

// What every run does last: `inconsistent` group by group (the translations of a source gathered once, not once per
// entry), the figures, the log line. Returns the problems found (ignored ones left out).
int finishRun(TWorkspace& ws, TChecksState& cs) {
    TAppContext& app = ws.app;
    cs.run = {};
    if (cs.checks.has(TCheck::inconsistent))
        cs.groups.forEachGroup([&](const std::vector<tSkyStr*>& group) {
            const std::vector<quillcheck::rGivenTranslation> given = quillcheck::givenTranslations(group);
            if (given.size() < 2) return;
            for (const tSkyStr* entry : group) {
                if (!isCheckable(*entry) || !quillcheck::hasOwnTranslation(*entry)) continue;
                std::vector<rProblem> found;
                quillcheck::checkInconsistent(entry->gTrans, given, found);
                if (found.empty()) continue;
                const std::span<const rProblem> had = cs.problems.find(entry);
                // Checked again between two steps: its `inconsistent` problem is there already.
                if (std::any_of(had.begin(), had.end(),
                                [](const rProblem& p) { return p.check == TCheck::inconsistent; }))
                    continue;
                std::vector<rProblem> all(had.begin(), had.end());
                all.insert(all.end(), found.begin(), found.end());
                std::stable_sort(all.begin(), all.end(),
                                 [](const rProblem& a, const rProblem& b) { return a.check < b.check; });
                markIgnored(cs, *entry, all);
                cs.problems.set(entry, all);
            }
        });
    recount(cs);
    int count = 0;
    for (const int n : cs.tally.open)
        count += n;
    const int strings = cs.tally.strings;
    app.logMessage(app.uiTextFormat(QStringLiteral("Chk_Total"), {count, strings, ignoredProblemCount(ws)}));
    return count;
}

} // namespace

int runChecks(TWorkspace& ws, TCheckSet checks) {
    TAppContext& app = ws.app;
    TOperation operation(app, app.uiText(QStringLiteral("Chk_RunChecks")));
    app.progressMax(countListSet(ws.loadedLists));
    TChecksState& cs = checksState(ws);
    setUpRun(ws, cs, checks);
    qint64 done = 0;
    checkFromRunPlace(ws, cs, [&] {
        done += 1024;
        app.progressStep(done, 8 * 1024);
        return true;
    });
    return finishRun(ws, cs);
}

void beginChecksRun(TWorkspace& ws, TCheckSet checks) {
    TChecksState& cs = checksState(ws);
    setUpRun(ws, cs, checks);
}

bool stepChecksRun(TWorkspace& ws, int milliseconds) {
    TChecksState* cs = ws.checks.get();
    if (!cs || !cs->run.active) return true;
    QElapsedTimer clock;
    clock.start();
    try {
        if (!checkFromRunPlace(ws, *cs, [&] { return clock.elapsed() < milliseconds; })) return false;
        finishRun(ws, *cs);
    } catch (...) {
        // A step that failed ends the run: the next would fail the same way.
        cs->run = {};
        throw;
    }
    return true;
}

bool checksRunning(const TWorkspace& ws) {
    const TChecksState* cs = checksStateIfAny(ws);
    return cs && cs->run.active;
}

int runEnabledChecks(TWorkspace& ws) {
    return runChecks(ws, enabledChecks(ws.app.state));
}

QList<tSkyStr*> recheckEntries(TWorkspace& ws, const QList<tSkyStr*>& entries) {
    TChecksState& cs = checksState(ws);
    QList<tSkyStr*> done;
    if (!cs.ran) return done;
    const bool grouped = cs.checks.has(TCheck::inconsistent);
    // A source changed or an entry came in (the custom dictionary's editing): the groups are made again, and every
    // entry whose group may have changed is checked again. That is rare; the usual command leaves the sources alone.
    // A command over most of the document (validate all, a batch over every list): one run is quicker than as many
    // re-checks with their groups.
    const auto runAll = [&] {
        runChecks(ws, cs.checks);
        for (auto& list : ws.loadedLists)
            for (auto& entry : list)
                done << entry.get();
        return done;
    };
    if (entries.size() > 1000 && entries.size() * 4 > countListSet(ws.loadedLists)) return runAll();
    QList<tSkyStr*> own;
    for (tSkyStr* e : entries)
        if (!isSharedChild(ws, *e)) own << e;
    if (grouped)
        for (const tSkyStr* e : own)
            if (!cs.groups.holds(*e)) return runAll();
    if (cs.checks.has(TCheck::officialTerm) && cs.officialVocabularySize != countListSet(ws.vocabularyLists))
        refreshOfficialTerms(ws, cs);
    std::unordered_set<const tSkyStr*> seen;
    TFieldRulesCache fields;
    const auto recheck = [&](tSkyStr* e) {
        if (!seen.insert(e).second) return;
        recheckOne(ws, cs, fields, *e);
        done << e;
    };
    for (tSkyStr* e : own) {
        recheck(e);
        if (grouped)
            for (tSkyStr* peer : cs.groups.peers(*e))
                recheck(peer);
    }
    return done;
}

void vocabularyChangedForChecks(TWorkspace& ws) {
    TChecksState& cs = checksState(ws);
    if (cs.ran && cs.checks.has(TCheck::officialTerm)) runChecks(ws, cs.checks);
}

std::span<const rProblem> problemsOf(const TWorkspace& ws, const tSkyStr& entry) {
    const TChecksState* cs = checksStateIfAny(ws);
    return cs ? cs->problems.find(&entry) : std::span<const rProblem>();
}

std::vector<rEntryProblem> allProblems(const TWorkspace& ws, bool withIgnored) {
    std::vector<rEntryProblem> out;
    const TChecksState* cs = checksStateIfAny(ws);
    if (!cs || cs->problems.empty()) return out;
    for (const auto& list : ws.loadedLists)
        for (const auto& entry : list) {
            for (const rProblem& p : cs->problems.find(entry.get()))
                if (withIgnored || !p.ignored) out.push_back({entry.get(), p});
        }
    return out;
}

void TChecksState::rTally::add(std::span<const rProblem> entryProblems, int sign) {
    bool anyOpen = false;
    for (const rProblem& p : entryProblems) {
        if (p.ignored) {
            ignored += sign;
        } else {
            open[static_cast<size_t>(p.check)] += sign;
            anyOpen = true;
        }
    }
    if (anyOpen) strings += sign;
}

std::array<int, quillcheck::kCheckCount> problemCounts(const TWorkspace& ws) {
    const TChecksState* cs = checksStateIfAny(ws);
    return cs ? cs->tally.open : std::array<int, quillcheck::kCheckCount>{};
}

int problemStringCount(const TWorkspace& ws) {
    const TChecksState* cs = checksStateIfAny(ws);
    return cs ? cs->tally.strings : 0;
}

int ignoredProblemCount(const TWorkspace& ws) {
    const TChecksState* cs = checksStateIfAny(ws);
    return cs ? cs->tally.ignored : 0;
}

std::vector<rProblem> problemsOfText(TWorkspace& ws, const tSkyStr& entry, const QString& text, bool validated) {
    TChecksState& cs = checksState(ws);
    const TCheckSet checks = enabledChecks(ws.app.state);
    // The run's set-up is reused while it holds (same checks); the indexes come from the last run or are made now.
    // Checks switched since the run get a set-up of their own: the run's stays as the re-checks of its entries need
    // it.
    std::unique_ptr<quillcheck::TPairChecks> own;
    if (!cs.pairs) cs.pairs = pairChecksFor(ws, checks);
    if (cs.pairs->checks() != checks) own = pairChecksFor(ws, checks);
    const quillcheck::TPairChecks& pairs = own ? *own : *cs.pairs;
    // The groups are made again when the entry is not in them (its source changed, or it is new); an entry the
    // lists do not hold is then left without peers rather than making them again at every key.
    if (checks.has(TCheck::inconsistent) && !cs.groups.holds(entry) && cs.unheldEntry != &entry) {
        cs.groups.build(ws.loadedLists);
        cs.unheldEntry = cs.groups.holds(entry) ? nullptr : &entry;
    }
    if (checks.has(TCheck::officialTerm) &&
        (cs.officialTerms.empty() || cs.officialVocabularySize != countListSet(ws.vocabularyLists)))
        refreshOfficialTerms(ws, cs);
    TFieldRulesCache fields;
    std::vector<rProblem> problems;
    checkEntry(ws, cs, pairs, fields, entry, text, validated, true, problems);
    markIgnored(cs, entry, problems);
    return problems;
}

bool hasOpenProblems(const TWorkspace& ws, const tSkyStr& entry) {
    const TChecksState* cs = checksStateIfAny(ws);
    if (!cs || cs->problems.empty()) return false;
    const std::span<const rProblem> problems = cs->problems.find(&entry);
    return std::any_of(problems.begin(), problems.end(), [](const rProblem& p) { return !p.ignored; });
}

QStringList problemLines(const TAppContext& app, std::span<const rProblem> problems, bool withIgnored) {
    QStringList lines;
    for (const rProblem& p : problems) {
        if (p.ignored && !withIgnored) continue;
        QString line = quillcheck::checkName(p.check) + QStringLiteral(": ") + problemText(app, p);
        if (p.ignored) line += QLatin1Char(' ') + app.uiText(QStringLiteral("Chk_IgnoredMark"));
        lines << line;
    }
    return lines;
}

QString problemText(const TAppContext& app, const rProblem& problem) {
    QVariantList args;
    for (const QString& a : problem.args)
        args << a;
    return app.uiTextFormat(QLatin1String(problem.detailKey), args);
}

bool setProblemIgnored(TWorkspace& ws, tSkyStr& entry, TCheck check, bool ignored) {
    TChecksState& cs = checksState(ws);
    TCheckSet& set = cs.ignored[&entry];
    if (set.has(check) == ignored) {
        if (set.empty()) cs.ignored.erase(&entry);
        return false;
    }
    set.set(check, ignored);
    if (set.empty()) cs.ignored.erase(&entry);
    const std::span<rProblem> problems = cs.problems.findMutable(&entry);
    cs.tally.add(problems, -1);
    for (rProblem& p : problems)
        if (p.check == check) p.ignored = ignored;
    cs.tally.add(problems, 1);
    cs.ignoresChanged = true;
    // The ignore file is saved with the work: until then the work is unsaved.
    ws.markUnsavableChange();
    return true;
}

bool isProblemIgnored(const TWorkspace& ws, const tSkyStr& entry, TCheck check) {
    const TChecksState* cs = checksStateIfAny(ws);
    if (!cs) return false;
    const auto it = cs->ignored.find(&entry);
    return it != cs->ignored.end() && it->second.has(check);
}

QString ignoredProblemsPath(const TWorkspace& ws) {
    const TAppState& st = ws.app.state;
    if (st.currentFileName.isEmpty()) return {};
    return st.userDictionaryFolder +
           dictionaryFileName(st, documentDictionaryBase(ws, true) + addonHashSuffix(st), QStringLiteral("checks"));
}

void loadIgnoredProblems(TWorkspace& ws) {
    TChecksState& cs = checksState(ws);
    cs.ignored.clear();
    cs.unmatchedIgnoreLines.clear();
    cs.ignoresChanged = false;
    const QString path = ignoredProblemsPath(ws);
    if (path.isEmpty()) return;
    const QString found = quillfs::findFileNoCase(ws.app.state.userDictionaryFolder, QFileInfo(path).fileName());
    QByteArray bytes;
    if (found.isEmpty() || !quillfs::readWholeFile(found, bytes)) return;

    struct rLine {
        rEntryIdentity id;
        TCheck check;
        uint32_t sourceHash;
        QString text;
    };
    std::vector<rLine> lines;
    for (const QString& line : splitTextLines(decodeTextFile(bytes))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QStringList parts = line.split(QLatin1Char('\t'));
        rLine parsed;
        bool ok = parts.size() == 3 && identityFromText(parts[0], parsed.id);
        const std::optional<TCheck> check = ok ? quillcheck::checkFromName(parts[1]) : std::nullopt;
        parsed.sourceHash = ok ? parts[2].toUInt(&ok, 16) : 0;
        if (!ok || !check) continue; // a line this version cannot read is dropped
        parsed.check = *check;
        parsed.text = line;
        lines.push_back(std::move(parsed));
    }
    if (lines.empty()) return;
    std::unordered_map<rEntryIdentity, tSkyStr*, rEntryIdentityHash> entries;
    for (const auto& list : ws.loadedLists)
        for (const auto& entry : list)
            entries.emplace(entryIdentity(ws, *entry), entry.get());
    for (const rLine& line : lines) {
        const auto it = entries.find(line.id);
        if (it == entries.end()) {
            cs.unmatchedIgnoreLines << line.text;
            continue;
        }
        // The source changed since: the problem may be another one now, and the check looks at it again.
        if (it->second->hash != line.sourceHash) {
            cs.ignoresChanged = true;
            continue;
        }
        cs.ignored[it->second].set(line.check);
    }
    cs.problems.forEach([&cs](const tSkyStr* entry, std::span<rProblem> list) { markIgnored(cs, *entry, list); });
    recount(cs);
}

bool saveIgnoredProblems(TWorkspace& ws) {
    TChecksState& cs = checksState(ws);
    const QString path = ignoredProblemsPath(ws);
    if (path.isEmpty()) return false;
    QStringList lines = cs.unmatchedIgnoreLines;
    for (const auto& [entry, checks] : cs.ignored) {
        const QString id = entryIdentity(ws, *entry).toText();
        for (const TCheck c : quillcheck::checkOrder())
            if (checks.has(c))
                lines << id + QLatin1Char('\t') + quillcheck::checkName(c) + QLatin1Char('\t') + hashText(entry->hash);
    }
    const QString existing = quillfs::findFileNoCase(ws.app.state.userDictionaryFolder, QFileInfo(path).fileName());
    const QString target = existing.isEmpty() ? path : existing;
    if (lines.isEmpty()) {
        // Nothing ignored any more: no file is left to say otherwise.
        if (!existing.isEmpty()) QFile::remove(existing);
        cs.ignoresChanged = false;
        return true;
    }
    lines.sort();
    QDir().mkpath(ws.app.state.userDictionaryFolder);
    QString error;
    const QByteArray bytes =
        (QLatin1String(kIgnoreHeader) + lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (!quillfs::writeFileAtomic(target, bytes, &error)) {
        ws.app.logMessage(target + QStringLiteral(": ") + error, true, dbOk);
        return false;
    }
    cs.ignoresChanged = false;
    return true;
}

std::unique_ptr<TChecksState> forgetCheckEntries(TWorkspace& ws) {
    if (!ws.checks) return nullptr;
    auto fresh = std::make_unique<TChecksState>();
    fresh->checks = ws.checks->checks;
    fresh->speller = ws.checks->speller;
    return std::exchange(ws.checks, std::move(fresh));
}

void spellingChangedForChecks(TWorkspace& ws, bool wordsBecameKnown) {
    TChecksState* cs = ws.checks.get();
    if (!cs || !cs->ran || !cs->checks.has(TCheck::spelling)) return;
    if (!wordsBecameKnown) {
        runChecks(ws, cs->checks);
        return;
    }
    QList<tSkyStr*> misspelled;
    for (const auto& list : ws.loadedLists)
        for (const auto& entry : list) {
            const std::span<const rProblem> problems = cs->problems.find(entry.get());
            if (std::any_of(problems.begin(), problems.end(),
                            [](const rProblem& p) { return p.check == TCheck::spelling; }))
                misspelled << entry.get();
        }
    recheckEntries(ws, misspelled);
}
