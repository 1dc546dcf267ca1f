// The in-memory plugin: groups, records and fields as read, with what the writer needs to write them back, and the
// owning plugin tree the views walk.
#pragma once

#include "core/QUILL_cursor.h"
#include "strings/QUILL_typedef.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class TAppContext;
class TRecordDefinitions;
class tPluginNode;

// Bytes a plugin object holds: a part of a shared buffer (the file's bytes, a record's inflated fields) that it
// keeps alive, or bytes of its own. Copies share the buffer; nothing is copied until new bytes are put in. A part
// is at most 4 GB, as every size in a plugin is; it is kept as an offset into its buffer, and the buffer is held
// through one counted block of its own (a plugin holds millions of these: 16 bytes each, where a QByteArray with an
// offset takes 32). Parts of one buffer are made from a TSharedBytes of it, so that they share its block.
class TSharedBytes {
public:
    TSharedBytes() = default;
    // Bytes of its own (less than 4 GB).
    TSharedBytes(QByteArray bytes);
    // `part` of `owner`, which stays alive as long as the part does; a part outside `owner` is copied. Each call
    // makes a new block for `owner`: many parts of one buffer are taken with part().
    TSharedBytes(const QByteArray& owner, QByteArrayView part);
    TSharedBytes(const TSharedBytes& other) noexcept
        : buffer_(other.buffer_), offset_(other.offset_), size_(other.size_) {
        if (buffer_) buffer_->refs.fetch_add(1, std::memory_order_relaxed);
    }
    TSharedBytes& operator=(const TSharedBytes& other) noexcept {
        TSharedBytes copy(other);
        swap(copy);
        return *this;
    }
    // A moved-from value is empty.
    TSharedBytes(TSharedBytes&& other) noexcept
        : buffer_(std::exchange(other.buffer_, nullptr)), offset_(std::exchange(other.offset_, 0)),
          size_(std::exchange(other.size_, 0)) {}
    TSharedBytes& operator=(TSharedBytes&& other) noexcept {
        TSharedBytes moved(std::move(other));
        swap(moved);
        return *this;
    }
    ~TSharedBytes() { release(); }

    QByteArrayView view() const { return QByteArrayView(constData(), size_); }
    qsizetype size() const { return size_; }
    bool isEmpty() const { return size_ == 0; }
    const char* constData() const { return buffer_ ? buffer_->bytes.constData() + offset_ : nullptr; }
    char operator[](qsizetype i) const { return constData()[i]; }
    // A part of the buffer these bytes lie in (else it is copied), sharing it.
    TSharedBytes part(QByteArrayView sub) const;
    // The whole buffer these bytes lie in.
    QByteArrayView buffer() const { return buffer_ ? QByteArrayView(buffer_->bytes) : QByteArrayView(); }
    // The bytes without the last one (a text without its terminating zero).
    TSharedBytes withoutLastByte() const { return isEmpty() ? *this : part(view().first(size() - 1)); }
    // The bytes in an array of their own, so that the buffer they came from can go.
    TSharedBytes detached() const { return TSharedBytes(toByteArray()); }
    QByteArray toByteArray() const { return view().toByteArray(); }
    void clear() { *this = TSharedBytes(); }

