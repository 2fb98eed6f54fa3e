#include "translate/services.h"

#include "document/state.h"
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

const char* service_title(ServiceKind kind) {
    switch (kind) {
    case ServiceKind::kOfflineEngine:
        return "Offline engine (Apertium)";
    case ServiceKind::kApertiumServer:
        return "Apertium server (APy)";
    case ServiceKind::kLibreTranslate:
        return "LibreTranslate";
    case ServiceKind::kDeepL:
        return "DeepL API";
    case ServiceKind::kWebPage:
        break;
    }
    return "Web page";
}

const char* service_key(ServiceKind kind) {
    switch (kind) {
    case ServiceKind::kOfflineEngine:
        return "offline";
    case ServiceKind::kApertiumServer:
        return "apy";
    case ServiceKind::kLibreTranslate:
        return "libretranslate";
    case ServiceKind::kDeepL:
        return "deepl";
    case ServiceKind::kWebPage:
        break;
    }
    return "webpage";
}

bool service_has_address(ServiceKind kind) {
    return kind != ServiceKind::kOfflineEngine;
}

bool service_has_key(ServiceKind kind) {
    return kind == ServiceKind::kLibreTranslate || kind == ServiceKind::kDeepL;
}

std::string default_address(ServiceKind kind, const std::string& key) {
    switch (kind) {
    case ServiceKind::kApertiumServer:
        return "http://localhost:2737";
    case ServiceKind::kLibreTranslate:
        return "http://localhost:5000";
    case ServiceKind::kDeepL: {
        const std::string_view k = trim_space(key);
        return k.size() >= 3 && k.substr(k.size() - 3) == ":fx" ? "https://api-free.deepl.com"
                                                                : "https://api.deepl.com";
    }
    case ServiceKind::kOfflineEngine:
    case ServiceKind::kWebPage:
        break;
    }
    return {};
}

ServiceChoice ServiceSettings::choice(ServiceKind k) const {
    return {k, address[index_of(k)], key[index_of(k)]};
}

ServiceKind service_in_use(const State& st, const ServiceSettings& settings,
                           bool offline_installed) {
    if (st.win.url_overridden) return ServiceKind::kWebPage;
    if (settings.chosen) return settings.kind;
    return offline_installed ? ServiceKind::kOfflineEngine : ServiceKind::kWebPage;
}

std::string service_caption(const State& st, ServiceKind kind) {
    std::string caption = std::string("Translation: ") + service_title(kind);
    if (kind == ServiceKind::kWebPage && st.win.url_overridden)
        caption += " at " + st.translate_url + " (LEXMARIN_TRANSLATE_URL)";
    return caption;
}

std::string service_language_code(ServiceKind kind, const State& st, const std::string& key,
                                  bool target) {
    if (kind == ServiceKind::kWebPage) return web_code_for(st, key);
    if (key == "cus") {
        // The custom language is known by its web code, which the ISO 639-1 services share.
        if (kind == ServiceKind::kLibreTranslate) return st.custom_web_code;
        if (kind == ServiceKind::kDeepL) return upper(st.custom_web_code);
        return {};
    }
    const LanguageEntry* entry = entry_for_key(key);
    if (entry == nullptr) return {};
    switch (kind) {
    case ServiceKind::kOfflineEngine:
    case ServiceKind::kApertiumServer:
        return entry->iso3;
    case ServiceKind::kLibreTranslate:
        return entry->iso1;
    case ServiceKind::kDeepL:
        return target ? entry->deepl : upper(entry->iso1);
    case ServiceKind::kWebPage:
        break;
    }
    return {};
}

std::string service_language_name(ServiceKind kind, const std::string& code) {
    for (const auto& entry : kLanguages) {
        const bool match = kind == ServiceKind::kDeepL
                               ? code == entry.deepl || code == upper(entry.iso1)
                           : kind == ServiceKind::kLibreTranslate ? code == entry.iso1
                           : kind == ServiceKind::kWebPage        ? code == entry.web
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
