#include "translate/commands.h"

#include "document/state.h"

namespace lex {

// The translation run and the error check are built on these entry points; until then the
// buttons do nothing.
void Command7_Click(State&, Ui&, Translator&, int) {}

void Command5_Click(State& st, int) {
    st.stopflag = true;
}

void Label3_Click(State&, Ui&, Translator&, int) {}

void mtls_click(State&, Ui&, int) {}

} // namespace lex
