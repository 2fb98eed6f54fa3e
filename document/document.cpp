#include "document/document.h"

#include "document/ui.h"

#include <iterator>

namespace lex {

namespace {
#ifdef _WIN32
constexpr bool kWindowsPaths = true;
#else
constexpr bool kWindowsPaths = false;
#endif
} // namespace

void Document::cut_rows(Kind kind, std::size_t keep) {
    std::vector<Row>& list = rows(kind);
    if (list.size() <= keep) return;
    std::vector<Row>& kept_spare = spare(kind);
    kept_spare.insert(kept_spare.end(),
                      std::make_move_iterator(list.begin() + std::ptrdiff_t(keep)),
                      std::make_move_iterator(list.end()));
    list.resize(keep);
}

bool require_rows(Document& st, Ui& ui) {
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
