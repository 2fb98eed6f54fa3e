#include "app/recent.h"

#include "document/files.h"
#include "document/state.h"

namespace lex {

void updatmf(State& st, const std::string& path) {
    auto& recent = st.win.recent;
#ifdef _WIN32
    std::string p = path;
    for (char& c : p)
        if (c == '/') c = '\\';
    if (!p.empty() && p[0] == '\\') return;
#else
    const std::string& p = path;
#endif
    if (p.empty()) return;
    int k = -1;
    for (int i = 0; i < 6; ++i)
        if (recent[std::size_t(i)] == p) {
            k = i;
            break;
        }
    if (k == 0) return;
    int from = k < 0 ? 5 : k;
    for (int i = from; i >= 1; --i) recent[std::size_t(i)] = recent[std::size_t(i - 1)];
    recent[0] = p;
    refresh_recent(st);
}

void refresh_recent(State& st) {
    for (int i = 0; i < 6; ++i)
        st.win.recent_enabled[std::size_t(i)] = file_exists(st.win.recent[std::size_t(i)]);
}

} // namespace lex
