// The script listing builder: one line per header line, heading, member and instruction, so that a jump's operand
// is also the distance in lines to its target.
#include "script/QUILL_scriptListing.h"

#include "core/QUILL_error.h"
#include "script/QUILL_scriptPex.h"

#include <algorithm>

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
    TListingBuilder(const TPexScript& script, tpexFeedbackData& listing) : script_(script), listing_(listing) {}

    void add(uint8_t type, uint32_t element, const QString& text) {
        listing_.LineList.emplace_back(type, element);
        listing_.lines << text;
    }

    void listFunction(int32_t at, const QString& indent) {
        if (at < 0 || static_cast<size_t>(at) >= script_.pexFuncs.size()) return;
        const TpexFunc& function = script_.pexFuncs[static_cast<size_t>(at)];
        QStringList params;
        for (const TpexVarType& p : script_.params(function))
            params << script_.pexText(p.vType) + QLatin1Char(' ') + script_.pexText(p.name);
        add(pexLineFunction, static_cast<uint32_t>(at),
            marker(function.open) + indent + QStringLiteral(" function ") + script_.getReturnType(function) +
                script_.pexText(function.name) + QLatin1Char('(') + params.join(QStringLiteral(", ")) +
                QStringLiteral(")  ") + docText(script_.pexText(function.docString)));
        if (function.open) {
            const QString inner = indent + kTab;
            for (uint32_t i = 0; i < function.locals.count; ++i) {
                const TpexVarType& local = script_.pexVarTypes[function.locals.first + i];
                add(pexLineStructOrLocal, function.locals.first + i,
                    inner + QStringLiteral("local.") + script_.pexText(local.vType) + QLatin1Char(' ') +
                        script_.pexText(local.name));
            }
            const std::span<const TpexOp> ops = script_.instructions(function);
            for (size_t i = 0; i < ops.size(); ++i)
                add(pexLineInstruction, static_cast<uint32_t>(function.instructions.first + i),
                    inner + instructionText(script_, ops[i], function));
            add(pexLineText, 0, indent + QStringLiteral(" endFunction"));
        }
        add(pexLineText, 0, QString());
    }

private:
    const TPexScript& script_;
    tpexFeedbackData& listing_;
};

} // namespace

QString docText(const QString& text) {
    return text.isEmpty() ? QString() : QLatin1Char('{') + text + QLatin1Char('}');
}

namespace {

// The texts below from operands already decoded (an instruction's texts decode them once).
QString operandOf(const TPexScript& script, const TPexOperands& args, int index) {
    if (index < 0 || index >= args.size()) return {};
    return script.getStrValue(args[index], false);
}

QString argumentsFrom(const TPexScript& script, const TPexOperands& args, int first) {
    QStringList parts;
    for (qsizetype i = std::max(first, 0); i < args.size(); ++i)
        parts << script.getStrValue(args[i], false);
    return parts.join(QStringLiteral(", "));
}

} // namespace

QString operandText(const TPexScript& script, const TpexOp& instruction, int index) {
    return operandOf(script, script.args(instruction), index);
}

QString argumentList(const TPexScript& script, const TpexOp& instruction, int first) {
    return argumentsFrom(script, script.args(instruction), first);
}

QString resultPrefix(const QString& text) {
    return text == QLatin1String("::NoneVar") ? QString() : text + QStringLiteral(" = ");
}

QString localType(const TPexScript& script, const QString& name, const TpexFunc& function) {
    for (const TpexVarType& local : script.locals(function))
        if (script.pexText(local.name) == name) return script.pexText(local.vType);
    return {};
}

QString arrayTypeWithSize(const QString& type, const QString& size) {
    const qsizetype at = type.indexOf(QLatin1Char(']'));
    if (at < 0) return type;
    return type.left(at) + size + type.mid(at);
}

