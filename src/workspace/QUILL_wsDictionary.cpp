// Workspace commands for dictionaries, the vocabulary, the translation passes and the XML exchange.
#include "workspace/QUILL_wsDictionary.h"

#include "strings/QUILL_backup.h"

#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "dictionary/QUILL_dictionary.h"
#include "dictionary/QUILL_xml.h"
#include "strings/QUILL_stringTable.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"
#include "workspace/QUILL_wsEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

bool gameDocumentOpen(const TAppState& st) {
    return st.fileLoaded();
}

// Empties the work lists when a pass ends, however it ends.
struct TWorkListsGuard {
    TWorkspace& ws;
    std::vector<tEspStrRef>& refs;
    ~TWorkListsGuard() {
        clearListSet(ws.workLists);
        refs.clear();
    }
};

rPassContext passContext(TWorkspace& ws, tStringPredicate filter) {
    rPassContext c;
    const TAppState& st = ws.app.state;
    c.sameLanguage = st.sameLanguages();
    c.references = ws.document ? ws.document->referenceKey() : TReferenceKey::none;
    c.filter = filter;
    c.isSelected = ws.selectionPredicate();
    TAppContext* app = &ws.app;
    c.progress = [app](int n) { app->progressStep(n, 10); };
    return c;
}

void notifyView(TWorkspace& ws) {
    ws.notify(&TWorkspaceObserver::vocabularyChanged);
}

// The vocabulary's entries are about to go: whatever points at them (the heuristic pairs, the views) lets go.
void forgetVocabularyEntries(TWorkspace& ws) {
    ws.notify(&TWorkspaceObserver::vocabularyAboutToChange);
    for (auto& pairs : ws.heuristicMatches)
        pairs.clear();
}

// Steps 5 and 6 of applying a dictionary read into the work lists: by source text when it has no references, then
// by reference.
void applyWorkLists(TWorkspace& ws, std::vector<tEspStrRef>& refs, tStringPredicate filter, bool edidOnly) {
    TAppContext& app = ws.app;
    const bool withReferences = !refs.empty();
    if (!withReferences) markDuplicateSources(ws.workLists, sStrInternalParam::nTrans);
    app.progressMax(2 * countListSet(ws.loadedLists));
    sortReferences(refs, ws.document ? ws.document->referenceKey() : TReferenceKey::none);
    rPassContext context = passContext(ws, filter);
    for (int i = 0; i < 3; ++i) {
        if (!withReferences) {
            const int n = exactMatch(ws.workLists[i], ws.loadedLists[i], true, context);
            app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_TransResultSST"), {tableExtension(i), n}));
        }
        referenceMatch(refs, ws.loadedLists[i], edidOnly, context);
    }
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
        return true;
    }
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_SavedError"), {fileName}), true, dbOk);
    return false;
}

} // namespace

TVocabularyState& vocabularyState(TWorkspace& ws) {
    if (!ws.vocabulary) ws.vocabulary = std::make_unique<TVocabularyState>();
    return *ws.vocabulary;
}

// ----- Vocabulary

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
    notifyView(ws);
}

void unloadVocabulary(TWorkspace& ws) {
    TVocabularyState& vs = vocabularyState(ws);
    forgetVocabularyEntries(ws);
    vs.vocab.clear(ws.vocabularyLists);
    vs.focusedNode = -1;
    notifyView(ws);
}

void loadVocabulary(TWorkspace& ws) {
    TAppContext& app = ws.app;
    TOperation operation(app, app.uiText(QStringLiteral("FbK_CacheLoad")), true, true);
    unloadVocabulary(ws);
    scanVocabulary(ws);
    app.state.DestLang = app.state.DestLang.toLower();
    vocabularyState(ws).vocab.loadAll(app, ws.vocabularyLists);
    notifyView(ws);
}

void reloadVocabulary(TWorkspace& ws) {
    loadVocabulary(ws);
    if (gameDocumentOpen(ws.app.state)) exactTranslation(ws, tStringPredicate::all, false);
}

