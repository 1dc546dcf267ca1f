// XML exchange: export document, import parsing and reference matching.
#include "dictionary/QUILL_xml.h"

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

bool isPluginMode(TWorkMode mode) {
    return mode == TWorkMode::Esp || mode == TWorkMode::StringsEspLayout;
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
    head.append_child("Addon").text().set(utf8(params.addon).c_str());
    head.append_child("Source").text().set(utf8(params.source).c_str());
    head.append_child("Dest").text().set(utf8(params.dest).c_str());
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
                str.append_child("EDID").text().set(utf8(entry.getEdidName()).c_str());
                const QString rec =
                    entry.esp.rec->header.name.toString() + QLatin1Char(':') + entry.esp.field->header.name.toString();
                str.append_child("REC").text().set(utf8(rec).c_str());
            }
            str.append_child("Source").text().set(utf8(entry.gS).c_str());
            str.append_child("Dest").text().set(utf8(entry.gTrans).c_str());
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
        const QString source = withCrLf(fromUtf8(str.child("Source").text().get()));
        const QString dest = withCrLf(fromUtf8(str.child("Dest").text().get()));
        const QString edid = fromUtf8(str.child("EDID").text().get());
        const QString rec = fromUtf8(str.child("REC").text().get());
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

bool sortXmlReferences(std::vector<tEspStrRef>& references, TWorkMode mode) {
    if (!isPluginMode(mode)) return false;
    std::stable_sort(references.begin(), references.end(),
                     [](const tEspStrRef& a, const tEspStrRef& b) { return compareXmlKey(a, b) < 0; });
    return true;
}

void xmlReferenceMatch(const std::vector<tEspStrRef>& references, tSkyStrList& target, rPassContext& context) {
    if (!isPluginMode(context.mode) || references.empty()) return;
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
