// The string edit dialog's rules, kept apart from its widgets.
#include "aids/QUILL_editLogic.h"

#include "aids/QUILL_dialogueTools.h"
#include "plugin/QUILL_espTree.h"
#include "strings/QUILL_hash.h"

#include <QStringMatcher>

namespace editlogic {

namespace {

// The deepest last descendant of a node (the node itself without children).
tPluginNode* lastDescendant(tPluginNode* node) {
    while (!node->children.empty())
        node = node->children.back().get();
    return node;
}

// The trim set: control characters, the blank and the ideographic space.
bool isTrimChar(QChar c) {
    return c.unicode() <= 0x20 || c.unicode() == 0x3000;
}

// The rows of a record's string fields; with skipRepeated an entry already listed (in `rows`) is left out.
void appendRecordStrings(const trecord& record, bool skipRepeated, QList<tSkyStr*>& rows) {
    for (const auto& field : record.fList) {
        if (!field->sk) continue;
        if (skipRepeated && rows.contains(field->sk)) continue;
        rows.append(field->sk);
    }
}

} // namespace

QString withSourceLineBreaks(const QString& text, const QString& source) {
    if (!text.contains(QLatin1Char('\n'))) return text;
    const qsizetype breaks = source.count(QLatin1Char('\n'));
    const qsizetype crlf = source.count(QLatin1String("\r\n"));
    if (crlf != breaks && crlf != 0) return text;
    // A source without a break says nothing: the game's texts break lines with CRLF.
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (crlf == breaks) out.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return out;
}

QString trimForStore(const QString& text, const QString& source) {
    const bool keepStart = !source.isEmpty() && isTrimChar(source.front());
    const bool keepEnd = !source.isEmpty() && isTrimChar(source.back());
    qsizetype begin = 0;
    qsizetype end = text.size();
    if (!keepStart)
        while (begin < end && text[begin].unicode() <= 32)
            ++begin;
    if (!keepEnd) {
        while (end > begin && text[end - 1].unicode() <= 32)
            --end;
        while (end > begin && isTrimChar(text[end - 1]))
            --end;
    }
    return text.mid(begin, end - begin);
}

int lineCount(const QString& text) {
    return static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
}

rLengthInfo lengthInfo(const QString& text, int maxLength, bool lineBreaksAllowed) {
    rLengthInfo info;
    info.length = static_cast<int>(text.size());
    info.maxLength = maxLength;
    info.tooLong = maxLength > 0 && info.length > maxLength;
    info.lineBreakError = !lineBreaksAllowed && lineCount(text) > 1;
    return info;
}

QString rLengthInfo::counterText() const {
    return QStringLiteral("%1/%2 %3")
        .arg(length)
        .arg(maxLength)
        .arg(lineBreakError ? QStringLiteral("[!]") : QString());
}

QString changeCase(const QString& text, TCaseChange change) {
    switch (change) {
    case TCaseChange::upper:
        return text.toUpper();
    case TCaseChange::lower:
        return text.toLower();
    case TCaseChange::title:
        break;
    }
    QString out = text.toLower();
    bool wordStart = true;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        if (c.isLetter()) {
            if (wordStart) out[i] = c.toTitleCase();
            wordStart = false;
        } else {
            // An apostrophe inside a word ("don't") does not start a new one.
            wordStart = !(c == QLatin1Char('\'') || c == QChar(0x2019) || c.isDigit());
        }
    }
    return out;
}

rAliasCheck checkAliases(const QString& source, const QString& translation) {
    rAliasCheck check;
    rParse sourceParse, transParse;
    QStringList sourceTags, transTags;
    parseString(source, sourceParse, &sourceTags);
    parseString(translation, transParse, &transTags);
    check.tagsDiffer = sourceParse.sTagHash != transParse.sTagHash;
    const qsizetype rows = std::max(sourceTags.size(), transTags.size());
    for (qsizetype i = 0; i < rows; ++i) {
        TAliasData row;
        row.sSource = i < sourceTags.size() ? sourceTags[i] : QString();
        row.sDest = i < transTags.size() ? transTags[i] : QString();
        if (row.sSource != row.sDest) row.cSource = row.cDest = 1;
        if (!row.sSource.isEmpty() && !transTags.contains(row.sSource)) row.cSource = 2;
        if (!row.sDest.isEmpty() && !sourceTags.contains(row.sDest)) row.cDest = 3;
        check.rows.push_back(row);
    }
    return check;
}

