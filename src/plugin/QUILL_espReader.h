// The plugin reader: the header probe, the tree reader with groups closing at their exact end, the flat reader for
// plugin compare, and the marking of groups that hold string records.
#pragma once

#include "plugin/QUILL_espTree.h"

class TBinaryCursor;

// -1 (empty, not TES4 or unreadable), 0 (not localized) or 1 (localized). With `addTo` the TES4 record becomes the
// first top-level node of that tree (which is emptied again on a read error); otherwise the cursor is moved past it.
int readPluginHeader(TBinaryCursor& stream, tPluginTree* addTo, const rPluginReadContext& ctx);

// Reads every object after the cursor into the tree. keepAll false (a localized plugin) keeps only the records
// with string ids. The cursor reads tree.fileData, which the records and fields share (other bytes are copied).
// Throws TQuillError on truncated or inconsistent data, on groups nested deeper than kMaxGroupDepth, and on a file
// that passes the bounds of its TPluginReadBudget. From ctx.splitFrom bytes on, the objects are read in two halves
// at once (cut at an object near the middle, at whatever depth): only this thread calls ctx.progress, and the
// records of the second half that do not inflate reach ctx.inflateFailed (as copies) after both halves are read.
void readPluginTree(TBinaryCursor& stream, tPluginTree& tree, bool keepAll, const rPluginReadContext& ctx);

// Reads every record after the cursor, groups flattened, into tree.compareRecordList, keeping only string fields.
// The cursor reads `bytes` (another plugin than the tree's); the records kept hold copies of their texts only.
void readPluginRecords(TBinaryCursor& stream, const QByteArray& bytes, tPluginTree& tree,
                       const rPluginReadContext& ctx);

// grupString of every group: some record below it is not raw. With hide, the other groups are hidden.
void markStringGroups(tPluginTree& tree, bool hide);
