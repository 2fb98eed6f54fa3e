#include "commands/checks.h"

#include "document/file_writer.h"
#include "document/files.h"
#include "document/text.h"
#include "document/ui.h"
#include "view/checks.h"
#include "view/state.h"

#include <charconv>
#include <cstdio>

namespace lex {

std::vector<Finding> check_translations(State& st, Ui& ui, const CheckSettings& settings) {
    if (!require_rows(st, ui)) return {};
    std::vector<Finding> findings = run_checks(st, check_context(st), settings);
    mark_findings(st, findings);
    ui.refresh(RefreshTarget::everything());
    return findings;
}

std::string check_settings_path(const State& st) {
    return join_path(st.program_dir, "checks.txt");
}

CheckSettings read_check_settings(std::string_view text) {
    CheckSettings s;
    for (std::string_view line : split(text, "\n")) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = trim(line);
        const std::size_t eq = line.find('=');
        if (eq == line.npos) continue;
        const std::string key = to_lower(trim(line.substr(0, eq)));
        const std::string_view value = trim(line.substr(eq + 1));
        if (key == "off") {
            for (std::string_view name : split(value, ","))
                if (const Check* c = find_check(to_lower(trim(name))))
                    s.on[std::size_t(c->id)] = false;
        } else if (key == "ratio") {
            double ratio = 0;
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), ratio);
            if (ec == std::errc() && end == value.data() + value.size() && ratio >= 0 &&
                ratio < 1e6)
                s.max_ratio = ratio;
        } else if (key == "limit") {
            int limit = 0;
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), limit);
            if (ec == std::errc() && end == value.data() + value.size() && limit >= 0)
                s.max_length = limit;
        }
    }
    return s;
}

std::string check_settings_text(const CheckSettings& settings) {
    std::string off;
    for (const Check& c : checks())
        if (!settings.is_on(c.id)) off += (off.empty() ? "" : ",") + std::string(c.name);
    char ratio[32];
    std::snprintf(ratio, sizeof ratio, "%g", settings.max_ratio);
    return "off=" + off + "\r\nratio=" + ratio +
           "\r\nlimit=" + std::to_string(settings.max_length) + "\r\n";
}

CheckSettings load_check_settings(const State& st) {
    std::string text;
    if (!read_file(check_settings_path(st), text, nullptr, 4096)) return {};
    return read_check_settings(text);
}

bool keep_check_settings(State& st, Ui& ui, const CheckSettings& settings) {
    std::string why;
    const std::string path = check_settings_path(st);
    if (writer_for(st).replace_file(path, check_settings_text(settings), why)) return true;
    ui.message({MessageId::kSaveFailed, "Could not write " + path + ": " + why});
    return false;
}

std::vector<std::string> unrepresentable_rows(const State& st) {
    CheckSettings only;
    only.on.fill(false);
    only.on[std::size_t(CheckId::kNotRepresentable)] = true;
    const CheckContext ctx = check_context(st);
    std::vector<std::string> out;
    static constexpr const char* kPane[] = {"polygons", "lines", "points"};
    for (const Kind kind : kAllKinds) {
        const int n = std::min(st.row_count(kind), int(st.rows(kind).size()));
        for (int r = 0; r < n; ++r) {
            const Row& row = st.rows(kind)[std::size_t(r)];
            if (!row.changed_since_built()) continue;
            for (const Finding& f : check_row(row.caption, row.text, ctx, only))
                out.push_back(std::string(kPane[kind]) + " " + std::to_string(r + 1) + " (\"" +
                              utf8_text(cell_chars(trim(row.text), ctx.target_codepage)) +
                              "\": " + f.message + ")");
        }
    }
    return out;
}

} // namespace lex
