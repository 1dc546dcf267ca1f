// The object model of a compiled script: value accessors, the operand decode the listing asks for, the value texts.
#include "script/QUILL_scriptPex.h"

#include "core/QUILL_cursor.h"
#include "script/QUILL_pexReader.h"

#include <QLocale>
#include <cstring>

namespace {

constexpr uint8_t kFixedOperands[pexMaxOpcode + 1] = {
    0,             // 0 no operation
    3, 3, 3, 3,    // 1-4 addition, subtraction
    3, 3, 3, 3,    // 5-8 multiplication, division
    3,             // 9 modulo
    2, 2, 2,       // 10-12 not, negation
    2, 2,          // 13 assignment, 14 cast
    3, 3, 3, 3, 3, // 15-19 comparisons
    1, 2, 2,       // 20-22 jumps
    4, 3, 4,       // 23-25 calls (+ variable arguments)
    1,             // 26 return
    3, 3, 3,       // 27 concatenation, 28-29 property get/set
    2, 2, 3, 3,    // 30-33 array create, length, get, set
    4, 4,          // 34-35 array find, rfind
    3,             // 36 is
    1, 3, 3,       // 37-39 struct create, get, set
    5, 5,          // 40-41 find struct, rfind struct
    3, 3, 1, 3, 1, // 42-46 add, insert, remove last, remove, clear
};

} // namespace

uint8_t pexFixedOperandCount(uint8_t opcode) {
    return opcode <= pexMaxOpcode ? kFixedOperands[opcode] : 0;
}

float TpexVarData::real() const {
    if (ident != pexValueFloat) return 0.0f;
    float f;
    std::memcpy(&f, &value, sizeof f);
    return f;
}

TpexVarData TpexVarData::ofReal(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof v);
    return {pexValueFloat, bits};
}

TPexOperands TPexScript::args(const TpexOp& op) const {
    TBinaryCursor cursor(pexData);
    cursor.seek(op.argsAt);
    TPexOperands out;
    for (uint32_t i = 0; i < op.argsCount; ++i)
        out.append(readPexValue(cursor, bigEndian(), pexStringTable.size()));
    return out;
}

QString TPexScript::getStrValue(const TpexVarData& data, bool addEqual) const {
    const QString prefix = addEqual ? QStringLiteral("= ") : QString();
    switch (data.ident) {
    case pexValueNone:
        return addEqual ? QString() : QStringLiteral("none");
    case pexValueIdentifier:
        return prefix + pexText(data.index());
    case pexValueString:
        return prefix + QLatin1Char('"') + pexText(data.index()) + QLatin1Char('"');
    case pexValueInteger:
        return prefix + QString::number(data.integer());
    case pexValueFloat: {
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return prefix + locale.toString(static_cast<double>(data.real()), 'f', 4);
    }
    case pexValueBool:
        return prefix + (data.boolean() ? QStringLiteral("True") : QStringLiteral("False"));
    default:
        return {};
    }
}

QString TPexScript::getReturnType(const TpexFunc& function) const {
    const QString type = pexText(function.rtype);
    if (type == QLatin1String("None")) return {};
    return type + QLatin1Char(' ');
}

void TPexScript::resetPex() {
    tpexFeedbackData listing = std::move(feedback);
    listing.reset();
    *this = TPexScript();
    feedback = std::move(listing);
}
