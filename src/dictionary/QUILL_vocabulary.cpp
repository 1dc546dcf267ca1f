// The vocabulary: scanning the folders, check boxes and load order, loading and refreshing.
#include "dictionary/QUILL_vocabulary.h"

#include "core/QUILL_dataList.h"
#include "core/QUILL_files.h"
#include "core/QUILL_helpers.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace quilldict {

bool readCacheFile(QByteArrayView data, TSortedBatch& batch, void* node, int32_t folderId, int& counter,
                   const std::function<void(qsizetype)>& progress) {
    if (data.size() < 4 || std::memcmp(data.data(), "SST2", 4) != 0) return false;
    TBinaryCursor cursor(data);
    cursor.skip(4);
    int n = 0;
    while (!cursor.atEnd()) {
        const qsizetype start = cursor.pos();
        const uint8_t list = cursor.u8();
        if (list > 2) throw TQuillError(QStringLiteral("Bad list index %1 at offset %2").arg(list).arg(start));
        QString source = readSizedText(cursor);
        QString translation = readSizedText(cursor);
        if (progress && ++n % 100 == 0) progress(cursor.pos());
        if (isSingleCharAndEmpty(source, translation)) continue;
        ++counter;
        batch.add(std::make_unique<tSkyStr>(source, translation, list, static_cast<uint32_t>(folderId), 0, sStrParams{},
                                            sStrInternalParams{sStrInternalParam::isCache}, node));
    }
    return true;
}

} // namespace quilldict

namespace {

bool containsNoCase(const QStringList& list, const QString& value) {
    return std::any_of(list.begin(), list.end(),
                       [&](const QString& s) { return s.compare(value, Qt::CaseInsensitive) == 0; });
}

} // namespace

void TVocabulary::scan(TAppState& state) {
    ++generation;
    loaded = false;
    nodes.clear();
    oneWordList.clear();
    state.SourceLang = state.SourceLang.toLower();
    state.DestLang = state.DestLang.toLower();
    const auto addFolder = [&](const QString& folder, const QString& pattern, bool dictionary) {
        const QFileInfoList files = QDir(folder).entryInfoList({pattern}, QDir::Files, QDir::Name);
        for (const QFileInfo& file : files) {
            const rPresetName parts = splitPresetName(file.completeBaseName().toLower());
            if (parts.src != state.SourceLang || parts.dst != state.DestLang) continue;
            sFdrParams params;
            if (dictionary) params.set(sFdrParam::fdrUser);
            if (file.size() <= 4) params.set(sFdrParam::fdrEmpty);
            rVocabularyNode node{std::make_unique<tSkyFolder>(parts.prefix, params), true};
            node.folder->id = loadOrderId(state, node.folder->getAuthName());
            node.checked = !containsNoCase(state.cacheDisabledList, node.folder->getAuthName());
            nodes.push_back(std::move(node));
        }
    };
    addFolder(state.userDictionaryFolder, QStringLiteral("*.sst"), true);
    addFolder(state.cacheFolder, QStringLiteral("*.cache"), false);
    if (state.fileLoaded()) {
        for (const QString& name : dictionariesInUse)
            if (rVocabularyNode* node = findDictionaryNode(name, false))
                node->folder->fparams.set(sFdrParam::fdrLocked);
    }
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const rVocabularyNode& a, const rVocabularyNode& b) { return a.folder->id < b.folder->id; });
}

rVocabularyNode* TVocabulary::findDictionaryNode(const QString& name, bool clearLocks) {
    rVocabularyNode* found = nullptr;
    for (rVocabularyNode& node : nodes) {
        if (clearLocks) node.folder->fparams.clear(sFdrParam::fdrLocked);
        if (node.isDictionary() && node.folder->s == name) found = &node;
    }
    return found;
}

rVocabularyNode* TVocabulary::nodeOf(const tSkyFolder* folder) {
    for (rVocabularyNode& node : nodes)
        if (node.folder.get() == folder) return &node;
    return nullptr;
}

