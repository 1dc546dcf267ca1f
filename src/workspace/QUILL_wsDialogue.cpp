// Workspace commands of the dialogue and language tools.
#include "workspace/QUILL_wsDialogue.h"

#include "core/QUILL_dataList.h"
#include "core/QUILL_files.h"
#include "core/QUILL_folders.h"
#include "plugin/QUILL_espTree.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsAids.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QDir>

namespace {

// A data file of the misc folder, found whatever the letter case of its name on disk: the user's copy, else the
// shipped one.
QString miscFile(const TAppState& state, const QString& name) {
    return dataFilePath(state, QStringLiteral("misc/") + name);
}

QString oldDialogWordName(const TAppState& state) {
    return QStringLiteral("oldDialogStyle_") + state.DestLang + QStringLiteral(".txt");
}

} // namespace

QString& oldDialogPattern(TWorkspace& ws) {
    return aidsState(ws).oldDialogPattern;
}

QString oldDialogWordFile(const TWorkspace& ws) {
    return miscFile(ws.app.state, oldDialogWordName(ws.app.state));
}

QString readOldDialogWords(TWorkspace& ws) {
    QDir().mkpath(ws.app.state.miscFolder);
    const QString path = oldDialogWordFile(ws);
    QByteArray bytes;
    if (dataFileIsUsable(ws.app.state, path) && quillfs::readWholeFile(path, bytes))
        return splitTextLines(decodeTextFile(bytes)).join(QLatin1Char('\n'));
    return defaultOldDialogWords().join(QLatin1Char('\n'));
}

bool saveOldDialogWords(TWorkspace& ws, const QString& text) {
    QDir().mkpath(ws.app.state.miscFolder);
    const QString path = userFilePath(ws.app.state, QStringLiteral("misc/") + oldDialogWordName(ws.app.state));
    QString error;
    if (quillfs::writeFileAtomic(path, QByteArray("\xEF\xBB\xBF") + text.toUtf8(), &error)) return true;
    ws.app.logMessage(ws.app.uiTextFormat(QStringLiteral("OldDial_WriteError"), {path, error}), true, dbOk);
    return false;
}

bool canRunOldDialogStyle(const TWorkspace& ws) {
    return ws.plugin() && ws.app.state.sameLanguages();
}

int runOldDialogStyle(TWorkspace& ws, const rOldDialogOptions& chosen, const std::optional<QString>& wordFileText) {
    TPluginDocument* plugin = ws.plugin();
    if (!plugin) return -1;
    TAppContext& app = ws.app;
    oldDialogPattern(ws) = chosen.pattern;
    rOldDialogOptions options = chosen;
    if (options.selection == tStringPredicate::selected && !options.isSelected)
        options.isSelected = ws.selectionPredicate();

    int total = 0;
    {
        TOperation operation(app, app.uiText(QStringLiteral("OldDial_Replacing")), true, true);
        TEntryCommand command(ws, QStringLiteral("Step_OldDialog"));
        if (const tPluginNode* quests = findQuestGroup(plugin->tree)) {
            qint64 count = 0;
            quests->forEachBelow([&count](const tPluginNode&) { ++count; });
            app.progressMax(count);
            TOldDialogRun run(*quests, options);
            qint64 visited = 0;
            quests->forEachBelow([&](const tPluginNode& node) {
                app.progressStep(++visited, 500);
                const trecord* record = node.record();
                if (!record || record->header.name != kSigINFO) return;
                const int converted = run.processInfoRecord(*record);
                if (converted > 1) app.logMessage(app.uiText(QStringLiteral("OldDial_Multi")));
                total += converted;
            });
            if (wordFileText) saveOldDialogWords(ws, *wordFileText);
        }
        command.finish();
        operation.end();
    }
    app.logMessage(app.uiTextFormat(QStringLiteral("OldDial_Replaced"), {total}), true, dbOk);
    return total;
}

int convertChinese(TWorkspace& ws, TChineseDirection direction) {
    TAppContext& app = ws.app;
    TOperation operation(app, app.uiText(QStringLiteral("Converting...")));
    TEntryCommand command(ws, QStringLiteral("Step_ConvertChinese"));
    app.progressMax(countListSet(ws.loadedLists));
    const std::optional<TChineseTable> table =
        TChineseTable::fromLines(loadDataList(app, miscFile(app.state, QStringLiteral("Charset_SCTC.txt"))));
    if (table) {
        qint64 visited = 0;
        for (auto& list : ws.loadedLists) {
            for (auto& entry : list) {
                app.progressStep(++visited, 1000);
                QString converted = table->convert(entry->gTrans, direction);
                if (converted != entry->gTrans) entry->setSTrans(std::move(converted));
            }
        }
    }
    return command.finish();
}
