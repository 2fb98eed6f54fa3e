#include "app/file_menu.h"

#include "app/window_state.h"
#include "document/loading.h"
#include "document/state.h"

namespace lex {

bool mf_click(State& st, Ui& ui, int item) {
    invisl4(st);
    switch (item) {
    case kOpenTxt:
        if (!chksav(st, ui)) {
            std::string path;
            opentxt(st, ui, path);
        }
        return false;
    case kExit:
        return true;
    default:
        break;
    }
    if (item >= kRecentFirst && item <= kRecentLast) {
        if (!chksav(st, ui)) {
            std::string path = st.win.recent[std::size_t(item - kRecentFirst)];
            opentxt(st, ui, path);
            st.fromcmdline = false;
        }
    }
    return false;
}

} // namespace lex