QString instructionText(const TPexScript& script, const TpexOp& op, const TpexFunc& function) {
    TPexOperands operands; // decoded once for all the texts below
    try {
        operands = script.args(op);
    } catch (const TQuillError& error) {
        // The line says so instead of showing the instruction without its operands.
        return QStringLiteral("unreadable operands: %1").arg(error.message());
    }
    auto a = [&script, &operands](int i) { return operandOf(script, operands, i); };
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
        return fill(QStringLiteral("%s = %s as %s"), {a(0), a(1), localType(script, a(0), function)});
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
        return fill(QStringLiteral("%s%s.%s(%s)"),
                    {resultPrefix(a(2)), a(1), a(0), argumentsFrom(script, operands, 4)});
    case 24:
        return fill(QStringLiteral("%sparent.%s(%s)"), {resultPrefix(a(1)), a(0), argumentsFrom(script, operands, 3)});
    case 25:
        return fill(QStringLiteral("%s%s.%s(%s)"),
                    {resultPrefix(a(2)), a(0), a(1), argumentsFrom(script, operands, 4)});
    case 26:
        return fill(QStringLiteral("return %s"), {a(0)});
    case 28:
        return fill(QStringLiteral("%s = %s.%s"), {a(2), a(1), a(0)});
    case 29:
        return fill(QStringLiteral("%s.%s = %s"), {a(1), a(0), a(2)});
    case 30:
        return fill(QStringLiteral("%s = new %s"), {a(0), arrayTypeWithSize(localType(script, a(0), function), a(1))});
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

void ensureListing(TPexScript& script) {
    if (script.listingReady && script.feedback.lines.isEmpty()) buildListing(script);
}

void buildListing(TPexScript& script) {
    tpexFeedbackData& listing = script.feedback;
    listing.clearLineList();
    TListingBuilder b(script, listing);
    const auto text = [&script](uint16_t index) { return script.pexText(index); };
    for (const QString& line : listing.header)
        b.add(pexLineText, 0, line);
    b.add(pexLineText, 0, kSeparator);
    const QString quote = QStringLiteral("\"");
    for (const TpexObject& object : script.pexObjects) {
        b.add(pexLineText, 0,
              fill(QStringLiteral("objectName %s extends %s"), {text(object.name), text(object.parentClassName)}));
        b.add(pexLineText, 0, QStringLiteral("autoStateName: ") + quote + text(object.autoStateName) + quote);
        b.add(pexLineText, 0, QStringLiteral("flags: 0x%1").arg(object.userFlags, 8, 16, QLatin1Char('0')));
        const QString doc = text(object.docString);
        if (!doc.isEmpty()) b.add(pexLineText, 0, docText(doc));

        if (!script.bigEndian()) {
            b.add(pexLineText, 0, kSeparator);
            b.add(pexLineStructSection, 0,
                  marker(listing.structOpen) + QStringLiteral("Struct [count: %1]").arg(object.structs.count));
            if (listing.structOpen) {
                const std::span<const TpexStruct> structs = script.structs(object);
                for (size_t i = 0; i < structs.size(); ++i) {
                    const TpexStruct& s = structs[i];
                    b.add(pexLineStructOrLocal, static_cast<uint32_t>(object.structs.first + i),
                          kTab + hex2(static_cast<qsizetype>(i)) + QLatin1Char(' ') + text(s.name));
                    const std::span<const TpexVar> members = script.members(s);
                    for (size_t j = 0; j < members.size(); ++j) {
                        const TpexVar& m = members[j];
                        b.add(pexLineVariable, static_cast<uint32_t>(s.vList.first + j),
                              fill(QStringLiteral("%s%s %s %s %s"),
                                   {kTab + kTab, hex2(static_cast<qsizetype>(j)), text(m.vType), text(m.name),
                                    script.getStrValue(m.data, true)}));
                    }
                }
            }
        }

        b.add(pexLineText, 0, kSeparator);
        b.add(pexLineVarsSection, 0,
              marker(listing.varOpen) + QStringLiteral("vars [count: %1]").arg(object.variables.count));
        if (listing.varOpen) {
            const std::span<const TpexVar> variables = script.variables(object);
            for (size_t i = 0; i < variables.size(); ++i) {
                const TpexVar& v = variables[i];
                b.add(pexLineVariable, static_cast<uint32_t>(object.variables.first + i),
                      fill(QStringLiteral("%s%s %s %s %s"), {kTab, hex2(static_cast<qsizetype>(i)), text(v.vType),
                                                             text(v.name), script.getStrValue(v.data, true)}));
            }
        }

        b.add(pexLineText, 0, kSeparator);
        b.add(pexLinePropsSection, 0,
              marker(listing.propOpen) + QStringLiteral("properties [count: %1]").arg(object.properties.count));
        if (listing.propOpen) {
            const std::span<const TpexProp> properties = script.properties(object);
            for (size_t i = 0; i < properties.size(); ++i) {
                const TpexProp& p = properties[i];
                b.add(pexLineProperty, static_cast<uint32_t>(object.properties.first + i),
                      fill(QStringLiteral("%s%s %s %s %s"), {kTab, hex2(static_cast<qsizetype>(i)), text(p.pType),
                                                             text(p.name), docText(text(p.docString))}));
                const QString autoVar = text(p.autoVarName);
                if (!autoVar.isEmpty()) b.add(pexLineText, 0, kTab + QStringLiteral("   autoVarName ") + autoVar);
                b.listFunction(p.readHandler, kTab + kTab);
                b.listFunction(p.writeHandler, kTab + kTab);
            }
        }

        b.add(pexLineText, 0, kSeparator);
        const std::span<const TPexState> states = script.states(object);
        for (size_t i = 0; i < states.size(); ++i) {
            const TPexState& state = states[i];
            b.add(pexLineState, static_cast<uint32_t>(object.states.first + i),
                  marker(state.open) + QStringLiteral("state: ") + quote + text(state.name) + quote);
            if (state.open) {
                for (uint32_t f = 0; f < state.func.count; ++f)
                    b.listFunction(static_cast<int32_t>(state.func.first + f), kTab);
                b.add(pexLineText, 0, QStringLiteral("   endState"));
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
    case pexLineState:
        if (entry.index < script.pexStates.size())
            script.pexStates[entry.index].open = !script.pexStates[entry.index].open;
        break;
    case pexLineFunction:
        if (entry.index < script.pexFuncs.size())
            script.pexFuncs[entry.index].open = !script.pexFuncs[entry.index].open;
        break;
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
