// Workspace state of an open compiled script or menu translation file, and the commands that save them.
#pragma once

#include "script/QUILL_scriptPex.h"
#include "workspace/QUILL_document.h"

#include <QString>
#include <QStringList>

class TWorkspace;

struct TScriptDocument : TDocument {
    TPexScript pex;
    QString folder;   // where the script was read from, with a trailing '/'
    QString fileName; // the script's file name with its extension

    // "Load_ScriptPex": after the disclaimer (unless expert mode), the script's strings.
    static bool open(TWorkspace& ws, const QString& path, bool rememberFolder);

    TWorkMode mode() const override { return TWorkMode::ScriptPex; }
    TExportKind exportKind() const override { return TExportKind::script; }
    rColumnLayout layout() const override;
    bool save(TWorkspace& ws, bool saveAs, const QString& target) override;
    QString dictionarySuffix() const override { return QStringLiteral("_pex"); }
    // A script's texts are names and messages the vocabulary knows nothing of.
    bool exactPassOnOpen() const override { return false; }
    bool countsLength() const override { return false; }
};

struct TMenuDocument : TDocument {
    QStringList menuKeys; // the keys of the file, in file order, duplicates kept
    QString folder;       // where saves go, with a trailing '/'
    QString modName;
    bool fromArchive = false;

    // A menu translation file, loose or inside the mod's archive (.bsa, .ba2).
    static bool open(TWorkspace& ws, const QString& path, bool rememberFolder);

    TWorkMode mode() const override { return TWorkMode::MCMTranslate; }
    TExportKind exportKind() const override { return TExportKind::menuFile; }
    rColumnLayout layout() const override;
    bool save(TWorkspace& ws, bool saveAs, const QString& target) override;
    QString dictionarySuffix() const override { return QStringLiteral("_mcm"); }
    bool idsAreText() const override { return true; }
    bool countsLength() const override { return false; }
};

// The menus' "Menu_ExportPex" / "Menu_ExportMCM" (and "As") reach these through TWorkspace::saveDocument, which asks
// "Fbk_FinalizeWarn" first.
// "Menu_ExportPex" / "Menu_ExportPexAs" after their questions: writes the script into folder + file name, after
// the backup unless saving as. False when refused, cancelled or failed (each reported).
bool saveScript(TWorkspace& ws, const QString& folder, const QString& fileName, bool saveAs);
// "Menu_ExportMCM" / "Menu_ExportMCMAs": writes folder + mod name + "_" + DEST + ".txt".
bool saveMenuFile(TWorkspace& ws, const QString& folder, const QString& modName);
