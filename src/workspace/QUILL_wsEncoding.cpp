#include "workspace/QUILL_wsEncoding.h"

#include "core/QUILL_host.h"
#include "strings/QUILL_codepage.h"
#include "workspace/QUILL_workspace.h"

#include <QFileInfo>

qsizetype checkSourceEncoding(TWorkspace& ws) {
    TAppContext& app = ws.app;
    const TAppState& st = app.state;
    if (!ws.document) return 0;
    ws.document->misencodedTexts = 0;
    const QString language = ws.document->sourceTextLanguage(st);
    if (language.isEmpty()) return 0;
    const rCodepage codepage = chooseCodepage(QLatin1Char('_') + language, st.codepageList, st.ForceUtf8Load);
    if (codepage.isUtf8 || codepage.isForceDeloc()) return 0;
    qsizetype beyondAscii = 0;
    qsizetype utf8 = 0;
    for (const tSkyStrList& list : ws.loadedLists)
        for (const auto& entry : list) {
            const QString& text = entry->gS;
            bool wide = false;
            for (const QChar c : text)
                if (c.unicode() >= 0x80) {
                    wide = true;
                    break;
                }
            if (!wide) continue;
            ++beyondAscii;
            if (looksLikeUtf8ReadAsEightBit(text, codepage)) ++utf8;
        }
    // One odd text among many is a name with unusual letters; most of them is a file written in UTF-8.
    if (utf8 == 0 || utf8 * 2 <= beyondAscii) return 0;
    ws.document->misencodedTexts = utf8;
    const QString warning = app.uiTextFormat(QStringLiteral("Fbk_TextsLookUtf8"),
                                             {utf8, beyondAscii, codepage.s, language,
                                              app.uiText(QStringLiteral("ForceUtf8Load")).remove(QLatin1Char('&'))});
    app.logMessage(warning);
    app.logSeparator();
    app.host().setStatusText(2, warning);
    return utf8;
}

bool confirmMisencodedSave(TWorkspace& ws) {
    if (!ws.document || ws.document->misencodedTexts == 0) return true;
    TAppContext& app = ws.app;
    return app.messageDialog(app.uiTextFormat(QStringLiteral("Ask_SaveMisencoded"), {ws.document->misencodedTexts}),
                             dbYesNo) == drYes;
}

bool reopenReadingUtf8(TWorkspace& ws) {
    if (!ws.document || ws.document->path.isEmpty()) return false;
    const QString path = ws.document->path;
    ws.app.state.ForceUtf8Load = true;
    ws.app.logMessage(ws.app.uiTextFormat(
        QStringLiteral("Fbk_ReopenUtf8"),
        {QFileInfo(path).fileName(), ws.app.uiText(QStringLiteral("ForceUtf8Load")).remove(QLatin1Char('&'))}));
    return ws.openFileByKind(path);
}
