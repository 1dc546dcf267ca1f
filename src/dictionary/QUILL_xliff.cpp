// XLIFF 1.2 writer and reader.
#include "dictionary/QUILL_xliff.h"

#include <pugixml.hpp>

#include <cstring>

namespace {

const char* const kXliffNamespace = "urn:oasis:names:tc:xliff:document:1.2";

// Character data for an element (attribute = false) or a double-quoted attribute value. A carriage return is written
// as a reference because every XML reader turns a literal one into a line feed; in attributes tab and line feed are
// references too, since attribute values are normalised to blanks.
void appendEscaped(QString& out, const QString& text, bool attribute) {
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '\r':
            out += QLatin1String("&#13;");
            break;
        case '"':
            if (attribute)
                out += QLatin1String("&quot;");
            else
                out += c;
            break;
        case '\t':
            if (attribute)
                out += QLatin1String("&#9;");
            else
                out += c;
            break;
        case '\n':
            if (attribute)
                out += QLatin1String("&#10;");
            else
                out += c;
            break;
        default:
            out += c;
        }
    }
}

void appendAttribute(QString& out, const char* name, const QString& value) {
    out += QLatin1Char(' ') + QLatin1String(name) + QLatin1String("=\"");
    appendEscaped(out, value, true);
    out += QLatin1Char('"');
}

// The name without its namespace prefix: "x:trans-unit" -> "trans-unit".
const char* localName(const pugi::xml_node& node) {
    const char* name = node.name();
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

bool isNamed(const pugi::xml_node& node, const char* name) {
    return node.type() == pugi::node_element && std::strcmp(localName(node), name) == 0;
}

pugi::xml_node childNamed(const pugi::xml_node& parent, const char* name) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (isNamed(child, name)) return child;
    return {};
}

pugi::xml_attribute attributeNamed(const pugi::xml_node& node, const char* name) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const char* colon = std::strrchr(a.name(), ':');
        // xml:lang and the like keep their prefix; only plain names are looked up here.
        if (!colon && std::strcmp(a.name(), name) == 0) return a;
    }
    return {};
}

// The element's own text; `markup` is set when it holds elements (inline codes of another tool).
QString elementText(const pugi::xml_node& element, bool* markup) {
    QByteArray bytes;
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            bytes += child.value();
        else if (child.type() == pugi::node_element && markup)
            *markup = true;
    }
    return QString::fromUtf8(bytes);
}

QString attributeText(const pugi::xml_node& node, const char* name) {
    return QString::fromUtf8(attributeNamed(node, name).value());
}

// Reads one trans-unit; false when it has no id.
bool readUnit(const pugi::xml_node& node, rXliffUnit& unit) {
    unit.id = attributeText(node, "id");
    if (unit.id.isEmpty()) return false;
    unit.resname = attributeText(node, "resname");
    unit.maxWidth = attributeNamed(node, "maxwidth").as_int(0);
    bool sourceMarkup = false;
    if (const pugi::xml_node source = childNamed(node, "source")) unit.source = elementText(source, &sourceMarkup);
    if (sourceMarkup) unit.markup = true;
    if (const pugi::xml_node target = childNamed(node, "target")) {
        unit.hasTarget = true;
        unit.target = elementText(target, &unit.markup);
        unit.state = xliffStateOf(attributeText(target, "state"));
    }
    if (unit.hasTarget && !attributeNamed(childNamed(node, "target"), "state") &&
        QString::fromUtf8(attributeNamed(node, "approved").value()) == QLatin1String("yes"))
        unit.state = TXliffState::final;
    for (pugi::xml_node group = node.first_child(); group; group = group.next_sibling()) {
        if (!isNamed(group, "context-group") || std::strcmp(attributeNamed(group, "name").value(), "po-reference") != 0)
            continue;
        QString file, line;
        for (pugi::xml_node context = group.first_child(); context; context = context.next_sibling()) {
            if (!isNamed(context, "context")) continue;
            const QString type = attributeText(context, "context-type");
            if (type == QLatin1String("sourcefile")) file = elementText(context, nullptr);
            if (type == QLatin1String("linenumber")) line = elementText(context, nullptr);
        }
        unit.locationId = line.isEmpty() ? file : file + QLatin1Char(':') + line;
        break;
    }
    if (const pugi::xml_node note = childNamed(node, "note")) unit.note = elementText(note, nullptr);
    return true;
}

} // namespace

QString xliffStateName(TXliffState state) {
    switch (state) {
    case TXliffState::newUnit:
        return QStringLiteral("new");
    case TXliffState::translated:
        return QStringLiteral("translated");
    case TXliffState::needsReview:
        return QStringLiteral("needs-review-translation");
    case TXliffState::final:
        return QStringLiteral("final");
    case TXliffState::none:
        break;
    }
    return {};
}

