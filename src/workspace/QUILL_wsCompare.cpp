// The plugin compare command: the older plugin read, the overwrite choice, the carry-over as one undo step.
#include "workspace/QUILL_wsCompare.h"

#include "core/QUILL_cursor.h"
#include "core/QUILL_files.h"
#include "core/QUILL_main.h"
#include "plugin/QUILL_espCompare.h"
#include "plugin/QUILL_espDefinition.h"
#include "plugin/QUILL_espReader.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QFileInfo>

bool canComparePlugin(const TWorkspace& ws) {
    return ws.plugin() != nullptr;
}

bool pickAndComparePlugin(TWorkspace& ws) {
    TAppContext& app = ws.app;
    if (!canComparePlugin(ws)) return false;
    // Before any compare, the older version most likely lies beside the plugin being translated.
    const QString folder = !app.state.EspCompareFolder.isEmpty() || !ws.document
                               ? app.state.EspCompareFolder
                               : QFileInfo(ws.document->path).absolutePath();
    const QString path = app.host().pickOpenFile(QString(), folder, QString(), app.uiText(QStringLiteral("FilterEsp")));
    if (path.isEmpty()) return false;
    if (!QFileInfo::exists(path)) {
        app.logMessage(app.uiText(QStringLiteral("FileNotFound")) + QStringLiteral(": ") + path, true, dbOk);
        return false;
    }
    return comparePlugin(ws, path);
}

bool comparePlugin(TWorkspace& ws, const QString& path) {
    TAppContext& app = ws.app;
    TAppState& st = app.state;
    if (!canComparePlugin(ws)) return false;
    TPluginDocument& doc = *ws.plugin();
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    // The file is read once: the probe of its localization flag and the record reader share the bytes.
    QByteArray bytes;
    QString error;
    const bool readable = quillfs::readWholeFile(fullPath, bytes, &error);
    if (!readable) app.logMessage(error.isEmpty() ? fullPath : error);
    TBinaryCursor probe(bytes);
    if (!readable || readPluginHeader(probe, nullptr, rPluginReadContext{}) != 0) {
        app.logMessage(app.uiText(QStringLiteral("Fbk_MustDeloc")), true);
        return false;
    }
    st.EspCompareFolder = quillfs::withTrailingSeparator(QFileInfo(fullPath).absolutePath());
    // The edit dialog's pending edit is stored before the entries change under it.
    ws.storePendingEdit();

    const int choice = askOverwriteChoice(ws, QStringLiteral("Esp Compare:"));
    if (choice < 0) return false;

    bool ok = false;
    {
        TOperation operation(app, app.uiText(QStringLiteral("Fbk_EspCompare")), true, true);
        ok = loadCompareRecords(app, bytes, doc.tree);
        if (ok && !doc.tree.compareRecordList.empty()) {
            sortCompareRecords(doc.tree.compareRecordList);
            carryOverTranslations(ws, overwriteFilter(choice));
        }
    }
    if (!ok) app.logMessage(app.uiText(QStringLiteral("Fbk_Failesp")), true);
    return ok;
}

int carryOverTranslations(TWorkspace& ws, tStringPredicate filter) {
    if (!canComparePlugin(ws)) return -1;
    TAppState& st = ws.app.state;
    TPluginDocument& doc = *ws.plugin();
    doc.compareCodepage.assignCodepage(
        chooseCodepage(QLatin1Char('_') + st.DestLang, st.codepageList, st.ForceUtf8Load));
    rPassContext pass;
    pass.filter = filter;
    pass.isSelected = ws.selectionPredicate();
    const auto accepts = [&pass](const tSkyStr& entry) { return pass.accepts(entry); };
    TEntryCommand command(ws, QStringLiteral("Step_Compare"));
    carryOverTranslations(doc.tree, doc.tree.compareRecordList, doc.compareCodepage.codepage, accepts);
    return command.finish();
}

bool compareRecordsLoaded(const TWorkspace& ws) {
    const TPluginDocument* doc = ws.plugin();
    return doc && !doc->tree.compareRecordList.empty();
}

QStringList compareTextsFor(const TWorkspace& ws, const tSkyStr& entry) {
    if (!compareRecordsLoaded(ws) || !entry.isEspAssigned()) return {};
    const TPluginDocument& doc = *ws.plugin();
    const trecord* older = findCompareRecord(doc.tree.compareRecordList, entry.esp.rec->headerData.formID);
    if (!older) return {};
    return olderFieldTexts(*older, entry.esp.field->header.name, doc.compareCodepage.codepage);
}

bool isCompareWarning(const TWorkspace& ws, const tSkyStr& entry) {
    return compareRecordsLoaded(ws) && entry.hasParam(sStrParam::incompleteTrans) && entry.isEspAssigned() &&
           recordDefs().isWarnField(entry.esp.rec->header.name, entry.esp.field->header.name);
}
