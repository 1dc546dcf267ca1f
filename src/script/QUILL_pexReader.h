// Reading compiled scripts into the object model (QUILL_scriptPex.h). Every read goes through the bounds-checked
// cursor, so a body that ends before its layout does stops with the body error report instead of reading past the
// data. The reader sets no string flags: the string-use rules (QUILL_pexRules.h) do that from the model.
#pragma once

#include "core/QUILL_error.h"
#include "script/QUILL_scriptPex.h"

#include <QByteArray>
#include <QString>

class TAppContext;
class TBinaryCursor;

// A bad string index or opcode. The message is the untranslated form; `detailKey` names the UI text of the detail.
class TPexFormatError : public TQuillError {
public:
    explicit TPexFormatError(const QString& key)
        : TQuillError(QStringLiteral("fbk_pexError: ") + key), detailKey(key) {}
    QString detailKey;
};

// Reads one value at the cursor: a type byte and its payload, in the file's byte order. A string index is checked
// against `tableSize` (TPexFormatError); a value cut short throws the cursor's error.
TpexVarData readPexValue(TBinaryCursor& cursor, bool bigEndian, size_t tableSize);

// Resets `script` and parses `data` into it (the script keeps the bytes, shared). True when the magic matched and the
// head and string table were read; a failure there is reported through `app` (when given). A body error is reported
// and recorded in bodyError, and leaves the load usable.
bool parsePex(TPexScript& script, const QByteArray& data, TAppContext* app);
// Reads the whole file and parses it; a file that cannot be read is reported and gives false.
bool loadPexFile(TPexScript& script, const QString& fileName, TAppContext* app);