rVocabularyNode* findDictionaryNode(TWorkspace& ws, const QString& name, bool clearLocks) {
    return vocabularyState(ws).vocab.findDictionaryNode(name, clearLocks);
}

int askOverwriteChoice(TWorkspace& ws, const QString& captionKey) {
    TAppContext& app = ws.app;
    TVocabularyState& vs = vocabularyState(ws);
    rOptionRequest request;
    request.dialog = QStringLiteral("TForm6");
    request.caption = app.uiText(captionKey);
    for (const QString& key : overwriteChoiceKeys())
        request.choices << app.uiText(key);
    request.current = vs.overwriteChoice;
    const int choice = app.host().chooseOption(request);
    if (choice < 0 || choice > 4) return -1;
    vs.overwriteChoice = choice;
    return choice;
}

bool focusDictionaryNode(TWorkspace& ws, const QString& name) {
    TVocabularyState& vs = vocabularyState(ws);
    rVocabularyNode* node = vs.vocab.findDictionaryNode(name.toLower(), false);
    vs.focusedNode = vs.vocab.indexOf(node);
    return node != nullptr;
}

void refreshVocabularyEntry(TWorkspace& ws, const QString& name) {
    TVocabularyState& vs = vocabularyState(ws);
    if (rVocabularyNode* node = vs.vocab.findDictionaryNode(name.toLower(), false)) {
        ws.notify(&TWorkspaceObserver::vocabularyAboutToChange);
        const void* folder = node->folder.get();
        for (auto& pairs : ws.heuristicMatches)
            std::erase_if(pairs,
                          [folder](const rHeuristicPair& p) { return p.vocabulary && p.vocabulary->pNode == folder; });
    }
    vs.vocab.refreshEntry(ws.app, ws.vocabularyLists, name);
    notifyView(ws);
}

// ----- Passes

void exactTranslation(TWorkspace& ws, tStringPredicate filter, bool forceSearch) {
    TAppContext& app = ws.app;
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_DirectTrans")), true, true);
    app.progressMax(countListSet(ws.loadedLists));
    rPassContext context = passContext(ws, filter);
    const bool search = forceSearch || app.state.AuthAutoTranslate2;
    qsizetype totalLeft = 0, totalSize = 0;
    for (int i = 0; i < 3; ++i) {
        const int n = exactMatch(ws.vocabularyLists[i], ws.loadedLists[i], search, context);
        const qsizetype size = static_cast<qsizetype>(ws.loadedLists[i].size());
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_TransResult"),
                                        {tableExtension(i), n, static_cast<qlonglong>(size), ratio(n, size) * 100}));
        totalLeft += n;
        totalSize += size;
    }
    app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_TransResult"),
                                    {app.uiText(QStringLiteral("All")), static_cast<qlonglong>(totalLeft),
                                     static_cast<qlonglong>(totalSize),
                                     ratio(static_cast<double>(totalLeft), static_cast<double>(totalSize)) * 100}));
}

void translateExact(TWorkspace& ws) {
    if (!gameDocumentOpen(ws.app.state)) return;
    TEntryCommand command(ws, QStringLiteral("Step_Exact"));
    exactTranslation(ws, tStringPredicate::all, true);
}

