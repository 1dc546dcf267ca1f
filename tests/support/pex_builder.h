// Builds compiled script files for tests, benchmarks and the bundled sample: a string table interned as the body is
// written, in either byte order, and a sample script that uses every opcode.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// A value as written in the body: type byte then payload.
struct rPexVal {
    uint8_t type = 0;
    QString text;
    int32_t i = 0;
    float f = 0;
    bool b = false;

    static rPexVal none() { return {}; }
    static rPexVal id(const QString& t) { return {1, t}; }
    static rPexVal str(const QString& t) { return {2, t}; }
    static rPexVal integer(int32_t v) { return {3, {}, v}; }
    static rPexVal real(float v) { return {4, {}, 0, v}; }
    static rPexVal boolean(bool v) { return {5, {}, 0, 0, v}; }
};

struct rPexParam {
    QString name;
    QString type;
};

class TPexBuilder {
public:
    // Version major.minor; little-endian when major >= 3 and minor >= 9. `leMagic` picks the DE C0 57 FA form.
    TPexBuilder(uint8_t major, uint8_t minor, bool leMagic = true);

    bool bigEndian() const { return bigEndian_; }
    bool littleEndian() const { return !bigEndian_; }

    QString sourceName = QStringLiteral("QuillerySample.psc");
    QString userName = QStringLiteral("quillery");
    QString machineName = QStringLiteral("BUILDER");
    uint16_t gameId = 2;
    uint64_t compiledTime = 0x5F5E100ull;

    // Interns a text and returns its index (texts given first get the lowest indices).
    uint16_t str(const QString& text);
    // Adds a table entry even when an equal text exists (for duplicate-text tests).
    uint16_t addDuplicate(const QString& text);
    const QStringList& strings() const { return strings_; }

    // Body writers, in the file's byte order.
    void u8(uint8_t v) { body_.append(static_cast<char>(v)); }
    void u16(uint16_t v);
    void u32(uint32_t v);
    void u64(uint64_t v);
    void idx(const QString& text) { u16(str(text)); }
    void rawIndex(uint16_t index) { u16(index); }
    void value(const rPexVal& v);
    void raw(const QByteArray& bytes) { body_.append(bytes); }

    // Sections.
    void noDebug() { u8(0); }
    // The body up to the functions of a script with no debug data and no user flags, holding one object "Obj"
    // (no structs, variables or properties) with one unnamed state of `functions` functions, written next.
    void singleStateBody(uint16_t functions) {
        noDebug();
        userFlags({});
        u16(1);
        beginObject(QStringLiteral("Obj"), QString(), QString(), 0, QString());
        u16(0);
        u16(0);
        u16(0);
        u16(1);
        idx(QString());
        u16(functions);
    }
    void userFlags(const std::vector<std::pair<QString, uint8_t>>& flags);
    // Object heading up to and including the auto state name (const byte in little-endian files).
    void beginObject(const QString& name, const QString& parent, const QString& doc, uint32_t flags,
                     const QString& autoState);
    // A variable or struct member; `doc` is written for struct members of little-endian files.
    void variable(const QString& name, const QString& type, uint32_t flags, const rPexVal& initial,
                  bool structMember = false, const QString& doc = QString());
    // A function; `named` writes the name first (functions inside states).
    struct rInstruction {
        uint8_t op;
        std::vector<rPexVal> args;
    };
    void function(bool named, const QString& name, const QString& returnType, const QString& doc, uint32_t uflags,
                  uint8_t flags, const std::vector<rPexParam>& params, const std::vector<rPexParam>& locals,
                  const std::vector<rInstruction>& instructions);
    void instruction(const rInstruction& ins);

    // Head, string table and body. `countOverride` writes another string count; `dropStrings` leaves that many
    // strings off the end of the table.
    QByteArray build(std::optional<uint16_t> countOverride = {}) const;
    // Head up to the string count, for tests that compare it.
    QByteArray head(std::optional<uint16_t> countOverride = {}) const;

private:
    void stringBytes(QByteArray& out, const QByteArray& utf8) const;
    void number(QByteArray& out, uint64_t v, int bytes) const;

    uint8_t major_;
    uint8_t minor_;
    bool leMagic_;
    bool bigEndian_;
    QStringList strings_;
    QHash<QString, uint16_t> index_;
    QByteArray body_;
};

// The number of fixed operands of each opcode, from the format's table (independent of the reader's copy).
int expectedFixedOperands(uint8_t opcode);

// A script with one object, user flags, (little-endian: a struct and the debug tables), variables, properties with
// handlers, two states and a function that uses every opcode 0..46 once, plus the calls the untranslatable rules
// look at. Version 3.9 gives a little-endian file, 3.2 a big-endian one.
QByteArray buildSampleScript(uint8_t major, uint8_t minor);

// A large script of about `bytes` bytes (many functions of many instructions and strings), for benchmarks.
QByteArray buildLargeScript(qsizetype bytes);

// The bundled menu translation sample: UTF-16 LE with its mark, CR LF, comments and a few tricky lines.
QByteArray buildSampleMenuFile();
