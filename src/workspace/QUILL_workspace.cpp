// The workspace: ownership of the open work, opening by kind, closing.
#include "workspace/QUILL_workspace.h"

#include "workspace/QUILL_wsAids.h"
#include "workspace/QUILL_wsChecks.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"
#include "workspace/QUILL_wsScript.h"
#include "workspace/QUILL_wsStrings.h"

#include "core/QUILL_helpers.h"
#include "core/QUILL_recent.h"
#include "workspace/QUILL_document.h"
#include "workspace/QUILL_journal.h"

#include <QFileInfo>
#include <new>

TWorkspace::TWorkspace(THost* host) : app(host) {}

TWorkspace::~TWorkspace() {
    closeJournal(*this);
}

TPluginDocument* TWorkspace::plugin() const {
    return dynamic_cast<TPluginDocument*>(document.get());
}

TScriptDocument* TWorkspace::script() const {
    return dynamic_cast<TScriptDocument*>(document.get());
}

TMenuDocument* TWorkspace::menu() const {
    return dynamic_cast<TMenuDocument*>(document.get());
}

bool TWorkspace::openFileByKind(const QString& path) {
    const rDocumentKind* kind = documentKindOf(path);
    return kind && openDocument(*kind, path, kind->rememberFolderWhenGiven);
}

bool TWorkspace::openDocument(const rDocumentKind& kind, const QString& path, bool rememberFolder) {
    if (!confirmDictionarySave()) return false;
    bool opened = false;
    try {
        opened = kind.open(*this, path, rememberFolder);
    } catch (const std::bad_alloc&) {
        // Whatever kind ran out of memory, nothing half-read stays open.
        clearLoadedLists();
        app.state.WorkMode = TWorkMode::None;
        app.logMessage(app.uiText(QStringLiteral("Fbk_OutOfMemory")), true);
    }
    if (!opened) return false;
    // What the open itself filled in (the document's dictionary, the exact pass) is where the work starts from.
    history.clear();
    afterHistoryChange();
    loadIgnoredProblems(*this);
    offerJournal(*this);
    return true;
}

bool TWorkspace::pickAndOpenDocument(const rDocumentKind& kind) {
    if (!confirmDictionarySave()) return false;
    const QString path = app.host().pickOpenFile(QString(), app.state.*kind.startFolder, QString(),
                                                 app.uiText(QLatin1String(kind.filterKey)));
    if (path.isEmpty()) return false;
    if (!QFileInfo::exists(path)) {
        app.logMessage(app.uiText(QStringLiteral("FileNotFound")) + QStringLiteral(": ") + path, true, dbOk);
        return false;
    }
    return openDocument(kind, path, true);
}

TExportKind TWorkspace::exportKind() const {
    return document ? document->exportKind() : TExportKind::stringTables;
}

rColumnLayout TWorkspace::columnLayout() const {
    return document ? document->layout() : rColumnLayout{};
}

bool TWorkspace::confirmDictionarySave() {
    TAppState& st = app.state;
    if (!st.dictionaryModified) return true;
    // Without a dictionary of its own (a table set, or both languages the same) the work lives only in the document.
    const bool sameLanguage = st.SourceLang.compare(st.DestLang, Qt::CaseInsensitive) == 0;
    const bool documentOnly = st.WorkMode == TWorkMode::Strings || (sameLanguage && !st.editCustom());
    const QString question = documentOnly ? QStringLiteral("Ask_SavingDocument") : QStringLiteral("Ask_SavingSST");
    const int answer = app.messageDialog(app.uiTextFormat(question, {st.currentFileName}), dbYesNoCancel);
    if (answer == drYes) {
        // A failed or refused save keeps the work and the question's caller waits.
        if (documentOnly) return saveDocument(false);
        return st.editCustom() ? saveCustomDictionary() : saveDocumentDictionary();
    }
    if (answer == drNo) {
        markWorkSaved();
        return true;
    }
    return false;
}

void TWorkspace::markWorkSaved() {
    endJournal(*this);
    history.markSaved();
    afterHistoryChange();
}

void TWorkspace::markUnsavableChange() {
    history.markUnsavable();
    afterHistoryChange();
}

void TWorkspace::afterHistoryChange() {
    app.state.dictionaryModified = !history.atSavedPoint();
}

bool TWorkspace::undo() {
    const TEditStep* step = history.undo();
    if (!step) return false;
    journalStep(*this, step->changes, TJournalStepKind::undo);
    afterHistoryChange();
    return true;
}

bool TWorkspace::redo() {
    const TEditStep* step = history.redo();
    if (!step) return false;
    journalStep(*this, step->changes, TJournalStepKind::redo);
    afterHistoryChange();
    return true;
}

namespace {

void validate(tSkyStr& e) {
    e.resetStatus({sStrParam::validated}, {sStrParam::incompleteTrans});
}

void markPartial(tSkyStr& e) {
    e.resetStatus({sStrParam::incompleteTrans}, {sStrParam::validated});
}

void reset(tSkyStr& e) {
    e.resetTrans();
}

// One command over the given entries, or over every loaded entry after `question` when the list is null.
int changeEntries(TWorkspace& ws, const QString& stepKey, const QList<tSkyStr*>* entries, void (*change)(tSkyStr&),
                  const QString& question = {}) {
    if (!entries) {
        if (ws.app.messageDialog(ws.app.uiText(question), dbYesNo) != drYes) return -1;
        TEntryCommand command(ws, stepKey);
        for (auto& list : ws.loadedLists)
            for (auto& e : list)
                change(*e);
        return command.finish();
    }
    TEntryCommand command(ws, stepKey, *entries);
    for (tSkyStr* e : *entries)
        change(*e);
    return command.finish();
}

} // namespace

