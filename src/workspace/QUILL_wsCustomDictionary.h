// The custom dictionary opened for editing: its entries are the loaded lists, saved as the dictionary itself.
#pragma once

#include "workspace/QUILL_document.h"

class TWorkspace;

struct TCustomDictionaryDocument : TDocument {
    // "Open" of the Custom_Dic menu: the custom dictionary of the two languages, for editing.
    static bool open(TWorkspace& ws, const QString& path, bool rememberFolder);

    TWorkMode mode() const override { return TWorkMode::sstEditCustom; }
    TExportKind exportKind() const override { return TExportKind::stringTables; }
    rColumnLayout layout() const override;
    bool save(TWorkspace& ws, bool saveAs, const QString& target) override;
    // It is a dictionary: its work is saved as itself.
    bool hasOwnDictionary() const override { return false; }
    bool savesWorkAsDocument(const TAppState&) const override { return false; }
    bool saveWork(TWorkspace& ws) override { return save(ws, false, {}); }
    bool exactPassOnOpen() const override { return false; }
    bool journalled() const override { return false; }
};

// Appends an empty incompleteTrans entry to list `listIndex` of the custom dictionary; null outside it.
tSkyStr* addCustomEntry(TWorkspace& ws, int listIndex);
