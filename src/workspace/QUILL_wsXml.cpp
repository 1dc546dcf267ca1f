// The XML exchange's workspace commands.
#include "workspace/QUILL_wsXml.h"

#include "core/QUILL_files.h"
#include "dictionary/QUILL_xml.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsPasses.h"
#include "workspace/QUILL_wsVocabulary.h"

#include <QFileInfo>
#include <algorithm>

QString defaultXmlBaseName(const TWorkspace& ws) {
    const TAppState& st = ws.app.state;
    return QStringLiteral("%1_%2_%3").arg(documentDictionaryBase(ws, false), st.SourceLang, st.DestLang);
}

bool writeXmlExport(TWorkspace& ws, const QString& path) {
    TAppContext& app = ws.app;
    const TAppState& st = app.state;
    try {
        qsizetype n = 0;
        for (const auto& list : ws.loadedLists)
            n += std::count_if(list.begin(), list.end(), [](const auto& e) { return isExportedToXml(*e); });
        app.progressMax(n);
        const QByteArray bytes = buildXmlExport({st.currentFileName, st.SourceLang, st.DestLang}, ws.loadedLists,
                                                st.pluginLoaded(), [&app](int i) { app.progressStep(i, 1000); });
        QString error;
        if (!quillfs::writeFileAtomic(path, bytes, &error)) throw TQuillError(error);
        return true;
    } catch (const std::exception&) {
        app.logMessage(app.uiText(QStringLiteral("XML_ERROR")), true, dbOk);
        return false;
    }
}

bool readXmlImport(TWorkspace& ws, const QString& path) {
    TAppContext& app = ws.app;
    TEntryCommand command(ws, QStringLiteral("Step_ImportXml"));
    std::vector<tEspStrRef> refs;
    TWorkListsGuard guard{ws, refs};
    clearListSet(ws.workLists);
    try {
        QByteArray data;
        QString error;
        if (!quillfs::readWholeFile(path, data, &error)) throw TQuillError(error);
        quilldict::TSortedBatch batch;
        std::vector<rXmlPendingRef> pending;
        const int refused = parseXmlImport(data, batch, pending, [&app](int i, int total) {
            if (i == 1000) app.progressMax(total);
            app.progressStep(i, 1000);
        });
        if (refused > 0) app.logMessage(app.uiTextFormat(QStringLiteral("XML_RefusedMarkup"), {refused}), true);
        batch.mergeInto(ws.workLists);
        refs.reserve(pending.size());
        for (const rXmlPendingRef& p : pending)
            refs.emplace_back(batch.standsFor(p.seq), 0u, 0u, p.formHash, p.fName, uint16_t(0), uint16_t(0),
                              p.sourceHash);
        sortXmlReferences(refs, ws.document ? ws.document->referenceKey() : TReferenceKey::none);
        app.progressMax(countListSet(ws.loadedLists));
        applyWorkLists(ws, !refs.empty(), tStringPredicate::all, [&refs](tSkyStrList& target, rPassContext& context) {
            xmlReferenceMatch(refs, target, context);
        });
        return true;
    } catch (const std::exception&) {
        app.logMessage(app.uiText(QStringLiteral("XML_ERROR")), true, dbOk);
        return false;
    }
}

bool exportXmlFile(TWorkspace& ws, const QString& chosenPath) {
    TAppContext& app = ws.app;
    const QFileInfo chosen(chosenPath);
    app.state.XMLFolder = quillfs::withTrailingSeparator(chosen.absolutePath());
    const QString path = chosen.absolutePath() + QLatin1Char('/') + chosen.completeBaseName() + QStringLiteral(".xml");
    TOperation operation(app, app.uiTextFormat(QStringLiteral("ExportXMLRes"), {documentDictionaryBase(ws, false)}),
                         true, true);
    const bool ok = writeXmlExport(ws, path);
    operation.end();
    if (ok) app.logMessage(app.uiText(QStringLiteral("XMLExported")), true, dbOk);
    return ok;
}

bool importXmlFile(TWorkspace& ws, const QString& path) {
    TAppContext& app = ws.app;
    if (!QFileInfo::exists(path)) {
        app.logMessage(app.uiText(QStringLiteral("FileNotFound")), true, dbOk);
        return false;
    }
    app.state.XMLFolder = quillfs::withTrailingSeparator(QFileInfo(path).absolutePath());
    TOperation operation(app, app.uiTextFormat(QStringLiteral("ImportXMLRes"), {documentDictionaryBase(ws, false)}),
                         true, true);
    return readXmlImport(ws, path);
}

bool pickXmlExport(TWorkspace& ws) {
    TAppContext& app = ws.app;
    if (!app.state.fileLoaded()) return false;
    const QString path = app.host().pickSaveFile(app.uiText(QStringLiteral("SaveCurrentXML")), app.state.XMLFolder,
                                                 defaultXmlBaseName(ws) + QStringLiteral(".xml"),
                                                 app.uiText(QStringLiteral("FilterXML")));
    return !path.isEmpty() && exportXmlFile(ws, path);
}

bool pickXmlImport(TWorkspace& ws) {
    TAppContext& app = ws.app;
    if (!app.state.fileLoaded()) return false;
    const QString path = app.host().pickOpenFile(app.uiText(QStringLiteral("LoadCurrentXML")), app.state.XMLFolder,
                                                 defaultXmlBaseName(ws) + QStringLiteral(".xml"),
                                                 app.uiText(QStringLiteral("FilterXML")));
    return !path.isEmpty() && importXmlFile(ws, path);
}
