// The open document behind one interface, and the table of the kinds of document the program opens. Opening by
// kind, recent files, the save commands, the window's layout and the command line read the table.
#pragma once

#include "core/QUILL_main.h"
#include "workspace/QUILL_listRules.h"

#include <QString>
#include <QStringList>
#include <vector>

class TWorkspace;

// What a save is called in the menus: "Menu_ExportStr", "Menu_ExportEsp", "Menu_ExportMCM", "Menu_ExportPex".
enum class TExportKind : int { stringTables = 0, plugin = 1, menuFile = 2, script = 3 };

class TDocument {
public:
    virtual ~TDocument() = default;
    virtual TExportKind exportKind() const = 0;
    // The columns and pages the string lists show for it.
    virtual rColumnLayout layout() const = 0;
    // "Save" and "Save as" once the common confirmation was given. With saveAs, `target` is the chosen path
    // ("FOLDER/NAME"); empty asks the host's save dialog.
    virtual bool save(TWorkspace& ws, bool saveAs, const QString& target) = 0;

    QString path; // the full path of the file the document was read from
    // Source texts that look like UTF-8 read through an 8-bit code page (saving them asks first).
    qsizetype misencodedTexts = 0;
};

struct rDocumentKind {
    const char* name;                // "plugin", "stringTables", "script", "menuFile", "customDictionary"
    QStringList extensions;          // lower case, without the dot; none for a document opened without a file
    const char* filterKey;           // the UI text of the open dialog's filter
    QString TAppState::*startFolder; // where the open dialog starts (the folder the kind remembers)
    // A file given at start or dropped on the window remembers its folder as the menu command does.
    bool rememberFolderWhenGiven;
    // The loader. `rememberFolder` keeps the file's folder as where the next open dialog of the kind starts.
    bool (*open)(TWorkspace& ws, const QString& path, bool rememberFolder);
};

// The path a "Save as" writes to: `target` when one was given (the command line), else what the host's save dialog,
// titled `titleKey` and starting at folder + name, gives; empty when cancelled.
QString chooseSaveTarget(TWorkspace& ws, const QString& target, const char* titleKey, const QString& folder,
                         const QString& name, const char* filterKey);

const std::vector<rDocumentKind>& documentKinds();
// The kind that opens a file by its extension (ignoring case), or null.
const rDocumentKind* documentKindOf(const QString& path);
const rDocumentKind& documentKind(const char* name);
