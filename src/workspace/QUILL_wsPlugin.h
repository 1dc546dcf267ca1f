// Workspace state of an open plugin, and the plugin commands (open plain or localized, save).
#pragma once

#include "plugin/QUILL_espCompare.h"
#include "plugin/QUILL_espStrings.h"
#include "plugin/QUILL_espTree.h"
#include "workspace/QUILL_document.h"

#include <QString>
#include <functional>

class TWorkspace;
class TAppContext;

// A plugin: plain (its texts inline, saved whole) or localized (its texts in string tables, which are saved instead).
struct TPluginDocument : TDocument {
    tPluginTree tree;
    QString folder;   // its folder, with a trailing '/'
    QString fileName; // its file name with the extension
    bool localized = false;
    // Localized plugin: the folder its string tables were read from (the strings folder beside the plugin when
    // they came from its archive), with a trailing '/'.
    QString tablesFolder;
    rPluginStringCounts stringCounts;
    rOrphanSharedCounts orphanShared;
    // The code page of the last plugin compare, which decodes the older texts of tree.compareRecordList. Both go
    // with the document: closing it, opening another or a failed load ends them.
    tespCompareCodepage compareCodepage;
    // The language whose code page its texts were read with when not the source language: the translation language
    // for a plugin saved in place that the translator goes on with.
    QString textLanguage;
    // The backup its texts were read from when the translator chose the original of a plugin saved in place.
    QString readFrom;

    // The plugin's name without its extension: what its string tables are named after.
    QString baseName() const;

    // "Load_Esp": a plain plugin with its texts, or a localized one with its string tables of SourceLang. The file is
    // read before the open work closes, so that an unreadable file or one that is not a plugin leaves it open.
    static bool open(TWorkspace& ws, const QString& path, bool rememberFolder);

    TWorkMode mode() const override { return localized ? TWorkMode::StringsEspLayout : TWorkMode::Esp; }
    // A localized plugin saves its string tables.
    TExportKind exportKind() const override { return localized ? TExportKind::stringTables : TExportKind::plugin; }
    rColumnLayout layout() const override;
    bool save(TWorkspace& ws, bool saveAs, const QString& target) override;
    TReferenceKey referenceKey() const override { return TReferenceKey::pluginField; }
    bool idsAreText() const override { return true; }
    bool hasStringTables() const override { return localized; }
    QString sourceTextLanguage(const TAppState& state) const override {
        return textLanguage.isEmpty() ? state.SourceLang : textLanguage;
    }
};

// Reads a plugin file into the tree: the header (the TES4 record added with addHeader), then, when its localization
// flag is `expected`, the tree. Reports a read error (log and Ok dialog) and leaves the tree empty; false then.
bool loadPluginFile(TAppContext& app, const QByteArray& bytes, tPluginTree& tree, bool addHeader, bool keepAll,
                    int expected);

// Reads the records of another, not localized plugin into tree.compareRecordList (emptied first), each kept with its
// string fields only. A read error is reported as loadPluginFile reports it and leaves the list empty; false then.
bool loadCompareRecords(TAppContext& app, const QByteArray& bytes, tPluginTree& tree);

// -1 (unreadable or not a plugin), 0 or 1: the localization flag of the file. A file error is reported.
int getPluginLocalization(TAppContext& app, const QString& path);

// The plugin branch of the save commands: "Fbk_FinalizeConfirm" when the target exists, the backup unless saving
// as, then the translations encoded and the tree written. False when refused or failed (each reported).
bool writePlugin(TWorkspace& ws, const QString& folder, const QString& fileName, bool saveAs);
