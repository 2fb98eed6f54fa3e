#include "commands/settings.h"

#include "document/file_writer.h"
#include "document/files.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/state.h"
#include "view/window_state.h"

#include <limits>
#include <optional>
#include <vector>

namespace lex {

namespace {

// Lines ended by CR LF, LF or CR; a last line without an end counts too.
std::vector<std::string> settings_lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
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
    return spaced_number(n) + " ";
}

} // namespace

std::string settings_path(const State& st) {
    return st.program_dir + "/tr.dat";
}

bool read_settings(State& st, const std::string& path) {
    // Only the first kMaxSettingsBytes are read: a huge file costs no memory and is not written
    // back. The line the limit cuts through is incomplete and counts as unreadable.
    std::string text;
    if (!read_file(path, text, nullptr, kMaxSettingsBytes + 1)) return false;
    if (text.size() > kMaxSettingsBytes) {
        const std::size_t lineEnd = text.find_last_of("\r\n", kMaxSettingsBytes - 1);
        text.resize(lineEnd == std::string::npos ? 0 : lineEnd + 1);
    }
    read_settings_text(st, text);
    return true;
}

void read_settings_text(State& st, std::string_view text) {
    const std::vector<std::string> lines = settings_lines(text);
    // A line longer than any value could be (a path: kMaxSettingsLine) is unreadable too.
    auto line = [&](int n) -> const std::string* {
        const std::string* l =
            std::size_t(n) <= lines.size() ? &lines[std::size_t(n - 1)] : nullptr;
        return l && l->size() <= kMaxSettingsLine ? l : nullptr;
    };
    for (int i = 0; i < 6; ++i)
        if (const std::string* l = line(2 + i)) st.win.recent[std::size_t(i)] = *l;
    if (const std::string* l = line(8)) read_code(*l, st.target_code);
    if (const std::string* l = line(9)) read_code(*l, st.source_code);
    if (const std::string* l = line(10)) read_int(*l, st.target_index, 0, 24);
    if (const std::string* l = line(11)) {
        int ticked = st.zero_fallback ? 1 : 0;
        read_int(*l, ticked, 0, 1);
        st.zero_fallback = ticked == 1;
    }
    if (const std::string* l = line(12)) st.kept.last_opened = *l;
    if (const std::string* l = line(13)) st.kept.custom_web_code = *l;
    if (const std::string* l = line(14)) st.kept.custom_name = *l;
    if (const std::string* l = line(15)) read_code(*l, st.kept.custom_code);
    if (const std::string* l = line(16)) read_int(*l, st.kept.custom_index, -32768, 32767);
    if (const std::string* l = line(17))
        read_int(*l, st.kept.custom_codepage, std::numeric_limits<int>::min(),
                 std::numeric_limits<int>::max());
    if (const std::string* l = line(18)) {
        std::string_view url = trim(*l);
        if (is_web_address(url)) {
            st.translate_url = std::string(url);
            st.kept.saved_url_read = true;
        }
    }
    // Named lines after the numbered ones, in any order.
    for (std::size_t n = 18; n <= lines.size(); ++n)
        if (trim(lines[n - 1]) == kKeepLayoutLine) st.kept.keep_layout = true;
}

std::string settings_text(const State& st) {
    std::string out = " \r\n";
    auto add = [&](const std::string& s) {
        out += s;
        out += "\r\n";
    };
    for (const auto& r : st.win.recent) add(r);
    add(st.target_code);
    add(st.source_code);
    add(number_line(st.target_index));
    add(number_line(st.zero_fallback ? 1 : 0));
    add(st.kept.last_opened);
    add(st.kept.custom_web_code);
    add(st.kept.custom_name);
    add(st.kept.custom_code);
    add(number_line(st.kept.custom_index));
    add(number_line(st.kept.custom_codepage));
    const std::string& url = st.kept.url_overridden ? st.kept.saved_url : st.translate_url;
    if (st.kept.saved_url_read || (!url.empty() && url != kDefaultTranslateUrl)) add(url);
    if (st.kept.keep_layout) add(kKeepLayoutLine);
    return out;
}

bool write_settings(State& st, Ui& ui) {
    update_title(st, ui, "");
    const std::string path = settings_path(st);
    const std::string text = settings_text(st);

    // Written beside the old file and then put in its place, so a failed write never leaves
    // a half-written settings file.
    std::string error;
    if (replace_file_plainly(path, text, error)) return true;
    ui.message({MessageId::kCannotWrite, error});
    return false;
}

} // namespace lex
