// The tagging commands: id tags and marking by source and translation.
#include "workspace/QUILL_wsTagging.h"

#include "plugin/QUILL_espTree.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsPlugin.h"

namespace {

QString hexTag(uint32_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0'));
}

} // namespace

std::array<bool, 4> idTagOptionsEnabled(const TWorkspace& ws) {
    const bool tables = ws.document && ws.document->hasStringTables();
    const bool plugin = ws.plugin() != nullptr;
    return {tables, plugin, plugin, plugin};
}

tDialogueTopics dialogueTopics(const tPluginTree& tree) {
    tDialogueTopics topics;
    forEachDialogueResponse(tree, [&topics](const tPluginNode& info, const trecord& topic) {
        topics.insert(info.record(), topic.headerData.formID);
        return false;
    });
    return topics;
}

QString idTagsFor(const tSkyStr& entry, const rIdTagOptions& options, const tDialogueTopics& topics) {
    QString tags;
    if (options.stringId) tags += QLatin1Char('[') + hexTag(entry.id, 5) + QLatin1Char(']');
    if (options.formId) tags += QLatin1Char('[') + hexTag(entry.esp.rec ? entry.esp.formID : 0, 8) + QLatin1Char(']');
    if (options.recordRef && entry.isEspAssigned())
        tags += QLatin1Char('[') + entry.esp.rec->header.name.toString() + QLatin1Char(':') +
                entry.esp.fName.toString() + QLatin1Char(']');
    if (options.dialRef && entry.esp.rec) {
        const auto it = topics.constFind(entry.esp.rec);
        if (it != topics.constEnd()) tags += QStringLiteral("[@") + hexTag(*it, 8) + QLatin1Char(']');
    }
    return tags;
}

int addIdTagsToList(TWorkspace& ws, tSkyStrList& list, const rIdTagOptions& options, const tDialogueTopics& topics) {
    static constexpr tStringPredicate kFilters[3] = {tStringPredicate::all, tStringPredicate::notTranslatedNorValidated,
                                                     tStringPredicate::selected};
    const tStringPredicate filter = kFilters[qBound(0, options.filter, 2)];
    const auto isSelected = ws.selectionPredicate();
    ws.app.progressMax(static_cast<qint64>(list.size()));
    int handled = 0;
    qint64 i = 0;
    for (const auto& entry : list) {
        ws.app.progressStep(++i, 1000);
        if (!matchesPredicate(*entry, filter, isSelected) || entry->hasFlag(sStrInternalParam::pexNoTrans)) continue;
        if (entry->gS.isEmpty() || entry->gS == QLatin1String(" ")) continue;
        entry->setSTrans(idTagsFor(*entry, options, topics) + QLatin1Char(' ') + entry->gTrans);
        ++handled;
    }
    return handled;
}

int addIdTags(TWorkspace& ws) {
    TAppContext& app = ws.app;
    const std::array<bool, 4> enabled = idTagOptionsEnabled(ws);
    rOptionRequest request;
    request.dialog = QStringLiteral("TForm8");
    request.caption = app.uiText(QStringLiteral("AddIdToStrings"));
    for (const char* key : {"overwrite_All", "overwrite_NoTrans", "overwrite_Selection"})
        request.choices << app.uiText(QLatin1String(key));
    request.current = 1;
    for (const char* key : {"Add_StringID", "Add_EDID", "Add_RecordRef", "Add_DialRef"}) {
        request.checkCaptions << app.uiText(QLatin1String(key));
        request.checks << false;
    }
    request.checksEnabled = QList<bool>(enabled.begin(), enabled.end());
    const int choice = app.host().chooseOption(request);
    if (choice < 0 || choice > 2) return -1;
    // A box the work mode leaves disabled cannot be checked.
    auto checked = [&](int box) { return enabled[static_cast<size_t>(box)] && request.checks.value(box); };
    rIdTagOptions options{checked(0), checked(1), checked(2), checked(3), choice};
    if (!options.any()) return -1;

    const tDialogueTopics topics =
        options.dialRef && ws.plugin() ? dialogueTopics(ws.plugin()->tree) : tDialogueTopics();
    TEntryCommand command(ws, QStringLiteral("Step_AddIdTags"));
    {
        TOperation operation(app, app.uiText(QStringLiteral("AddIdToString")), true);
        for (auto& list : ws.loadedLists)
            addIdTagsToList(ws, list, options, topics);
    }
    const int changed = command.finish();
    return changed;
}

bool canTagStrings(const TWorkspace& ws) {
    const TAppState& st = ws.app.state;
    return st.fileLoaded() && st.sameLanguages();
}

int tagStrings(TWorkspace& ws, bool same) {
    TAppContext& app = ws.app;
    TEntryCommand command(ws, QStringLiteral("Step_TagStrings"));
    {
        TOperation operation(app, app.uiText(QStringLiteral("ComparingStrings")), true);
        for (auto& list : ws.loadedLists)
            for (const auto& entry : list)
                if ((entry->hash == entry->hashTrans) == same)
                    entry->resetStatus({sStrParam::incompleteTrans}, {sStrParam::validated});
    }
    const int changed = command.finish();
    // The marked strings come first: each list is shown by its score, descending.
    for (int i = 0; i < 3; ++i)
        ws.notify(&TWorkspaceObserver::scoresComputed, i, true);
    return changed;
}
