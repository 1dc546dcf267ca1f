// The workspace: ownership of the open work, opening by kind, closing.
#include "workspace/QUILL_workspace.h"

#include "workspace/QUILL_wsAids.h"
#include "workspace/QUILL_wsChecks.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"
#include "workspace/QUILL_wsScript.h"
#include "workspace/QUILL_wsSpelling.h"
#include "workspace/QUILL_wsStrings.h"

#include "core/QUILL_helpers.h"
#include "core/QUILL_parallel.h"
#include "core/QUILL_recent.h"
#include "workspace/QUILL_document.h"
#include "workspace/QUILL_journal.h"

#include <QFileInfo>
#include <algorithm>
#include <new>

TWorkspace::TWorkspace(THost* host) : app(host) {}

TWorkspace::~TWorkspace() {
    closeJournal(*this);
    // Quitting with a big document open: the window goes at once, its memory is freed before the program ends.
    history.clear();
    backgroundRelease().release(std::move(sharedIdList), std::move(loadedLists), std::move(workLists),
                                std::move(document), std::move(checks), std::move(vocabularyLists));
}

void TWorkspace::addObserver(TWorkspaceObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void TWorkspace::removeObserver(TWorkspaceObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void TWorkspace::reorderLists(const std::function<void()>& change) {
    notify(&TWorkspaceObserver::listsAboutToChange);
    change();
    notify(&TWorkspaceObserver::listsChanged);
}

void TWorkspace::setSelection(QList<tSkyStr*> entries) {
    selection_ = std::move(entries);
    selectionSet_.clear();
    selectionSetBuilt_ = false;
}

bool TWorkspace::isSelected(const tSkyStr& entry) const {
    if (!selectionSetBuilt_) {
        selectionSet_ = QSet<const tSkyStr*>(selection_.cbegin(), selection_.cend());
        selectionSetBuilt_ = true;
    }
    return selectionSet_.contains(&entry);
}

std::function<bool(const tSkyStr&)> TWorkspace::selectionPredicate() const {
    return [this](const tSkyStr& entry) { return isSelected(entry); };
}

void TWorkspace::announceDocumentChange() {
    if (!documentReplaced_) return;
    documentReplaced_ = false;
    notify(&TWorkspaceObserver::documentChanged);
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

TCustomDictionaryDocument* TWorkspace::customDictionary() const {
    return dynamic_cast<TCustomDictionaryDocument*>(document.get());
}

TDocument& TWorkspace::installDocument(std::unique_ptr<TDocument> opened) {
    clearLoadedLists();
    document = std::move(opened);
    app.state.WorkMode = document->mode();
    return *document;
}

void TWorkspace::forgetOpenFile() {
    TAppState& st = app.state;
    st.currentFileName.clear();
    st.currentFilePath.clear();
    st.openTablesFolder.clear();
    st.openTablesLang.clear();
    st.addonHash = 0;
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
        app.logMessage(app.uiText(QStringLiteral("Fbk_OutOfMemory")), true);
    }
    if (!opened && documentReplaced_) {
        // Whatever failed, nothing half-read stays open: the previous document was already closed.
        clearLoadedLists();
        forgetOpenFile();
    }
    announceDocumentChange();
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
    // An edit the dialog holds is part of the work the question is about (asked about where the dialog says so).
    storePendingEdit(false);
    TAppState& st = app.state;
    if (!st.dictionaryModified) return true;
    // Without a dictionary of its own (a table set, or both languages the same) the work lives only in the document.
    const bool documentOnly = document && document->savesWorkAsDocument(st);
    const QString question = documentOnly ? QStringLiteral("Ask_SavingDocument") : QStringLiteral("Ask_SavingSST");
    const int answer = app.messageDialog(app.uiTextFormat(question, {st.currentFileName}), dbYesNoCancel);
    if (answer == drYes) {
        // A failed or refused save keeps the work and the question's caller waits.
        return document ? document->saveWork(*this) : saveDocumentDictionary();
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
    notify(&TWorkspaceObserver::historyChanged);
}

namespace {

std::vector<tSkyStr*> entriesOf(const TEditStep& step) {
    std::vector<tSkyStr*> entries;
    entries.reserve(step.changes.size());
    for (const rEntryChange& change : step.changes)
        entries.push_back(change.entry);
    return entries;
}

} // namespace

bool TWorkspace::undo() {
    const TEditStep* step = history.undo();
    if (!step) return false;
    journalStep(*this, step->changes, TJournalStepKind::undo);
    notify(&TWorkspaceObserver::entriesChanged, entriesOf(*step));
    afterHistoryChange();
    return true;
}

bool TWorkspace::redo() {
    const TEditStep* step = history.redo();
    if (!step) return false;
    journalStep(*this, step->changes, TJournalStepKind::redo);
    notify(&TWorkspaceObserver::entriesChanged, entriesOf(*step));
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
    // A command leaving by an exception still records what it changed; nothing may escape a destructor.
    try {
        finish();
    } catch (...) {
    }
}

int TEntryCommand::finish() {
    if (finished_) return changed_;
    finished_ = true;
    std::vector<rEntryChange> changes = recorder_.changes();
    changed_ = static_cast<int>(changes.size());
    if (changes.empty()) return 0;
    journalStep(ws_, changes, TJournalStepKind::command);
    std::vector<tSkyStr*> entries;
    entries.reserve(changes.size());
    for (const rEntryChange& change : changes)
        entries.push_back(change.entry);
    // A step of one string takes the "_1" form of its name where the language has one ("Validate 1 string").
    const QString singular = nameKey_ + QStringLiteral("_1");
    const QString& key = changed_ == 1 && ws_.app.texts.contains(singular) ? singular : nameKey_;
    ws_.history.push({ws_.app.uiTextFormat(key, {changed_}), std::move(changes)});
    ws_.notify(&TWorkspaceObserver::entriesChanged, entries);
    ws_.afterHistoryChange();
    return changed_;
}

void TWorkspace::clearLoadedLists() {
    // The views let go of the entries before they are freed, and hear of the new lists when the command is done.
    notify(&TWorkspaceObserver::documentClosing);
    documentReplaced_ = true;
    setSelection({});
    forgetAidsEntries(*this);
    std::unique_ptr<TChecksState> checksOfDocument = forgetCheckEntries(*this);
    for (auto& pairs : heuristicMatches)
        pairs.clear();
    // Before the unsaved-work mark goes with the history: a journal of unsaved work stays.
    closeJournal(*this);
    // The steps point at the entries about to be freed.
    history.clear();
    afterHistoryChange();
    // Nothing refers to them any more: the views, the history, the aids and the checks let go above.
    backgroundRelease().release(std::move(sharedIdList), std::move(loadedLists), std::move(workLists),
                                std::move(document), std::move(checksOfDocument));
    sharedIdList.clear();
    clearListSet(loadedLists);
    clearListSet(workLists);
    app.state.WorkMode = TWorkMode::None;
}

bool TWorkspace::closeAll() {
    if (!confirmDictionarySave()) return false;
    {
        TOperation operation(app, app.uiText(QStringLiteral("Closing")));
        clearLoadedLists();
        // Unloading keeps the remembered apply and overwrite choices, which live with the vocabulary state.
        unloadVocabulary(*this);
        forgetOpenFile();
    }
    scanVocabulary(*this);
    announceDocumentChange();
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
    setLanguages(preset.src, preset.dst);
    return true;
}

void TWorkspace::setLanguages(const QString& source, const QString& dest) {
    app.state.SourceLang = source;
    app.state.DestLang = dest;
    app.refreshStatusLanguage();
    // The vocabulary is made of the tables and dictionaries of the two languages.
    scanVocabulary(*this);
}
