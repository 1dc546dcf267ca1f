// Workspace state and commands of string table sets: open ("Load_Strings"), save and save-as.
#pragma once

#include "workspace/QUILL_document.h"

#include <QString>

class TWorkspace;

// The set the open tables were read from. Its work goes into the tables themselves.
struct TTableSetDocument : TDocument {
    QString folder;     // with a trailing '/'
    QString pluginName; // as written in the file name, without language
    QString language;   // the suffix of the opened files

    // "Load_Strings": the set of the table at `path`, read with the code page of its language.
    static bool open(TWorkspace& ws, const QString& path, bool rememberFolder);

    TWorkMode mode() const override { return TWorkMode::Strings; }
    TExportKind exportKind() const override { return TExportKind::stringTables; }
    rColumnLayout layout() const override;
    bool save(TWorkspace& ws, bool saveAs, const QString& target) override;
    bool hasOwnDictionary() const override { return false; }
    TReferenceKey referenceKey() const override { return TReferenceKey::stringId; }
    bool hasStringTables() const override { return true; }
    QString sourceTextLanguage(const TAppState& state) const override {
        return language.isEmpty() ? state.SourceLang : language;
    }
};

// "Build_Cache" (the options' rebuild and the command line's build-cache): closes the work loaded (-1 when the user
// keeps it), empties the vocabulary, builds one cache per line of vocabulary.txt from `stringsFolder` (StringsFolder
// when empty), logs their number and leaves the vocabulary unloaded. Returns the number of caches written; `failed`,
// when given, gets the number of caches that could not be written.
int buildCacheCommand(TWorkspace& ws, const QString& stringsFolder = QString(), int* failed = nullptr);

// "Save" and "Save as" of a document whose texts are a table set: Save writes `folder` + `name` + "_<DestLang>";
// Save as writes where `target` (or the save dialog) says.
bool saveTableSetDocument(TWorkspace& ws, bool saveAs, const QString& target, const QString& folder,
                          const QString& name);

// The save-as target "FOLDER/NAME" split into folder and base name: a table extension and a "_<DestLang>" suffix
// the user typed are dropped, so that the set is always NAME_<DestLang>.
void splitSaveAsTarget(const QString& target, const QString& destLang, QString& folder, QString& name);
