// The old dialogue style and the Chinese character table.
#include "aids/QUILL_dialogueTools.h"

#include "core/QUILL_cursor.h"
#include "plugin/QUILL_espTree.h"

#include <algorithm>

namespace {

constexpr sHeaderSig kSigNAM1{'N', 'A', 'M', '1'};
constexpr sHeaderSig kSigRNAM{'R', 'N', 'A', 'M'};
constexpr sHeaderSig kSigDNAM{'D', 'N', 'A', 'M'};

const QString kPrefixMark = QStringLiteral("%PREFIXE%");
const QString kResponseMark = QStringLiteral("%DIAL%");

// Prompts holding these tags are left alone unless "OldDial_bAll" is checked.
bool holdsGameTag(const QString& text) {
    return text.contains(QLatin1String("<Alias"), Qt::CaseSensitive) ||
           text.contains(QLatin1String("<Global"), Qt::CaseSensitive);
}

// The first code unit from which a text may hold a CJK character (radicals supplement onwards), so that the
// conversion skips other texts without decoding them.
constexpr char16_t kFirstCjkUnit = 0x2E80;

} // namespace

QStringList defaultOldDialogWords() {
    return {QStringLiteral("Sarcastic"), QStringLiteral("Barter"), QStringLiteral("Flirt"), QStringLiteral("Romance"),
            QStringLiteral("Relationship")};
}

QStringList oldDialogWords(const QString& lines) {
    QStringList words;
    for (const QString& line : lines.split(QLatin1Char('\n'))) {
        const QString word = line.trimmed().toLower();
        if (!word.isEmpty()) words << word;
    }
    return words;
}

QString applyOldDialogPattern(const QString& pattern, const QString& prompt, const QString& response) {
    const qsizetype prefixAt = pattern.indexOf(kPrefixMark);
    qsizetype responseAt = pattern.indexOf(kResponseMark);
    // "%PREFIXE%DIAL%": the marks share a '%'; the prompt's mark, replaced first, wins.
    if (prefixAt >= 0 && responseAt >= 0 && responseAt < prefixAt + kPrefixMark.size() &&
        prefixAt < responseAt + kResponseMark.size())
        responseAt = pattern.indexOf(kResponseMark, prefixAt + kPrefixMark.size());
    struct rPart {
        qsizetype at, length;
        const QString* text;
    };
    std::vector<rPart> parts;
    if (prefixAt >= 0) parts.push_back({prefixAt, kPrefixMark.size(), &prompt});
    if (responseAt >= 0) parts.push_back({responseAt, kResponseMark.size(), &response});
    std::sort(parts.begin(), parts.end(), [](const rPart& a, const rPart& b) { return a.at < b.at; });
    QString out;
    qsizetype from = 0;
    for (const rPart& part : parts) {
        out += QStringView(pattern).sliced(from, part.at - from);
        out += *part.text;
        from = part.at + part.length;
    }
    out += QStringView(pattern).sliced(from);
    return out;
}

QString cutAtWord(const QString& text, int limit) {
    if (text.size() <= 4 || text.size() <= limit) return text;
    const QString dots = QStringLiteral("...");
    // Positions are 1-based: position p is text[p - 1]; every position up to the limit lies in the text. The space
    // is looked for from position limit - 2 down, so that the text kept before it and the dots never pass the limit
    // (from the limit itself, a space at limit - 1 or limit gave one or two characters more than the limit).
    for (qsizetype p = limit - 2; p >= limit - 20 && p >= 1; --p) {
        if (text[p - 1] != QLatin1Char(' ')) continue;
        for (qsizetype q = p - 1; q >= limit - 21 && q >= 1; --q)
            if (text[q - 1] != QLatin1Char(' ')) return text.left(q) + dots;
        break;
    }
    return text.left(std::max(0, limit - 3)) + dots;
}

const tPluginNode* findQuestGroup(const tPluginTree& tree) {
    for (const auto& child : tree.root.children) {
        const tGrup* group = child->grup();
        if (group && group->headerData.sType == 0 && group->headerData.sIdent == kSigQUST.asUint()) return child.get();
    }
    return nullptr;
}

TOldDialogRun::TOldDialogRun(const tPluginNode& questGroup, const rOldDialogOptions& options)
    : questGroup_(questGroup), options_(options) {}

