// Helpers of the dictionary tests: a workspace in a temporary program folder, entries linked to hand-built plugin
// records, and raw dictionary bytes of every version.
#pragma once

#include "core/QUILL_cursor.h"
#include "core/QUILL_startup.h"
#include "dictionary/QUILL_dictionary.h"
#include "plugin/QUILL_espTree.h"
#include "scripted_host.h"
#include "temp_program_dir.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"

#include <QFile>
#include <memory>
#include <stdexcept>
#include <vector>

struct TDictionaryFixture {
    TTempProgramDir dir;
    TScriptedHost host;
    TWorkspace ws{&host};

    // With withUiText the bundled data (UI texts included) is copied in; else every text shows as its key.
    explicit TDictionaryFixture(bool withUiText = false) : dir(withUiText) {
        startApplication(ws.app, dir.path());
        ws.app.state.SourceLang = QStringLiteral("en");
        ws.app.state.DestLang = QStringLiteral("fr");
    }
    TAppState& st() { return ws.app.state; }
    QString userFile(const QString& name) const { return dir.file(QStringLiteral("UserDictionary/") + name); }
    QString writeUser(const QString& name, const QByteArray& bytes) const {
        return dir.write(QStringLiteral("UserDictionary/") + name, bytes);
    }
    QString writeCache(const QString& name, const QByteArray& bytes) const {
        return dir.write(QStringLiteral("Cache/") + name, bytes);
    }
    tSkyStr* add(int list, const QString& source, const QString& translation = QString(), sStrParams sp = {},
                 uint32_t id = 0) {
        auto e = std::make_unique<tSkyStr>(source, translation.isNull() ? source : translation, list, id, 99, sp);
        tSkyStr* p = e.get();
        ws.loadedLists[list].push_back(std::move(e));
        return p;
    }
};

// Plugin records and fields built by hand, owning what entries link to.
struct TFakePlugin {
    std::vector<std::unique_ptr<trecord>> records;

    trecord* record(const char* sig, uint32_t formID, const QString& edid) {
        rGenericHeader gh;
        gh.name = sHeaderSig::fromBytes(sig);
        auto r = std::make_unique<trecord>(gh);
        r->headerData.formID = formID;
        // Room for every field a test adds: fields never move once entries point at them.
        r->fList.reserve(kFieldsPerRecord);
        if (!edid.isEmpty()) {
            tField& f = r->fList.emplace_back();
            f.header.name = sHeaderSig('E', 'D', 'I', 'D');
            f.buffer = edid.toLatin1() + QByteArray(1, '\0');
            r->nameField = &f;
        }
        r->edidNameHash = textHash(edid);
        records.push_back(std::move(r));
        return records.back().get();
    }
    static constexpr size_t kFieldsPerRecord = 16;
    tField* field(trecord* r, const char* sig, uint16_t index = 0, uint16_t indexMax = 0) {
        if (r->fList.size() == r->fList.capacity()) throw std::logic_error("more fields than kFieldsPerRecord");
        tField& f = r->fList.emplace_back();
        f.header.name = sHeaderSig::fromBytes(sig);
        f.rIndex = {index, indexMax};
        f.hasCR = true;
        return &f;
    }
    // Links `entry` to a new field of `r`.
    void link(tSkyStr* entry, trecord* r, const char* sig, uint16_t index = 0, uint16_t indexMax = 0) {
        tField* f = field(r, sig, index, indexMax);
        f->sk = entry;
        entry->AssignEspdata(r, f);
    }
};

// Raw dictionary bytes, for the versions this system only reads.
struct TRawDictionary {
    int version;
    QByteArray bytes;

    explicit TRawDictionary(int v) : version(v), bytes(quilldict::dictionaryMagic(v)) {
        if (v == 4) bytes.append('\0');
    }
    static void text(QByteArray& out, const QString& t) { quilldict::appendSizedText(out, t); }
    TRawDictionary& record(uint8_t list, const QString& source, const QString& translation, uint8_t flags = 1,
                           uint32_t stringID = 0, uint32_t formID = 0, const char* sig = "FULL", uint16_t index = 0,
                           uint16_t indexMax = 0, uint32_t edidHash = 0) {
        binary_out::u8(bytes, list);
        if (version >= 2) {
            binary_out::u32le(bytes, stringID);
            binary_out::u32le(bytes, formID);
            bytes.append(sig, 4);
        }
        if (version >= 3) binary_out::u16le(bytes, index);
        if (version >= 4) {
            binary_out::u16le(bytes, indexMax);
            binary_out::u32le(bytes, edidHash);
        }
        binary_out::u8(bytes, flags);
        text(bytes, source);
        text(bytes, translation);
        return *this;
    }
};

inline constexpr uint8_t bitOf(sStrParam p) {
    return static_cast<uint8_t>(1u << static_cast<int>(p));
}
