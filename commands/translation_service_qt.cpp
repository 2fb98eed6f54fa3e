// The translator a run uses.

#include "commands/translation_service.h"

#include "translate/translator.h"
#include "view/state.h"

namespace lex {

std::unique_ptr<Translator> translator_in_use(State& st, Ui& ui, const ServiceSettings& settings) {
    // Looking for the engine starts a program: only when the default decides.
    const bool ask_engine = !st.kept.url_overridden && !settings.chosen;
    const ServiceKind kind =
        service_in_use(st.kept.url_overridden, settings, ask_engine && offline_engine_installed());
    st.win.service_caption = service_caption(kind, st.kept.url_overridden, st.translate_url);
    st.win.service_route.clear();
    return make_translator(ui, settings.choice(kind));
}

} // namespace lex
