#include "view/state.h"

namespace lex {

void set_defaults(State& st, const std::string& program_dir) {
    st = State{};
    st.program_dir = program_dir;
    st.data_dir = program_dir;
    st.backup_dir = join_path(program_dir, "system");
    st.document_path = join_path(program_dir, "untitled.txt");
}

} // namespace lex
