// printf-like formatting of UI text values (%s, %d, %u, %x, %.8x, %.2f ...) with checked arguments.
#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// Formats `format` with `args`. Returns nothing when the placeholders and the arguments do not match
// (too few or too many arguments, or an argument of the wrong kind for its placeholder).
std::optional<QString> formatText(const QString& format, const QVariantList& args);
