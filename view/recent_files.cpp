#include "view/recent_files.h"

#include "document/files.h"
#include "view/state.h"

namespace lex {

namespace {

// Paths that cannot name the same file from anywhere are not recorded: on Windows those that
// begin with "\" (root-relative and network paths), here those that are not absolute.
bool recordable(const std::string& p) {
#ifdef _WIN32
    return !p.empty() && p[0] != '\\';
#else
    return !p.empty() && p[0] == '/';
#endif
}

} // namespace

void remember_recent(State& st, const std::string& path) {
    auto& recent = st.win.recent;
#ifdef _WIN32
    std::string p = path;
    for (char& c : p)
        if (c == '/') c = '\\';
#else
    const std::string& p = path;
#endif
    if (!recordable(p)) return;
    int k = -1;
    for (int i = 0; i < 6; ++i)
        if (recent[std::size_t(i)] == p) {
            k = i;
            break;
        }
    if (k == 0) return;
    // The entries above the match (or all but the last) move one place down.
    for (int i = k < 0 ? 5 : k; i >= 1; --i) recent[std::size_t(i)] = recent[std::size_t(i - 1)];
    recent[0] = p;
    refresh_recent(st);
}

void refresh_recent(State& st) {
    for (std::size_t i = 0; i < 6; ++i) {
#ifdef _WIN32
        for (char& c : st.win.recent[i])
            if (c == '/') c = '\\';
        if (!st.win.recent[i].empty() && st.win.recent[i][0] == '\\') continue;
#endif
        st.win.recent_enabled[i] = file_exists(st.win.recent[i]);
    }
}

} // namespace lex
