#include "translate/services.h"

#include "document/text.h"
#include "translate/languages.h"

#include <algorithm>

namespace lex {

namespace {

std::size_t index_of(ServiceKind kind) {
    return std::size_t(kind);
}

const LanguageEntry* entry_for_key(const std::string& key) {
    for (const auto& entry : kLanguages)
        if (key == entry.key) return &entry;
    return nullptr;
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Blanks, tabs and line ends removed at both ends.
std::string_view trim_space(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

} // namespace

namespace {

// clang-format off
constexpr std::array<ServiceRow, kServiceKinds> kServiceRows{{
    // kind, title, settings key, address?, key, default address, free key's address,
    // language codes, labels per request
    {ServiceKind::kOfflineEngine, "Offline engine (Apertium)", "offline", false, KeyNeed::kNone,
     "", nullptr, CodeColumn::kIso3, 20000}, // a pipeline's start-up per call: a run at once
    {ServiceKind::kApertiumServer, "Apertium server (APy)", "apy", true, KeyNeed::kNone,
     "http://localhost:2737", nullptr, CodeColumn::kIso3, 50},
    {ServiceKind::kLibreTranslate, "LibreTranslate", "libretranslate", true, KeyNeed::kOptional,
     "http://localhost:5000", nullptr, CodeColumn::kIso1, 50},
    {ServiceKind::kDeepL, "DeepL API", "deepl", true, KeyNeed::kRequired,
     "https://api.deepl.com", "https://api-free.deepl.com", CodeColumn::kDeepL, 50},
    {ServiceKind::kWebPage, "Web page", "webpage", true, KeyNeed::kNone,
     "", nullptr, CodeColumn::kWeb, 0},
}};
// clang-format on

constexpr bool rows_in_kind_order() {
    for (std::size_t i = 0; i < kServiceRows.size(); ++i)
        if (kServiceRows[i].kind != ServiceKind(i)) return false;
    return true;
}
static_assert(rows_in_kind_order(), "one row per service, in the order of ServiceKind");

} // namespace

const ServiceRow& service_row(ServiceKind kind) {
    const std::size_t i = index_of(kind);
    return kServiceRows[i < kServiceRows.size() ? i : index_of(ServiceKind::kWebPage)];
}

const char* service_title(ServiceKind kind) {
    return service_row(kind).title;
}

const char* service_key(ServiceKind kind) {
    return service_row(kind).settings_key;
}

bool service_has_address(ServiceKind kind) {
    return service_row(kind).has_address;
}

bool service_has_key(ServiceKind kind) {
    return service_row(kind).key != KeyNeed::kNone;
}

std::string default_address(ServiceKind kind, const std::string& key) {
    const ServiceRow& row = service_row(kind);
    const std::string_view k = trim_space(key);
    if (row.free_key_address != nullptr && k.size() >= 3 && k.substr(k.size() - 3) == ":fx")
        return row.free_key_address;
    return row.address;
}

std::string address_without_password(std::string_view address) {
    const std::size_t scheme = address.find("://");
    const std::size_t start = scheme == std::string_view::npos ? 0 : scheme + 3;
    const std::size_t end = std::min(address.find_first_of("/?#", start), address.size());
    const std::size_t at = address.substr(start, end - start).rfind('@');
    if (at == std::string_view::npos) return std::string(address);
    return std::string(address.substr(0, start)) + std::string(address.substr(start + at + 1));
}

ServiceChoice ServiceSettings::choice(ServiceKind k) const {
    return {k, address[index_of(k)], key[index_of(k)]};
}

ServiceKind service_in_use(bool url_overridden, const ServiceSettings& settings,
                           bool offline_installed) {
    if (url_overridden) return ServiceKind::kWebPage;
    if (settings.chosen) return settings.kind;
    return offline_installed ? ServiceKind::kOfflineEngine : ServiceKind::kWebPage;
}

std::string service_caption(ServiceKind kind, bool url_overridden, const std::string& url) {
    std::string caption = std::string("Translation: ") + service_title(kind);
    if (kind == ServiceKind::kWebPage && url_overridden)
        caption += " at " + address_without_password(url) + " (LEXMARIN_TRANSLATE_URL)";
    return caption;
}

std::string service_language_code(ServiceKind kind, const std::string& key, bool target,
                                  const std::string& custom_web_code) {
    const CodeColumn codes = service_row(kind).codes;
    if (key == "cus") {
        // The custom language is known by its web code, which the ISO 639-1 services share.
        if (codes == CodeColumn::kWeb || codes == CodeColumn::kIso1) return custom_web_code;
        if (codes == CodeColumn::kDeepL) return upper(custom_web_code);
        return {};
    }
    const LanguageEntry* entry = entry_for_key(key);
    if (entry == nullptr) return {};
    switch (codes) {
    case CodeColumn::kWeb:
        return entry->web;
    case CodeColumn::kIso3:
        return entry->iso3;
    case CodeColumn::kIso1:
        return entry->iso1;
    case CodeColumn::kDeepL:
        return target ? entry->deepl : upper(entry->iso1);
    }
    return {};
}

std::string service_language_name(ServiceKind kind, const std::string& code) {
    const CodeColumn codes = service_row(kind).codes;
    for (const auto& entry : kLanguages) {
        const bool match = codes == CodeColumn::kDeepL
                               ? code == entry.deepl || code == upper(entry.iso1)
                           : codes == CodeColumn::kIso1 ? code == entry.iso1
                           : codes == CodeColumn::kWeb  ? code == entry.web
                                                        : code == entry.iso3;
        if (match) return std::string(trim(entry.item));
    }
    return code;
}

std::string join_for_engine(const std::vector<std::string>& labels) {
    std::string out;
    for (const std::string& label : labels) {
        if (!out.empty()) out += "\n\n";
        // A line break inside a label would part it in two on the way back.
        std::string flat = label;
        std::replace_if(
            flat.begin(), flat.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        out += flat;
    }
    return out + "\n";
}

std::vector<std::string> split_engine_output(std::string_view text) {
    std::vector<std::string> parts;
    std::string current;
    bool blank_line = false; // the last line break ended a line with only blanks on it
    std::size_t line_start = 0;
    auto close_part = [&] {
        const std::string_view t = trim_space(current);
        if (!t.empty()) parts.emplace_back(t);
        current.clear();
    };
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\n') continue;
        std::string_view line = text.substr(line_start, i - line_start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line_start = i + 1;
        if (trim_space(line).empty()) {
            blank_line = true;
            continue;
        }
        if (blank_line) close_part();
        blank_line = false;
        if (!current.empty()) current += ' ';
        current += line;
    }
    close_part();
    return parts;
}

bool strip_engine_marks(std::string_view source, std::string& text) {
    bool marked = false;
    for (const char mark : {'*', '@', '#'}) {
        const auto in_source = std::count(source.begin(), source.end(), mark);
        if (in_source > 0) {
            marked = marked || std::count(text.begin(), text.end(), mark) > in_source;
            continue;
        }
        // A mark stands right before its word.
        std::string kept;
        kept.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == mark && i + 1 < text.size() && !is_blank(text[i + 1])) {
                marked = true;
                continue;
            }
            kept += text[i];
        }
        text = std::move(kept);
    }
    return marked;
}

std::vector<std::string> engine_pairs(std::string_view listing) {
    std::vector<std::string> pairs;
    for (std::string_view line : split(listing, "\n")) {
        const std::string_view mode = trim_space(line);
        const std::size_t dash = mode.find('-');
        if (dash == std::string_view::npos || dash == 0 || dash + 1 == mode.size()) continue;
        if (mode.find_first_of("_ \t/") != std::string_view::npos) continue;
        if (std::find(pairs.begin(), pairs.end(), mode) == pairs.end()) pairs.emplace_back(mode);
    }
    return pairs;
}

namespace {

// The engine names some modes with two-letter codes; these are the languages it has pairs of
// besides those of the list.
constexpr std::array<std::array<const char*, 3>, 6> kEngineLanguages{{
    {"ca", "cat", "Catalan"},
    {"gl", "glg", "Galician"},
    {"oc", "oci", "Occitan"},
    {"eu", "eus", "Basque"},
    {"ro", "ron", "Romanian"},
    {"eo", "epo", "Esperanto"},
}};

std::string three_letter(std::string_view code) {
    if (code.size() != 2) return std::string(code);
    for (const auto& entry : kLanguages)
        if (code == entry.iso1) return entry.iso3;
    for (const auto& extra : kEngineLanguages)
        if (code == extra[0]) return extra[1];
    return std::string(code);
}

std::string engine_language_name(const std::string& iso3) {
    for (const auto& extra : kEngineLanguages)
        if (iso3 == extra[1]) return extra[2];
    return service_language_name(ServiceKind::kOfflineEngine, iso3);
}

} // namespace

std::vector<EngineStep> engine_directions(const std::vector<std::string>& pairs) {
    std::vector<EngineStep> out;
    for (const std::string& mode : pairs) {
        const std::size_t dash = mode.find('-');
        if (dash == std::string::npos || mode.find('-', dash + 1) != std::string::npos) continue;
        EngineStep step{mode, three_letter(std::string_view(mode).substr(0, dash)),
                        three_letter(std::string_view(mode).substr(dash + 1))};
        if (step.from == step.to) continue;
        const bool known = std::any_of(out.begin(), out.end(), [&](const EngineStep& s) {
            return s.from == step.from && s.to == step.to;
        });
        if (!known) out.push_back(std::move(step));
    }
    return out;
}

std::vector<EngineStep> engine_chain(const std::vector<EngineStep>& directions,
                                     const std::string& source, const std::string& target,
                                     std::size_t most) {
    // Breadth first from the source: the first time the target is reached, its chain is a
    // shortest one.
    struct Reached {
        std::string language;
        std::size_t via; // the direction that reached it (npos: the source itself)
        std::size_t from;
    };
    std::vector<Reached> reached{{source, std::string::npos, 0}};
    std::size_t level_start = 0;
    for (std::size_t depth = 0; depth < most && level_start < reached.size(); ++depth) {
        const std::size_t level_end = reached.size();
        for (std::size_t r = level_start; r < level_end; ++r) {
            for (std::size_t d = 0; d < directions.size(); ++d) {
                if (directions[d].from != reached[r].language) continue;
                const std::string& next = directions[d].to;
                if (std::any_of(reached.begin(), reached.end(),
                                [&](const Reached& x) { return x.language == next; }))
                    continue;
                reached.push_back({next, d, r});
                if (next != target) continue;
                std::vector<EngineStep> chain;
                for (std::size_t at = reached.size() - 1; reached[at].via != std::string::npos;
                     at = reached[at].from)
                    chain.insert(chain.begin(), directions[reached[at].via]);
                return chain;
            }
        }
        level_start = level_end;
    }
    return {};
}

std::string chain_caption(const std::vector<EngineStep>& chain) {
    if (chain.empty()) return {};
    std::string out = engine_language_name(chain.front().from);
    for (const EngineStep& step : chain) out += " \xE2\x86\x92 " + engine_language_name(step.to);
    return out;
}

std::vector<std::string> engine_targets(const std::vector<EngineStep>& directions,
                                        const std::string& source) {
    // The direct pairs first, then the chains by their length, each in the list's order.
    std::vector<std::pair<std::size_t, std::string>> found;
    for (const auto& entry : kLanguages) {
        if (entry.iso3 == source) continue;
        const std::size_t steps = engine_chain(directions, source, entry.iso3).size();
        if (steps > 0) found.emplace_back(steps, trim(entry.item));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> out;
    for (auto& f : found) out.push_back(std::move(f.second));
    return out;
}

std::string offline_targets_message(const std::string& source,
                                    const std::vector<std::string>& targets) {
    std::string text = "Offline, " + engine_language_name(source) + " can be translated into ";
    for (std::size_t i = 0; i < targets.size(); ++i) text += (i ? ", " : "") + targets[i];
    return text + "; choose one, or set a service with Tools \xE2\x86\x92 Translation Service";
}

std::string missing_pair_message(const std::string& who, const std::string& source,
                                 const std::string& target,
                                 const std::vector<std::string>& installed) {
    std::string text =
        who + " has no " + service_language_name(ServiceKind::kOfflineEngine, source) +
        " \xE2\x86\x92 " + service_language_name(ServiceKind::kOfflineEngine, target) + " pair.";
    if (installed.empty()) return text + " No pair is installed.";
    text += " Installed: ";
    for (std::size_t i = 0; i < installed.size(); ++i) text += (i ? ", " : "") + installed[i];
    return text + ".";
}

} // namespace lex
