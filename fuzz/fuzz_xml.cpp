// Fuzz target: the XML exchange import, parsed and applied to a small plugin-less list in both work modes.
#include "dictionary/QUILL_xml.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        quilldict::TSortedBatch batch;
        std::vector<rXmlPendingRef> pending;
        parseXmlImport(bytes, batch, pending);
        tListSet work;
        batch.mergeInto(work);
        std::vector<tEspStrRef> refs;
        for (const auto& p : pending)
            refs.emplace_back(batch.standsFor(p.seq), 0u, 0u, p.formHash, p.fName, uint16_t(0), uint16_t(0),
                              p.sourceHash);
        tSkyStrList target;
        target.push_back(std::make_unique<tSkyStr>(QStringLiteral("Hello"), QStringLiteral("Hello"), 0, 1u, 99));
        target.push_back(std::make_unique<tSkyStr>(QString(), QString(), 0, 2u, 99));
        // References keyed by plugin field, then by string id.
        for (const TReferenceKey key : {TReferenceKey::pluginField, TReferenceKey::stringId}) {
            rPassContext context;
            context.references = key;
            std::vector<tEspStrRef> keyed = refs;
            sortXmlReferences(keyed, key);
            xmlReferenceMatch(keyed, target, context);
        }
        rPassContext context;
        markDuplicateSources(work, sStrInternalParam::nTrans);
        exactMatch(work[0], target, true, context);
    } catch (const TQuillError&) {
    }
    return 0;
}
