// The spelling library behind TSpeller (Nuspell). The mains hand spellingLibraryFactory() to the workspace; nothing
// else sees the library.
#pragma once

#include "aids/QUILL_speller.h"

namespace quillspell {

// Loads a Hunspell-format dictionary; null with the reason in `error` when its files cannot be read.
std::unique_ptr<TSpeller> loadLibrarySpeller(const rSpellingDictionary& dictionary, QString* error);
// loadLibrarySpeller as the workspace takes it.
TSpellerFactory spellingLibraryFactory();

} // namespace quillspell
