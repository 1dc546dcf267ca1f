// The vocabulary's workspace commands and the dictionary files of the open document.
#include "workspace/QUILL_wsVocabulary.h"

#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "dictionary/QUILL_dictionary.h"
#include "strings/QUILL_backup.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"
#include "workspace/QUILL_wsPasses.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The vocabulary's entries (those of `folder`, or all) are about to go: whatever points at them (the heuristic pairs,
// the views) lets go.
void forgetVocabularyEntries(TWorkspace& ws, const void* folder = nullptr) {
    ws.notify(&TWorkspaceObserver::vocabularyAboutToChange);
    for (auto& pairs : ws.heuristicMatches)
        std::erase_if(pairs, [folder](const rHeuristicPair& p) {
            return !folder || (p.vocabulary && p.vocabulary->pNode == folder);
        });
}

} // namespace

TVocabularyState& vocabularyState(TWorkspace& ws) {
    if (!ws.vocabulary) ws.vocabulary = std::make_unique<TVocabularyState>();
    return *ws.vocabulary;
}

void scanVocabulary(TWorkspace& ws) {
    TVocabularyState& vs = vocabularyState(ws);
    // The view's nodes are about to be replaced: entries pointing at them go too.
    if (countListSet(ws.vocabularyLists) > 0) {
        forgetVocabularyEntries(ws);
        clearListSet(ws.vocabularyLists);
    }
    vs.focusedNode = -1;
    vs.vocab.scan(ws.app.state);
    ws.app.host().setStatusText(1, ws.app.statusLanguageText());
    ws.notify(&TWorkspaceObserver::vocabularyChanged);
}

void unloadVocabulary(TWorkspace& ws) {
    TVocabularyState& vs = vocabularyState(ws);
    forgetVocabularyEntries(ws);
    vs.vocab.clear(ws.vocabularyLists);
    vs.focusedNode = -1;
    ws.notify(&TWorkspaceObserver::vocabularyChanged);
}

void loadVocabulary(TWorkspace& ws) {
    TAppContext& app = ws.app;
    TOperation operation(app, app.uiText(QStringLiteral("FbK_CacheLoad")), true, true);
    unloadVocabulary(ws);
    scanVocabulary(ws);
    app.state.DestLang = app.state.DestLang.toLower();
    vocabularyState(ws).vocab.loadAll(app, ws.vocabularyLists);
    ws.notify(&TWorkspaceObserver::vocabularyChanged);
}

void reloadVocabulary(TWorkspace& ws) {
    loadVocabulary(ws);
    if (ws.app.state.fileLoaded()) exactTranslation(ws, tStringPredicate::all, false);
}

rVocabularyNode* findDictionaryNode(TWorkspace& ws, const QString& name, bool clearLocks) {
    return vocabularyState(ws).vocab.findDictionaryNode(name, clearLocks);
}

bool focusDictionaryNode(TWorkspace& ws, const QString& name) {
    TVocabularyState& vs = vocabularyState(ws);
    rVocabularyNode* node = vs.vocab.findDictionaryNode(name.toLower(), false);
    vs.focusedNode = vs.vocab.indexOf(node);
    return node != nullptr;
}

void refreshVocabularyEntry(TWorkspace& ws, const QString& name) {
    TVocabularyState& vs = vocabularyState(ws);
    if (rVocabularyNode* node = vs.vocab.findDictionaryNode(name.toLower(), false))
        forgetVocabularyEntries(ws, node->folder.get());
    vs.vocab.refreshEntry(ws.app, ws.vocabularyLists, name);
    ws.notify(&TWorkspaceObserver::vocabularyChanged);
}

// ----- The document's dictionary

QString documentDictionaryBase(const TWorkspace& ws, bool lower) {
    return dictionaryBaseName(ws.app.state, ws.document ? ws.document->dictionarySuffix() : QString(), lower);
}

QString documentDictionaryFileName(const TWorkspace& ws) {
    const TAppState& st = ws.app.state;
    return dictionaryFileName(st, documentDictionaryBase(ws, true) + addonHashSuffix(st), QStringLiteral("sst"));
}

bool saveDictionaryFile(TWorkspace& ws, const QString& fileName) {
    TAppContext& app = ws.app;
    const TAppState& st = app.state;
    QDir().mkpath(st.userDictionaryFolder);
    // The previous file is kept in the backup folder once the new one is complete, just before it is replaced. A
    // backup that cannot be made is reported and the save goes on: the dictionary is the work itself.
    const quillfs::tKeepOriginal keep = [&](const QString&) {
        quillfs::rKeptOriginal kept;
        if (st.sstbackupCount > 0 && QFileInfo::exists(st.userDictionaryFolder + fileName))
            backupDictionary(app, fileName, QDateTime(), &kept.path);
        return kept;
    };
    if (quilldict::writeDictionary(app, ws.loadedLists, st.userDictionaryFolder + fileName, keep)) {
        quilldict::pruneDictionaryBackups(st, fileName);
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_Saved"), {fileName}), true, dbSelfClosing);
        // The problems ignored for these strings are kept beside their dictionary.
        saveIgnoredProblems(ws);
        ws.markWorkSaved();
        return true;
    }
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_SavedError"), {fileName}), true, dbOk);
    return false;
}

bool TWorkspace::canSaveDocumentDictionary() const {
    const TAppState& st = app.state;
    return document && document->hasOwnDictionary() && !st.currentFileName.isEmpty() &&
           !st.sameLanguages();
}

bool TWorkspace::saveDocumentDictionary() {
    TAppState& st = app.state;
    if (!canSaveDocumentDictionary()) return false;
    storePendingEdit();
    TVocabularyState& vs = vocabularyState(*this);
    const QString name = documentDictionaryBase(*this, true) + addonHashSuffix(st);
    vs.vocab.dictionariesInUse = QStringList{name};
    const QString fileName = dictionaryFileName(st, name, QStringLiteral("sst"));
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_SaveSST")), true);
    const bool ok = saveDictionaryFile(*this, fileName);
    app.logMessage(app.uiText(QStringLiteral("Fbk_UpdateCache")));
    refreshVocabularyEntry(*this, name);
    return ok;
}

bool deleteFocusedDictionary(TWorkspace& ws) {
    TVocabularyState& vs = vocabularyState(ws);
    if (vs.focusedNode < 0 || vs.focusedNode >= static_cast<int>(vs.vocab.nodes.size())) return false;
    const rVocabularyNode& node = vs.vocab.nodes[vs.focusedNode];
    if (!node.isDictionary()) return false;
    if (!ws.confirmDictionarySave()) return false;
    const QString path = vs.vocab.filePath(ws.app.state, node);
    if (!QFile::moveToTrash(path)) {
        ws.app.logMessage(ws.app.uiTextFormat(QStringLiteral("Fbk_DeleteSSTError"), {QFileInfo(path).fileName()}), true,
                          dbOk);
        return false;
    }
    reloadVocabulary(ws);
    return true;
}

void devWorkInProgress(TWorkspace& ws) {
    ws.app.logMessage(ws.app.uiText(QStringLiteral("Dev WIP")), true, dbOk);
}
