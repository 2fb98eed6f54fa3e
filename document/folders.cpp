#include "document/folders.h"

#include "document/document.h"
#include "document/file_writer.h"
#include "document/files.h"

#include <system_error>

namespace lex {

namespace {

std::string under(std::string dir, const std::string& relative) {
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        if (end > start) dir = join_path(dir, relative.substr(start, end - start));
        start = end + 1;
    }
    return dir;
}

} // namespace

std::string user_file(const Document& st, const std::string& relative) {
    return under(st.program_dir, relative);
}

std::string shipped_file(const Document& st, const std::string& relative) {
    return under(st.data_dir.empty() ? st.program_dir : st.data_dir, relative);
}

std::string user_or_shipped_file(const Document& st, const std::string& relative) {
    const std::string own = user_file(st, relative);
    return file_exists(own) ? own : shipped_file(st, relative);
}

bool make_user_copy(Document& st, const std::string& relative, std::string& why) {
    const std::string own = user_file(st, relative);
    if (file_exists(own)) return true;
    if (!make_private_folders(from_path(to_path(own).parent_path()), &why)) return false;
    std::error_code ec;
    std::string bytes;
    const std::string shipped = shipped_file(st, relative);
    if (shipped != own && file_exists(shipped) && !read_file(shipped, bytes, &why)) return false;
    // Something other than a file in its place (a folder) is not overwritten.
    if (std::filesystem::exists(to_path(own), ec)) {
        why = std::make_error_code(std::errc::file_exists).message();
        return false;
    }
    return writer_for(st).replace_file(own, bytes, why);
}

} // namespace lex
