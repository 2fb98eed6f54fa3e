#include "document/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/stat.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace lex {

std::filesystem::path to_path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string from_path(const std::filesystem::path& p) {
    auto u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
}

bool file_exists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(to_path(path), ec);
}

bool dir_exists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_directory(to_path(path), ec);
}

bool is_link(const std::string& path) {
    std::error_code ec;
    return !path.empty() &&
           std::filesystem::is_symlink(std::filesystem::symlink_status(to_path(path), ec));
}

std::string link_target(const std::string& path) {
    if (!is_link(path)) return {};
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::weakly_canonical(to_path(path), ec);
    return ec ? path : from_path(target);
}

bool make_private_folders(const std::string& path, std::string* why) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path dir = to_path(path);
    if (path.empty() || fs::is_directory(dir, ec)) return !path.empty();
    const fs::path parent = dir.parent_path();
    if (!parent.empty() && parent != dir && !make_private_folders(from_path(parent), why))
        return false;
#if defined(__unix__) || defined(__APPLE__)
    const int made = ::mkdir(dir.c_str(), 0700);
    const int err = made == 0 ? 0 : errno;
#else
    fs::create_directory(dir, ec);
    const int err = ec ? ec.value() : 0;
#endif
    if (fs::is_directory(dir, ec)) return true; // made meanwhile by someone else counts too
    if (why) *why = std::generic_category().message(err != 0 ? err : EIO);
    return false;
}

std::FILE* open_file(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
    std::wstring wmode(mode, mode + std::char_traits<char>::length(mode));
    std::FILE* f = nullptr;
    return _wfopen_s(&f, path.c_str(), wmode.c_str()) == 0 ? f : nullptr;
#else
    return std::fopen(path.c_str(), mode);
#endif
}

namespace {

// Asks the system to back the memory of a large text with large pages: a new process reading a
// 50 MB file otherwise spends more time taking the memory one small page at a time than reading
// (about 40 ms against 15 ms). A hint that changes nothing where it is not heard.
constexpr std::size_t kLargePage = std::size_t(2) << 20;

// The capacity to reserve for a text of `size` bytes: a whole number of large pages less the
// allocator's few bytes, so that the memory the allocator asks the system for is that whole
// number, which the system places on a large page's boundary. Text and large pages then line
// up from the first byte; otherwise up to two large pages' worth at the ends are taken page
// by page.
std::size_t large_page_capacity(std::size_t size) {
    constexpr std::size_t kAllocatorBytes = 64;
    if (size < 2 * kLargePage) return size;
    return (size + kAllocatorBytes + kLargePage - 1) / kLargePage * kLargePage - kAllocatorBytes;
}

void ask_for_large_pages(const char* data, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kPage = 4096;
    if (size < 2 * kLargePage) return;
    // Every page of the text, its first one too: see large_page_capacity.
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t from = begin & ~(kPage - 1);
    const std::uintptr_t to = (begin + size + kPage - 1) & ~(kPage - 1);
    ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

} // namespace

bool read_file(const std::string& path, std::string& out, std::string* why, std::size_t max_bytes) {
    out.clear();
    auto fail = [&](int err) {
        out.clear();
        if (why) *why = std::generic_category().message(err != 0 ? err : EIO);
        return false;
    };
    errno = 0;
    std::FILE* f = open_file(to_path(path), "rb");
    if (!f) return fail(errno);
    std::error_code ec;
    const auto size = std::filesystem::file_size(to_path(path), ec);
    const std::size_t expected =
        ec ? 0 : static_cast<std::size_t>(std::min<std::uintmax_t>(size, max_bytes));
    // Straight into the string: one copy from the system's cache, which costs about half of
    // going through a small buffer even with the zeros written first.
    out.reserve(large_page_capacity(expected));
    ask_for_large_pages(out.data(), out.capacity());
    out.resize(expected);
    std::size_t got = 0;
    for (std::size_t n;
         got < expected && (n = std::fread(out.data() + got, 1, expected - got, f)) > 0;)
        got += n;
    out.resize(got);
    // Reads on past the size the file had when asked: it may have grown.
    char chunk[65536];
    for (std::size_t n;
         got == expected && out.size() < max_bytes &&
         (n = std::fread(chunk, 1, std::min(sizeof chunk, max_bytes - out.size()), f)) > 0;)
        out.append(chunk, n);
    const int err = std::ferror(f) ? errno : 0;
    std::fclose(f);
    // A file that shrank while it was read is no whole file either.
    if (err != 0 || out.size() < expected) return fail(err);
    return true;
}

} // namespace lex
