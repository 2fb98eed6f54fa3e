#include "document/save.h"

#include "app/file_menu.h"
#include "app/window_state.h"
#include "document/files.h"
#include "document/loading.h"
#include "document/state.h"
#include "document/text.h"
#include "document/ui.h"
#include "tools/merge.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#define LEX_HAVE_FSYNC 1
#endif

namespace lex {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kEnd = "[end]";
constexpr std::size_t npos = std::string_view::npos;

std::string errno_text(int err, const char* fallback) {
    return err != 0 ? std::generic_category().message(err) : std::string(fallback);
}

std::FILE* open_new_file(const fs::path& p) {
#ifdef _WIN32
    std::FILE* f = nullptr;
    return _wfopen_s(&f, p.c_str(), L"wbx") == 0 ? f : nullptr;
#else
    return std::fopen(p.c_str(), "wbx");
#endif
}

class StandardSaveIo final : public SaveIo {
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

        // A fresh temporary file beside the target.
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
            f = open_new_file(tmp);
            err = errno;
            if (!f && err != EEXIST) break;
        }
        if (!f) return fail(why, errno_text(err, "no temporary file could be made"));

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
        if (ok) {
            if (exists) fs::permissions(tmp, status.permissions(), ec);
            fs::rename(tmp, target, ec);
            if (ec) {
                ok = false;
                why = ec.message();
            }
        } else {
            why = errno_text(err, "the file could not be written");
        }
        if (!ok) fs::remove(tmp, ec);
        return ok;
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

void append_line_text(std::string& out, std::string_view s) {
    // A row's text is one line: a line break in it would split the pair list and the label.
    if (s.find('\r') == npos && s.find('\n') == npos) {
        out += s;
        return;
    }
    for (char c : s)
        if (c != '\r' && c != '\n') out.push_back(c);
}

} // namespace

SaveIo& standard_save_io() {
    static StandardSaveIo io;
    return io;
}

SaveIo& save_io(State& st) {
    return st.saveio ? *st.saveio : standard_save_io();
}

std::string date_text(const Date& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", d.month, d.day, d.year);
    return buf;
}

std::string backup_path(const State& st, const std::string& file, const Date& d) {
    return join_path(st.sysdir, ftrim(file) + date_text(d) + ".txt");
}

std::string assemble(std::string_view alltext) {
    // First the pieces of each group, then one text of the exact size.
    std::array<std::vector<std::string_view>, 4> groups; // other sections, polygons, lines, points
    std::size_t size = 0;
    std::size_t start = 0;
    for (bool first = true;; first = false) {
        const std::size_t at = alltext.find(kEnd, start);
        std::string_view piece = alltext.substr(start, at == npos ? npos : at - start);
        // The rest of the previous "[end]" line: the assembly ends that line itself.
        if (!first && piece.starts_with(kCrLf)) piece.remove_prefix(kCrLf.size());

        const std::size_t closed = piece.size() + kCrLf.size() + 7; // + CR LF "[end]" CR LF
        bool element = false;
        for (std::size_t k = 0; k < kKinds; ++k) {
            if (piece.find(kSectionMarker[k]) != npos) {
                groups[k + 1].push_back(piece);
                size += closed;
                element = true;
            }
        }
        // Text with no section at all (the tail after the last "[end]") is dropped.
        if (!element && piece.find('[') != npos) {
            groups[0].push_back(piece);
            size += closed;
        }
        if (at == npos) break;
        start = at + kEnd.size();
    }
    std::string out;
    out.reserve(size);
    for (const auto& group : groups) {
        for (std::string_view piece : group) {
            out += piece;
            if (!piece.empty() && !piece.ends_with(kCrLf)) out += kCrLf;
            out += "[end]\r\n";
        }
    }
    return out;
}

void fill_pair_lists(State& st) {
    for (int k = 0; k < kKinds; ++k) {
        Pane& pane = st.pane(k);
        std::string& list = pane.element;
        list.clear();
        const std::size_t n = std::min(std::size_t(std::max(0, st.count(k))), pane.rows.size());
        for (std::size_t r = 0; r < n; ++r) {
            append_line_text(list, pane.rows[r].caption);
            list += '#';
            append_line_text(list, pane.rows[r].text);
            list += kCrLf;
        }
    }
}

std::string build_saved_text(State& st) {
    const std::string text = assemble(st.alltext);
    fill_pair_lists(st);
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 64);
    for (int k = 0; k < kKinds; ++k) {
        st.etype = std::uint8_t(k);
        merge(st, text, out);
    }
    return out;
}

bool savefile(State& st, Ui& ui, std::string& path) {
    if (st.alltext.empty()) {
        ui.message("No data");
        return false;
    }
    if (!icontains(st.alltext, "codepage")) {
        ui.message("Cannot find codepage");
        return false;
    }

    const std::string oldFname = st.fname;
    if (path.empty()) {
        st.dlgfilter = std::string("Txt files (*.txt)") + '\0' + "*txt" + '\0';
        std::string chosen = filedialog(st, ui, true, st.progdir, st.fname);
        if (chosen.empty()) return false;
        if (!icontains(chosen, ".txt")) chosen += ".txt";
        if (file_exists(chosen)) {
            if (!ui.ask("File exists . Replace?")) return false;
            // The file stays until the new text replaces it, and is backed up first.
            st.fname = chosen;
            cap(st, ui, st.fname);
        }
        path = chosen;
    }

    hon(st, ui);
    const bool wasRunning = st.win.running;
    st.win.running = true;
    SaveIo& io = save_io(st);

    // Nothing on disk changes and the document stays as it was, still marked as changed.
    auto fail = [&](const std::string& text) {
        st.fname = oldFname;
        st.changed = true;
        cap(st, ui, st.fname);
        st.win.running = wasRunning;
        hof(st, ui);
        ui.message(text);
        return false;
    };

    // The file about to be replaced is first copied into the backup folder.
    if (file_exists(st.fname)) {
        const std::string backup = backup_path(st, st.fname, io.today());
        std::error_code ec;
        fs::create_directories(to_path(st.sysdir), ec);
        std::string bytes;
        std::string why;
        if (!read_file(st.fname, bytes)) why = "the file could not be read";
        if (why.empty()) io.replace_file(backup, bytes, why);
        if (!why.empty())
            return fail("Could not copy " + st.fname + " to " + backup + ": " + why +
                        ". Nothing was saved.");
    }

    {
        const std::string out = build_saved_text(st);
        std::string why;
        if (!io.replace_file(path, out, why))
            return fail("Could not save " + path + ": " + why + ". The file was left as it was.");
    }

    // The document, the rows and the counts now come from what is on disk.
    std::string reopened = path;
    opentxt(st, ui, reopened);
    st.changed = false;
    cap(st, ui, st.fname);
    if (st.fromcmdline) {
        ui.message("File has to be reloaded in Stylora5");
        st.fromcmdline = false;
    }
    st.win.running = wasRunning;
    hof(st, ui);
    return true;
}

bool procsave(Ui& ui, const std::string& path, std::string_view text) {
    errno = 0;
    std::ofstream f(to_path(path), std::ios::binary | std::ios::app);
    if (f) {
        f.write(text.data(), std::streamsize(text.size()));
        f.write("\r\n", 2);
        f.flush();
    }
    if (f) return true;
    ui.message(path + ": " + errno_text(errno, "the file could not be written"));
    return false;
}

bool Savetext(const std::string& path, std::string_view text) {
    std::ofstream f(to_path(path), std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(text.data(), std::streamsize(text.size()));
    f.write("\r\n", 2);
    f.flush();
    return bool(f);
}

} // namespace lex
