// The entry libFuzzer calls, for the target named by LEXMARIN_FUZZ_TARGET at build time.

#include "fuzz_targets.h"

#include <cstdio>
#include <cstdlib>

namespace lex::fuzz {

void invariant_failed(const std::string& what) {
    std::fputs("INVARIANT FAILED: ", stderr);
    std::fwrite(what.data(), 1, what.size(), stderr);
    std::fputc('\n', stderr);
    std::abort();
}

} // namespace lex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return lex::fuzz::LEXMARIN_FUZZ_TARGET(data, size);
}
