// XLIFF 1.2 exchange of the open document's entries.
#include "workspace/QUILL_wsXliff.h"

#include "core/QUILL_files.h"
#include "dictionary/QUILL_xliff.h"
#include "plugin/QUILL_espTree.h"
#include "strings/QUILL_stringTable.h"
#include "workspace/QUILL_journal.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {

bool exchangeable(const tSkyStr& entry) {
    return !entry.hasFlag(sStrInternalParam::isDeleted) && !entry.hasFlag(sStrInternalParam::pexNoTrans);
}

// A unit's id: the entry's identity across a reopen (the one the recovery journal uses), written as translation
// tools show it. Equal menu keys are numbered by xliffEntries.
QString baseId(TWorkspace& ws, const tSkyStr& entry) {
    const rEntryIdentity id = entryIdentity(ws, entry);
    switch (id.kind) {
    case rEntryIdentity::TKind::pluginField:
        return QStringLiteral("%1:%2:%3")
            .arg(id.number, 8, 16, QLatin1Char('0'))
            .arg(id.field.toString())
            .arg(id.index);
    case rEntryIdentity::TKind::menuKey:
        return id.key;
    case rEntryIdentity::TKind::stringId:
        break;
    }
    if (ws.script()) return QString::number(id.number);
    QString table = tableExtension(id.list, true);
    if (table.startsWith(QLatin1Char('.'))) table.remove(0, 1);
    return table + QLatin1Char(':') + QString::number(id.number);
}

TXliffState stateOf(const tSkyStr& entry) {
    if (entry.hasParam(sStrParam::validated)) return TXliffState::final;
    if (entry.hasParam(sStrParam::incompleteTrans)) return TXliffState::needsReview;
    if (entry.hasParam(sStrParam::translated)) return TXliffState::translated;
    return TXliffState::newUnit;
}

// What a translator needs beside the text: where a plugin text sits and how long it may be.
void describe(rXliffUnit& unit, const tSkyStr& entry, const QString& menuKey) {
    if (entry.isEspAssigned()) {
        const QString edid = entry.esp.rec->EdidNameEx();
        unit.resname = edid;
        unit.note = QStringLiteral("record %1, field %2")
                        .arg(entry.esp.rec->header.name.toString(), entry.esp.fName.toString());
        if (!edid.isEmpty()) unit.note += QStringLiteral(", editor id ") + edid;
        unit.maxWidth = entry.esp.field->maxStrSize;
        if (unit.maxWidth > 0) unit.note += QStringLiteral(", at most %1 characters").arg(unit.maxWidth);
    } else if (!menuKey.isEmpty()) {
        unit.resname = menuKey;
    }
}

// Takes a unit's target with the status its state names.
void takeUnit(tSkyStr& entry, const rXliffUnit& unit) {
    entry.setSTrans(unit.target);
    switch (unit.state) {
    case TXliffState::final:
        entry.resetStatus({sStrParam::validated}, {sStrParam::incompleteTrans});
        break;
    case TXliffState::needsReview:
        entry.resetStatus({sStrParam::incompleteTrans}, {sStrParam::validated});
        break;
    default:
        entry.resetStatus({}, {sStrParam::incompleteTrans, sStrParam::validated});
        entry.sparams.set(sStrParam::translated);
        break;
    }
}

bool documentOpen(TWorkspace& ws) {
    if (ws.document && ws.app.state.fileLoaded()) return true;
    ws.app.logMessage(ws.app.uiText(QStringLiteral("XLF_NoDocument")), true);
    return false;
}

} // namespace

std::vector<std::pair<QString, tSkyStr*>> xliffEntries(TWorkspace& ws) {
    std::vector<std::pair<QString, tSkyStr*>> entries;
    QHash<QString, int> seen;
    for (auto& list : ws.loadedLists)
        for (auto& entry : list) {
            if (!exchangeable(*entry)) continue;
            QString id = baseId(ws, *entry);
            const int count = ++seen[id];
            if (count > 1) id += QLatin1Char('#') + QString::number(count);
            entries.emplace_back(std::move(id), entry.get());
        }
    return entries;
}