void TWorkspace::applyDocumentDictionary() {
    TAppState& st = app.state;
    TVocabularyState& vs = vocabularyState(*this);
    if (st.useAddonHash) {
        st.addonHash = quilldict::computeAddonHash(loadedLists);
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_AddonHash"), {addonHashSuffix(st)}));
    } else {
        st.addonHash = 0;
    }
    for (rVocabularyNode& node : vs.vocab.nodes)
        node.folder->fparams.clear(sFdrParam::fdrLocked);

    const QString folder = st.userDictionaryFolder;
    const QString name = documentDictionaryBase(*this, true);
    QStringList& inUse = vs.vocab.dictionariesInUse;
    inUse = QStringList{name + addonHashSuffix(st)};
    QString path = quillfs::findFileNoCase(folder, dictionaryFileName(st, inUse[0], QStringLiteral("sst")));
    if (path.isEmpty()) {
        path = quillfs::findFileNoCase(folder, dictionaryFileName(st, name, QStringLiteral("sst")));
        inUse[0] = name;
    }
    // A dotted file name's dictionary saved under the old, shorter name still loads until one of its own exists.
    if (const QString old = oldDictionaryName(name); path.isEmpty() && !old.isEmpty()) {
        path = quillfs::findFileNoCase(folder, dictionaryFileName(st, old, QStringLiteral("sst")));
        if (!path.isEmpty()) inUse[0] = old;
    }
    if (path.isEmpty()) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_NOSSTfound"), {st.currentFileName}));
        return;
    }
    if (rVocabularyNode* node = vs.vocab.findDictionaryNode(inUse[0], true)) {
        bool apply = true;
        if (node->checked || node->folder->fparams.has(sFdrParam::fdrLoaded)) {
            node->checked = true;
        } else if (app.messageDialog(app.uiTextFormat(QStringLiteral("Ask_SSTResExists"), {inUse[0]}), dbYesNo) ==
                   drYes) {
            node->checked = true;
            vs.vocab.updateDisabledList(st);
            vs.vocab.loaded = false; // the caller reloads the vocabulary with it
        } else {
            apply = false;
        }
        node->folder->fparams.set(sFdrParam::fdrLocked);
        notifyView(*this);
        if (!apply) return;
    }
    app.logMessage(app.uiText(QStringLiteral("Fbk_applySST")));
    std::vector<tEspStrRef> refs;
    TWorkListsGuard guard{*this, refs};
    clearListSet(workLists);
    quilldict::rDictionaryLoad options;
    options.withReferences = true;
    int counter = 0;
    quilldict::loadDictionary(app, workLists, path, options, counter, &refs);
    applyWorkLists(*this, refs, tStringPredicate::all, false);
}

void TWorkspace::afterDocumentLoad() {
    checkSourceEncoding(*this);
    TVocabularyState& vs = vocabularyState(*this);
    if (!vs.vocab.loaded) loadVocabulary(*this);
    if (document && document->exactPassOnOpen()) exactTranslation(*this, tStringPredicate::all, false);
}

bool applySelectedDictionary(TWorkspace& ws) {
    TAppContext& app = ws.app;
    TAppState& st = app.state;
    TVocabularyState& vs = vocabularyState(ws);
    if (!gameDocumentOpen(st)) return false;
    vs.vocab.dictionariesInUse.clear();
    for (rVocabularyNode& node : vs.vocab.nodes)
        node.folder->fparams.clear(sFdrParam::fdrLocked);
    if (vs.focusedNode < 0 || vs.focusedNode >= static_cast<int>(vs.vocab.nodes.size())) return false;
    rVocabularyNode& node = vs.vocab.nodes[vs.focusedNode];
    if (!node.checked || !node.isDictionary() || !node.folder->fparams.has(sFdrParam::fdrLoaded)) return false;
    node.folder->fparams.set(sFdrParam::fdrLocked);
    const QString name = node.folder->s;
    vs.vocab.dictionariesInUse << name;

    ws.storePendingEdit();
    rOptionRequest request;
    request.dialog = QStringLiteral("TForm12");
    request.caption = app.uiText(QStringLiteral("menu_applySST"));
    for (const QString& key : overwriteChoiceKeys())
        request.choices << app.uiText(key);
    request.current = vs.overwriteChoice;
    // The apply mode is the dialog's second group: checked means "Apply_EDIDStringControl".
    request.checkCaptions << app.uiText(QStringLiteral("Apply_EDIDStringControl"));
    request.checks << (vs.applyMode == 1);
    const int choice = app.host().chooseOption(request);
    if (choice < 0 || choice > 4) {
        notifyView(ws);
        return false;
    }
    vs.overwriteChoice = choice;
    vs.applyMode = request.checks.value(0) ? 1 : 0;
    const tStringPredicate filter = overwriteFilter(choice);

    TEntryCommand command(ws, QStringLiteral("Step_ApplyDictionary"));
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_applySST")), true, true);
    std::vector<tEspStrRef> refs;
    {
        TWorkListsGuard guard{ws, refs};
        clearListSet(ws.workLists);
        const QString path = pathNoCase(st.userDictionaryFolder, dictionaryFileName(st, name, QStringLiteral("sst")));
        if (QFileInfo::exists(path)) {
            quilldict::rDictionaryLoad options;
            options.withReferences = true;
            options.addFlags = 1u << static_cast<int>(sStrParam::translated);
            options.unlessFlags = 1u << static_cast<int>(sStrParam::incompleteTrans);
            int counter = 0;
            quilldict::loadDictionary(app, ws.workLists, path, options, counter, &refs);
        }
        applyWorkLists(ws, refs, filter, vs.applyMode == 0);
        app.logSeparator();
    }
    exactTranslation(ws, filter, false);
    notifyView(ws);
    return true;
}

