#include "commands/recovery.h"

#include "commands/language_choice.h"
#include "commands/lists.h"
#include "commands/open_document.h"
#include "document/file_lock.h"
#include "document/file_writer.h"
#include "document/files.h"
#include "document/folders.h"
#include "document/list_file.h"
#include "document/text.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "view/review.h"
#include "view/state.h"
#include "view/window_state.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

namespace lex {

namespace {

constexpr std::string_view kFormatLine = "[recovery]";
constexpr std::string_view kDocumentLine = "[document]";
constexpr std::string_view kZeroLine = "[zero]";
constexpr std::string_view kLangLine = "[lang]";
constexpr std::array<std::string_view, 3> kSectionLine{"[polygons]", "[lines]", "[pois]"};
constexpr char kDigits[] = "0123456789abcdef";

std::string hex(std::uint64_t v, int digits) {
    std::string out(std::size_t(digits), '0');
    for (int i = digits - 1; i >= 0; --i, v >>= 4) out[std::size_t(i)] = kDigits[v & 15];
    return out;
}

bool needs_escape(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == '\\' || c == '#' || c == ',';
}

void append_escaped(std::string& out, std::string_view text) {
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (!needs_escape(c)) {
            out += ch;
            continue;
        }
        out += '\\';
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The text `append_escaped` was given; a "\" without two hex digits after it stands for itself.
std::string unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '\\' && i + 2 < text.size() ? hex_digit(text[i + 1]) : -1;
        const int low = high >= 0 ? hex_digit(text[i + 2]) : -1;
        if (low < 0) {
            out += text[i];
            continue;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// Eight hex digits that no other window is likely to draw: they tell its file from the others
// kept for the same document.
std::string window_tag() {
    static std::uint64_t drawn = 0;
    std::random_device rd;
    std::uint64_t v = (std::uint64_t(rd()) << 32) ^ rd();
    v ^= std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    v += ++drawn * 0x9E3779B97F4A7C15ull;
    return hex(v ^ (v >> 32), 8);
}

bool has_rows(const State& st) {
    return st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints) > 0;
}

// A recovery file read: the document's path, "0x00" and the rows.
struct Kept {
    std::string text; // the file as read
    std::string document;
    bool zero = false;
    ListContents list;             // its views point into `text` or `texts`
    std::deque<std::string> texts; // the unescaped texts of this version's format

    Kept() = default;
    Kept(const Kept&) = delete;
    Kept& operator=(const Kept&) = delete;
};

// Calls f(line) for every line of `text`, its line end left out, while f returns true.
template <class F> void for_each_line(std::string_view text, F&& f) {
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!f(line)) return;
        at = end + 1;
    }
}

// This version's format: a line with a "#" is a row, any other line a marker.
void read_escaped(Kept& kept, std::string_view text) {
    ListContents& list = kept.list;
    std::optional<Kind> kind; // the section the rows go into
    auto keep = [&](std::string_view escaped) -> std::string_view {
        return kept.texts.emplace_back(unescaped(escaped));
    };
    for_each_line(text, [&](std::string_view line) {
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
            if (kind) {
                const std::string_view source = keep(line.substr(0, hash));
                list.entries[std::size_t(*kind)].push_back({source, keep(line.substr(hash + 1))});
            }
        } else if (line.substr(0, kDocumentLine.size()) == kDocumentLine) {
            kept.document = unescaped(line.substr(kDocumentLine.size()));
        } else if (line == kZeroLine) {
            kept.zero = true;
        } else if (line.substr(0, kLangLine.size()) == kLangLine) {
            const std::string_view names = line.substr(kLangLine.size());
            if (const std::size_t comma = names.find(','); comma != std::string_view::npos) {
                const std::string_view source = keep(names.substr(0, comma));
                list.languages = {source, keep(names.substr(comma + 1))};
                list.has_languages = true;
            }
        } else {
            for (const Kind k : kAllKinds)
                if (line == kSectionLine[std::size_t(k)]) {
                    kind = k;
                    list.has_section = true;
                }
        }
        return true;
    });
}

// The format of earlier versions: the document's path and "0x00", then a translation list.
void read_list_format(Kept& kept) {
    for_each_line(kept.text, [&](std::string_view line) {
        if (line.substr(0, kDocumentLine.size()) == kDocumentLine)
            kept.document = line.substr(kDocumentLine.size());
        else if (line == kZeroLine)
            kept.zero = true;
        else
            return false;
        return true;
    });
    kept.list = read_list(kept.text);
}

