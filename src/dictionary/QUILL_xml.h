// The XML exchange file: building the export document, parsing an import into dictionary entries and references,
// and matching imported references by editor id, field and source text.
#pragma once

#include "dictionary/QUILL_dictionary.h"
#include "dictionary/QUILL_passes.h"
#include "strings/QUILL_typedef.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The Params block of the document.
struct rXmlParams {
    QString addon;
    QString source;
    QString dest;
};

// Whether an entry is exported: no isDeleted, Warning or nTrans; some translated, incompleteTrans or validated.
bool isExportedToXml(const tSkyStr& entry);

// The UTF-8 bytes of the export (indented, no declaration). With pluginDocument the entries linked to a plugin
// field carry EDID and REC. `progress` gets the count every 1000 entries.
QByteArray buildXmlExport(const rXmlParams& params, const tListSet& lists, bool pluginDocument,
                          const std::function<void(int)>& progress = {});

// An imported reference before its entry's survivor is known.
struct rXmlPendingRef {
    size_t seq;
    uint32_t formHash;
    sHeaderSig fName;
    uint32_t sourceHash;
};

// Parses an export into `batch` (one entry per String element with a list index 0 to 2) and `references`.
// A String whose Source or Dest holds elements (mark-up of another tool) is left out: its text is not what the
// element says. Returns the number left out so. `progress` gets the element count every 1000. Throws TQuillError
// when the document cannot be parsed.
int parseXmlImport(QByteArrayView data, quilldict::TSortedBatch& batch, std::vector<rXmlPendingRef>& references,
                   const std::function<void(int, int)>& progress = {});

// Sorts by (EDID hash, field signature, source hash); false outside plugin documents.
bool sortXmlReferences(std::vector<tEspStrRef>& references, TReferenceKey key);
// Applies sorted imported references to one list (plugin documents only).
void xmlReferenceMatch(const std::vector<tEspStrRef>& references, tSkyStrList& target, rPassContext& context);