bool loadStringsAsDest(TWorkspace& ws, const QString& path) {
    TAppContext& app = ws.app;
    if (!canLoadStringsAsDest(ws)) return false;
    ws.storePendingEdit();
    const QFileInfo file(path);
    if (!file.exists()) {
        app.logMessage(app.uiText(QStringLiteral("FileNotFound")), true, dbOk);
        return false;
    }
    const rStringLang parts = splitNameLang(file.completeBaseName());
    const int choice = askOverwriteChoice(ws, QStringLiteral("LoadStringAsDest"));
    if (choice < 0) return false;

    TEntryCommand command(ws, QStringLiteral("Step_LoadStringAsDest"));
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_LoadStringAsDest")), true, true);
    rTableSink sink;
    sink.mode = tSinkMode::destinationTables;
    sink.predicate = overwriteFilter(choice);
    sink.isSelected = ws.selectionPredicate();
    bool ok = false;
    // The reader orders the lists by id: the views keep their rows on their entries.
    ws.reorderLists([&] {
        ok = readTableSet(app, ws.loadedLists, quillfs::withTrailingSeparator(file.absolutePath()),
                          parts.name.toLower(), sink, false, parts.s1);
    });
    if (ok) app.host().setStatusText(2, app.uiText(QStringLiteral("Fbk_ComputeData")));
    operation.end();
    if (!ok) app.logMessage(app.uiText(QStringLiteral("Fbk_LoadStringAsDestFailed")), true, dbOk);
    return ok;
}

bool pickStringsAsDest(TWorkspace& ws) {
    TAppContext& app = ws.app;
    if (!canLoadStringsAsDest(ws)) return false;
    ws.storePendingEdit();
    const QString path = app.host().pickOpenFile(QString(), app.state.StringsAddonFolder, QString(),
                                                 app.uiText(QStringLiteral("FilterStr")));
    if (path.isEmpty()) return false;
    return loadStringsAsDest(ws, path);
}

// ----- Saving, the custom dictionary, deleting

QString documentDictionaryBase(const TWorkspace& ws, bool lower) {
    return dictionaryBaseName(ws.app.state, ws.document ? ws.document->dictionarySuffix() : QString(), lower);
}

QString documentDictionaryFileName(const TWorkspace& ws) {
    const TAppState& st = ws.app.state;
    return dictionaryFileName(st, documentDictionaryBase(ws, true) + addonHashSuffix(st), QStringLiteral("sst"));
}

bool TWorkspace::canSaveDocumentDictionary() const {
    const TAppState& st = app.state;
    return document && document->hasOwnDictionary() && !st.currentFileName.isEmpty() &&
           !st.sameLanguages();
}

bool canLoadStringsAsDest(const TWorkspace& ws) {
    return ws.document && ws.document->hasStringTables();
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
    if (ok) {
        // The problems ignored for this document's strings are kept beside its dictionary.
        saveIgnoredProblems(*this);
        markWorkSaved();
    }
    app.logMessage(app.uiText(QStringLiteral("Fbk_UpdateCache")));
    refreshVocabularyEntry(*this, name);
    return ok;
}