// Reads recovery file `file` into `kept`; false when it cannot be read.
bool read_kept(const std::string& file, Kept& kept) {
    if (!read_file(file, kept.text)) return false;
    const std::string_view text = kept.text;
    std::string_view first = text.substr(0, text.find('\n'));
    if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
    // A list file's lines start with "[document]", "[zero]" or "[lang]", never with this one.
    if (first == kFormatLine)
        read_escaped(kept, text.substr(std::min(text.size(), first.size() + 1)));
    else
        read_list_format(kept);
    return true;
}

// The row of language list `list` whose caption is `caption` (blanks around it aside), or -1.
int language_named(int list, std::string_view caption) {
    caption = trim(caption);
    for (int i = 0; i < language_list_size(list) && !caption.empty(); ++i)
        if (trim(language_list_item(list, i)) == caption) return i;
    return -1;
}

bool rows_match(const State& st, const ListContents& list) {
    for (const Kind kind : kAllKinds) {
        const auto& entries = list.entries[std::size_t(kind)];
        if (entries.size() != std::size_t(st.row_count(kind))) return false;
        for (std::size_t k = 0; k < entries.size(); ++k)
            if (entries[k].source != st.rows(kind)[k].caption) return false;
    }
    return true;
}

void put_back(State& st, Ui& ui, const ListContents& list) {
    for (const Kind kind : kAllKinds) {
        const auto& entries = list.entries[std::size_t(kind)];
        for (std::size_t k = 0; k < entries.size(); ++k) {
            Row& row = st.rows(kind)[k];
            row.text.assign(entries[k].target);
            row.status = row_status(row);
        }
    }
    st.changed = true;
    update_check_errors(st, ui);
    update_title(st, ui, st.document_path);
    ui.refresh(RefreshTarget::everything());
}

} // namespace

std::string recovery_text(const State& st) {
    std::size_t size = 128 + st.document_path.size();
    for (const Kind kind : kAllKinds)
        for (int r = 0; r < st.row_count(kind); ++r) {
            const Row& row = st.rows(kind)[std::size_t(r)];
            size += row.caption.size() + row.text.size() + 3;
        }
    std::string out;
    out.reserve(size);
    out.append(kFormatLine).append(kCrLf);
    if (!st.document.empty()) {
        out += kDocumentLine;
        append_escaped(out, st.document_path);
        out += kCrLf;
    }
    if (st.zero_fallback) out.append(kZeroLine).append(kCrLf);
    out += kLangLine;
    append_escaped(out, st.win.language_caption[kSourceList]);
    out += ',';
    append_escaped(out, st.win.language_caption[kTargetList]);
    out += kCrLf;
    for (const Kind kind : kAllKinds) {
        out.append(kSectionLine[std::size_t(kind)]).append(kCrLf);
        for (int r = 0; r < st.row_count(kind); ++r) {
            const Row& row = st.rows(kind)[std::size_t(r)];
            append_escaped(out, row.caption);
            out += '#';
            append_escaped(out, row.text);
            out += kCrLf;
        }
        out += kCrLf;
    }
    return out;
}

RecoveryKeeper::RecoveryKeeper(FileLocks& locks) : locks_(&locks) {}
RecoveryKeeper::RecoveryKeeper(RecoveryKeeper&&) noexcept = default;
RecoveryKeeper& RecoveryKeeper::operator=(RecoveryKeeper&&) noexcept = default;
RecoveryKeeper::~RecoveryKeeper() = default;

