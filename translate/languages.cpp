#include "translate/languages.h"

#include "view/state.h"

#include <cstdio>

namespace lex {

const std::array<LanguageEntry, kTargetLanguages> kLanguages{{
    {"English ", "04", "eng", "en", "en", "eng", "EN-GB"},
    {"French ", "01", "fre", "fr", "fr", "fra", "FR"},
    {"German ", "02", "ger", "de", "de", "deu", "DE"},
    {"Dutch ", "03", "dut", "nl", "nl", "nld", "NL"},
    {"Italian ", "05", "ita", "it", "it", "ita", "IT"},
    {"Spanish", "08", "spa", "es", "es", "spa", "ES"},
    {"Polish ", "15", "pol", "pl", "pl", "pol", "PL"},
    {"Czech ", "12", "cze", "cs", "cs", "ces", "CS"},
    {"Portuguese ", "10", "por", "pt-PT", "pt", "por", "PT-PT"},
    {"Swedish ", "07", "swe", "sv", "sv", "swe", "SV"},
    {"Norwegian", "0f", "nor", "no", "nb", "nob", "NB"},
    {"Danish", "0e", "dan", "da", "da", "dan", "DA"},
    {"Finnish  ", "06", "fin", "fi", "fi", "fin", "FI"},
    {"Latvian ", "1b", "lat", "lv", "lv", "lav", "LV"},
    {"Lithuanian ", "1f", "lit", "lt", "lt", "lit", "LT"},
    {"Slovak", "11", "slo", "sk", "sk", "slk", "SK"},
    {"Russian ", "19", "rus", "ru", "ru", "rus", "RU"},
    {"Greek ", "17", "gre", "el", "el", "ell", "EL"},
    {"Chinese(Simplified) ", "26", "chi", "zh-CN", "zh", "zho", "ZH-HANS"},
    {"Japanese ", "25", "jap", "ja", "ja", "jpn", "JA"},
    {"Thai ", "28", "tha", "", "th", "tha", "TH"},
    {"Arabic ", "29", "ara", "ar", "ar", "ara", "AR"},
    {"Turkish ", "16", "tur", "tr", "tr", "tur", "TR"},
    {"Hebrew ", "00", "heb", "iw", "he", "heb", "HE"},
}};

int language_list_size(int list) {
    return list == 0 ? kSourceLanguages : kTargetLanguages;
}

std::string language_list_item(int list, int index) {
    if (list == 1 && index == kCustomIndex) return "Custom";
    if (index < 0 || index >= language_list_size(list)) return {};
    return kLanguages[std::size_t(index)].item;
}

std::string language_code_at(const State& st, int index) {
    if (index >= 0 && index < kTargetLanguages) return kLanguages[std::size_t(index)].code;
    if (index == kCustomIndex) return st.kept.custom_code;
    return {};
}

int language_row_of(const State& st, const std::string& code) {
    for (int i = 0; i < kTargetLanguages; ++i) {
        if (code == kLanguages[std::size_t(i)].code) {
            if (i == kHebrewIndex && st.target_index == kCustomIndex) return kCustomIndex;
            return i;
        }
    }
    return 0;
}

std::string survey_language_name(int code) {
    switch (code) {
    case 0x00:
        return "Unspecified";
    case 0x01:
        return "French";
    case 0x02:
        return "German";
    case 0x03:
        return "Dutch";
    case 0x04:
        return "English";
    case 0x05:
        return "Italian";
    case 0x06:
        return "Finnish";
    case 0x07:
        return "Swedish";
    case 0x08:
        return "Spanish";
    case 0x0e:
        return "Danish";
    case 0x0f:
        return "Norwegian";
    case 0x10:
        return "Portuguese";
    case 0x11:
        return "Slovak";
    case 0x12:
        return "Czech";
    case 0x15:
        return "Polish";
    case 0x16:
        return "Turkish";
    case 0x17:
        return "Greek";
    case 0x19:
        return "Russian";
    case 0x1b:
        return "Latvian";
    case 0x1f:
        return "Lithuan";
    case 0x25:
        return "Japanese";
    case 0x26:
        return "Chinese";
    case 0x28:
        return "Thai";
    case 0x29:
        return "Arabic";
    default:
        break;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X", unsigned(code) & 0xFFu);
    return "0x" + two_digits(hex);
}

std::string two_digits(const std::string& hex) {
    return hex.size() == 1 ? "0" + hex : hex;
}

std::string web_code_for(const State& st, const std::string& key) {
    if (key == "cus") return st.kept.custom_web_code;
    for (const auto& entry : kLanguages)
        if (key == entry.key) return entry.web;
    return {};
}

} // namespace lex