bool TWorkspace::saveCustomDictionary() {
    if (!customDictionary()) return false;
    storePendingEdit();
    const QString fileName = dictionaryFileName(app.state, quilldict::customDictionaryName(), QStringLiteral("sst"));
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_SaveCustom")), true);
    const bool ok = saveDictionaryFile(*this, fileName);
    if (ok) {
        saveIgnoredProblems(*this);
        markWorkSaved();
    }
    refreshVocabularyEntry(*this, quilldict::customDictionaryName());
    return ok;
}

bool TCustomDictionaryDocument::open(TWorkspace& ws, const QString&, bool) {
    TAppContext& app = ws.app;
    TAppState& st = app.state;
    const QString name = quilldict::customDictionaryName();
    const QString path = pathNoCase(st.userDictionaryFolder, dictionaryFileName(st, name, QStringLiteral("sst")));
    auto document = std::make_unique<TCustomDictionaryDocument>();
    document->path = path;
    ws.installDocument(std::move(document));
    st.currentFileName = name;
    st.currentFilePath = path;
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_LoadCustom")), true);
    if (QFileInfo::exists(path)) {
        int counter = 0;
        quilldict::loadDictionaryForEdit(app, ws.loadedLists, path, true, 1u << static_cast<int>(sStrParam::translated),
                                         1u << static_cast<int>(sStrParam::incompleteTrans), counter);
    }
    return true;
}

rColumnLayout TCustomDictionaryDocument::layout() const {
    rColumnLayout layout;
    layout.idVisible = false;
    return layout;
}

bool TCustomDictionaryDocument::save(TWorkspace& ws, bool, const QString&) {
    return ws.saveCustomDictionary();
}

