// The script listing builder: one line per header line, heading, member and instruction, so that a jump's operand
// is also the distance in lines to its target.
#include "script/QUILL_scriptListing.h"

#include "script/QUILL_scriptPex.h"

namespace {

const QString kSeparator = QString(41, QLatin1Char('-'));
const QString kTab = QStringLiteral("\t");

QString marker(bool open) {
    return open ? QStringLiteral("[-]") : QStringLiteral("[+]");
}

QString hex2(qsizetype i) {
    return QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0'));
}

// Substitutes each "%s" of `format` with the next text, in order.
QString fill(const QString& format, const QStringList& values) {
    QString out;
    out.reserve(format.size() + 32);
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == QLatin1Char('%') && i + 1 < format.size() && format[i + 1] == QLatin1Char('s')) {
            if (next < values.size()) out += values[next];
            ++next;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

class TListingBuilder {
public:
    explicit TListingBuilder(tpexFeedbackData& listing) : listing_(listing) {}

    void add(uint8_t type, const void* data, const QString& text) {
        listing_.LineList.emplace_back(type, data);
        listing_.lines << text;
    }

    void listFunction(const TpexFunc* function, const QString& indent) {
        if (!function) return;
        QStringList params;
        for (const auto& p : function->params)
            params << p->vType + QLatin1Char(' ') + p->name;
        add(pexLineFunction, function,
            marker(function->open) + indent + QStringLiteral(" function ") + function->getReturnType() +
                function->name + QLatin1Char('(') + params.join(QStringLiteral(", ")) + QStringLiteral(")  ") +
                docText(function->docString));
        if (function->open) {
            const QString inner = indent + kTab;
            for (const auto& local : function->locals)
                add(pexLineStructOrLocal, local.get(),
                    inner + QStringLiteral("local.") + local->vType + QLatin1Char(' ') + local->name);
            for (const auto& op : function->instructions)
                add(pexLineInstruction, op.get(), inner + instructionText(*op, function->locals));
            add(pexLineText, nullptr, indent + QStringLiteral(" endFunction"));
        }
        add(pexLineText, nullptr, QString());
    }

private:
    tpexFeedbackData& listing_;
};

} // namespace

QString docText(const QString& text) {
    return text.isEmpty() ? QString() : QLatin1Char('{') + text + QLatin1Char('}');
}

QString operandText(const TpexOp& instruction, int index) {
    if (index < 0 || index >= static_cast<int>(instruction.args.size())) return {};
    return instruction.args[index].getStrValue(false);
}

QString argumentList(const TpexOp& instruction, int first) {
    QStringList parts;
    for (int i = first; i < static_cast<int>(instruction.args.size()); ++i)
        parts << operandText(instruction, i);
    return parts.join(QStringLiteral(", "));
}

QString resultPrefix(const QString& text) {
    return text == QLatin1String("::NoneVar") ? QString() : text + QStringLiteral(" = ");
}

QString localType(const QString& name, const std::vector<std::unique_ptr<TpexVarType>>& locals) {
    for (const auto& local : locals)
        if (local->name == name) return local->vType;
    return {};
}

QString arrayTypeWithSize(const QString& type, const QString& size) {
    const qsizetype at = type.indexOf(QLatin1Char(']'));
    if (at < 0) return type;
    return type.left(at) + size + type.mid(at);
}

QString instructionText(const TpexOp& op, const std::vector<std::unique_ptr<TpexVarType>>& locals) {
    auto a = [&op](int i) { return operandText(op, i); };
    switch (op.opCode) {
    case 0:
        return QStringLiteral("none");
    case 1:
    case 2:
    case 27:
        return fill(QStringLiteral("%s = %s + %s"), {a(0), a(1), a(2)});
    case 3:
    case 4:
        return fill(QStringLiteral("%s = %s - %s"), {a(0), a(1), a(2)});
    case 5:
    case 6:
        return fill(QStringLiteral("%s = %s * %s"), {a(0), a(1), a(2)});
    case 7:
    case 8:
        return fill(QStringLiteral("%s = %s / %s"), {a(0), a(1), a(2)});
    case 9:
        return fill(QStringLiteral("%s = %s mod %s"), {a(0), a(1), a(2)});
    case 10:
        return fill(QStringLiteral("%s = not %s"), {a(0), a(1)});
    case 11:
    case 12:
        return fill(QStringLiteral("%s = -%s"), {a(0), a(1)});
    case 13:
        return fill(QStringLiteral("%s = %s"), {a(0), a(1)});
    case 14:
        return fill(QStringLiteral("%s = %s as %s"), {a(0), a(1), localType(a(0), locals)});
    case 15:
        return fill(QStringLiteral("%s = %s == %s"), {a(0), a(1), a(2)});
    case 16:
        return fill(QStringLiteral("%s = %s < %s"), {a(0), a(1), a(2)});
    case 17:
        return fill(QStringLiteral("%s = %s <= %s"), {a(0), a(1), a(2)});
    case 18:
        return fill(QStringLiteral("%s = %s > %s"), {a(0), a(1), a(2)});
    case 19:
        return fill(QStringLiteral("%s = %s >= %s"), {a(0), a(1), a(2)});
    case 20:
        return fill(QStringLiteral("jump %s"), {a(0)});
    case 21:
        return fill(QStringLiteral("if %s then jump %s"), {a(0), a(1)});
    case 22:
        return fill(QStringLiteral("if not %s then jump %s"), {a(0), a(1)});
    case 23:
        return fill(QStringLiteral("%s%s.%s(%s)"), {resultPrefix(a(2)), a(1), a(0), argumentList(op, 4)});
    case 24:
        return fill(QStringLiteral("%sparent.%s(%s)"), {resultPrefix(a(1)), a(0), argumentList(op, 3)});
    case 25:
        return fill(QStringLiteral("%s%s.%s(%s)"), {resultPrefix(a(2)), a(0), a(1), argumentList(op, 4)});
    case 26:
        return fill(QStringLiteral("return %s"), {a(0)});
    case 28:
        return fill(QStringLiteral("%s = %s.%s"), {a(2), a(1), a(0)});
    case 29:
        return fill(QStringLiteral("%s.%s = %s"), {a(1), a(0), a(2)});
    case 30:
        return fill(QStringLiteral("%s = new %s"), {a(0), arrayTypeWithSize(localType(a(0), locals), a(1))});
    case 31:
        return fill(QStringLiteral("%s = %s.length"), {a(0), a(1)});
    case 32:
        return fill(QStringLiteral("%s = %s[%s] "), {a(0), a(1), a(2)});
    case 33:
        return fill(QStringLiteral("%s[%s] = %s"), {a(0), a(1), a(2)});
    case 34:
        return fill(QStringLiteral("%s = %s.find(%s, %s)"), {a(1), a(0), a(2), a(3)});
    case 35:
        return fill(QStringLiteral("%s = %s.rfind(%s, %s)"), {a(1), a(0), a(2), a(3)});
    case 36:
        return fill(QStringLiteral("_FO4 %s = %s is %s"), {a(0), a(1), a(2)});
    case 37:
        return fill(QStringLiteral("_FO4 %s.structCreate"), {a(0)});
    case 38:
        return fill(QStringLiteral("_FO4 struct(%s) = struct(%s.%s)"), {a(0), a(1), a(2)});
    case 39:
        return fill(QStringLiteral("_FO4 struct(%s.%s) = struct(%s)"), {a(0), a(1), a(2)});
    case 40:
        return fill(QStringLiteral("_FO4 %s.%s= %s.findstruct(%s , %s)"), {a(0), a(1), a(2), a(3), a(4)});
    case 41:
        return fill(QStringLiteral("_FO4 %s.%s= %s.rfindstruct(%s , %s) "), {a(0), a(1), a(2), a(3), a(4)});
    case 42:
        return fill(QStringLiteral("_FO4 %s.addElements(%s , %s)"), {a(0), a(1), a(2)});
    case 43:
        return fill(QStringLiteral("_FO4 %s.insertElement(%s , %s)"), {a(0), a(1), a(2)});
    case 44:
        return fill(QStringLiteral("_FO4 %s.removeLastElement"), {a(0)});
    case 45:
        return fill(QStringLiteral("_FO4 %s.removeElements(%s , %s)"), {a(0), a(1), a(2)});
    case 46:
        return fill(QStringLiteral("_FO4 %s.clearElements"), {a(0)});
    default:
        return QStringLiteral("unknown OpCode: %1)").arg(op.opCode, 2, 16, QLatin1Char('0'));
    }
}

void clearListing(TPexScript& script) {
    script.feedback.clearLineList();
}

void ensureListing(TPexScript& script) {
    if (script.listingReady && script.feedback.lines.isEmpty()) buildListing(script);
}

void buildListing(TPexScript& script) {
    tpexFeedbackData& listing = script.feedback;
    listing.clearLineList();
    TListingBuilder b(listing);
    for (const QString& line : listing.header)
        b.add(pexLineText, nullptr, line);
    b.add(pexLineText, nullptr, kSeparator);
    const QString quote = QStringLiteral("\"");
    for (const auto& object : script.pexObjects) {
        b.add(pexLineText, nullptr,
              fill(QStringLiteral("objectName %s extends %s"), {object->name, object->parentClassName}));
        b.add(pexLineText, nullptr, QStringLiteral("autoStateName: ") + quote + object->autoStateName + quote);
        b.add(pexLineText, nullptr, QStringLiteral("flags: 0x%1").arg(object->userFlags, 8, 16, QLatin1Char('0')));
        if (!object->docString.isEmpty()) b.add(pexLineText, nullptr, docText(object->docString));

        if (!script.bigEndian()) {
            b.add(pexLineText, nullptr, kSeparator);
            b.add(pexLineStructSection, nullptr,
                  marker(listing.structOpen) + QStringLiteral("Struct [count: %1]").arg(object->structs.size()));
            if (listing.structOpen) {
                for (size_t i = 0; i < object->structs.size(); ++i) {
                    const TpexStruct& s = *object->structs[i];
                    b.add(pexLineStructOrLocal, &s, kTab + hex2(i) + QLatin1Char(' ') + s.name);
                    for (size_t j = 0; j < s.vList.size(); ++j) {
                        const TpexVar& m = *s.vList[j];
                        b.add(pexLineVariable, &m,
                              fill(QStringLiteral("%s%s %s %s %s"),
                                   {kTab + kTab, hex2(j), m.vType, m.name, m.data.getStrValue(true)}));
                    }
                }
            }
        }

        b.add(pexLineText, nullptr, kSeparator);
        b.add(pexLineVarsSection, nullptr,
              marker(listing.varOpen) + QStringLiteral("vars [count: %1]").arg(object->variables.size()));
        if (listing.varOpen) {
            for (size_t i = 0; i < object->variables.size(); ++i) {
                const TpexVar& v = *object->variables[i];
                b.add(
                    pexLineVariable, &v,
                    fill(QStringLiteral("%s%s %s %s %s"), {kTab, hex2(i), v.vType, v.name, v.data.getStrValue(true)}));
            }
        }

        b.add(pexLineText, nullptr, kSeparator);
        b.add(pexLinePropsSection, nullptr,
              marker(listing.propOpen) + QStringLiteral("properties [count: %1]").arg(object->properties.size()));
        if (listing.propOpen) {
            for (size_t i = 0; i < object->properties.size(); ++i) {
                const TpexProp& p = *object->properties[i];
                b.add(pexLineProperty, &p,
                      fill(QStringLiteral("%s%s %s %s %s"), {kTab, hex2(i), p.pType, p.name, docText(p.docString)}));
                if (!p.autoVarName.isEmpty())
                    b.add(pexLineText, nullptr, kTab + QStringLiteral("   autoVarName ") + p.autoVarName);
                b.listFunction(p.readHandler.get(), kTab + kTab);
                b.listFunction(p.writeHandler.get(), kTab + kTab);
            }
        }

        b.add(pexLineText, nullptr, kSeparator);
        for (const auto& state : object->states) {
            b.add(pexLineState, state.get(),
                  marker(state->open) + QStringLiteral("state: ") + quote + state->name + quote);
            if (state->open) {
                for (const auto& function : state->func)
                    b.listFunction(function.get(), kTab);
                b.add(pexLineText, nullptr, QStringLiteral("   endState"));
            }
        }
    }
}

bool isMarkerLine(const tpexFeedbackData& listing, int line) {
    if (line < 1 || line > static_cast<int>(listing.LineList.size())) return false;
    switch (listing.LineList[line - 1].datatype) {
    case pexLineState:
    case pexLineFunction:
    case pexLineVarsSection:
    case pexLinePropsSection:
    case pexLineStructSection:
        return true;
    default:
        return false;
    }
}

bool toggleMarker(TPexScript& script, int line) {
    tpexFeedbackData& listing = script.feedback;
    if (!isMarkerLine(listing, line)) return false;
    const tpexObjLine& entry = listing.LineList[line - 1];
    switch (entry.datatype) {
    case pexLineState: {
        auto* state = static_cast<TPexState*>(const_cast<void*>(entry.pdata));
        state->open = !state->open;
        break;
    }
    case pexLineFunction: {
        auto* function = static_cast<TpexFunc*>(const_cast<void*>(entry.pdata));
        function->open = !function->open;
        break;
    }
    case pexLineVarsSection:
        listing.varOpen = !listing.varOpen;
        break;
    case pexLinePropsSection:
        listing.propOpen = !listing.propOpen;
        break;
    default:
        listing.structOpen = !listing.structOpen;
        break;
    }
    buildListing(script);
    return true;
}

int gutterJumpTarget(const QStringList& lines, int line) {
    if (line < 1 || line > lines.size()) return 0;
    const QString& text = lines[line - 1];
    const qsizetype at = text.indexOf(QLatin1String("jump"));
    if (at < 0) return 0;
    bool ok = false;
    const int offset = text.mid(at + 4).trimmed().toInt(&ok);
    const qint64 target = qint64(line) + (ok ? offset : 0);
    if (target < 1 || target > lines.size()) return 0;
    return static_cast<int>(target);
}