    friend bool operator==(const TSharedBytes& a, QByteArrayView b) { return a.view() == b; }
    friend bool operator!=(const TSharedBytes& a, QByteArrayView b) { return !(a == b); }

private:
    struct rBuffer {
        std::atomic<int> refs{1};
        QByteArray bytes;
    };
    void swap(TSharedBytes& other) noexcept {
        std::swap(buffer_, other.buffer_);
        std::swap(offset_, other.offset_);
        std::swap(size_, other.size_);
    }
    void release() noexcept {
        if (buffer_ && buffer_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete buffer_;
        buffer_ = nullptr;
    }

    rBuffer* buffer_ = nullptr;
    uint32_t offset_ = 0;
    uint32_t size_ = 0;
};
static_assert(sizeof(void*) != 8 || sizeof(TSharedBytes) == 16);

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

// `opaque`: a run of fields nothing reads one by one, held as the bytes read (their headers included) in one field.
enum class sfieldParam : uint8_t { notNull = 0, compared = 1, isString = 2, isEdid = 3, opaque = 4 };
using sfieldParams = TFlagSet<sfieldParam, uint8_t>;

enum class sRecordType : uint8_t { sRecord, sGrup };

enum class TZCompressionLevel : uint8_t { zcNone, zcFastest, zcDefault, zcMax };
// The zlib level of a compression level (zcDefault is zlib's own default, -1).
int zlibLevel(TZCompressionLevel level);

constexpr uint32_t kRecordFlagCompressed = 0x00040000u;
constexpr uint32_t kRecordFlagLocalized = 0x80u;
constexpr int kObjectHeaderSize = 24;
constexpr int kFieldHeaderSize = 6;
// The most fields one record may hold: a field's position among those of its signature is 16-bit (rFieldIndex).
constexpr size_t kMaxRecordFields = 0xFFFF;

inline constexpr sHeaderSig kSigGRUP{'G', 'R', 'U', 'P'};
inline constexpr sHeaderSig kSigTES4{'T', 'E', 'S', '4'};
inline constexpr sHeaderSig kSigXXXX{'X', 'X', 'X', 'X'};
inline constexpr sHeaderSig kSigEDID{'E', 'D', 'I', 'D'};
// The dialogue records: a quest's group, a topic and its responses.
inline constexpr sHeaderSig kSigQUST{'Q', 'U', 'S', 'T'};
inline constexpr sHeaderSig kSigDIAL{'D', 'I', 'A', 'L'};
inline constexpr sHeaderSig kSigINFO{'I', 'N', 'F', 'O'};

// Visits the fields laid out in `data` in order: visit(signature, 16-bit size as written, field data). A field after an
// XXXX field takes the XXXX's value as its size. Throws TQuillError when a field passes the end of `data`.
template <typename Visit> void forEachFieldIn(QByteArrayView data, const Visit& visit) {
    TBinaryCursor cursor(data);
    uint32_t pending = 0;
    while (!cursor.atEnd()) {
        const QByteArrayView head = cursor.view(kFieldHeaderSize);
        const sHeaderSig sig = sHeaderSig::fromBytes(head.data());
        const uint16_t dsize =
            static_cast<uint16_t>(static_cast<uint8_t>(head[4]) | (static_cast<uint8_t>(head[5]) << 8));
        const QByteArrayView fieldData = cursor.view(pending ? pending : dsize);
        pending = sig == kSigXXXX ? TBinaryCursor(fieldData).u32le() : 0;
        visit(sig, dsize, fieldData);
    }
}

// Encodes a translation for a field: the encoded text followed by one zero byte, not cut. A null function keeps
// the stored bytes (the no-conversion code page).
using tFieldEncoder = std::function<QByteArray(const QString& text)>;

class tField {
public:
    // Ordered for size: a big plugin holds millions of fields.
    hField header;
    sfieldParams params;
    uint8_t listIndex = 0;
    int maxStrSize = 0;
    rFieldIndex rIndex;
    tSkyStr* sk = nullptr; // not owned
    TSharedBytes buffer;   // the data exactly as read; text fields include their terminating zero
    bool hasCR = false;
    bool changed = false;       // the data differs from what was read
    bool sizeInXXXX = false;    // the writer announces this text, grown past 65535 bytes, by an XXXX field of its own
    uint16_t originalDsize = 0; // the 16-bit size as read

    tField() = default;
    tField(tField&&) noexcept = default;
    tField& operator=(tField&&) noexcept = default;
    tField(const tField& other);
    tField& operator=(const tField& other);

    // The data as read: kept once the data changed (a field that never changes keeps no second copy).
    const TSharedBytes& originalBuffer() const { return original_ ? *original_ : buffer; }
    // Keeps the present data as the data as read, before a first change.
    void keepOriginal() {
        if (!changed && !original_) original_ = std::make_unique<TSharedBytes>(buffer);
    }
    // Back to the data as read.
    void restoreOriginal() {
        if (original_) buffer = *original_;
        changed = false;
    }

    // Writes the translation into the field. A one-character source with an empty translation writes a single
    // blank. A translation equal to the source keeps the bytes as read when `keepWhenSame` (same code page both
    // ways), so an untouched text is written back byte for byte.
    void updateBuffer(const QString& s, const QString& strans, const tFieldEncoder& encode, bool keepWhenSame);

private:
    std::unique_ptr<TSharedBytes> original_;
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