int TWorkspace::validateEntries(const QList<tSkyStr*>& entries) {
    return changeEntries(*this, QStringLiteral("Step_Validate"), &entries, validate);
}

int TWorkspace::markEntriesPartial(const QList<tSkyStr*>& entries) {
    return changeEntries(*this, QStringLiteral("Step_Partial"), &entries, markPartial);
}

int TWorkspace::resetEntries(const QList<tSkyStr*>& entries) {
    return changeEntries(*this, QStringLiteral("Step_Cancel"), &entries, reset);
}

int TWorkspace::validateAll() {
    return changeEntries(*this, QStringLiteral("Step_ValidateAll"), nullptr, validate, QStringLiteral("ValidateALL"));
}

int TWorkspace::resetAll() {
    return changeEntries(*this, QStringLiteral("Step_ResetAll"), nullptr, reset, QStringLiteral("ResetALL"));
}

TEntryCommand::TEntryCommand(TWorkspace& ws, QString nameKey) : ws_(ws), nameKey_(std::move(nameKey)) {
    recorder_.addAll(ws.loadedLists, ws.sharedIdList);
}

TEntryCommand::TEntryCommand(TWorkspace& ws, QString nameKey, const QList<tSkyStr*>& entries)
    : ws_(ws), nameKey_(std::move(nameKey)) {
    for (tSkyStr* e : entries)
        recorder_.add(e);
}

TEntryCommand::~TEntryCommand() {
    finish();
}

int TEntryCommand::finish() {
    if (finished_) return changed_;
    finished_ = true;
    std::vector<rEntryChange> changes = recorder_.changes();
    changed_ = static_cast<int>(changes.size());
    if (changes.empty()) return 0;
    journalStep(ws_, changes, TJournalStepKind::command);
    // A step of one string takes the "_1" form of its name where the language has one ("Validate 1 string").
    const QString singular = nameKey_ + QStringLiteral("_1");
    const QString& key = changed_ == 1 && ws_.app.texts.contains(singular) ? singular : nameKey_;
    ws_.history.push({ws_.app.uiTextFormat(key, {changed_}), std::move(changes)});
    ws_.afterHistoryChange();
    return changed_;
}

void TWorkspace::clearLoadedLists() {
    forgetAidsEntries(*this);
    forgetCheckEntries(*this);
    for (auto& pairs : heuristicMatches)
        pairs.clear();
    // Before the unsaved-work mark goes with the history: a journal of unsaved work stays.
    closeJournal(*this);
    // The steps point at the entries about to be freed.
    history.clear();
    afterHistoryChange();
    sharedIdList.clear();
    clearListSet(loadedLists);
    clearListSet(workLists);
    document.reset();
}

bool TWorkspace::closeAll() {
    if (!confirmDictionarySave()) return false;
    {
        TOperation operation(app, app.uiText(QStringLiteral("Closing")));
        clearLoadedLists();
        // Unloading keeps the remembered apply and overwrite choices, which live with the vocabulary state.
        unloadVocabulary(*this);
        app.state.WorkMode = TWorkMode::None;
        app.state.currentFileName.clear();
        app.state.currentFilePath.clear();
        app.state.openTablesFolder.clear();
        app.state.openTablesLang.clear();
        app.state.addonHash = 0;
    }
    scanVocabulary(*this);
    return true;
}

bool TWorkspace::hasLoadedWork() const {
    return app.state.fileLoaded() || app.state.dictionaryMode() || countListSet(vocabularyLists) > 0;
}

TWorkspace::TRecentResult TWorkspace::openRecentFile(int index) {
    QStringList& recent = app.state.recentAddon;
    if (index < 0 || index >= recent.size()) return TRecentResult::outOfRange;
    const QString path = recent[index];
    if (!QFileInfo::exists(path)) {
        removeRecentFile(recent, path);
        app.logMessage(app.uiText(QStringLiteral("FbK_menuFail")), true, dbOk);
        return TRecentResult::removed;
    }
    // A name no kind claims was a string table of an older list.
    const rDocumentKind* kind = documentKindOf(path);
    const bool opened = openDocument(kind ? *kind : documentKind("stringTables"), path, false);
    return opened ? TRecentResult::opened : TRecentResult::notOpened;
}

bool TWorkspace::applyPreset(int index) {
    TAppState& st = app.state;
    if (index < 0 || index >= st.presetlang.size()) return false;
    const rPresetName preset = splitPresetName(st.presetlang[index]);
    if (preset.src.isEmpty() || preset.dst.isEmpty()) return false;
    if (preset.src.compare(st.SourceLang, Qt::CaseInsensitive) == 0 &&
        preset.dst.compare(st.DestLang, Qt::CaseInsensitive) == 0)
        return false;
    if (hasLoadedWork()) {
        if (app.messageDialog(app.uiText(QStringLiteral("Ask_LangUnload")), dbYesNo) != drYes) return false;
    }
    if (!closeAll()) return false;
    st.SourceLang = preset.src;
    st.DestLang = preset.dst;
    app.refreshStatusLanguage();
    return true;
}
