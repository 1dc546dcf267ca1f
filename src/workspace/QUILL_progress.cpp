// The progress table and its texts.
#include "workspace/QUILL_progress.h"

#include "aids/QUILL_editLogic.h"
#include "core/QUILL_main.h"
#include "plugin/QUILL_espTree.h"
#include "strings/QUILL_typedef.h"
#include "workspace/QUILL_workspace.h"

#include <QLocale>
#include <map>
#include <utility>

TProgressState progressState(const tSkyStr& entry) {
    if (entry.hasParam(sStrParam::validated)) return TProgressState::validated;
    if (entry.hasParam(sStrParam::incompleteTrans)) return TProgressState::partial;
    if (entry.hasParam(sStrParam::translated)) return TProgressState::translated;
    return TProgressState::untranslated;
}

int countWords(const QString& text) {
    const std::vector<editlogic::rMarkupSpan> spans = editlogic::markupSpans(text);
    // A word is a run of characters between blanks and mark-up that holds a letter or a digit ("l'épée", "10mm";
    // not "-" alone). Mark-up separates words: "<p>Word</p>" is one word.
    int words = 0;
    bool inRun = false;
    bool runCounts = false;
    size_t span = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        while (span < spans.size() && spans[span].start + spans[span].length <= i)
            ++span;
        const bool markup = span < spans.size() && spans[span].start <= i;
        const bool inside = i < text.size() && !markup && !text[i].isSpace();
        if (inside) {
            inRun = true;
            runCounts = runCounts || text[i].isLetterOrNumber();
        } else if (inRun) {
            words += runCounts ? 1 : 0;
            inRun = runCounts = false;
        }
    }
    return words;
}

void rProgressCount::add(const tSkyStr& entry) {
    ++total;
    switch (progressState(entry)) {
    case TProgressState::validated:
        ++validated;
        return;
    case TProgressState::translated:
        ++translated;
        return;
    case TProgressState::partial:
        ++partial;
        break;
    case TProgressState::untranslated:
        ++untranslated;
        break;
    }
    wordsLeft += countWords(entry.gS);
}

rProgressTable computeProgress(const TWorkspace& ws) {
    rProgressTable table;
    std::map<std::pair<QString, QString>, rProgressCount> fields;
    for (int i = 0; i < 3; ++i)
        for (const auto& entry : ws.loadedLists[i]) {
            table.lists[i].add(*entry);
            table.total.add(*entry);
            if (entry->isEspAssigned())
                fields[{entry->esp.rec->header.name.toString(), entry->esp.fName.toString()}].add(*entry);
        }
    for (auto& [key, count] : fields)
        table.fields.push_back(rProgressRow{-1, key.first, key.second, count});
    return table;
}

rProgressCount countProgressStates(const TWorkspace& ws) {
    rProgressCount count;
    for (const tSkyStrList& list : ws.loadedLists)
        for (const auto& entry : list) {
            ++count.total;
            switch (progressState(*entry)) {
            case TProgressState::validated:
                ++count.validated;
                break;
            case TProgressState::translated:
                ++count.translated;
                break;
            case TProgressState::partial:
                ++count.partial;
                break;
            case TProgressState::untranslated:
                ++count.untranslated;
                break;
            }
        }
    return count;
}

QString progressStatusText(const TAppContext& app, const rProgressCount& total) {
    if (total.total == 0) return {};
    // The interface language's own number forms ("1,204", "1 204").
    const QString localeName = app.uiText(QStringLiteral("Locale"));
    const QLocale locale = localeName.isEmpty() ? QLocale(QLocale::English) : QLocale(localeName);
    const int percent = static_cast<int>(total.done() * 100 / total.total);
    return app.uiTextFormat(QStringLiteral("Progress_Status"),
                            {locale.toString(total.done()), locale.toString(total.total), percent});
}

namespace {

QString countJson(const rProgressCount& c) {
    return QStringLiteral("\"total\":%1,\"untranslated\":%2,\"translated\":%3,\"partial\":%4,\"validated\":%5,"
                          "\"words_left\":%6}")
        .arg(c.total)
        .arg(c.untranslated)
        .arg(c.translated)
        .arg(c.partial)
        .arg(c.validated)
        .arg(c.wordsLeft);
}

} // namespace

QString progressJsonLines(const rProgressTable& table) {
    QString out;
    for (int i = 0; i < 3; ++i)
        out += QStringLiteral("{\"list\":%1,").arg(i) + countJson(table.lists[i]) + QLatin1Char('\n');
    // Signatures are four letters of the plugin format: printable, never a quote or a backslash to escape.
    for (const rProgressRow& row : table.fields)
        out += QStringLiteral("{\"rec\":\"%1\",\"field\":\"%2\",").arg(row.record, row.field) + countJson(row.count) +
               QLatin1Char('\n');
    return out;
}