    void setData(const rGrupheader& h, int64_t eP) {
        headerData = h;
        endPos = eP;
    }
    // "GRUP - WEAP", "GRUP - [0000001f]".
    QString getname() const;
    // The label: "[%.8x]" for group types 1 to 10, else its four characters.
    QString GetGrupSubName() const;
};

// Groups nest a few levels deep in the game's own files; a deeper file is refused, so that the walks over the
// tree (and its destruction) never recurse deeply.
constexpr int kMaxGroupDepth = 32;

// What one file's read may cost beyond its own bytes, so that a small hostile file cannot take gigabytes: the bytes
// its compressed records inflate to, and the field objects made (each costs about 150 bytes, whatever its 6-byte
// header in the file holds). Shared by the threads of one read.
class TPluginReadBudget {
public:
    explicit TPluginReadBudget(qsizetype fileSize);
    // False when the file's total would pass its bound; the amount is taken either way.
    bool takeInflated(uint64_t bytes);
    bool takeFields(uint64_t count);

private:
    std::atomic<uint64_t> inflated_{0};
    std::atomic<uint64_t> fields_{0};
    uint64_t maxInflated_;
    uint64_t maxFields_;
};

// What the reader reports while it reads.
struct rPluginReadContext {
    const TRecordDefinitions* defs = nullptr;
    // The UI text of the reader's own messages (without it, a message is its key).
    const TAppContext* app = nullptr;
    // The bounds of the file being read; each reader sets one up for its file when none is given.
    TPluginReadBudget* budget = nullptr;
    // A compressed record that does not inflate (it is kept raw).
    std::function<void(const class trecord&)> inflateFailed;
    // Called every 50 objects with the stream position.
    std::function<void(qsizetype position)> progress;
    // A tree read of at least this many bytes goes on two threads when the machine has them.
    qsizetype splitFrom = 4 * 1024 * 1024;
    // A plain tree read keeps every field as a field of its own (else collapseOpaqueFields runs).
    bool keepEveryField = false;
};

class trecord : public tGenericRecord {
public:
    explicit trecord(const rGenericHeader& gh) : tGenericRecord(gh, sRecordType::sRecord) {}
    // Members ordered for size (a big plugin holds a million records): 136 bytes, a block of 144 with the
    // allocator's header.
    uint32_t edidNameHash = 0;
    tField* nameField = nullptr; // one of fList (the last non-empty EDID), unless the EDID went into an opaque run
    TSharedBytes edidNameString; // the EDID bytes (without the terminating zero) kept without a name field
    // Raw record: its data exactly as read (compressed if it was). Parsed record: empty, except while the writer
    // holds a recompressed record's data.
    TSharedBytes buffer;
    // The fields in file order, in one block. Once read, a record's fields never move (entries point at them): only
    // the pruning and the opaque runs made while a file is read change them.
    std::vector<tField> fList;
    rGenericHeaderData headerData;
    tPluginNode* espRec = nullptr; // the record's node in the plugin tree; not owned
    // A parsed record's data exactly as read, written back as it is while no field changed.
    TSharedBytes sourceData;
    TZCompressionLevel zcomp = TZCompressionLevel::zcNone;
    bool rawRec = false;
    bool compressed = false;

    bool rawrecord() const { return rawRec; }
    bool isCompressedFlag() const { return (headerData.flags & kRecordFlagCompressed) != 0; }
    // Takes the record's data (the dsize bytes after its 24-byte header) and parses its fields. Throws TQuillError
    // when the file passes the bounds of ctx.budget.
    void assignData(const TSharedBytes& data, const rPluginReadContext& ctx);
    void clearFields();
    // Points nameField at the last field marked isEdid (after fields were removed).
    void findNameField();
    void parseFields(const TSharedBytes& data, const rPluginReadContext& ctx);
    void readCompressed(const TSharedBytes& data, const rPluginReadContext& ctx);
    void keepEdidName();
    // Numbers each string field among the record's fields of its signature (rIndex), in one pass. Throws
    // TQuillError for a record of more than kMaxRecordFields fields.
    void computeFieldIndices();
    // Once the fields are numbered: each run of fields that are not texts, an INFO's DNAM or NAM2 or an XXXX before
    // one of those becomes one opaque field holding their bytes as read (a record of a big plugin keeps a few fields
    // instead of dozens); the name is then kept as a raw record keeps it. The writer writes such a field's bytes as
    // they are.
    void collapseOpaqueFields();
    // The fields the record was read with (before opaque runs were made); what its name shows.
    size_t fieldCount() const { return readFieldCount_ ? readFieldCount_ : fList.size(); }
    // False when a localized plugin needs nothing of this record.
    bool pruneForLocalized();
    // Drops every field that is not a string; false when nothing is left.
    bool pruneNonStrings();
    // Some field's data differs from what was read.
    bool dirty() const;
    // Recomputes the record's size and, for a changed compressed record, its compressed data.
    void rebuildData();

