// Fuzz target: the XLIFF 1.2 reader, and the writer's round trip over whatever the reader accepted: every unit read
// from any input must come back the same once written and read again.
#include "dictionary/QUILL_xliff.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool writable(const rXliffUnit& u) {
    return !u.markup && isXmlCharacterData(u.id) && isXmlCharacterData(u.resname) && isXmlCharacterData(u.source) &&
           isXmlCharacterData(u.target) && isXmlCharacterData(u.note);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    rXliffDocument document;
    if (readXliff(bytes, document).error != TXliffError::none) return 0;
    if (!isXmlCharacterData(document.original) || !isXmlCharacterData(document.sourceLanguage) ||
        !isXmlCharacterData(document.targetLanguage))
        return 0;
    std::vector<rXliffUnit> kept;
    for (const rXliffUnit& u : document.units)
        if (writable(u)) kept.push_back(u);
    document.units = kept;
    rXliffDocument again;
    if (readXliff(writeXliff(document), again).error != TXliffError::none) std::abort();
    if (again.units.size() != kept.size() || again.original != document.original ||
        again.sourceLanguage != document.sourceLanguage)
        std::abort();
    for (size_t i = 0; i < kept.size(); ++i) {
        const rXliffUnit& a = kept[i];
        const rXliffUnit& b = again.units[i];
        if (a.id != b.id || a.source != b.source || a.hasTarget != b.hasTarget || a.target != b.target ||
            a.state != b.state || a.resname != b.resname || a.note != b.note)
            std::abort();
    }
    return 0;
}
