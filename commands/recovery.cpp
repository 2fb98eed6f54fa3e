#include "commands/recovery.h"

#include "commands/language_choice.h"
#include "commands/lists.h"
#include "commands/open_document.h"
#include "document/file_writer.h"
#include "document/files.h"
#include "document/folders.h"
#include "document/list_file.h"
#include "document/state.h"
#include "document/text.h"
#include "document/ui.h"
#include "translate/languages.h"
#include "view/review.h"
#include "view/window_state.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>

namespace lex {

namespace {

constexpr std::string_view kDocumentLine = "[document]";
constexpr std::string_view kZeroLine = "[zero]";

std::string hex16(std::uint64_t v) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, v >>= 4) out[std::size_t(i)] = kDigits[v & 15];
    return out;
}

bool has_rows(const State& st) {
    return st.row_count(kPolygons) + st.row_count(kLines) + st.row_count(kPoints) > 0;
}

// The lines before the list's own: the document's path and "0x00".
struct Header {
    std::string document;
    bool zero = false;
};

Header read_header(std::string_view text) {
    Header h;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.substr(0, kDocumentLine.size()) == kDocumentLine)
            h.document = line.substr(kDocumentLine.size());
        else if (line == kZeroLine)
            h.zero = true;
        else
            break;
        at = end + 1;
    }
    return h;
}

// The row of language list `list` whose caption is `caption` (blanks around it aside), or -1.
int language_named(int list, std::string_view caption) {
    caption = trim(caption);
    for (int i = 0; i < language_list_size(list) && !caption.empty(); ++i)
        if (trim(language_list_item(list, i)) == caption) return i;
    return -1;
}

bool rows_match(const State& st, const ListContents& list) {
    for (int kind = 0; kind < kKinds; ++kind) {
        const auto& entries = list.entries[std::size_t(kind)];
        if (entries.size() != std::size_t(st.row_count(kind))) return false;
        for (std::size_t k = 0; k < entries.size(); ++k)
            if (entries[k].source != st.pane(kind).rows[k].caption) return false;
    }
    return true;
}

void put_back(State& st, Ui& ui, const ListContents& list) {
    for (int kind = 0; kind < kKinds; ++kind) {
        const auto& entries = list.entries[std::size_t(kind)];
        for (std::size_t k = 0; k < entries.size(); ++k) {
            Row& row = st.pane(kind).rows[k];
            row.text.assign(entries[k].target);
            row.back = row_state(row, st.highlight);
        }
    }
    st.changed = true;
    update_check_errors(st, ui, kAllKinds);
    update_title(st, ui, st.document_path);
    ui.refresh(-1);
}

// The window's Ui, except that the Open dialog picks `path` at once.
class PickedFileUi final : public Ui {
public:
    PickedFileUi(Ui& ui, std::string path) : ui_(ui), path_(std::move(path)) {}
    void message(const std::string& text) override { ui_.message(text); }
    bool ask(const std::string& text) override { return ui_.ask(text); }
    std::string choose_file(const FileRequest&) override { return path_; }
    void process_events() override { ui_.process_events(); }
    void busy(bool on) override { ui_.busy(on); }
    void refresh(int kind) override { ui_.refresh(kind); }
    void view_file(const std::string& path) override { ui_.view_file(path); }
    bool start_viewer(const std::string& path) override { return ui_.start_viewer(path); }
    void start_program(const std::string& program,
                       const std::vector<std::string>& arguments) override {
        ui_.start_program(program, arguments);
    }
    void open_url(const std::string& url) override { ui_.open_url(url); }

private:
    Ui& ui_;
    std::string path_;
};

} // namespace

std::string recovery_path(const State& st, const std::string& document_path) {
    std::uint64_t h = 14695981039346656037ull; // FNV-1a: the same path gives the same name
    for (unsigned char c : document_path) h = (h ^ c) * 1099511628211ull;
    return user_file(st, "recovery/" + file_title(document_path) + "-" + hex16(h) + ".lst");
}

std::string recovery_text(const State& st) {
    std::string out;
    if (!st.document.empty()) out.append(kDocumentLine).append(st.document_path).append(kCrLf);
    if (st.win.zero_fallback) out.append(kZeroLine).append(kCrLf);
    return out + list_text(st);
}

void RecoveryKeeper::update(State& st, Ui& ui) {
    const bool keep = st.changed && has_rows(st);
    const std::string wanted = keep ? recovery_path(st, st.document_path) : std::string();
    if (!file_.empty() && file_ != wanted) remove();
    if (!keep) return;
    const std::string text = recovery_text(st);
    const std::size_t hash = std::hash<std::string>{}(text);
    if (file_ == wanted && written_ == hash && file_exists(wanted)) return;
    std::error_code ec;
    std::filesystem::create_directories(to_path(wanted).parent_path(), ec);
    std::string why;
    if (!writer_for(st).replace_file(wanted, text, why)) {
        if (!std::exchange(reported_, true))
            ui.message("Could not keep the unsaved rows in " + wanted + ": " + why);
        return;
    }
    file_ = wanted;
    written_ = hash;
}

void RecoveryKeeper::remove() {
    if (file_.empty()) return;
    std::error_code ec;
    std::filesystem::remove(to_path(file_), ec);
    file_.clear();
    written_ = 0;
}

std::vector<std::string> recovery_files(const State& st) {
    std::vector<std::pair<std::filesystem::file_time_type, std::string>> found;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(to_path(user_file(st, "recovery")), ec)) {
        if (!entry.is_regular_file(ec) || entry.path().extension() != ".lst") continue;
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
    std::string text;
    if (!read_file(file, text)) return done(Recovered::kNotOpened);
    const Header header = read_header(text);
    const ListContents list = read_list(text);
    if (!list.has_section) return done(Recovered::kNotOpened);
    const std::string name = header.document.empty() ? file : header.document;
    if (!ui.ask("Lexmarin ended without saving the rows of " + name +
                ". Put them back? (No deletes them.)"))
        return done(Recovered::kDeclined);

    bool matched = false;
    if (!header.document.empty() && file_exists(header.document)) {
        // The rows are built as they were: with the same languages and "0x00".
        for (int i = 0; i < 2 && list.has_languages; ++i)
            if (const int row = language_named(i, list.languages[std::size_t(i)]); row >= 0)
                select_language(st, i, row);
        st.win.zero_fallback = header.zero;
        std::string path = header.document;
        matched = open_document(st, ui, path) && rows_match(st, list);
    }
    if (matched) {
        as_step([&] { put_back(st, ui, list); });
        return done(Recovered::kRestored);
    }
    if (!ui.ask("The rows kept for " + name +
                " do not match its labels now. Open them as a list? (No deletes them.)"))
        return done(Recovered::kNotOpened);
    PickedFileUi picked(ui, file);
    as_step([&] { open_list(st, picked); });
    return done(Recovered::kOpenedAsList);
}

} // namespace lex
