// What differs between platforms for the command line: raw bytes on standard output.
#pragma once

#include <QByteArray>

// Writes bytes to standard output unchanged (no line-end translation); false when they could not all be written.
bool writeStdoutBinary(const QByteArray& bytes);
