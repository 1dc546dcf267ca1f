// The open document behind one interface, and the table of the kinds of document the program opens. Opening by
// kind, recent files, the save commands, the window's layout and the command line read the table; every question
// about the open document is asked of it, so a new kind is one class and one line of the table.
#pragma once

#include "core/QUILL_main.h"
#include "dictionary/QUILL_passes.h"
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
    // The mode the window's title names.
    virtual TWorkMode mode() const = 0;
    virtual TExportKind exportKind() const = 0;
    // The columns and pages the string lists show for it.
    virtual rColumnLayout layout() const = 0;
    // "Save" and "Save as" once the common confirmation was given. With saveAs, `target` is the chosen path
    // ("FOLDER/NAME"); empty asks the host's save dialog.
    virtual bool save(TWorkspace& ws, bool saveAs, const QString& target) = 0;

    // Its work is kept in a dictionary of its own ("Save_SST").
    virtual bool hasOwnDictionary() const { return true; }
    // Saving the document saves the work (a table set, or any document translated into its own language): the
    // unsaved-work question then offers to save the document itself.
    virtual bool savesWorkAsDocument(const TAppState& state) const {
        return !hasOwnDictionary() || state.sameLanguages();
    }
    // Saves the work after the unsaved-work question's Yes: the document or its dictionary.
    virtual bool saveWork(TWorkspace& ws);
    // What its dictionary's name adds after the file's name ("_mcm", "_pex"), so that a script and a plugin of one
    // name keep apart.
    virtual QString dictionarySuffix() const { return {}; }
    // How its entries are matched with a dictionary's references.
    virtual TReferenceKey referenceKey() const { return TReferenceKey::none; }
    // The exact pass over the vocabulary runs once it is open.
    virtual bool exactPassOnOpen() const { return true; }
    // The recovery journal keeps its unsaved steps (a dictionary being edited can gain entries no identity names
    // again, so it overrides this).
    virtual bool journalled() const { return !path.isEmpty(); }
    // Its ids are texts (a field's signatures, a menu key): the id column sorts them as text.
    virtual bool idsAreText() const { return false; }
    // Its texts live in string tables (destination tables can be loaded onto it; id tags can name string ids).
    virtual bool hasStringTables() const { return false; }
    // The edit dialog counts a translation's length against its field's size.
    virtual bool countsLength() const { return true; }
    // The language whose code page its source texts were read with, checked for UTF-8 read as 8-bit; empty: none.
    virtual QString sourceTextLanguage(const TAppState& state) const {
        (void)state;
        return {};
    }

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
    // The document class's loader, run by TWorkspace::openDocument once the unsaved work was settled: it reads the
    // file into the loaded lists and installs the document (TWorkspace::installDocument). `rememberFolder` keeps the
    // file's folder as where the next open dialog of the kind starts. False when nothing was opened.
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
