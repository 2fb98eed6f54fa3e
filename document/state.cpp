#include "document/state.h"

#include "document/ui.h"

namespace lex {

namespace {
#ifdef _WIN32
constexpr bool kWindowsPaths = true;
#else
constexpr bool kWindowsPaths = false;
#endif
} // namespace

void set_defaults(State& st, const std::string& program_dir) {
    st = State{};
    st.program_dir = program_dir;
    st.data_dir = program_dir;
    st.backup_dir = join_path(program_dir, "system");
    st.document_path = join_path(program_dir, "untitled.txt");
}

bool require_rows(State& st, Ui& ui) {
    if (st.row_count(kPolygons) != 0 || st.row_count(kLines) != 0 || st.row_count(kPoints) != 0)
        return true;
    ui.message({MessageId::kNoData, "No data."});
    return false;
}

std::string file_title(const std::string& path) {
    std::size_t cut = kWindowsPaths ? path.find_last_of("\\/") : path.rfind('/');
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    std::size_t dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

std::string join_path(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    char sep = kWindowsPaths ? '\\' : '/';
    char last = dir.back();
    if (last == '/' || (kWindowsPaths && last == '\\')) return dir + name;
    return dir + sep + name;
}

std::string spaced_number(long long n) {
    std::string out = n < 0 ? "" : " ";
    out += std::to_string(n);
    return out;
}

} // namespace lex
