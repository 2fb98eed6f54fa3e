#include "commands/help.h"

#include "document/folders.h"
#include "document/ui.h"
#include "view/state.h"
#include "view/window_state.h"

#include <cstdio>
#include <string_view>

namespace lex {

namespace {

// The program's public home page; empty while the project has none, and then the README that
// ships with the program stands in for it.
constexpr std::string_view kPublicHomePage = "";

bool unreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/' || c == ':';
}

} // namespace

std::string home_page(const State& st) {
    if (!kPublicHomePage.empty()) return std::string(kPublicHomePage);
    return file_address(shipped_file(st, "README.md"));
}

void check_online(State& st, Ui& ui) {
    close_language_lists(st);
    ui.open_url(home_page(st));
}

std::string about_version(const State& st) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(st.version));
    return std::string("Version ") + buf;
}

std::string file_address(const std::string& path) {
    std::string p = path;
#ifdef _WIN32
    for (char& c : p)
        if (c == '\\') c = '/';
#endif
    if (!p.starts_with('/')) p.insert(p.begin(), '/'); // "C:/x" becomes "/C:/x"
    std::string out = "file://";
    for (unsigned char c : p) {
        if (unreserved(c)) {
            out.push_back(char(c));
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", unsigned(c));
            out += hex;
        }
    }
    return out;
}

} // namespace lex
