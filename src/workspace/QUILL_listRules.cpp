// List view rules: cell texts, comparison, row lines, the status filter and the column layout.
#include "workspace/QUILL_listRules.h"

#include "plugin/QUILL_espTree.h"
#include "workspace/QUILL_workspace.h"

#include <cmath>

QString listColumnKey(int column) {
    static const char* keys[kListColumnCount] = {"ID", "Original", "Translated", "LD", "EDID"};
    return column >= 0 && column < kListColumnCount ? QLatin1String(keys[column]) : QString();
}

QString listName(int listIndex) {
    static const char* names[3] = {"STRINGS", "DLSTRINGS", "ILSTRINGS"};
    return listIndex >= 0 && listIndex < 3 ? QLatin1String(names[listIndex]) : QString();
}

namespace {

const char* controlName(ushort c) {
    static const char* names[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
                                    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
                                    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    if (c < 32) return names[c];
    if (c == 32) return "SPACECHAR";
    return nullptr;
}

bool isBlankOnly(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 32) return false;
    return true;
}

bool plainOrMenuMode(TWorkMode mode) {
    return mode == TWorkMode::Esp || mode == TWorkMode::StringsEspLayout || mode == TWorkMode::MCMTranslate;
}

} // namespace

QString listCellDisplayText(const QString& text) {
    if (text.isEmpty()) return QStringLiteral("[NULL]");
    if (isBlankOnly(text)) {
        QString names;
        for (const QChar c : text)
            names += QLatin1String(controlName(c.unicode())) + QLatin1Char(' ');
        return QLatin1Char('[') + names.trimmed() + QLatin1Char(']');
    }
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String(" "));
    return out;
}

QString listCellText(const TWorkspace& ws, const tSkyStr& entry, int column) {
    const TAppState& st = ws.app.state;
    switch (static_cast<TListColumn>(column)) {
    case TListColumn::id:
        if (entry.hasFlag(sStrInternalParam::isCache)) return QStringLiteral("-");
        if (st.WorkMode == TWorkMode::MCMTranslate) return ws.menuKeyOf(entry);
        if (st.pluginLoaded() && entry.isEspAssigned())
            return entry.esp.rec->getname().left(4) + QLatin1Char(' ') + entry.esp.fName.toString();
        return QStringLiteral("%1").arg(entry.id, 5, 16, QLatin1Char('0'));
    case TListColumn::original:
        return listCellDisplayText(entry.gS);
    case TListColumn::translated:
        return listCellDisplayText(entry.gTrans);
    case TListColumn::ld:
        if (entry.LDResult > 90.0f) return QStringLiteral("-");
        if (entry.LDResult > 0.0f)
            return QString::number(static_cast<int>(entry.LDResult)) +
                   (entry.LDFound >= 2 ? QStringLiteral("+") : QString());
        return {};
    case TListColumn::edid:
        if (entry.hasFlag(sStrInternalParam::isOrphean)) return QStringLiteral("ORPHAN");
        return entry.getEdidName();
    }
    return {};
}

int compareListEntries(const TWorkspace& ws, const tSkyStr& p, const tSkyStr& q, int column) {
    auto flag = [](const tSkyStr& e, sStrInternalParam f) { return e.hasFlag(f) ? 1 : 0; };
    switch (static_cast<TListColumn>(column)) {
    case TListColumn::id:
        if (plainOrMenuMode(ws.app.state.WorkMode))
            return listCellText(ws, p, column).compare(listCellText(ws, q, column), Qt::CaseInsensitive);
        return p.id < q.id ? -1 : (p.id > q.id ? 1 : 0);
    case TListColumn::original:
        return p.gS.compare(q.gS, Qt::CaseInsensitive);
    case TListColumn::translated:
        return p.gTrans.compare(q.gTrans, Qt::CaseInsensitive);
    case TListColumn::ld: {
        const long long ld =
            static_cast<long long>(std::trunc(q.LDResult)) - static_cast<long long>(std::trunc(p.LDResult));
        const long long value =
            ld * 65535 + (flag(q, sStrInternalParam::Warning) - flag(p, sStrInternalParam::Warning)) * 4095 +
            (flag(q, sStrInternalParam::nTrans) - flag(p, sStrInternalParam::nTrans)) * 255 +
            ((q.hasParam(sStrParam::incompleteTrans) ? 1 : 0) - (p.hasParam(sStrParam::incompleteTrans) ? 1 : 0)) * 15;
        return value < 0 ? -1 : (value > 0 ? 1 : 0);
    }
    case TListColumn::edid: {
        if (!p.isEspAssigned() || !q.isEspAssigned()) return 0;
        return p.getEdidName().compare(q.getEdidName(), Qt::CaseInsensitive);
    }
    }
    return 0;
}