std::optional<QString> TOldDialogRun::findSharedResponse(uint32_t formId) {
    if (formId == 0) return std::nullopt;
    if (!indexed_) {
        indexed_ = true;
        questGroup_.forEachBelow([this](const tPluginNode& node) {
            const trecord* record = node.record();
            if (record && record->header.name == kSigINFO && !infoByFormId_.contains(record->headerData.formID))
                infoByFormId_.insert(record->headerData.formID, record);
        });
    }
    const trecord* info = infoByFormId_.value(formId);
    if (!info) return std::nullopt;
    for (const tField& field : info->fList)
        if (field.header.name == kSigNAM1 && field.sk) return field.sk->gS;
    return std::nullopt;
}

int TOldDialogRun::processInfoRecord(const trecord& record) {
    QString response;
    uint32_t sharedId = 0;
    int converted = 0;
    for (const tField& field : record.fList) {
        if (field.header.name == kSigNAM1) {
            response = field.sk ? field.sk->gS : QString();
            continue;
        }
        if (field.header.name == kSigDNAM) {
            // A form id; a damaged field shorter than one shares nothing.
            sharedId = field.buffer.size() >= 4 ? TBinaryCursor(field.buffer.view()).u32le() : 0;
            continue;
        }
        if (field.header.name != kSigRNAM) continue;

        bool warn = false;
        if (response.isEmpty()) {
            if (std::optional<QString> shared = findSharedResponse(sharedId)) {
                response = *shared;
                warn = true;
            }
        }
        if (tSkyStr* e = field.sk) {
            const bool tagged = holdsGameTag(e->gS);
            bool ok = matchesPredicate(*e, options_.selection, options_.isSelected) && !response.isEmpty() &&
                      (!tagged || options_.allPrompts) && !e->hasFlag(sStrInternalParam::toLocalizedSharedID);
            if (ok) {
                const QString prompt = e->gS.trimmed();
                if (options_.prefixWords.contains(prompt.toLower()))
                    response = applyOldDialogPattern(options_.pattern, prompt, response);
                if (tagged && options_.addOriginal)
                    response = applyOldDialogPattern(options_.pattern, prompt, response);
                // An empty pattern would leave the prompt without any text.
                if (response.isEmpty())
                    ok = false;
                else if (options_.longResponse == TLongResponse::skip && response.size() > options_.limit)
                    ok = false;
                else if (options_.longResponse == TLongResponse::cut && !tagged)
                    response = cutAtWord(response, options_.limit);
            }
            if (ok) {
                e->setSTrans(response);
                e->resetStatus({sStrParam::validated}, {sStrParam::incompleteTrans});
                if (warn) e->sInternalparams.set(sStrInternalParam::Warning);
                ++converted;
            } else if (!options_.keepChanges) {
                e->setSTrans(e->gS);
            }
        }
        response.clear();
    }
    return converted;
}

std::optional<TChineseTable> TChineseTable::fromLines(const QStringList& lines) {
    if (lines.size() < 2) return std::nullopt;
    const std::u32string simplified = lines[0].toStdU32String();
    const std::u32string traditional = lines[1].toStdU32String();
    if (simplified.size() != traditional.size()) return std::nullopt;
    TChineseTable table;
    for (size_t i = 0; i < simplified.size(); ++i) {
        const char32_t s = simplified[i], t = traditional[i];
        if (!table.toTraditional_.contains(s)) table.toTraditional_.insert(s, t);
        if (!table.toSimplified_.contains(t)) table.toSimplified_.insert(t, s);
    }
    return table;
}

QString TChineseTable::convert(const QString& text, TChineseDirection direction) const {
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= kFirstCjkUnit; })) return text;
    const QHash<char32_t, char32_t>& map =
        direction == TChineseDirection::traditionalToSimplified ? toSimplified_ : toTraditional_;
    std::u32string codePoints = text.toStdU32String();
    bool changed = false;
    for (char32_t& c : codePoints) {
        const auto it = map.constFind(c);
        if (it == map.constEnd() || *it == c) continue;
        c = *it;
        changed = true;
    }
    return changed ? QString::fromStdU32String(codePoints) : text;
}
