// Raw standard output: Windows opens it in text mode, which would turn every LF byte into CR LF.
#include "QUILL_cliPlatform.h"

#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

bool writeStdoutBinary(const QByteArray& bytes) {
    std::fflush(stdout);
#ifdef _WIN32
    const int previous = _setmode(_fileno(stdout), _O_BINARY);
#endif
    const size_t written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
#ifdef _WIN32
    if (previous != -1) _setmode(_fileno(stdout), previous);
#endif
    return written == static_cast<size_t>(bytes.size());
}
