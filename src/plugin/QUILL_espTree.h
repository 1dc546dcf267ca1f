// The in-memory plugin: groups, records and fields as read, with what the writer needs to write them back.
#pragma once

#include "strings/QUILL_typedef.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// The 8-byte header every object starts with.
struct rGenericHeader {
    sHeaderSig name;
    uint32_t dsize = 0;
};

// The 16 bytes after a record's generic header.
struct rGenericHeaderData {
    uint32_t flags = 0;
    uint32_t formID = 0;
    uint32_t Version = 0;
    uint16_t fVersion = 0;
    uint16_t vInfo = 0;
};

// The 16 bytes after a group's generic header.
struct rGrupheader {
    uint32_t sIdent = 0;
    uint32_t sType = 0;
    uint16_t sTStamp = 0;
    uint16_t param1 = 0;
    uint16_t param2 = 0;
    uint16_t param3 = 0;
};

// A field's 6-byte header.
struct hField {
    sHeaderSig name;
    uint16_t dsize = 0;
};

enum class sfieldParam : uint8_t { notNull = 0, compared = 1, isString = 2, isEdid = 3 };
using sfieldParams = TFlagSet<sfieldParam, uint8_t>;

enum class sRecordType : uint8_t { sRecord, sGrup };

enum class TZCompressionLevel : uint8_t { zcNone, zcFastest, zcDefault, zcMax };

constexpr uint32_t kRecordFlagCompressed = 0x00040000u;
constexpr uint32_t kRecordFlagLocalized = 0x80u;

class tField {
public:
    hField header;
    sfieldParams params;
    int maxStrSize = 0;
    tSkyStr* sk = nullptr; // not owned
    uint8_t listIndex = 0;
    bool hasCR = false;
    rFieldIndex rIndex;
    QByteArray buffer; // the data exactly as read; text fields include their terminating zero
};

class tGenericRecord {
public:
    tGenericRecord(const rGenericHeader& gh, sRecordType s) : sType(s), header(gh) {}
    virtual ~tGenericRecord() = default;
    sRecordType sType;
    rGenericHeader header;
    QString getname() const { return header.name.toString(); }
};

class tGrup : public tGenericRecord {
public:
    explicit tGrup(const rGenericHeader& gh) : tGenericRecord(gh, sRecordType::sGrup) {}
    rGrupheader headerData;
    int64_t endPos = 0;
    bool grupString = false;
};

class trecord : public tGenericRecord {
public:
    explicit trecord(const rGenericHeader& gh) : tGenericRecord(gh, sRecordType::sRecord) {}
    tField* nameField = nullptr; // one of fList
    QString edidNameString;
    TZCompressionLevel zcomp = TZCompressionLevel::zcNone;
    bool rawRec = false;
    QByteArray buffer;
    std::vector<std::unique_ptr<tField>> fList;
    rGenericHeaderData headerData;
    void* espRec = nullptr; // the record's node in the plugin tree; not owned
    uint32_t edidNameHash = 0;
    bool compressed = false;

    // The EDID text: the name field's data without its terminating zero, else the text kept for a raw record.
    QString EdidNameEx() const;
    // EdidNameEx, or the form id as eight hex digits ("[%.8x]" when formatted) when it is empty.
    QString EdidName(bool formatted) const;
};
