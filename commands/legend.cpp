#include "commands/legend.h"

#include "commands/file_menu.h"
#include "document/codepage.h"
#include "document/elements.h"
#include "document/file_writer.h"
#include "document/files.h"
#include "document/pictures.h"
#include "document/png.h"
#include "document/text.h"
#include "document/ui.h"
#include "translate/element_context.h"
#include "view/state.h"
#include "view/window_state.h"

#include <algorithm>
#include <array>
#include <filesystem>

namespace lex {

namespace {

const std::string kLegendFilter = std::string("Web pages (*.html)") + '\0' + "*.html" + '\0';
constexpr std::array<const char*, kKinds> kKindTitle{"Polygons", "Lines", "Points"};

std::string escaped(std::string_view text) {
    std::string out;
    append_xml_text(out, text);
    return out;
}

// The label of `body` in language `code` (without "|"), or "" with `found` false.
std::string label_in(std::string_view body, const std::string& code, bool& found) {
    const std::string key = find_label(body, code, 'T', false);
    found = key.size() > 6 && !trim(std::string_view(key).substr(6)).empty();
    return found ? key.substr(6) : std::string();
}

std::string picture_cell(const Picture& picture) {
    const std::string png = png_file(picture);
    if (png.empty()) return "<td class=\"picture\"></td>";
    // Small pictures are shown enlarged by whole pixels, as the window shows them.
    const int side = std::max(picture.width, picture.height);
    const int times = picture.solid ? 24 : std::clamp(32 / std::max(1, side), 1, 3);
    const int w = picture.width * times;
    const int h = picture.height * times;
    return "<td class=\"picture\"><img alt=\"\" width=\"" + std::to_string(w) + "\" height=\"" +
           std::to_string(h) + "\" src=\"data:image/png;base64," + base64(png) + "\"></td>";
}

} // namespace

std::string legend_html(const Document& doc, const std::string& code, LabelDecoder decode) {
    const std::string language = language_name(lang_byte(code));
    const std::string title = doc.document_path.empty() ? "Style" : file_title(doc.document_path);
    std::string out;
    out += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + escaped(title) +
           " \xE2\x80\x93 " + escaped(language) + "</title>\n";
    out += "<style>\n"
           "body { font-family: sans-serif; margin: 2em; }\n"
           "table { border-collapse: collapse; }\n"
           "td { padding: 3px 10px; border-bottom: 1px solid #ddd; vertical-align: middle; }\n"
           "td.picture { text-align: center; min-width: 40px; }\n"
           "td.picture img { image-rendering: pixelated; max-width: 64px; max-height: 64px; }\n"
           ".fallback { color: #777; font-style: italic; }\n"
           ".language { font-size: smaller; }\n"
           "</style>\n</head>\n<body>\n";
    out += "<h1>" + escaped(title) + "</h1>\n<p>Labels in " + escaped(language) +
           "; <span class=\"fallback\">grey</span> where an element has none in " +
           escaped(language) + ".</p>\n";
    const Outline outline = read_outline(doc.document);
    for (const Kind kind : kAllKinds) {
        std::string rows;
        for (const Section& s : outline.sections) {
            if (s.kind != kind) continue;
            const std::string_view body = body_text(doc.document, s);
            // The label in the language asked for, else the source label, else the first label
            // the element has.
            bool found = false;
            std::string text = label_in(body, code, found);
            int in = lang_byte(code);
            if (!found) {
                text = label_in(body, doc.source_code, found);
                in = lang_byte(doc.source_code);
            }
            if (!found) {
                const ElementContext any = element_context(body, {}, doc.utf8_labels);
                found = !any.labels.empty();
                if (found) {
                    text = any.labels.front().text;
                    in = any.labels.front().language;
                }
            }
            const int codepage =
                doc.utf8_labels ? kUtf8CodePage : codepage_for_language(std::uint8_t(in));
            std::string label = escaped(decode(text, codepage));
            if (found && in != lang_byte(code))
                label = "<span class=\"fallback\">" + label + " <span class=\"language\">(" +
                        escaped(language_name(in)) + ")</span></span>";
            rows += "<tr>" + picture_cell(read_element_pictures(body, kind).day) + "<td>" + label +
                    "</td></tr>\n";
        }
        if (rows.empty()) continue;
        out += "<h2>" + std::string(kKindTitle[std::size_t(kind)]) + "</h2>\n<table>\n" + rows +
               "</table>\n";
    }
    out += "</body>\n</html>\n";
    return out;
}

Outcome save_legend(State& st, Ui& ui, LabelDecoder decode, const std::string& given) {
    if (st.document.empty()) {
        const Message refusal{MessageId::kNoDocumentOpen,
                              "No TYP text file is open: open one to make its legend."};
        ui.message(refusal);
        return Outcome::refused(refusal.text);
    }
    close_language_lists(st);
    const std::string code = st.row_target_code.empty() ? st.target_code : st.row_target_code;
    std::string path = given;
    if (path.empty()) {
        st.dialog_filter = kLegendFilter;
        const std::string folder = from_path(to_path(st.document_path).parent_path());
        const std::string proposed =
            file_title(st.document_path) + "_legend_" + language_name(lang_byte(code)) + ".html";
        path = choose_path(st, ui, true, dir_exists(folder) ? folder : st.program_dir, proposed);
        if (path.empty()) return Outcome::cancelled();
        if (!icontains(path, ".htm")) path += ".html";
        if (file_exists(path) && !ui.ask({QuestionId::kReplaceFile, "File exists. Replace?"}))
            return Outcome::cancelled();
    }
    std::string why;
    if (!writer_for(st).replace_file(path, legend_html(st, code, decode), why)) {
        const Message failure{MessageId::kSaveFailed, "Could not save " + path + ": " + why +
                                                          ". The file was left as it was."};
        ui.message(failure);
        return Outcome::failed(failure.text);
    }
    ui.message({MessageId::kLegendSaved, "Legend saved: " + path});
    return Outcome::done();
}

} // namespace lex
