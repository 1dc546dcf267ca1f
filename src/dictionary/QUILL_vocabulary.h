// The vocabulary: the dictionaries and caches of the language pair, their check boxes, locks and load order, and
// their loading into one set of sorted lists.
#pragma once

#include "core/QUILL_main.h"
#include "dictionary/QUILL_dictionary.h"
#include "strings/QUILL_typedef.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// One top-level entry of the vocabulary view.
struct rVocabularyNode {
    std::unique_ptr<tSkyFolder> folder;
    bool checked = true;

    bool isDictionary() const { return folder->fparams.has(sFdrParam::fdrUser); }
    bool isLocked() const { return folder->fparams.has(sFdrParam::fdrLocked); }
};

namespace quilldict {
// Reads a cache file's records ("SST2", then list index, source, translation) into `batch`; returns false when
// the data is not a cache. Throws TQuillError on a malformed record, after delivering the ones before it.
bool readCacheFile(QByteArrayView data, TSortedBatch& batch, void* node, int32_t folderId, int& counter,
                   const std::function<void(qsizetype)>& progress = {});
} // namespace quilldict

class TVocabulary {
public:
    std::vector<rVocabularyNode> nodes; // view order
    std::vector<tSkyStr*> oneWordList;  // entries of list 0 that are one word (not owned)
    QStringList dictionariesInUse;      // item 0: the open document's own dictionary
    bool loaded = false;
    bool vtChecking = false;
    // Counts the changes of the vocabulary lists (a load, a dictionary read again, an unload), so that what is
    // built from them (the spelling's word set) is built again once per change.
    uint64_t generation = 0;

    // Rebuilds the nodes from UserDictionary/*.sst and Cache/*.cache of the language pair (lower-cased in the
    // state), marks the dictionaries in use as locked when a document is open, and sorts by id.
    void scan(TAppState& state);
    // The last dictionary node named `name` (exact); with clearLocks every node's lock is cleared first.
    rVocabularyNode* findDictionaryNode(const QString& name, bool clearLocks);
    rVocabularyNode* nodeOf(const tSkyFolder* folder);
    int indexOf(const rVocabularyNode* node) const;

    // Check boxes: a locked node refuses. Unless vtChecking, the disabled list follows at once.
    bool setChecked(rVocabularyNode& node, bool checked, TAppState& state);
    void setAllChecked(bool checked, TAppState& state);
    void updateDisabledList(TAppState& state) const;

    // Moves the node at `from` just before the node at `before` (nodes.size() moves it last) and rebuilds the load
    // order from the view; ids stay until the next scan.
    void moveNode(int from, int before, TAppState& state);
    // Sorts by name ignoring case, dictionaries before caches, and rebuilds the load order.
    void sortByName(TAppState& state);
    void rebuildLoadOrder(TAppState& state) const;
    // The id of a key: its index in the load order, appended when absent.
    static int32_t loadOrderId(TAppState& state, const QString& key);

    // The full path of a node's file.
    QString filePath(const TAppState& state, const rVocabularyNode& node) const;
    // Collects the one-word entries of list 0 in list order.
    void rebuildOneWordList(const tListSet& lists);

    // Loads every checked, non-empty node into `lists` (expected empty) in view order: each identical pair is kept
    // once, under the earliest node; then sorts with byHashSourceId, prepares short entries and marks duplicate
    // sources nTrans. A node whose file fails is unchecked. Logs each file loaded and the total.
    void loadAll(TAppContext& app, tListSet& lists);
    // After a dictionary was saved: drops its entries and, when the vocabulary is loaded, reads it again (a node
    // not yet in the view is added). Pointers to the node's entries held elsewhere must be dropped first.
    void refreshEntry(TAppContext& app, tListSet& lists, const QString& name);
    // Empties the lists and the node view.
    void clear(tListSet& lists);

private:
    bool loadNode(TAppContext& app, rVocabularyNode& node, quilldict::TSortedBatch& batch);
    void finishLists(TAppContext& app, tListSet& lists, bool prepare);
    // initListSet on the vocabulary: every entry whose source is shorter than 150 characters.
    static void prepareEntries(TAppContext& app, tListSet& lists);
};
