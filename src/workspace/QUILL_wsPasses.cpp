// The translation passes' workspace commands.
#include "workspace/QUILL_wsPasses.h"

#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"
#include "dictionary/QUILL_dictionary.h"
#include "strings/QUILL_stringTable.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsEncoding.h"
#include "workspace/QUILL_wsVocabulary.h"

#include <QFileInfo>

namespace {

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

// Applies dictionary `path` (read, when it exists, into the work lists with its references): by source text when it
// holds no references, then by reference.
void applyDictionaryFile(TWorkspace& ws, const QString& path, quilldict::rDictionaryLoad options,
                         tStringPredicate filter, bool edidOnly) {
    std::vector<tEspStrRef> refs;
    TWorkListsGuard guard{ws, refs};
    clearListSet(ws.workLists);
    options.withReferences = true;
    int counter = 0;
    if (QFileInfo::exists(path)) quilldict::loadDictionary(ws.app, ws.workLists, path, options, counter, &refs);
    ws.app.progressMax(2 * countListSet(ws.loadedLists));
    sortReferences(refs, ws.document ? ws.document->referenceKey() : TReferenceKey::none);
    applyWorkLists(ws, !refs.empty(), filter, [&refs, edidOnly](tSkyStrList& target, rPassContext& context) {
        referenceMatch(refs, target, edidOnly, context);
    });
}

} // namespace

TWorkListsGuard::~TWorkListsGuard() {
    clearListSet(ws.workLists);
    refs.clear();
}

void applyWorkLists(TWorkspace& ws, bool withReferences, tStringPredicate filter,
                    const std::function<void(tSkyStrList& target, rPassContext& context)>& matchReferences) {
    TAppContext& app = ws.app;
    if (!withReferences) markDuplicateSources(ws.workLists, sStrInternalParam::nTrans);
    rPassContext context = passContext(ws, filter);
    for (int i = 0; i < 3; ++i) {
        if (!withReferences) {
            const int n = exactMatch(ws.workLists[i], ws.loadedLists[i], true, context);
            app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_TransResultSST"), {tableExtension(i), n}));
        }
        matchReferences(ws.loadedLists[i], context);
    }
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
    if (!ws.app.state.fileLoaded()) return;
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
        notify(&TWorkspaceObserver::vocabularyChanged);
        if (!apply) return;
    }
    app.logMessage(app.uiText(QStringLiteral("Fbk_applySST")));
    applyDictionaryFile(*this, path, {}, tStringPredicate::all, false);
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
    if (!st.fileLoaded()) return false;
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
        ws.notify(&TWorkspaceObserver::vocabularyChanged);
        return false;
    }
    vs.overwriteChoice = choice;
    vs.applyMode = request.checks.value(0) ? 1 : 0;
    const tStringPredicate filter = overwriteFilter(choice);

    TEntryCommand command(ws, QStringLiteral("Step_ApplyDictionary"));
    TOperation operation(app, app.uiText(QStringLiteral("Fbk_applySST")), true, true);
    quilldict::rDictionaryLoad options;
    options.addFlags = 1u << static_cast<int>(sStrParam::translated);
    options.unlessFlags = 1u << static_cast<int>(sStrParam::incompleteTrans);
    applyDictionaryFile(ws, pathNoCase(st.userDictionaryFolder, dictionaryFileName(st, name, QStringLiteral("sst"))),
                        options, filter, vs.applyMode == 0);
    app.logSeparator();
    exactTranslation(ws, filter, false);
    ws.notify(&TWorkspaceObserver::vocabularyChanged);
    return true;
}

bool canLoadStringsAsDest(const TWorkspace& ws) {
    return ws.document && ws.document->hasStringTables();
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