int TVocabulary::indexOf(const rVocabularyNode* node) const {
    for (size_t i = 0; i < nodes.size(); ++i)
        if (&nodes[i] == node) return static_cast<int>(i);
    return -1;
}

bool TVocabulary::setChecked(rVocabularyNode& node, bool checked, TAppState& state) {
    if (node.isLocked()) return false;
    node.checked = checked;
    if (!vtChecking) updateDisabledList(state);
    return true;
}

void TVocabulary::setAllChecked(bool checked, TAppState& state) {
    vtChecking = true;
    for (rVocabularyNode& node : nodes)
        setChecked(node, checked, state);
    vtChecking = false;
    updateDisabledList(state);
}

void TVocabulary::updateDisabledList(TAppState& state) const {
    for (const rVocabularyNode& node : nodes) {
        const QString key = node.folder->getAuthName();
        if (!node.checked) {
            insertSortedNoCase(state.cacheDisabledList, key);
        } else {
            state.cacheDisabledList.removeIf(
                [&](const QString& s) { return s.compare(key, Qt::CaseInsensitive) == 0; });
        }
    }
}

void TVocabulary::moveNode(int from, int before, TAppState& state) {
    const int n = static_cast<int>(nodes.size());
    if (from < 0 || from >= n || before < 0 || before > n || before == from || before == from + 1) return;
    rVocabularyNode moving = std::move(nodes[from]);
    nodes.erase(nodes.begin() + from);
    if (before > from) --before;
    nodes.insert(nodes.begin() + before, std::move(moving));
    rebuildLoadOrder(state);
}

void TVocabulary::sortByName(TAppState& state) {
    std::stable_sort(nodes.begin(), nodes.end(), [](const rVocabularyNode& a, const rVocabularyNode& b) {
        const int c =
            skycompare::compareText(a.folder->s, b.folder->s) + 1000 * (int(b.isDictionary()) - int(a.isDictionary()));
        return c < 0;
    });
    rebuildLoadOrder(state);
}

void TVocabulary::rebuildLoadOrder(TAppState& state) const {
    state.loadOrder.clear();
    for (const rVocabularyNode& node : nodes)
        state.loadOrder << node.folder->getAuthName();
}

int32_t TVocabulary::loadOrderId(TAppState& state, const QString& key) {
    const qsizetype at = state.loadOrder.indexOf(key);
    if (at >= 0) return static_cast<int32_t>(at);
    state.loadOrder << key;
    return static_cast<int32_t>(state.loadOrder.size() - 1);
}

QString TVocabulary::filePath(const TAppState& state, const rVocabularyNode& node) const {
    if (node.isDictionary())
        return pathNoCase(state.userDictionaryFolder, dictionaryFileName(state, node.folder->s, QStringLiteral("sst")));
    return pathNoCase(state.cacheFolder, dictionaryFileName(state, node.folder->s, QStringLiteral("cache")));
}

void TVocabulary::rebuildOneWordList(const tListSet& lists) {
    oneWordList.clear();
    for (const auto& entry : lists[0])
        if (entry->hasFlag(sStrInternalParam::isOneWord)) oneWordList.push_back(entry.get());
}

bool TVocabulary::loadNode(TAppContext& app, rVocabularyNode& node, quilldict::TSortedBatch& batch) {
    tSkyFolder& folder = *node.folder;
    const QString path = filePath(app.state, node);
    QByteArray data;
    if (!QFileInfo::exists(path) || !quillfs::readWholeFile(path, data)) return false;
    app.progressMax(data.size());
    const auto progress = [&app](qsizetype pos) {
        app.progressAt(pos);
        app.host().processEvents();
    };
    int counter = folder.count;
    try {
        bool ok;
        if (node.isDictionary()) {
            quilldict::rDictionaryLoad options;
            options.folderId = folder.id;
            options.node = &folder;
            ok = quilldict::readDictionaryFile(data, batch, options, counter, nullptr, progress) != 0;
        } else {
            ok = quilldict::readCacheFile(data, batch, &folder, folder.id, counter, progress);
        }
        folder.count = counter;
        return ok;
    } catch (const std::exception& e) {
        folder.count = counter;
        const QString file = QFileInfo(path).fileName();
        if (node.isDictionary())
            app.logMessage(app.uiTextFormat(QStringLiteral("FbK_SSTLoadError"), {file, QString::fromUtf8(e.what())}),
                           true, dbOk);
        else
            app.logMessage(app.uiTextFormat(QStringLiteral("FbK_CacheLoadError"), {file}), true, dbOk);
        return false;
    }
}

