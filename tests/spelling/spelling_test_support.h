// Spelling tests: a workspace in a temporary program folder with the spelling library handed over, the Debian
// French and English dictionaries (hunspell-fr, hunspell-en-us) found in the system's folder.
#pragma once

#include "core/QUILL_helpers.h"
#include "core/QUILL_startup.h"
#include "dictionary/QUILL_dictionary.h"
#include "scripted_host.h"
#include "spelling/QUILL_spellingLibrary.h"
#include "temp_program_dir.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"
#include "workspace/QUILL_wsSpelling.h"

#include <QFile>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

struct TSpellingWorkspace {
    TScriptedHost host;
    TWorkspace ws{&host};

    TSpellingWorkspace(const TTempProgramDir& dir, const QString& language) {
        startApplication(ws.app, dir.path());
        ws.app.state.SourceLang = QStringLiteral("en");
        ws.app.state.DestLang = language;
        setSpellerFactory(ws, quillspell::spellingLibraryFactory());
    }

    // The unknown words of a text, as the editor underlines them.
    QStringList unknown(const QString& text, const QString& source = QString()) {
        QStringList words;
        for (const quillspell::rUnknownWord& w : unknownWordsInText(ws, text, source))
            words << w.word;
        return words;
    }

    // A translated entry of the loaded lists.
    tSkyStr* add(int list, const QString& source, const QString& translation) {
        ws.loadedLists[list].push_back(
            std::make_unique<tSkyStr>(source, translation, list, 0u, 99, sStrParams{sStrParam::translated}));
        return ws.loadedLists[list].back().get();
    }

    // Writes a user dictionary of (source, translation) pairs and loads the vocabulary from it.
    void loadVocabulary(const std::vector<std::pair<QString, QString>>& pairs) {
        tListSet lists;
        uint32_t id = 1;
        for (const auto& [source, translation] : pairs)
            lists[0].push_back(
                std::make_unique<tSkyStr>(source, translation, 0, id++, 0, sStrParams{sStrParam::validated}));
        const TAppState& st = ws.app.state;
        ASSERT_TRUE(quilldict::writeDictionary(
            ws.app, lists, st.userDictionaryFolder + dictionaryFileName(st, QStringLiteral("fallout4"), "sst")));
        ::loadVocabulary(ws);
    }
};

// Copies a system dictionary's two files into the program folder under other names.
inline bool copySystemDictionary(const TTempProgramDir& dir, const QString& systemName, const QString& asAff,
                                 const QString& asDic) {
    const QString from = QStringLiteral("/usr/share/hunspell/") + systemName;
    QDir().mkpath(QFileInfo(dir.file(asAff)).path());
    return QFile::copy(from + QStringLiteral(".aff"), dir.file(asAff)) &&
           QFile::copy(from + QStringLiteral(".dic"), dir.file(asDic));
}
