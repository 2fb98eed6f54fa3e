// The web answers target: what each translation service sends back, read and written into rows.

#include "document/codec_qt.h"
#include "document/codepage.h"
#include "fuzz_targets.h"
#include "translate/run.h"
#include "translate/service_answers_qt.h"
#include "translate/translator.h"
#include "view/state.h"

#include <array>

namespace lex::fuzz {

namespace {

// The translation page: its answer, in the target cells' code page.
class PageAnswer : public Translator {
public:
    PageAnswer(QByteArray body, QByteArray type) : body_(std::move(body)), type_(std::move(type)) {}
    std::string translate(const TranslationRequest& request, const std::string&) override {
        const std::string answer = page_answer(body_, type_);
        return encode(QString::fromUtf8(answer.data(), qsizetype(answer.size())),
                      request.receiving_codepage);
    }

private:
    QByteArray body_, type_;
};

// A label-by-label service that always sends back the same bytes.
class CannedService : public LabelService {
public:
    CannedService(ServiceKind kind, int status, QByteArray body)
        : kind_(kind), status_(status), body_(std::move(body)) {}
    LabelReply translate(const LabelRequest& request, StopToken) override {
        const QString base = "http://127.0.0.1:1";
        const std::size_t n = request.labels.size();
        if (kind_ == ServiceKind::kLibreTranslate)
            return read_libretranslate_answer(status_, body_, n, base);
        if (kind_ == ServiceKind::kDeepL) return read_deepl_answer(status_, body_, n, base);
        LabelReply reply;
        std::vector<std::string> texts;
        if (kind_ == ServiceKind::kApertiumServer) {
            (void)engine_pairs(apertium_pair_listing(body_));
            ApertiumAnswer read = read_apertium_answer(status_, body_);
            texts = std::move(read.texts);
            if (!read.readable) reply.error = "unreadable";
        } else {
            (void)engine_pairs(body_.toStdString());
            texts = split_engine_output(body_.toStdString());
        }
        for (std::size_t i = 0; i < texts.size() && i < n; ++i) {
            reply.unknown.push_back(strip_engine_marks(request.labels[i], texts[i]));
            reply.texts.push_back(texts[i]);
        }
        return reply;
    }

private:
    ServiceKind kind_;
    int status_;
    QByteArray body_;
};

struct Language {
    int row; // in the target list
    const char* code;
};
// German, Russian, Chinese and Japanese: single-byte, Cyrillic and two double-byte code pages.
constexpr std::array<Language, 4> kLanguagesTried{{{2, "02"}, {16, "19"}, {18, "26"}, {19, "25"}}};

} // namespace

int web_answers(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned pick = data[0];
    const QByteArray body(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const auto service = ServiceKind(pick % 5);
    const Language& target = kLanguagesTried[(pick / 5) % kLanguagesTried.size()];

    State st;
    set_defaults(st, work_folder());
    st.win.language_row = {0, target.row};
    st.win.language_caption = {"English", "Into"};
    st.target_code = st.row_target_code = target.code;
    st.source_codepage = 1252;
    st.target_codepage = codepage_for_code(target.code);
    st.utf8_labels = (pick & 0x80) != 0;
    const std::array<const char*, 8> captions{"Lake", "Big Lake, North", "Road", "Caf\xE9", "Na?",
                                              "",     "Rock|Hill",       "Kept"};
    auto& rows = st.rows(kPolygons);
    for (std::size_t i = 0; i < captions.size(); ++i) rows[i].caption = captions[i];
    rows[7].text = "Kept";
    st.row_count(kPolygons) = int(captions.size());

    std::unique_ptr<Translator> tr;
    if (service == ServiceKind::kWebPage) {
        const std::array<const char*, 3> types{"text/html; charset=UTF-8",
                                               "text/html; charset=\"windows-1251\"", ""};
        tr = std::make_unique<PageAnswer>(body, types[(pick / 20) % types.size()]);
    } else {
        tr = make_label_translator(
            std::make_unique<CannedService>(service, pick >= 200 ? 456 : 200, body), service);
    }
    QuietUi ui;
    translate_rows(st, ui, *tr, kPolygons, RunOptions{0});

    // Every answer ends up as one line of label text; the rows outside the run keep theirs.
    if (st.row_count(kPolygons) != int(captions.size()) || rows[7].text != "Kept")
        invariant_failed("the run changed rows it did not translate");
    for (int r = 0; r < st.row_count(kPolygons); ++r)
        for (char c : rows[std::size_t(r)].text)
            if (static_cast<unsigned char>(c) < 0x20)
                invariant_failed("a control character reached row " + std::to_string(r));
    return 0;
}

} // namespace lex::fuzz
