#include "app/settings.h"

#include "app/recent.h"
#include "app/window_state.h"
#include "document/codepage.h"
#include "document/files.h"
#include "document/loading.h"
#include "document/state.h"
#include "document/text.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "view/language.h"
#include "view/panes.h"
#include "view/rows.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <system_error>
#include <vector>

namespace lex {

namespace {

constexpr int kSettingsLines = 17;

// Lines ended by CR LF, LF or CR; a last line without an end counts too.
std::vector<std::string> settings_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < n && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

std::optional<long long> parse_number(const std::string& line) {
    std::string_view s = trim(line);
    if (s.empty() || s.size() > 20) return std::nullopt;
    std::size_t i = 0;
    bool negative = false;
    if (s[0] == '-' || s[0] == '+') {
        negative = s[0] == '-';
        i = 1;
    }
    if (i == s.size()) return std::nullopt;
    long long value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        value = value * 10 + (s[i] - '0');
        if (value > (1LL << 40)) return std::nullopt;
    }
    return negative ? -value : value;
}

void read_int(const std::string& line, int& out, long long lo, long long hi) {
    auto v = parse_number(line);
    if (v && *v >= lo && *v <= hi) out = int(*v);
}

bool is_code(std::string_view s) {
    if (s.size() != 2) return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

void read_code(const std::string& line, std::string& out) {
    std::string_view s = trim(line);
    if (is_code(s)) out = std::string(s);
}

bool is_web_address(std::string_view s) {
    return s.substr(0, 7) == "http://" || s.substr(0, 8) == "https://";
}

std::string number_line(long long n) {
    return num_text(n) + " ";
}

} // namespace

std::string settings_path(const State& st) {
    return st.progdir + "/tr.dat";
}

bool loaddata(State& st, const std::string& path) {
    std::string text;
    if (!read_file(path, text)) return false;
    const std::vector<std::string> lines = settings_lines(text);
    auto line = [&](int n) -> const std::string* {
        return std::size_t(n) <= lines.size() ? &lines[std::size_t(n - 1)] : nullptr;
    };
    for (int i = 0; i < 6; ++i)
        if (const std::string* l = line(2 + i)) st.win.recent[std::size_t(i)] = *l;
    if (const std::string* l = line(8)) read_code(*l, st.tolang);
    if (const std::string* l = line(9)) read_code(*l, st.fromlang);
    if (const std::string* l = line(10)) read_int(*l, st.toindex, 0, 24);
    if (const std::string* l = line(11)) {
        int ticked = st.win.check3 ? 1 : 0;
        read_int(*l, ticked, 0, 1);
        st.win.check3 = ticked == 1;
    }
    if (const std::string* l = line(12)) st.lastfile = *l;
    if (const std::string* l = line(13)) st.custgoog = *l;
    if (const std::string* l = line(14)) st.custname = *l;
    if (const std::string* l = line(15)) read_code(*l, st.custcode);
    if (const std::string* l = line(16)) read_int(*l, st.custidx, -32768, 32767);
    if (const std::string* l = line(17))
        read_int(*l, st.custcp, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    if (const std::string* l = line(18)) {
        std::string_view url = trim(*l);
        if (is_web_address(url)) {
            st.translate_url = std::string(url);
            st.win.saved_url_read = true;
        }
    }
    return true;
}

std::string settings_text(const State& st) {
    std::string out = " \r\n";
    auto add = [&](const std::string& s) {
        out += s;
        out += "\r\n";
    };
    for (const auto& r : st.win.recent) add(r);
    add(st.tolang);
    add(st.fromlang);
    add(number_line(st.toindex));
    add(number_line(st.win.check3 ? 1 : 0));
    add(st.lastfile);
    add(st.custgoog);
    add(st.custname);
    add(st.custcode);
    add(number_line(st.custidx));
    add(number_line(st.custcp));
    const std::string& url = st.win.url_overridden ? st.win.saved_url : st.translate_url;
    if (st.win.saved_url_read || (!url.empty() && url != kDefaultTranslateUrl)) add(url);
    return out;
}

bool savedata(State& st, Ui& ui) {
    cap(st, ui, "");
    const std::string path = settings_path(st);
    const std::string text = settings_text(st);
    const std::string temp = path + ".new";

    // Written beside the old file and then put in its place, so a failed write never leaves
    // a half-written settings file.
    std::string error;
    errno = 0;
#ifdef _WIN32
    std::FILE* f = _wfopen(to_path(temp).c_str(), L"wb");
#else
    std::FILE* f = std::fopen(to_path(temp).c_str(), "wb");
#endif
    if (!f) {
        error = std::strerror(errno ? errno : EIO);
    } else {
        bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
        int err = errno;
        ok = std::fclose(f) == 0 && ok;
        if (!ok) error = std::strerror(err ? err : (errno ? errno : EIO));
    }
    if (error.empty()) {
        std::error_code ec;
        std::filesystem::rename(to_path(temp), to_path(path), ec);
        if (ec) error = ec.message();
    }
    if (error.empty()) return true;
    std::error_code ignored;
    std::filesystem::remove(to_path(temp), ignored);
    ui.message(error);
    return false;
}

void startup(State& st, Ui& ui, const std::string& progdir, const std::string& commandLine) {
    // Defaults: languages, backup folder, custom code, document path, version, highlight.
    set_defaults(st, progdir);
    if (!dir_exists(st.sysdir)) {
        std::error_code ec;
        std::filesystem::create_directories(to_path(st.sysdir), ec);
    }

    // The language lists: the source list starts at its first entry.
    st.win.list4 = {0, 2};
    st.win.list4_visible = {false, false};
    st.toindex = 2;
    st.fromlang = "04";
    st.tolang = "02";

    const std::string trdat = settings_path(st);
    if (file_exists(trdat) && loaddata(st, trdat)) {
        refresh_recent(st);
        const int target = get_from(st, st.tolang);
        const int source = get_from(st, st.fromlang);
        st.win.list4[1] = target;
        st.win.list4[0] = source < list_size(0) ? source : -1;
        st.fromcp = codepage_for_code(st.fromlang);
        List4_MouseDown(st, ui, 1);
        st.win.label4[0] = list_item_text(1, source);
        st.win.label4[1] = list_item_text(1, target);
    } else {
        st.win.label4 = {"English", "German"};
        st.win.list4 = {0, 2};
    }
    st.win.saved_url = st.translate_url;
    if (const char* env = std::getenv("LEXMARIN_TRANSLATE_URL"); env && *env) {
        st.translate_url = env;
        st.win.url_overridden = true;
    }

    st.row(kPolygons, 0).caption.clear();
    st.curcp = st.fromcp;
    st.dictext = loadtext(st, ui, join_path(join_path(progdir, "dictionaries"), "EN.dic"));

    for (int kind = 0; kind < kKinds; ++kind)
        for (int row = 1; row < kPermanentRows; ++row) load_element(st, ui, kind, row, true);
    scrollbars(st);
    st.npoly = st.nline = st.npoi = 0;
    progr(st, ui, 0);
    st.win.check3 = false;

    if (!commandLine.empty() && file_exists(commandLine)) {
        std::string path = commandLine;
        opentxt(st, ui, path);
        st.fromcmdline = true;
    }
    cap(st, ui, st.fname);
}

} // namespace lex
