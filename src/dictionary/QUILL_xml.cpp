// XML exchange: export document, import parsing and reference matching.
#include "dictionary/QUILL_xml.h"

#include "dictionary/QUILL_xliff.h"
#include "plugin/QUILL_espTree.h"

#include <pugixml.hpp>

#include <algorithm>
#include <sstream>

namespace {

std::string utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString fromUtf8(const char* text) {
    return QString::fromUtf8(text);
}

// Every line break (CR LF, LF or a lone CR) as CR LF.
QString withCrLf(const QString& text) {
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) return text;
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
            out += QStringLiteral("\r\n");
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

// XML 1.0 carries no control character but tab, line feed and carriage return (not even as a character reference),
// neither U+FFFE nor U+FFFF, and no half of a surrogate pair; UTF-8 has no form for the last. An element whose text
// holds one is written with Escaped="1", each such code unit as "\uXXXX" and each backslash doubled; the import
// undoes that only where the attribute is set, so files written before read as they always did.
void setXmlText(pugi::xml_node node, const QString& text) {
    if (isXmlCharacterData(text)) {
        node.text().set(utf8(text).c_str());
        return;
    }
    QString escaped;
    escaped.reserve(text.size() + 16);
    for (qsizetype i = 0, n = 0; i < text.size(); i += n) {
        n = xmlCharacterLength(text, i);
        if (text[i] == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (n > 0)
            escaped += QStringView(text).sliced(i, n);
        else
            escaped += QStringLiteral("\\u%1").arg(uint(text[i].unicode()), 4, 16, QLatin1Char('0'));
        n = qMax<qsizetype>(n, 1);
    }
    node.append_attribute("Escaped").set_value("1");
    node.text().set(utf8(escaped).c_str());
}

QString xmlText(const pugi::xml_node& node) {
    const QString text = fromUtf8(node.text().get());
    if (QLatin1String(node.attribute("Escaped").value()) != QLatin1String("1")) return text;
    const auto isHexDigit = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\\') || i + 1 == text.size()) {
            out += text[i];
        } else if (text[i + 1] == QLatin1Char('\\')) {
            out += text[i];
            ++i;
        } else if (const QStringView digits = QStringView(text).mid(i + 2, 4);
                   text[i + 1] == QLatin1Char('u') && digits.size() == 4 &&
                   std::all_of(digits.begin(), digits.end(), isHexDigit)) {
            out += QChar(static_cast<char16_t>(digits.toUInt(nullptr, 16)));
            i += 5;
        } else {
            out += text[i]; // any other backslash, as it stands
        }
    }
    return out;
}

struct TByteWriter : pugi::xml_writer {
    QByteArray out;
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }
};

template <typename T> int sign(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

int compareXmlKey(const tEspStrRef& a, const tEspStrRef& b) {
    if (int c = sign(a.formHash, b.formHash)) return c;
    if (int c = sign(signatureKey(a.fName), signatureKey(b.fName))) return c;
    return sign(a.sourceHash, b.sourceHash);
}

} // namespace

bool isExportedToXml(const tSkyStr& entry) {
    const auto& f = entry.sInternalparams;
    if (f.has(sStrInternalParam::isDeleted) || f.has(sStrInternalParam::Warning) || f.has(sStrInternalParam::nTrans))
        return false;
    return entry.hasParam(sStrParam::translated) || entry.hasParam(sStrParam::incompleteTrans) ||
           entry.hasParam(sStrParam::validated);
}

QByteArray buildXmlExport(const rXmlParams& params, const tListSet& lists, bool pluginDocument,
                          const std::function<void(int)>& progress) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("SSTXMLRessources");
    pugi::xml_node head = root.append_child("Params");
    setXmlText(head.append_child("Addon"), params.addon);
    setXmlText(head.append_child("Source"), params.source);
    setXmlText(head.append_child("Dest"), params.dest);
    pugi::xml_node content = root.append_child("Content");
    int n = 0;
    for (const auto& list : lists) {
        for (const auto& entryPtr : list) {
            const tSkyStr& entry = *entryPtr;
            if (!isExportedToXml(entry)) continue;
            pugi::xml_node str = content.append_child("String");
            str.append_attribute("List").set_value(static_cast<unsigned>(entry.listIndex));
            if (entry.hasParam(sStrParam::incompleteTrans)) str.append_attribute("Partial").set_value("1");
            if (pluginDocument && entry.isEspAssigned()) {
                setXmlText(str.append_child("EDID"), entry.getEdidName());
                const QString rec =
                    entry.esp.rec->header.name.toString() + QLatin1Char(':') + entry.esp.field->header.name.toString();
                setXmlText(str.append_child("REC"), rec);
            }
            setXmlText(str.append_child("Source"), entry.gS);
            setXmlText(str.append_child("Dest"), entry.gTrans);
            if (progress && ++n % 1000 == 0) progress(n);
        }
    }
    TByteWriter writer;
    doc.save(writer, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    return writer.out;
}

