// XLIFF 1.2, the exchange format general translation tools read: writing a document's units and reading them back.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

// A unit's state as XLIFF 1.2 names it, folded to what an entry's status can hold.
enum class TXliffState {
    none,        // no state attribute (or one of a tool's own "x-" values)
    newUnit,     // "new": nothing translated yet
    translated,  // "translated", "signed-off"
    needsReview, // "needs-review-translation" and the other "needs-…" values
    final,       // "final", or approved="yes" without a state
};

struct rXliffUnit {
    QString id;
    QString resname; // a readable name for the unit (editor id, menu key); may be empty
    QString source;
    QString target;
    bool hasTarget = false;
    TXliffState state = TXliffState::none;
    QString note;
    // Read: the id a PO round trip keeps ("#: ID" comes back from po2xliff as a location context, the unit renumbered).
    QString locationId;
    int maxWidth = 0;    // longest target in characters; 0 for no limit
    bool markup = false; // read: the target holds inline elements this program cannot take over
};

struct rXliffDocument {
    QString original; // the file the units come from
    QString sourceLanguage;
    QString targetLanguage;
    std::vector<rXliffUnit> units;
};

enum class TXliffError { none, notXml, notXliff12, unitWithoutId };

struct rXliffReadResult {
    TXliffError error = TXliffError::none;
    QString detail; // the parser's own words, or the offset of the unit without id
};

// The state attribute value written for a state (empty for none).
QString xliffStateName(TXliffState state);
TXliffState xliffStateOf(const QString& name);

// Whether XML 1.0 can carry the text: no control character besides tab, line feed and carriage return, no lone
// surrogate, no U+FFFE or U+FFFF.
bool isXmlCharacterData(const QString& text);
// The code units (1, or 2 for a surrogate pair) of the character XML 1.0 can carry at `i` of `text`; 0 when it cannot
// carry the code unit there.
qsizetype xmlCharacterLength(const QString& text, qsizetype i);

// The UTF-8 bytes of an XLIFF 1.2 document with one file element. A translated or final unit is approved (what tools
// count as done); a new one has an empty target. Texts keep every character: carriage returns and
// tabs are written as character references and every unit preserves its blanks. The caller leaves out texts that
// fail isXmlCharacterData.
QByteArray writeXliff(const rXliffDocument& document);

// Reads every trans-unit of every file element (inside groups too) into `document.units`; the languages and the
// original name come from the first file element. Version 1.1 is read too: it has the same units, and po2xliff
// writes it. A PO header unit is no unit. Nothing is kept when the result is an error.
rXliffReadResult readXliff(QByteArrayView data, rXliffDocument& document);