int listRowLines(const tSkyStr& entry, bool simpleLine) {
    if (simpleLine) return 1;
    return qMin<qsizetype>(5, entry.gS.size() / 100 + 1);
}

bool statusButtonMatches(TStatusButton button, const tSkyStr& e) {
    using P = sStrParam;
    using I = sStrInternalParam;
    switch (button) {
    case TStatusButton::translated:
        return e.hasParam(P::translated);
    case TStatusButton::notTranslated:
        return e.sparams.empty() && e.LDFound == 0;
    case TStatusButton::validated:
        return e.hasParam(P::validated);
    case TStatusButton::partial:
        return e.hasParam(P::incompleteTrans) && !e.hasFlag(I::Warning);
    case TStatusButton::ld:
        return e.LDFound > 0;
    case TStatusButton::alias:
        return e.hasFlag(I::aliasError) || e.hasFlag(I::stringSizeError) || e.hasFlag(I::stringCRError);
    case TStatusButton::duplicate:
        return e.hasFlag(I::nTrans);
    case TStatusButton::warning:
        return e.hasFlag(I::Warning) || e.hasFlag(I::bigWarning);
    }
    return false;
}

void rListFilter::setSearchText(const QString& fieldText, bool trim) {
    text = (trim ? fieldText.trimmed() : fieldText).toLower();
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok, 16);
    formId = ok ? value : 0;
}

bool entryPassesFilter(const rListFilter& filter, const tSkyStr& entry) {
    bool shown = false;
    if (isBlankOnly(entry.gS)) {
        shown = filter.showNull;
    } else {
        for (int b = 0; b < kStatusButtonCount && !shown; ++b)
            shown = filter.buttons[b] && statusButtonMatches(static_cast<TStatusButton>(b), entry);
    }
    if (!shown || filter.text.isEmpty()) return shown;
    switch (filter.searchIn) {
    case TSearchIn::source:
        return entry.gS.contains(filter.text, Qt::CaseInsensitive);
    case TSearchIn::translation:
        return entry.gTrans.contains(filter.text, Qt::CaseInsensitive);
    case TSearchIn::edid:
        if (filter.formId != 0 && entry.isEspAssigned() && entry.getFormID() == filter.formId) return true;
        return entry.getEdidName().contains(filter.text, Qt::CaseInsensitive);
    }
    return shown;
}

rColumnLayout columnLayoutFor(TWorkMode mode) {
    rColumnLayout layout;
    switch (mode) {
    case TWorkMode::sstEditCustom:
    case TWorkMode::sstViewEdit:
        layout.idVisible = false;
        break;
    case TWorkMode::Strings:
        layout.idWidth = 60;
        break;
    case TWorkMode::Esp:
    case TWorkMode::StringsEspLayout:
        layout.idWidth = 80;
        layout.edidVisible = true;
        layout.edidIsMain = true;
        layout.edidSearchVisible = true;
        break;
    case TWorkMode::MCMTranslate:
    case TWorkMode::ScriptPex:
        layout.idWidth = 200;
        layout.extraListsVisible = false;
        break;
    case TWorkMode::None:
        break;
    }
    return layout;
}