    // The EDID text: the name field's data without its terminating zero, else the text kept for a raw record.
    QString EdidNameEx() const;
    // EdidNameEx, or the form id as eight hex digits ("[%.8x]" when formatted) when it is empty.
    QString EdidName(bool formatted) const;
    // "WEAP [0001abcd] [3|0|0]".
    QString getname() const;
    // "WEAP MyGun[0001abcd] [3|0|0]".
    QString getStringName() const;

private:
    uint32_t readFieldCount_ = 0; // fList's size before collapseOpaqueFields, when it made runs
};

// The sizes on 64-bit builds. A record's first members fill its base's tail padding, which Microsoft's compiler
// leaves unused (its records are 8 bytes bigger).
#ifndef _MSC_VER
static_assert(sizeof(void*) != 8 || sizeof(trecord) <= 136);
#endif
static_assert(sizeof(void*) != 8 || sizeof(tField) <= 56);

// A node's children, with a vector's interface. Most nodes are records, which have none: the vector is held apart
// and made with the first child, so that a node is 32 bytes instead of 48 (a block of 48 instead of 64).
class TNodeChildren {
public:
    using tList = std::vector<std::unique_ptr<tPluginNode>>;
    using iterator = tList::iterator;
    using const_iterator = tList::const_iterator;

    bool empty() const { return list().empty(); }
    size_t size() const { return list().size(); }
    const std::unique_ptr<tPluginNode>& operator[](size_t i) const { return list()[i]; }
    std::unique_ptr<tPluginNode>& operator[](size_t i) { return (*list_)[i]; }
    const std::unique_ptr<tPluginNode>& at(size_t i) const { return list().at(i); }
    const std::unique_ptr<tPluginNode>& front() const { return list().front(); }
    const std::unique_ptr<tPluginNode>& back() const { return list().back(); }
    const_iterator begin() const { return list().begin(); }
    const_iterator end() const { return list().end(); }
    iterator begin() { return list_ ? list_->begin() : iterator(); }
    iterator end() { return list_ ? list_->end() : iterator(); }

    std::unique_ptr<tPluginNode>& emplace_back(std::unique_ptr<tPluginNode> node) {
        if (!list_) list_ = std::make_unique<tList>();
        return list_->emplace_back(std::move(node));
    }
    void push_back(std::unique_ptr<tPluginNode> node) { emplace_back(std::move(node)); }
    void pop_back() { list_->pop_back(); }
    void clear() { list_.reset(); }

private:
    const tList& list() const {
        static const tList none;
        return list_ ? *list_ : none;
    }
    std::unique_ptr<tList> list_;
};

// One node of the plugin tree; it owns its group or record and its children.
class tPluginNode {
public:
    std::unique_ptr<tGenericRecord> p; // null for the root
    tPluginNode* parent = nullptr;
    TNodeChildren children;
    int row = 0;         // position among the parent's children
    bool hidden = false; // a group without string records in a localized plugin

    tPluginNode* append(std::unique_ptr<tGenericRecord> object);
    tGrup* grup() const { return p && p->sType == sRecordType::sGrup ? static_cast<tGrup*>(p.get()) : nullptr; }
    trecord* record() const { return p && p->sType == sRecordType::sRecord ? static_cast<trecord*>(p.get()) : nullptr; }
    // The text the EspTree page shows: getStringName for a record, getname for a group.
    QString text() const;
    // Drawn grey and italic: a raw record, or a group without string records.
    bool dimmed() const;
    // Every node below this one in pre-order (file order), this one excluded.
    void forEachBelow(const std::function<void(tPluginNode&)>& visit);
    void forEachBelow(const std::function<void(const tPluginNode&)>& visit) const;
};

// The plugin as read: the file's bytes (raw records and unchanged fields point into them) and the tree of nodes.
class tPluginTree {
public:
    QByteArray fileData;
    tPluginNode root;
    // The flat reader's records, for plugin compare.
    std::vector<std::unique_ptr<trecord>> compareRecordList;

    void clear();
    bool empty() const { return root.children.empty(); }
    // Every node in pre-order (file order).
    void forEach(const std::function<void(tPluginNode&)>& visit);
    void forEach(const std::function<void(const tPluginNode&)>& visit) const;
    qsizetype nodeCount() const;
};

static_assert(sizeof(void*) != 8 || sizeof(tPluginNode) <= 32);

// Which dialogue topic an INFO record answers, one rule for every tool. Its responses group is the group the INFO lies
// in when that group is below the top level; the group's label is the topic's form id, and the topic is the first DIAL
// record with that form id standing before the INFO in the tree (a topic's responses group follows its record).
const tPluginNode* dialogueResponseGroup(const tPluginTree& tree, const tPluginNode& info);
// Visits, in tree order, every INFO record that has a topic, with that topic, until `visit` returns true.
void forEachDialogueResponse(const tPluginTree& tree,
                             const std::function<bool(const tPluginNode& info, const trecord& topic)>& visit);