void TVocabulary::prepareEntries(TAppContext& app, tListSet& lists) {
    app.progressMax(countListSet(lists));
    // One thread: a second would carry a quarter of a 500,000-pair load's instructions at best (callgrind,
    // bench_dictionary load), and on a shared two-core machine it showed no saving in wall time.
    for (auto& list : lists)
        for (auto& e : list)
            if (e->gS.size() < 150) e->initStrings();
    app.progressStep(0, 1);
}

void TVocabulary::finishLists(TAppContext& app, tListSet& lists, bool prepare) {
    // The lists come out of the merge in byDictionaryKey order.
    quilldict::sortByHashSourceIdFromKeyOrder(lists);
    if (prepare) prepareEntries(app, lists);
    markDuplicateSources(lists, sStrInternalParam::nTrans);
    rebuildOneWordList(lists);
    ++generation;
}

void TVocabulary::loadAll(TAppContext& app, tListSet& lists) {
    quilldict::TSortedBatch batch;
    for (rVocabularyNode& node : nodes) {
        node.folder->fparams.clear(sFdrParam::fdrLoaded);
        node.folder->count = 0;
        if (!node.checked || node.folder->fparams.has(sFdrParam::fdrEmpty)) continue;
        if (loadNode(app, node, batch)) {
            app.logMessage(filePath(app.state, node));
            node.folder->fparams.set(sFdrParam::fdrLoaded);
        } else {
            setChecked(node, false, app.state);
        }
    }
    batch.mergeInto(lists);
    app.logMessage(app.uiTextFormat(QStringLiteral("FbK_cachecount"), {static_cast<qlonglong>(countListSet(lists))}));
    app.host().setStatusText(2, app.uiText(QStringLiteral("FbK_Init")));
    finishLists(app, lists, true);
    loaded = true;
}

void TVocabulary::refreshEntry(TAppContext& app, tListSet& lists, const QString& name) {
    TAppState& state = app.state;
    const QString lower = name.toLower();
    rVocabularyNode* node = findDictionaryNode(lower, true);
    if (node) {
        const tSkyFolder* folder = node->folder.get();
        for (auto& list : lists)
            std::erase_if(list, [folder](const std::unique_ptr<tSkyStr>& e) { return e->pNode == folder; });
        node->folder->count = 0;
        node->folder->fparams.clear(sFdrParam::fdrLoaded);
    } else {
        rVocabularyNode added{std::make_unique<tSkyFolder>(lower, sFdrParams{sFdrParam::fdrUser}), true};
        added.folder->id = loadOrderId(state, added.folder->getAuthName());
        nodes.push_back(std::move(added));
        node = &nodes.back();
    }
    node->folder->fparams.clear(sFdrParam::fdrLocked);
    const QFileInfo file(filePath(state, *node));
    node->folder->fparams.set(sFdrParam::fdrEmpty, file.exists() && file.size() <= 4);
    if (!loaded) return;
    sortListSet(lists, skycompare::byDictionaryKey);
    quilldict::TSortedBatch batch;
    const bool ok = loadNode(app, *node, batch);
    batch.mergeInto(lists);
    node->checked = ok;
    updateDisabledList(state);
    if (ok) {
        node->folder->fparams.set(sFdrParam::fdrLoaded);
        app.logMessage(file.filePath());
    }
    node->folder->fparams.set(sFdrParam::fdrLocked);
    // Entries read here are prepared when the heuristics first compare them.
    finishLists(app, lists, false);
}

void TVocabulary::clear(tListSet& lists) {
    ++generation;
    oneWordList.clear();
    clearListSet(lists);
    nodes.clear();
    loaded = false;
}