TXliffState xliffStateOf(const QString& name) {
    if (name == QLatin1String("new")) return TXliffState::newUnit;
    if (name == QLatin1String("translated") || name == QLatin1String("signed-off")) return TXliffState::translated;
    if (name == QLatin1String("final")) return TXliffState::final;
    if (name.startsWith(QLatin1String("needs-"))) return TXliffState::needsReview;
    return TXliffState::none;
}

qsizetype xmlCharacterLength(const QString& text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c < 0x20) return c == '\t' || c == '\n' || c == '\r' ? 1 : 0;
    if (QChar::isHighSurrogate(c)) return i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()) ? 2 : 0;
    return QChar::isLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF ? 0 : 1;
}

bool isXmlCharacterData(const QString& text) {
    for (qsizetype i = 0, n = 0; i < text.size(); i += n)
        if ((n = xmlCharacterLength(text, i)) == 0) return false;
    return true;
}

QByteArray writeXliff(const rXliffDocument& document) {
    QString out;
    out += QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xliff version=\"1.2\" xmlns=\"") +
           QLatin1String(kXliffNamespace) + QLatin1String("\">\n  <file");
    appendAttribute(out, "original", document.original);
    appendAttribute(out, "source-language", document.sourceLanguage);
    if (!document.targetLanguage.isEmpty()) appendAttribute(out, "target-language", document.targetLanguage);
    out += QLatin1String(" datatype=\"plaintext\">\n    <body>\n");
    for (const rXliffUnit& unit : document.units) {
        out += QLatin1String("      <trans-unit");
        appendAttribute(out, "id", unit.id);
        if (!unit.resname.isEmpty()) appendAttribute(out, "resname", unit.resname);
        if (unit.hasTarget && (unit.state == TXliffState::translated || unit.state == TXliffState::final))
            out += QLatin1String(" approved=\"yes\"");
        if (unit.maxWidth > 0) {
            appendAttribute(out, "maxwidth", QString::number(unit.maxWidth));
            out += QLatin1String(" size-unit=\"char\"");
        }
        out += QLatin1String(" xml:space=\"preserve\">\n        <source>");
        appendEscaped(out, unit.source, false);
        out += QLatin1String("</source>\n");
        if (unit.hasTarget) {
            out += QLatin1String("        <target");
            if (unit.state != TXliffState::none) appendAttribute(out, "state", xliffStateName(unit.state));
            out += QLatin1Char('>');
            appendEscaped(out, unit.target, false);
            out += QLatin1String("</target>\n");
        }
        if (!unit.note.isEmpty()) {
            out += QLatin1String("        <note>");
            appendEscaped(out, unit.note, false);
            out += QLatin1String("</note>\n");
        }
        out += QLatin1String("      </trans-unit>\n");
    }
    out += QLatin1String("    </body>\n  </file>\n</xliff>\n");
    return out.toUtf8();
}

rXliffReadResult readXliff(QByteArrayView data, rXliffDocument& document) {
    document = {};
    pugi::xml_document xml;
    // Whitespace-only texts are kept: a source of one blank is a text like any other. No DTD is ever loaded.
    const pugi::xml_parse_result parsed =
        xml.load_buffer(data.data(), static_cast<size_t>(data.size()), pugi::parse_default | pugi::parse_ws_pcdata,
                        pugi::encoding_auto);
    if (!parsed) return {TXliffError::notXml, QString::fromUtf8(parsed.description())};
    const pugi::xml_node root = xml.document_element();
    const char* version = attributeNamed(root, "version").value();
    if (!isNamed(root, "xliff") || (std::strcmp(version, "1.2") != 0 && std::strcmp(version, "1.1") != 0))
        return {TXliffError::notXliff12, QString::fromUtf8(attributeNamed(root, "version").value())};

    rXliffDocument read;
    bool firstFile = true;
    for (pugi::xml_node file = root.first_child(); file; file = file.next_sibling()) {
        if (!isNamed(file, "file")) continue;
        if (firstFile) {
            read.original = attributeText(file, "original");
            read.sourceLanguage = attributeText(file, "source-language");
            read.targetLanguage = attributeText(file, "target-language");
            firstFile = false;
        }
        // Units lie in the body, directly or in groups nested to any depth; walked without recursion.
        std::vector<pugi::xml_node> pending;
        if (const pugi::xml_node body = childNamed(file, "body")) pending.push_back(body);
        while (!pending.empty()) {
            const pugi::xml_node parent = pending.back();
            pending.pop_back();
            std::vector<pugi::xml_node> groups;
            for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
                if (isNamed(child, "group")) {
                    groups.push_back(child);
                } else if (isNamed(child, "trans-unit") &&
                           std::strcmp(attributeNamed(child, "restype").value(), "x-gettext-domain-header") != 0) {
                    rXliffUnit unit;
                    if (!readUnit(child, unit))
                        return {TXliffError::unitWithoutId, QString::number(child.offset_debug())};
                    read.units.push_back(std::move(unit));
                }
            }
            // Groups in document order: the last pushed is taken first.
            pending.insert(pending.end(), groups.rbegin(), groups.rend());
        }
    }
    document = std::move(read);
    return {};
}
