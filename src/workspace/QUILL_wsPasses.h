// The translation passes over the open document: the exact pass from the vocabulary, a dictionary applied (the
// document's own on open, or the one the translator picks), and string tables loaded as its translation.
#pragma once

#include "dictionary/QUILL_passes.h"

#include <QString>
#include <functional>

class TWorkspace;

// Asks which translations a copying command may replace (the overwrite options dialog TForm6, captioned with the
// text of `captionKey`, preset with the remembered choice). Returns the choice, 0 to 4, remembered for the next
// command; -1 when the translator cancelled.
int askOverwriteChoice(TWorkspace& ws, const QString& captionKey);

void exactTranslation(TWorkspace& ws, tStringPredicate filter, bool forceSearch);
// "Trans_Exact": the exact pass over every entry, searching the vocabulary whatever the option says.
void translateExact(TWorkspace& ws);
// "menu_Applysst": applies the focused dictionary after the options dialog TForm12; false when nothing applied.
bool applySelectedDictionary(TWorkspace& ws);
// "LoadStringAsDest" on a chosen table file (the picker variant asks for the file first).
bool loadStringsAsDest(TWorkspace& ws, const QString& path);
// Only a document whose texts live in string tables (a table set, a localized plugin) takes destination tables.
bool canLoadStringsAsDest(const TWorkspace& ws);
bool pickStringsAsDest(TWorkspace& ws);

// What a dictionary or an XML file read goes to the work lists first; this empties them when the command ends,
// however it ends.
struct TWorkListsGuard {
    TWorkspace& ws;
    std::vector<tEspStrRef>& refs;
    ~TWorkListsGuard();
};
// Applies the work lists to the loaded ones: by source text when no references were read (each list's result
// logged), then `matchReferences` on each loaded list.
void applyWorkLists(TWorkspace& ws, bool withReferences, tStringPredicate filter,
                    const std::function<void(tSkyStrList& target, rPassContext& context)>& matchReferences);
