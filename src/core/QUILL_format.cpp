// printf-like formatting with checked arguments.
#include "core/QUILL_format.h"

namespace {

bool isNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<QString> formatText(const QString& format, const QVariantList& args) {
    QString out;
    out.reserve(format.size() + 16);
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != QLatin1Char('%')) {
            out.append(c);
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == QLatin1Char('%')) {
            out.append(QLatin1Char('%'));
            ++i;
            continue;
        }
        // %[-][0][width][.precision]type
        qsizetype j = i + 1;
        bool leftAlign = false, zeroPad = false;
        while (j < format.size() && (format[j] == QLatin1Char('-') || format[j] == QLatin1Char('0'))) {
            if (format[j] == QLatin1Char('-'))
                leftAlign = true;
            else
                zeroPad = true;
            ++j;
        }
        int width = 0;
        while (j < format.size() && format[j].isDigit())
            width = width * 10 + format[j++].digitValue();
        int precision = -1;
        if (j < format.size() && format[j] == QLatin1Char('.')) {
            ++j;
            precision = 0;
            while (j < format.size() && format[j].isDigit())
                precision = precision * 10 + format[j++].digitValue();
        }
        if (j >= format.size()) return std::nullopt;
        const QChar type = format[j].toLower();
        if (next >= args.size()) return std::nullopt;
        const QVariant& arg = args[next++];
        QString piece;
        QChar pad = QLatin1Char(' ');
        switch (type.unicode()) {
        case 's':
            piece = arg.toString();
            if (precision >= 0) piece.truncate(precision);
            break;
        case 'd':
        case 'u':
            if (!isNumber(arg)) return std::nullopt;
            piece = type == QLatin1Char('u') ? QString::number(arg.toULongLong()) : QString::number(arg.toLongLong());
            if (precision > 0) piece = piece.rightJustified(precision, QLatin1Char('0'));
            break;
        case 'x':
            if (!isNumber(arg)) return std::nullopt;
            piece = QString::number(arg.toULongLong() & 0xFFFFFFFFull, 16);
            if (format[j] == QLatin1Char('X')) piece = piece.toUpper();
            if (precision > 0) piece = piece.rightJustified(precision, QLatin1Char('0'));
            break;
        case 'f':
        case 'n':
            if (!isNumber(arg)) return std::nullopt;
            piece = QString::number(arg.toDouble(), 'f', precision < 0 ? 6 : precision);
            break;
        default:
            return std::nullopt;
        }
        if (zeroPad && !leftAlign && type != QLatin1Char('s')) pad = QLatin1Char('0');
        if (piece.size() < width)
            piece = leftAlign ? piece.leftJustified(width, QLatin1Char(' ')) : piece.rightJustified(width, pad);
        out.append(piece);
        i = j;
    }
    if (next != args.size()) return std::nullopt;
    return out;
}
