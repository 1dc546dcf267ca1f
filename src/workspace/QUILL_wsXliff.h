// XLIFF 1.2 exchange of the open document's entries: export, import as one undo step, and the XML menu's commands.
#pragma once

#include <QString>
#include <utility>
#include <vector>

class TWorkspace;
class tSkyStr;

// What an import did with the file's units.
struct rXliffImportCounts {
    int changed = 0;       // entries whose translation or status changed
    int applied = 0;       // units whose target was taken (some may have held what the entry had)
    int sourceChanged = 0; // units whose source no longer equals the entry's source
    int unknown = 0;       // units whose id names no entry
    int notApplied = 0;    // units with no target, state "new", an empty target for a text, or inline codes
};

// Every entry that can be exchanged (not deleted, not a script string the game reads as code) with the id that finds
// it again when the document is opened again: "0001abcd:FULL:0" (form id, field, index among the record's fields of
// that signature) for plugin fields, the key for menu-file entries, the string index for scripts, "STRINGS:12" (table
// and string id) otherwise. An id met a second time gets "#2", "#3", … in list order.
std::vector<std::pair<QString, tSkyStr*>> xliffEntries(TWorkspace& ws);

// Writes the open document's translated entries (every exchangeable entry with `all`) to `path`. Logs the count.
bool exportXliffFile(TWorkspace& ws, const QString& path, bool all);
// Applies the targets of `path` by id where the unit's source still equals the entry's, as one undo step. A file that
// is not XLIFF 1.2, or has a unit without id, is reported and changes nothing. Logs the counts.
bool importXliffFile(TWorkspace& ws, const QString& path, rXliffImportCounts* counts = nullptr);
// The XML menu's "Export XLIFF…" / "Import XLIFF…": the host's file dialog, then the command.
bool pickXliffExport(TWorkspace& ws);
bool pickXliffImport(TWorkspace& ws, rXliffImportCounts* counts = nullptr);