int parseXmlImport(QByteArrayView data, quilldict::TSortedBatch& batch, std::vector<rXmlPendingRef>& references,
                   const std::function<void(int, int)>& progress) {
    pugi::xml_document doc;
    // A text of one space is kept (a whitespace-only text that is an element's only child).
    const pugi::xml_parse_result parsed = doc.load_buffer(data.data(), static_cast<size_t>(data.size()),
                                                          pugi::parse_default | pugi::parse_ws_pcdata_single);
    if (!parsed) throw TQuillError(QString::fromUtf8(parsed.description()));
    const pugi::xml_node root = doc.document_element();
    std::vector<pugi::xml_node> strings;
    for (pugi::xml_node content : root.children("Content"))
        for (pugi::xml_node str : content.children("String"))
            strings.push_back(str);
    const int total = static_cast<int>(strings.size());
    int n = 0;
    int refused = 0;
    const auto holdsElements = [](const pugi::xml_node& node) {
        for (const pugi::xml_node& child : node.children())
            if (child.type() == pugi::node_element) return true;
        return false;
    };
    for (const pugi::xml_node& str : strings) {
        if (progress && ++n % 1000 == 0) progress(n, total);
        const pugi::xml_attribute listAttr = str.attribute("List");
        if (!listAttr) continue;
        bool numeric = false;
        const int list = fromUtf8(listAttr.value()).toInt(&numeric);
        if (!numeric || list < 0 || list > 2) continue;
        // Only the first run of text would be read: an empty or cut translation marked translated.
        if (holdsElements(str.child("Source")) || holdsElements(str.child("Dest"))) {
            ++refused;
            continue;
        }
        const bool partial = fromUtf8(str.attribute("Partial").value()) == QLatin1String("1");
        const QString source = withCrLf(xmlText(str.child("Source")));
        const QString dest = withCrLf(xmlText(str.child("Dest")));
        const QString edid = xmlText(str.child("EDID"));
        const QString rec = xmlText(str.child("REC"));
        sHeaderSig field('0', '0', '0', '0');
        if (rec.size() == 9) {
            const QByteArray latin = rec.mid(5, 4).toLatin1();
            field = sHeaderSig::fromBytes(latin.constData());
        }
        const sStrParams status{partial ? sStrParam::incompleteTrans : sStrParam::translated};
        auto entry = std::make_unique<tSkyStr>(source, dest, list, 0u, 0, status, sStrInternalParams{}, nullptr, true);
        const uint32_t sourceHash = entry->hash;
        const size_t seq = batch.add(std::move(entry));
        if (!edid.isEmpty() && field != sHeaderSig('0', '0', '0', '0'))
            references.push_back({seq, textHash(edid), field, sourceHash});
    }
    return refused;
}

bool sortXmlReferences(std::vector<tEspStrRef>& references, TReferenceKey key) {
    if (key != TReferenceKey::pluginField) return false;
    std::stable_sort(references.begin(), references.end(),
                     [](const tEspStrRef& a, const tEspStrRef& b) { return compareXmlKey(a, b) < 0; });
    return true;
}

void xmlReferenceMatch(const std::vector<tEspStrRef>& references, tSkyStrList& target, rPassContext& context) {
    if (context.references != TReferenceKey::pluginField || references.empty()) return;
    for (auto& entryPtr : target) {
        tSkyStr& entry = *entryPtr;
        context.step();
        if (!context.accepts(entry)) continue;
        const tEspStrRef probe(nullptr, 0, 0, entry.getEdidHashXML(),
                               entry.isEspAssigned() ? entry.esp.fName : sHeaderSig('0', '0', '0', '0'), 0, 0,
                               entry.hash);
        const auto it =
            std::lower_bound(references.begin(), references.end(), probe,
                             [](const tEspStrRef& a, const tEspStrRef& b) { return compareXmlKey(a, b) < 0; });
        if (it == references.end() || compareXmlKey(*it, probe) != 0 || !it->sk) continue;
        takeTranslationFrom(entry, *it->sk);
    }
}
