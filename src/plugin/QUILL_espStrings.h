// Plugin strings: turning the text fields of a plugin tree into string entries (inline texts or string ids),
// resolving orphan fields and shared ids, and encoding translations back into their fields.
#pragma once

#include "plugin/QUILL_espTree.h"
#include "strings/QUILL_codepage.h"

class TAppContext;
class TRecordDefinitions;

struct rPluginStringCounts {
    int records = 0; // records with at least one string field
    int fields = 0;  // string fields
};

// Plain plugin: every string field becomes an entry whose source is its decoded text, numbered from 1 in tree order.
rPluginStringCounts collectInlineStrings(tPluginTree& tree, tListSet& lists, const rCodepage& codepage,
                                         const TRecordDefinitions& defs);

// Localized plugin: every string field with a non-zero id becomes an empty entry with that id (fields of a record
// from the last to the first). Both counts are the number of such fields.
rPluginStringCounts collectStringRefs(tPluginTree& tree, tListSet& lists, const TRecordDefinitions& defs);

struct rOrphanSharedCounts {
    int orphanFields = 0;  // fields whose id no table holds
    int sharedEntries = 0; // entries holding a text several fields share
};

// After the tables were read with sink mode 2: orphan fields get "<PlaceHolder_Lookup>", further fields sharing an
// id move to sharedIdList (sorted by id). Logs a line per shared entry and per orphan field.
rOrphanSharedCounts resolveOrphansAndShared(TAppContext& app, tListSet& lists, tSkyStrList& sharedIdList);

// The entries of sharedIdList shown under `owner` (same id), in list order.
std::vector<tSkyStr*> sharedChildrenOf(const tSkyStrList& sharedIdList, const tSkyStr& owner);

// Writes every linked entry's translation into its field. `keepWhenSame`: source and destination use the same code
// page, so an untranslated text keeps the bytes as read.
void encodeTranslations(tListSet& lists, const rCodepage& codepage, bool keepWhenSame);