tSkyStr* addCustomEntry(TWorkspace& ws, int listIndex) {
    if (!ws.customDictionary() || listIndex < 0 || listIndex > 2) return nullptr;
    ws.storePendingEdit();
    auto entry =
        std::make_unique<tSkyStr>(QString(), QString(), listIndex, 0u, 0, sStrParams{sStrParam::incompleteTrans});
    tSkyStr* added = entry.get();
    ws.reorderLists([&] { ws.loadedLists[listIndex].push_back(std::move(entry)); });
    ws.markUnsavableChange();
    return added;
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

// ----- XML exchange

QString defaultXmlBaseName(const TWorkspace& ws) {
    const TAppState& st = ws.app.state;
    return QStringLiteral("%1_%2_%3").arg(documentDictionaryBase(ws, false), st.SourceLang, st.DestLang);
}

bool writeXmlExport(TWorkspace& ws, const QString& path) {
    TAppContext& app = ws.app;
    const TAppState& st = app.state;
    try {
        qsizetype n = 0;
        for (const auto& list : ws.loadedLists)
            n += std::count_if(list.begin(), list.end(), [](const auto& e) { return isExportedToXml(*e); });
        app.progressMax(n);
        const QByteArray bytes = buildXmlExport({st.currentFileName, st.SourceLang, st.DestLang}, ws.loadedLists,
                                                st.pluginLoaded(), [&app](int i) { app.progressStep(i, 1000); });
        QString error;
        if (!quillfs::writeFileAtomic(path, bytes, &error)) throw TQuillError(error);
        return true;
    } catch (const std::exception&) {
        app.logMessage(app.uiText(QStringLiteral("XML_ERROR")), true, dbOk);
        return false;
    }
}

bool readXmlImport(TWorkspace& ws, const QString& path) {
    TAppContext& app = ws.app;
    TEntryCommand command(ws, QStringLiteral("Step_ImportXml"));
    std::vector<tEspStrRef> refs;
    TWorkListsGuard guard{ws, refs};
    clearListSet(ws.workLists);
    try {
        QByteArray data;
        QString error;
        if (!quillfs::readWholeFile(path, data, &error)) throw TQuillError(error);
        quilldict::TSortedBatch batch;
        std::vector<rXmlPendingRef> pending;
        const int refused = parseXmlImport(data, batch, pending, [&app](int i, int total) {
            if (i == 1000) app.progressMax(total);
            app.progressStep(i, 1000);
        });
        if (refused > 0) app.logMessage(app.uiTextFormat(QStringLiteral("XML_RefusedMarkup"), {refused}), true);
        batch.mergeInto(ws.workLists);
        refs.reserve(pending.size());
        for (const rXmlPendingRef& p : pending)
            refs.emplace_back(batch.standsFor(p.seq), 0u, 0u, p.formHash, p.fName, uint16_t(0), uint16_t(0),
                              p.sourceHash);
        const bool withReferences = !refs.empty();
        if (!withReferences) markDuplicateSources(ws.workLists, sStrInternalParam::nTrans);
        sortXmlReferences(refs, ws.document ? ws.document->referenceKey() : TReferenceKey::none);
        app.progressMax(countListSet(ws.loadedLists));
        rPassContext context = passContext(ws, tStringPredicate::all);
        for (int i = 0; i < 3; ++i) {
            if (!withReferences) {
                const int n = exactMatch(ws.workLists[i], ws.loadedLists[i], true, context);
                app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_TransResultSST"), {tableExtension(i), n}));
            }
            xmlReferenceMatch(refs, ws.loadedLists[i], context);
        }
        return true;
    } catch (const std::exception&) {
        app.logMessage(app.uiText(QStringLiteral("XML_ERROR")), true, dbOk);
        return false;
    }
}

bool exportXmlFile(TWorkspace& ws, const QString& chosenPath) {
    TAppContext& app = ws.app;
    const QFileInfo chosen(chosenPath);
    app.state.XMLFolder = quillfs::withTrailingSeparator(chosen.absolutePath());
    const QString path = chosen.absolutePath() + QLatin1Char('/') + chosen.completeBaseName() + QStringLiteral(".xml");
    TOperation operation(app, app.uiTextFormat(QStringLiteral("ExportXMLRes"), {documentDictionaryBase(ws, false)}),
                         true, true);
    const bool ok = writeXmlExport(ws, path);
    operation.end();
    if (ok) app.logMessage(app.uiText(QStringLiteral("XMLExported")), true, dbOk);
    return ok;
}

bool importXmlFile(TWorkspace& ws, const QString& path) {
    TAppContext& app = ws.app;
    if (!QFileInfo::exists(path)) {
        app.logMessage(app.uiText(QStringLiteral("FileNotFound")), true, dbOk);
        return false;
    }
    app.state.XMLFolder = quillfs::withTrailingSeparator(QFileInfo(path).absolutePath());
    TOperation operation(app, app.uiTextFormat(QStringLiteral("ImportXMLRes"), {documentDictionaryBase(ws, false)}),
                         true, true);
    return readXmlImport(ws, path);
}

bool pickXmlExport(TWorkspace& ws) {
    TAppContext& app = ws.app;
    if (!gameDocumentOpen(app.state)) return false;
    const QString path = app.host().pickSaveFile(app.uiText(QStringLiteral("SaveCurrentXML")), app.state.XMLFolder,
                                                 defaultXmlBaseName(ws) + QStringLiteral(".xml"),
                                                 app.uiText(QStringLiteral("FilterXML")));
    if (path.isEmpty()) return false;
    return exportXmlFile(ws, path);
}

bool pickXmlImport(TWorkspace& ws) {
    TAppContext& app = ws.app;
    if (!gameDocumentOpen(app.state)) return false;
    const QString path = app.host().pickOpenFile(app.uiText(QStringLiteral("LoadCurrentXML")), app.state.XMLFolder,
                                                 defaultXmlBaseName(ws) + QStringLiteral(".xml"),
                                                 app.uiText(QStringLiteral("FilterXML")));
    if (path.isEmpty()) return false;
    return importXmlFile(ws, path);
}
