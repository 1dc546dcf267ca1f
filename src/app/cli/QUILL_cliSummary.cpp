// The --summary step: what a translator first wants to see of an opened document, as readable plain text.
#include "QUILL_cli.h"

#include "workspace/QUILL_listRules.h"

#include <QDir>

namespace {

constexpr int kSummaryRows = 10;
constexpr int kSummaryTextWidth = 72;

// One line of a cell: special texts named, line breaks shown as a pilcrow, long texts cut with an ellipsis.
QString summaryText(const QString& text) {
    QString shown = listCellDisplayText(text);
    shown.replace(QLatin1Char('\n'), QChar(0x00B6)).replace(QLatin1Char('\r'), QString());
    if (shown.size() > kSummaryTextWidth) shown = shown.left(kSummaryTextWidth - 1) + QChar(0x2026);
    return shown;
}

bool printSummary(TCliContext& cli, const QStringList&) {
    const TAppContext& app = cli.ws.app;
    const TAppState& st = app.state;
    QTextStream& out = cli.out;
    out << app.uiTextFormat(QStringLiteral("Sum_Kind"), {workModeName(st.WorkMode)}) << '\n';
    out << app.uiTextFormat(QStringLiteral("Sum_File"), {QDir::toNativeSeparators(st.currentFilePath)}) << '\n';
    out << app.uiTextFormat(QStringLiteral("Sum_Languages"), {st.SourceLang, st.DestLang}) << '\n';
    const int lists = cli.ws.columnLayout().extraListsVisible ? 3 : 1;
    for (int i = 0; i < lists; ++i) {
        const tSkyStrList& list = cli.ws.loadedLists[i];
        int translated = 0, validated = 0, partial = 0;
        for (const auto& e : list) {
            if (e->hasParam(sStrParam::translated)) ++translated;
            if (e->hasParam(sStrParam::validated)) ++validated;
            if (e->hasParam(sStrParam::incompleteTrans)) ++partial;
        }
        out << '\n'
            << app.uiTextFormat(QStringLiteral("Sum_List"),
                                {listName(i), static_cast<qlonglong>(list.size()), translated, validated, partial})
            << '\n';
        const int rows = static_cast<int>(qMin<size_t>(kSummaryRows, list.size()));
        for (int r = 0; r < rows; ++r) {
            const tSkyStr& e = *list[static_cast<size_t>(r)];
            out << "  " << listCellText(cli.ws, e, 0).leftJustified(10) << "  " << summaryText(e.gS) << '\n';
            out << "  " << QString(10, QLatin1Char(' ')) << "  -> " << summaryText(e.gTrans) << '\n';
        }
        if (list.size() > static_cast<size_t>(rows))
            out << "  " << app.uiTextFormat(QStringLiteral("Sum_More"), {static_cast<qlonglong>(list.size() - rows)})
                << '\n';
    }
    if (!cli.ws.sharedIdList.empty())
        out << '\n'
            << app.uiTextFormat(QStringLiteral("Sum_Shared"), {static_cast<qlonglong>(cli.ws.sharedIdList.size())})
            << '\n';
    out.flush();
    return true;
}

const TCliStepRegistrar summaryStep({QStringLiteral("--summary"),
                                     QStringLiteral("print the document kind, the strings per list with their "
                                                    "states, and the first rows of each list"),
                                     TCliSyntax{}, printSummary});

} // namespace
