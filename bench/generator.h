#pragma once
// Synthetic TYP text files: N elements per kind, several languages per element, realistic
// bodies (Type, String, Xpm and colour lines), CR LF line ends.

#include <cstddef>
#include <string>

namespace lex::bench {

struct GenOptions {
    int elements_per_kind = 1000;
    int languages = 4;       // labels per element: English first, then others
    bool with_target = true; // whether German (0x02) labels are present
    unsigned seed = 1;
};

std::string generate_typ(const GenOptions& options);
// Elements per kind that give a file of about `bytes`.
int elements_for_size(std::size_t bytes, const GenOptions& options);

} // namespace lex::bench
