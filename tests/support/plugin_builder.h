// Builds plugin files in memory for tests, benchmarks, fuzz seeds and the sample mod: a TES4 header, nested groups
// and records with plain, XXXX-sized or compressed field data.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

struct rBuiltField {
    QByteArray sig;
    QByteArray data;
};

class TPluginBuilder {
public:
    // zlib levels for compressed records; kNotCompressed writes the fields as they are.
    static constexpr int kNotCompressed = -2;

    // The TES4 record (with HEDR and an author field); `localized` sets the localized flag.
    explicit TPluginBuilder(bool localized = false, uint32_t extraFlags = 0);

    // A top group (type 0) labelled with a record signature, or any group with a numeric label.
    TPluginBuilder& beginGroup(const char* signature);
    TPluginBuilder& beginGroup(uint32_t label, uint32_t type);
    TPluginBuilder& endGroup();
    // A record; with zlibLevel >= -1 its data is compressed at that level (and the compressed flag set).
    TPluginBuilder& record(const char* signature, uint32_t formId, const std::vector<rBuiltField>& fields,
                           int zlibLevel = kNotCompressed, uint32_t flags = 0);
    // A record whose data is given as it is (for damaged or unusual records).
    TPluginBuilder& rawRecord(const char* signature, uint32_t formId, const QByteArray& data, uint32_t flags = 0);
    // Appends bytes as they are (for truncated or inconsistent files).
    TPluginBuilder& rawBytes(const QByteArray& bytes);

    // Closes open groups and returns the file.
    QByteArray bytes();

    // Field helpers: a text with its terminating zero (UTF-8), a 32-bit value, raw bytes.
    static rBuiltField text(const char* sig, const QString& value);
    static rBuiltField u32(const char* sig, uint32_t value);
    static rBuiltField raw(const char* sig, const QByteArray& data);
    // The fields' bytes as a record holds them (an XXXX field before any field of more than 65535 bytes).
    static QByteArray fieldBytes(const std::vector<rBuiltField>& fields);

private:
    QByteArray out_;
    std::vector<qsizetype> open_;
};