namespace {

bool isAsciiIdentifierChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_';
}

bool isAsciiDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The length of the mark-up run that starts at `i`, or 0 when none starts there.
qsizetype markupLengthAt(QStringView text, qsizetype i) {
    const qsizetype n = text.size();
    const QChar c = text[i];
    const QChar next = i + 1 < n ? text[i + 1] : QChar();
    switch (c.unicode()) {
    case u'<':
    case u'[': {
        // Tags and key names as every rule about tags reads them.
        const rMarkupToken token = nextMarkupToken(text, i);
        return token.start == i && token.kind != rMarkupToken::TKind::angleText ? token.length : 0;
    }
    case u'$': {
        qsizetype j = i + 1;
        while (j < n && isAsciiIdentifierChar(text[j]))
            ++j;
        return j > i + 1 ? j - i : 0;
    }
    case u'%': {
        if (next == QLatin1Char('%')) return 2;
        if (const qsizetype length = formatSpecifierLength(text, i)) return length;
        // "%1": a numbered argument.
        qsizetype j = i + 1;
        while (j < n && isAsciiDigit(text[j]))
            ++j;
        return j - i > 1 ? j - i : 0;
    }
    case u'{': {
        qsizetype j = i + 1;
        while (j < n && isAsciiIdentifierChar(text[j]))
            ++j;
        return j > i + 1 && j < n && text[j] == QLatin1Char('}') ? j + 1 - i : 0;
    }
    case u'&': {
        qsizetype j = i + 1;
        if (j < n && text[j] == QLatin1Char('#')) ++j;
        const qsizetype nameStart = j;
        while (j < n && j - i <= 10 && isAsciiIdentifierChar(text[j]))
            ++j;
        return j > nameStart && j < n && text[j] == QLatin1Char(';') ? j + 1 - i : 0;
    }
    case u'\\':
        return QStringView(u"ntr\"'\\").contains(next) && !next.isNull() ? 2 : 0;
    default:
        return 0;
    }
}

} // namespace

std::vector<rMarkupSpan> markupSpans(QStringView text) {
    std::vector<rMarkupSpan> spans;
    for (qsizetype i = 0; i < text.size();) {
        const char16_t c = text[i].unicode();
        const bool opener = c == u'<' || c == u'[' || c == u'$' || c == u'%' || c == u'{' || c == u'&' || c == u'\\';
        const qsizetype length = opener ? markupLengthAt(text, i) : 0;
        if (length > 0) {
            spans.push_back({i, length});
            i += length;
        } else {
            ++i;
        }
    }
    return spans;
}

uint32_t aliasColour(int code) {
    static constexpr uint32_t colours[] = {0xFFFFFF, 0xDDDDF0, 0xFFDDDD, 0xFFAAAA};
    return colours[code >= 0 && code < 4 ? code : 0];
}

QString recordRowId(const tSkyStr& entry, TPluginLayout plugin) {
    if (plugin != TPluginLayout::none && entry.isEspAssigned()) return entry.esp.fName.toString();
    return QStringLiteral("%1").arg(entry.id, 5, 16, QLatin1Char('0'));
}

