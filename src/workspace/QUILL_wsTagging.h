// The tagging commands: id tags put before the translations (so that a text met in the game can be found again in
// the lists), and marking the strings whose translation equals or differs from the source. Each is one undo step.
#pragma once

#include "core/QUILL_main.h"
#include "strings/QUILL_typedef.h"

#include <QHash>
#include <array>
#include <cstdint>

class TWorkspace;
class tPluginTree;
class trecord;

// The id tags dialog's choices (TForm8): its four boxes and its radio group "AddId".
struct rIdTagOptions {
    bool stringId = false;  // "Add_StringID": "[%.5x]", the entry's id
    bool formId = false;    // "Add_EDID": "[%.8x]", the linked record's form id (0 when not linked)
    bool recordRef = false; // "Add_RecordRef": "[%.4s:%.4s]", record and field signatures of a linked entry
    bool dialRef = false;   // "Add_DialRef": "[@%.8x]", the dialogue topic of a linked INFO record
    // 0 every entry, 1 those neither translated nor validated, 2 those whose row is selected.
    int filter = 1;
    bool any() const { return stringId || formId || recordRef || dialRef; }
};

// The boxes a work mode enables, in the order above: string ids where the texts come from string tables, the plugin
// references where a plugin is open.
std::array<bool, 4> idTagOptionsEnabled(const TWorkspace& ws);

// The dialogue topic of each INFO record that has one (forEachDialogueResponse); the value is the topic's form id.
using tDialogueTopics = QHash<const trecord*, uint32_t>;
tDialogueTopics dialogueTopics(const tPluginTree& tree);

// The tags of the checked options whose condition holds for `entry`, in the order of rIdTagOptions.
QString idTagsFor(const tSkyStr& entry, const rIdTagOptions& options, const tDialogueTopics& topics);

// Every entry of `list` the filter accepts, without pexNoTrans and whose source is neither empty nor one blank, gets
// its tags, a blank and its old translation as translation (the blank even when no tag applies). Statuses are kept.
// Records no step itself (addIdTags does). Returns the number of entries handled.
int addIdTagsToList(TWorkspace& ws, tSkyStrList& list, const rIdTagOptions& options, const tDialogueTopics& topics);

// "AddIdToStrings": the options dialog TForm8 through the host (radio item 1 at every opening), then, when Ok with a
// box checked, the three lists inside an "AddIdToString" operation. Options the work mode does not enable are
// dropped. One undo step "Step_AddIdTags"; returns the number of entries changed, -1 when cancelled or no box was
// checked.
int addIdTags(TWorkspace& ws);

// "Menu_TagDiff" (same = false) and "Menu_TagSame": every entry whose source hash differs from (equals) its
// translation hash becomes partial and not validated, inside a "ComparingStrings" operation. The views then sort by
// the score column, descending. One undo step "Step_TagStrings"; returns the number of entries changed.
int tagStrings(TWorkspace& ws, bool same);
// Tagging compares a translation with its source: a game document open in one language on both sides.
bool canTagStrings(const TWorkspace& ws);
