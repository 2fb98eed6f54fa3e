#include "document/file_writer.h"

#include "document/document.h"
#include "document/files.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#define LEX_HAVE_FSYNC 1
#endif

namespace lex {

namespace fs = std::filesystem;

namespace {

std::string errno_text(int err, const char* fallback) {
    return err != 0 ? std::generic_category().message(err) : std::string(fallback);
}

// A new file at `path` that only its owner may read, never one that is there already (nor a
// link); errno says why on failure.
std::FILE* create_private_file(const fs::path& path) {
#ifdef LEX_HAVE_FSYNC
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f) ::close(fd);
    return f;
#else
    std::FILE* f = open_file(path, "wbx");
    std::error_code ec;
    if (f) fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, ec);
    return f;
#endif
}

// A new file at `path` with the default mode, never one that is there already; errno says why on
// failure.
std::FILE* open_new_file(const fs::path& path) {
    return open_file(path, "wbx");
}

// Writes `bytes` to a fresh temporary file beside `target`, made by `create`, flushes it to disk
// and renames it over `target` (given `mode`, the temporary file gets it first). On failure the
// temporary file is removed, `target` is left as it was, and `why` says what went wrong.
bool write_through_temporary(const fs::path& target, std::string_view bytes, std::string& why,
                             std::FILE* (*create)(const fs::path&), std::optional<fs::perms> mode) {
    std::error_code ec;
    std::random_device rd;
    fs::path tmp;
    std::FILE* f = nullptr;
    int err = 0;
    for (int attempt = 0; attempt < 16 && !f; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", unsigned(rd()));
        tmp = target;
        tmp += suffix;
        errno = 0;
        f = create(tmp);
        err = errno;
        if (!f && err != EEXIST) break;
    }
    if (!f) {
        why = errno_text(err, "no temporary file could be made");
        return false;
    }
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    err = ok ? 0 : errno;
    if (ok && std::fflush(f) != 0) {
        ok = false;
        err = errno;
    }
#ifdef LEX_HAVE_FSYNC
    if (ok && ::fsync(::fileno(f)) != 0) {
        ok = false;
        err = errno;
    }
#endif
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        why = errno_text(err, "the file could not be written");
    } else {
        if (mode) fs::permissions(tmp, *mode, ec);
        fs::rename(tmp, target, ec);
        if (ec) {
            ok = false;
            why = ec.message();
        }
    }
    if (!ok) fs::remove(tmp, ec);
    return ok;
}

class StandardSaveIo final : public FileWriter {
public:
    bool replace_file(const std::string& path, std::string_view bytes, std::string& why) override {
        std::error_code ec;
        fs::path target = to_path(path);
        // Through a link, the file it names is replaced and the link stays.
        if (fs::is_symlink(fs::symlink_status(target, ec))) {
            fs::path real = fs::canonical(target, ec);
            if (!ec) target = real;
        }
        const fs::file_status status = fs::status(target, ec);
        const bool exists = fs::exists(status);
        if (fs::is_directory(status)) return fail(why, "it is a folder");
        if (exists && !fs::is_regular_file(status)) return fail(why, "it is not a plain file");
        constexpr fs::perms kWrite =
            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        if (exists && (status.permissions() & kWrite) == fs::perms::none)
            return fail(why, "the file is read-only");
        fs::path dir = target.parent_path();
        if (dir.empty()) dir = ".";
        if (!fs::is_directory(dir, ec)) return fail(why, "the folder does not exist");

        return write_through_temporary(target, bytes, why, open_new_file,
                                       exists ? std::optional(status.permissions()) : std::nullopt);
    }

    Date today() override {
        const std::time_t t = std::time(nullptr);
        std::tm tm{};
#ifdef _WIN32
        localtime_s(&tm, &t);
#else
        localtime_r(&t, &tm);
#endif
        return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
    }

private:
    static bool fail(std::string& why, std::string text) {
        why = std::move(text);
        return false;
    }
};

} // namespace

bool replace_private_file(const std::string& path, std::string_view bytes, std::string& why,
                          unsigned mode) {
    const fs::path target = to_path(path);
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(target, ec))) {
        why = "it is a folder";
        return false;
    }
    const fs::perms perms = fs::perms(mode) & fs::perms::all;
    // A link at the target is replaced by the rename, never followed.
    return write_through_temporary(target, bytes, why, create_private_file,
                                   perms == (fs::perms::owner_read | fs::perms::owner_write)
                                       ? std::nullopt
                                       : std::optional(perms));
}

bool FileWriter::replace_with_new_file(const std::string& path, std::string_view bytes,
                                       unsigned mode, std::string& why) {
    return replace_private_file(path, bytes, why, mode);
}

bool FileWriter::keep_copy(const std::string& original, const std::string& copy, unsigned mode,
                           std::string& why) {
    std::error_code ec;
    const fs::path from = fs::canonical(to_path(original), ec);
    if (!ec && fs::is_regular_file(from, ec)) {
        std::random_device rd;
        fs::path temporary = to_path(copy);
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", unsigned(rd()));
        temporary += suffix;
        fs::create_hard_link(from, temporary, ec);
        if (!ec) {
            fs::rename(temporary, to_path(copy), ec);
            if (!ec) return true;
            fs::remove(temporary, ec);
        }
    }
    std::string bytes;
    if (!read_file(original, bytes, &why)) return false;
    return replace_with_new_file(copy, bytes, mode, why);
}

bool replace_file_plainly(const std::string& path, std::string_view bytes, std::string& why) {
    return write_through_temporary(to_path(path), bytes, why, open_new_file, std::nullopt);
}

FileWriter& standard_file_writer() {
    static StandardSaveIo io;
    return io;
}

FileWriter& writer_for(Document& st) {
    return st.file_writer ? *st.file_writer : standard_file_writer();
}

std::string date_text(const Date& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", d.month, d.day, d.year);
    return buf;
}

} // namespace lex