void RecoveryKeeper::update(State& st, Ui& ui) {
    const bool keep = st.changed && has_rows(st);
    if (!file_.empty() && (!keep || document_ != st.document_path)) remove();
    if (!keep) return;
    const std::string text = recovery_text(st);
    const std::size_t hash = std::hash<std::string>{}(text);
    if (!file_.empty() && written_ == hash && file_exists(file_)) return;

    auto report = [&](const std::string& file, const std::string& why) {
        if (!std::exchange(reported_, true))
            ui.message({MessageId::kCannotWrite,
                        "Could not keep the unsaved rows in " + file + ": " + why});
    };
    std::string file = file_;
    std::string why;
    if (file.empty()) {
        // A name of this window's own, locked before the file is made.
        std::uint64_t h = 14695981039346656037ull; // FNV-1a: the same path, the same digits
        for (unsigned char c : st.document_path) h = (h ^ c) * 1099511628211ull;
        const std::string stem =
            user_file(st, "recovery/" + file_title(st.document_path) + "-" + hex(h, 16) + "-");
        std::error_code ec;
        why = "no lock file could be made there";
        make_private_folders(from_path(to_path(stem).parent_path()), &why);
        for (int attempt = 0; attempt < 8 && !lock_; ++attempt) {
            file = stem + window_tag() + ".rec";
            lock_ = locks_->try_lock(file + ".lock");
            // A file of that name, or a link, is someone else's: never written over.
            if (lock_ &&
                std::filesystem::exists(std::filesystem::symlink_status(to_path(file), ec)))
                lock_.reset();
        }
        if (!lock_) return report(file, why);
    }
    if (!replace_private_file(file, text, why)) {
        if (file_.empty()) lock_.reset();
        return report(file, why);
    }
    file_ = file;
    document_ = st.document_path;
    written_ = hash;
}

void RecoveryKeeper::remove() {
    if (file_.empty()) return;
    std::error_code ec;
    std::filesystem::remove(to_path(file_), ec);
    lock_.reset(); // once the file is gone, so that no start offers it meanwhile
    file_.clear();
    document_.clear();
    written_ = 0;
}

std::vector<std::string> recovery_files(const State& st) {
    std::vector<std::pair<std::filesystem::file_time_type, std::string>> found;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(to_path(user_file(st, "recovery")), ec)) {
        const auto extension = entry.path().extension();
        if (!entry.is_regular_file(ec) || (extension != ".rec" && extension != ".lst")) continue;
        found.emplace_back(entry.last_write_time(ec), from_path(entry.path()));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> out;
    for (auto& f : found) out.push_back(std::move(f.second));
    return out;
}

Recovered offer_recovery(State& st, Ui& ui, const std::string& file, const StepRunner& as_step) {
    auto done = [&](Recovered r) {
        std::error_code ec;
        std::filesystem::remove(to_path(file), ec);
        return r;
    };
    Kept kept;
    if (!read_kept(file, kept) || !kept.list.has_section) return done(Recovered::kNotOpened);
    const ListContents& list = kept.list;
    const std::string name = kept.document.empty() ? file : kept.document;
    if (!ui.ask({QuestionId::kRecoverRows, "Lexmarin ended without saving the rows of " + name +
                                               ". Put them back? (No deletes them.)"}))
        return done(Recovered::kDeclined);

    bool matched = false;
    if (!kept.document.empty() && file_exists(kept.document)) {
        // The rows are built as they were: with the same languages and "0x00".
        for (int i = 0; i < 2 && list.has_languages; ++i)
            if (const int row = language_named(i, list.languages[std::size_t(i)]); row >= 0)
                select_language(st, i, row);
        st.zero_fallback = kept.zero;
        std::string path = kept.document;
        matched = open_document(st, ui, path) && rows_match(st, list);
    }
    if (matched) {
        as_step([&] { put_back(st, ui, list); });
        return done(Recovered::kRestored);
    }
    if (!ui.ask({QuestionId::kRecoveredRowsAsList,
                 "The rows kept for " + name +
                     " do not match its labels now. Open them as a list? (No deletes them.)"}))
        return done(Recovered::kNotOpened);
    as_step([&] { open_list_rows(st, ui, list, file); });
    return done(Recovered::kOpenedAsList);
}

int offer_recovery_files(State& st, Ui& ui, FileLocks& locks, const StepRunner& as_step) {
    int offered = 0;
    for (const std::string& file : recovery_files(st)) {
        // Held by a running window, which keeps that file; a stale lock is taken over.
        const std::unique_ptr<FileLock> claim = locks.try_lock(file + ".lock");
        if (!claim || !file_exists(file)) continue; // or gone since: its window saved
        ++offered;
        const Recovered result = offer_recovery(st, ui, file, as_step);
        if (result == Recovered::kRestored || result == Recovered::kOpenedAsList) break;
    }
    return offered;
}

} // namespace lex
