#include "view/checks.h"

#include "document/text.h"
#include "document/typ_file.h"
#include "view/rows.h"
#include "view/state.h"

namespace lex {

CheckContext check_context(const State& st) {
    CheckContext ctx;
    ctx.source_codepage = source_cell_codepage(st);
    ctx.target_codepage = target_cell_codepage(st);
    ctx.file_codepage = declared_codepage(st.document);
    ctx.same_language = to_lower(st.source_code) ==
                        to_lower(st.row_target_code.empty() ? st.target_code : st.row_target_code);
    return ctx;
}

void mark_findings(State& st, const std::vector<Finding>& findings) {
    for (const Kind kind : kAllKinds)
        for (Row& row : st.rows(kind)) row.marks.check_finding = false;
    for (const Finding& f : findings) {
        auto& rows = st.rows(f.kind);
        if (f.row >= 0 && std::size_t(f.row) < rows.size())
            rows[std::size_t(f.row)].marks.check_finding = true;
    }
}

} // namespace lex