bool exportXliffFile(TWorkspace& ws, const QString& path, bool all) {
    TAppContext& app = ws.app;
    if (!documentOpen(ws)) return false;
    const TAppState& st = app.state;
    rXliffDocument document;
    document.original = QFileInfo(st.currentFilePath).fileName();
    document.sourceLanguage = st.SourceLang;
    document.targetLanguage = st.DestLang;
    int unwritable = 0;
    for (const auto& [id, entry] : xliffEntries(ws)) {
        const TXliffState state = stateOf(*entry);
        if (!all && state == TXliffState::newUnit) continue;
        if (!isXmlCharacterData(entry->gS) || !isXmlCharacterData(entry->gTrans)) {
            ++unwritable;
            continue;
        }
        rXliffUnit unit;
        unit.id = id;
        unit.source = entry->gS;
        // A new unit's target is left for the translator to fill, as tools expect of an untranslated unit.
        unit.target = state == TXliffState::newUnit ? QString() : entry->gTrans;
        unit.hasTarget = true;
        unit.state = state;
        describe(unit, *entry, ws.menuKeyOf(*entry));
        document.units.push_back(std::move(unit));
    }
    const int written = static_cast<int>(document.units.size());
    QString error;
    if (!quillfs::writeFileAtomic(path, writeXliff(document), &error)) {
        app.logMessage(app.uiTextFormat(QStringLiteral("XLF_WriteError"), {path, error}), true);
        return false;
    }
    if (unwritable > 0) app.logMessage(app.uiTextFormat(QStringLiteral("XLF_Unwritable"), {unwritable}), true);
    app.logMessage(app.uiTextFormat(QStringLiteral("XLF_Exported"), {written, QDir::toNativeSeparators(path)}), true);
    return true;
}

bool importXliffFile(TWorkspace& ws, const QString& path, rXliffImportCounts* counts) {
    TAppContext& app = ws.app;
    if (!documentOpen(ws)) return false;
    QByteArray bytes;
    QString error;
    if (!quillfs::readWholeFile(path, bytes, &error)) {
        app.logMessage(app.uiTextFormat(QStringLiteral("Fbk_FileNotFoundNamed"), {path}), true);
        return false;
    }
    rXliffDocument document;
    const rXliffReadResult read = readXliff(bytes, document);
    switch (read.error) {
    case TXliffError::notXml:
        app.logMessage(app.uiTextFormat(QStringLiteral("XLF_NotXml"), {path, read.detail}), true);
        return false;
    case TXliffError::notXliff12:
        app.logMessage(app.uiTextFormat(QStringLiteral("XLF_NotXliff12"), {path}), true);
        return false;
    case TXliffError::unitWithoutId:
        app.logMessage(app.uiTextFormat(QStringLiteral("XLF_UnitWithoutId"), {path, read.detail}), true);
        return false;
    case TXliffError::none:
        break;
    }

    QHash<QString, tSkyStr*> byId;
    for (const auto& [id, entry] : xliffEntries(ws))
        byId.insert(id, entry);
    rXliffImportCounts result;
    {
        TEntryCommand command(ws, QStringLiteral("Step_ImportXliff"));
        for (const rXliffUnit& unit : document.units) {
            tSkyStr* entry = byId.value(unit.id);
            if (!entry && !unit.locationId.isEmpty()) entry = byId.value(unit.locationId);
            if (!entry) {
                ++result.unknown;
                continue;
            }
            if (entry->gS != unit.source) {
                ++result.sourceChanged;
                continue;
            }
            // A target left empty for a text is a tool's way of saying "not translated", unless a state says more.
            const bool emptyUntranslated = unit.target.isEmpty() && !unit.source.isEmpty() &&
                                           (unit.state == TXliffState::none || unit.state == TXliffState::newUnit);
            if (!unit.hasTarget || unit.markup || unit.state == TXliffState::newUnit || emptyUntranslated) {
                ++result.notApplied;
                continue;
            }
            takeUnit(*entry, unit);
            ++result.applied;
        }
        result.changed = command.finish();
    }
    app.logMessage(
        app.uiTextFormat(QStringLiteral("XLF_Imported"),
                         {result.changed, result.applied, result.sourceChanged, result.unknown, result.notApplied}),
        true);
    if (counts) *counts = result;
    return true;
}

bool pickXliffExport(TWorkspace& ws) {
    TAppContext& app = ws.app;
    if (!documentOpen(ws)) return false;
    const TAppState& st = app.state;
    const QString name = QFileInfo(st.currentFilePath).completeBaseName() + QLatin1Char('_') + st.DestLang;
    const QString path = app.host().pickSaveFile(app.uiText(QStringLiteral("Menu_ExportXliff")), st.XMLFolder, name,
                                                 app.uiText(QStringLiteral("FilterXliff")));
    if (path.isEmpty()) return false;
    // A translation tool is mostly given the strings still to translate: the window asks, the command line has --all.
    const bool all = app.messageDialog(app.uiText(QStringLiteral("XLF_AskAll")), dbYesNo) == drYes;
    return exportXliffFile(ws, QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".xlf") : path, all);
}

bool pickXliffImport(TWorkspace& ws, rXliffImportCounts* counts) {
    TAppContext& app = ws.app;
    if (!documentOpen(ws)) return false;
    const QString path = app.host().pickOpenFile(app.uiText(QStringLiteral("Menu_ImportXliff")), app.state.XMLFolder,
                                                 QString(), app.uiText(QStringLiteral("FilterXliff")));
    if (path.isEmpty()) return false;
    return importXliffFile(ws, path, counts);
}
