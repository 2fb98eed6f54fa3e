#pragma once
// Spelling with Hunspell: the dictionaries the system ships (.aff and .dic files).

#include "translate/spell_checker.h"
#include "translate/spelling.h"

namespace lex {

// Opens a Hunspell dictionary; nullptr when one of its files cannot be read.
std::unique_ptr<SpellChecker> open_hunspell(const std::string& aff_path,
                                            const std::string& dic_path);

// The system's Hunspell dictionaries, found where its convention keeps them ($DICPATH, the
// data folders), the user's locale choosing among a language's variants.
std::unique_ptr<SpellingDictionaries> system_spelling_dictionaries();

} // namespace lex