rRecordPage recordPage(const TAppContext& app, const tSkyStr& entry, TPluginLayout plugin) {
    rRecordPage page;
    if (plugin == TPluginLayout::none) {
        page.header = app.uiText(QStringLiteral("Fbk_ModeEdit"));
        return page;
    }
    if (entry.hasFlag(sStrInternalParam::isOrphean)) {
        page.header = app.uiText(QStringLiteral("OrpheanStringInfo"));
        return page;
    }
    if (!entry.isEspAssigned()) {
        page.header = app.uiText(QStringLiteral("RecordDataError"));
        return page;
    }
    const trecord& record = *entry.esp.rec;
    const tField& field = *entry.esp.field;
    page.linked = true;
    page.maxLength = field.maxStrSize;
    page.lineBreaksAllowed = field.hasCR;
    page.header = app.uiTextFormat(
        QStringLiteral("Edit_RecordHeader"),
        {record.header.name.toString(), record.EdidNameEx(), record.headerData.formID, field.header.name.toString(),
         field.params.has(sfieldParam::notNull) ? app.uiText(QStringLiteral("bNullTag")) : QString()});
    appendRecordStrings(record, plugin == TPluginLayout::localized, page.rows);
    page.focusedRow = static_cast<int>(page.rows.indexOf(field.sk));
    return page;
}

rDialoguePage dialoguePage(const TAppContext& app, const tPluginTree& tree, const trecord& record,
                           const tSkyStr* focused, TPluginLayout plugin) {
    rDialoguePage page;
    const bool isDial = record.header.name == kSigDIAL;
    if (!isDial && record.header.name != kSigINFO) return page;
    const tPluginNode* qust = findQuestGroup(tree);
    if (!qust) return page;
    page.marked = true;
    const bool skipRepeated = plugin == TPluginLayout::localized;

    const tPluginNode* topicGroup = nullptr;
    const trecord* topic = nullptr;
    // Walks the nodes below `from` in tree order until `visit` returns true.
    const std::function<bool(const tPluginNode&, const std::function<bool(const tPluginNode&)>&)> walk =
        [&walk](const tPluginNode& from, const std::function<bool(const tPluginNode&)>& visit) {
            for (const auto& child : from.children)
                if (visit(*child) || walk(*child, visit)) return true;
            return false;
        };
    if (isDial) {
        topic = &record;
        const uint32_t formId = record.headerData.formID;
        walk(*qust, [&](const tPluginNode& n) {
            const tGrup* g = n.grup();
            if (g && g->headerData.sType >= 1 && g->headerData.sType <= 10 && g->headerData.sIdent == formId) {
                topicGroup = &n;
                return true;
            }
            return false;
        });
    } else if (const tPluginNode* node = record.espRec) {
        topicGroup = dialogueResponseGroup(tree, *node);
        forEachDialogueResponse(tree, [&topic, node](const tPluginNode& info, const trecord& found) {
            if (&info != node) return false;
            topic = &found;
            return true;
        });
    }
    if (topic) {
        appendRecordStrings(*topic, skipRepeated, page.rows);
        page.header =
            app.uiTextFormat(QStringLiteral("Edit_DialHeader"), {topic->EdidNameEx(), topic->headerData.formID});
    }
    if (!topicGroup) {
        page.focusedRow = static_cast<int>(page.rows.indexOf(const_cast<tSkyStr*>(focused)));
        return page;
    }
    if (page.header.isEmpty())
        page.header = app.uiTextFormat(QStringLiteral("Edit_DialHeaderId"), {topicGroup->grup()->headerData.sIdent});
    walk(*topicGroup, [&](const tPluginNode& n) {
        const trecord* r = n.record();
        if (r && r->header.name == kSigINFO) appendRecordStrings(*r, skipRepeated, page.rows);
        return false;
    });
    page.focusedRow = static_cast<int>(page.rows.indexOf(const_cast<tSkyStr*>(focused)));
    return page;
}

bool needsStore(const tSkyStr& entry, const QString& editorText, bool forceValid, sStrParams statusIn) {
    if (editorText != entry.gTrans) return true;
    const bool hasAllStatus = (entry.sparams.bits() & statusIn.bits()) == statusIn.bits();
    if (hasAllStatus || entry.hasParam(sStrParam::translated)) return false;
    return forceValid;
}

