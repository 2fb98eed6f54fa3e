#pragma once
// A spelling dictionary of one language, as the spelling check sees it. The labels reach it as
// the bytes of their code page; decoding them, cutting them into words and asking the
// dictionary in its own encoding is the implementation's business.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lex {

class SpellChecker {
public:
    virtual ~SpellChecker() = default;
    // The user's own words, accepted besides the dictionary's: one word a line (blanks part
    // words too), UTF-8, or bytes of `codepage` where a line is not UTF-8. Replaces the
    // previous list; a check sets it before its first label.
    virtual void set_own_words(const std::string& list, int codepage) = 0;
    // The words of `label` (bytes of `codepage`; 65001 is UTF-8) that neither the dictionary
    // nor the own words accept, in label order, each once, as UTF-8. Words with digits are not
    // spelling and never doubted.
    virtual std::vector<std::string> doubtful_words(const std::string& label, int codepage) = 0;
};

// Opens the dictionary made of an affix file and a word file; nullptr when they cannot be read.
using OpenDictionary = std::function<std::unique_ptr<SpellChecker>(const std::string& aff_path,
                                                                   const std::string& dic_path)>;

} // namespace lex
