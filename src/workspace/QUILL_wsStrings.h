// Workspace state and commands of string table sets: open ("Load_Strings"), save and save-as.
#pragma once

#include "workspace/QUILL_document.h"

#include <QString>

class TWorkspace;

// The set the open tables were read from.
struct TTableSetDocument : TDocument {
    QString folder;     // with a trailing '/'
    QString pluginName; // as written in the file name, without language
    QString language;   // the suffix of the opened files

    TExportKind exportKind() const override { return TExportKind::stringTables; }
    rColumnLayout layout() const override;
    bool save(TWorkspace& ws, bool saveAs, const QString& target) override;
};

// "Build_Cache" (the options' rebuild and the command line's build-cache): closes the work loaded (-1 when the user
// keeps it), empties the vocabulary, builds one cache per line of vocabulary.txt from `stringsFolder` (StringsFolder
// when empty), logs their number and leaves the vocabulary unloaded. Returns the number of caches written.
int buildCacheCommand(TWorkspace& ws, const QString& stringsFolder = QString());

// The folder and base name a table-set document saves to: the open tables' set for WorkMode Strings; for a localized
// plugin its strings folder and its file name without extension.
QString tableSaveFolder(const TWorkspace& ws);
QString tableSaveName(const TWorkspace& ws);

// The save-as target "FOLDER/NAME" split into folder and base name: a table extension and a "_<DestLang>" suffix
// the user typed are dropped, so that the set is always NAME_<DestLang>.
void splitSaveAsTarget(const QString& target, const QString& destLang, QString& folder, QString& name);
