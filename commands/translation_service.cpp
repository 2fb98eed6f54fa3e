#include "commands/translation_service.h"

#include "document/text.h"
#include "translate/languages.h"
#include "translate/run.h"
#include "translate/translator.h"
#include "view/state.h"

namespace lex {

std::string service_status(const State& st) {
    if (st.win.service_route.empty()) return st.win.service_caption;
    return st.win.service_caption + ", " + st.win.service_route;
}

ServiceTest test_service(State& st, Translator& tr) {
    ServiceTest result;
    const std::string src = to_lower(language_list_item(kSourceList, st.win.language_row[0]));
    const std::string tgt = to_lower(language_list_item(kTargetList, st.win.language_row[1]));
    if (src.empty() || tgt.empty()) {
        result.error =
            src.empty() ? "Please select a From Language." : "Please select a To Language.";
        return result;
    }
    if (src == tgt) {
        result.error = "Can't translate from and to the same language";
        return result;
    }
    const std::string from = tr.language_code(src.substr(0, 3), false, st.kept.custom_web_code);
    const std::string to = tr.language_code(tgt.substr(0, 3), true, st.kept.custom_web_code);
    if (to.empty() || from.empty()) {
        result.error = to.empty() ? "Cannot find target language" : "Cannot find source language";
        return result;
    }
    st.language_pair = from + "|" + to;
    st.stop_requested = false;
    if (tr.labels_per_request() > 0) {
        const LabelAnswers answers = tr.translate_labels(translation_request(st), {"Lake"});
        if (!answers.error.empty() || answers.texts.size() != 1) {
            result.error = answers.error.empty() ? "No answer." : answers.error;
        } else if (trim(answers.texts[0]).empty()) {
            result.error = "The translation service returned nothing for 1 label.";
        } else {
            result.ok = true;
            result.answer = (answers.unknown[0] ? "?" : "") + answers.texts[0];
            result.route = answers.route;
        }
    } else {
        result.answer = tr.translate(translation_request(st), "Lake");
        result.ok = !result.answer.empty();
        if (!result.ok) result.error = "No translation came back from " + st.translate_url + ".";
    }
    if (st.stop_requested) {
        result = {};
        result.error = "Stopped.";
    }
    st.stop_requested = false;
    return result;
}

} // namespace lex