QList<tSkyStr*> searchVocabulary(const tListSet& vocabulary, int listIndex, const QString& text, bool inTranslation) {
    QList<tSkyStr*> hits;
    if (text.size() < 3) return hits;
    // One matcher for the whole walk: its skip table is made once, not for every entry.
    const QStringMatcher matcher(text.toLower(), Qt::CaseInsensitive);
    for (int i = 0; i < 3; ++i) {
        if (listIndex >= 0 && i != listIndex) continue;
        for (const auto& e : vocabulary[i]) {
            const QString& hay = inTranslation ? e->gTrans : e->gS;
            if (hay.size() >= text.size() && matcher.indexIn(hay) >= 0) hits.append(e.get());
        }
    }
    return hits;
}

rDiffView diffView(const QString& first, const QString& second) {
    rDiffView view;
    TDiff diff;
    if (!diff.Execute(first, second)) return view;
    view.stats = diff.DiffStats();
    for (const TCompareRec& r : diff.records()) {
        const QChar c(r.Kind == TChangeKind::ckDelete ? r.chr1() : r.chr2());
        if (view.runs.empty() || view.runs.back().kind != r.Kind) view.runs.push_back({r.Kind, QString()});
        view.runs.back().text.append(c);
    }
    return view;
}

tPluginNode* nextNode(const tPluginTree& tree, tPluginNode* node) {
    const tPluginNode* root = &tree.root;
    if (root->children.empty()) return nullptr;
    if (!node || node == root) return root->children.front().get();
    if (!node->children.empty()) return node->children.front().get();
    while (node != root) {
        tPluginNode* parent = node->parent;
        const size_t next = static_cast<size_t>(node->row) + 1;
        if (next < parent->children.size()) return parent->children[next].get();
        node = parent;
    }
    return root->children.front().get(); // wrapped
}

tPluginNode* previousNode(const tPluginTree& tree, tPluginNode* node) {
    const tPluginNode* root = &tree.root;
    if (root->children.empty()) return nullptr;
    if (!node || node == root || (node->parent == root && node->row == 0))
        return lastDescendant(root->children.back().get()); // wrapped
    tPluginNode* parent = node->parent;
    if (node->row > 0) return lastDescendant(parent->children[static_cast<size_t>(node->row) - 1].get());
    return parent;
}

rTreeStep nextTreeString(const tPluginTree& tree, tPluginNode* start, const tSkyStr* focused, bool forward,
                         const std::function<bool(const tSkyStr&)>& visible) {
    if (!start && focused && focused->esp.rec) start = focused->esp.rec->espRec;
    if (!start) return {};
    tPluginNode* node = start;
    while (true) {
        node = forward ? nextNode(tree, node) : previousNode(tree, node);
        if (!node || node == start) return {};
        const trecord* r = node->record();
        if (!r || r->rawrecord()) continue;
        for (const auto& field : r->fList) {
            tSkyStr* e = field->sk;
            if (e && e != focused && (!visible || visible(*e))) return {e, node};
        }
    }
}

rTreeStep nextPluginString(const tPluginTree& tree, const QList<tSkyStr*>& recordRows, tPluginNode* node,
                           const tSkyStr* focused, bool forward, const std::function<bool(const tSkyStr&)>& visible) {
    const qsizetype row = recordRows.indexOf(const_cast<tSkyStr*>(focused));
    const qsizetype next = forward ? row + 1 : row - 1;
    if (row >= 0 && next >= 0 && next < recordRows.size()) return {recordRows[next], node};
    return nextTreeString(tree, node, focused, forward, visible);
}

int nextListRow(int rows, int current, const std::function<const tSkyStr*(int row)>& entryAt, const tSkyStr* focused,
                bool forward) {
    if (current < 0 || current >= rows || entryAt(current) != focused) {
        current = -1;
        for (int r = 0; r < rows && current < 0; ++r)
            if (entryAt(r) == focused) current = r;
    }
    if (current < 0 || rows < 2) return -1;
    return (current + (forward ? 1 : rows - 1)) % rows;
}

} // namespace editlogic
