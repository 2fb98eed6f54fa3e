// The label converter of the translation memory: Qt's converters for the code pages.

#include "document/codec_qt.h"
#include "document/codepage.h"
#include "translate/memory_pairs.h"

namespace lex {

namespace {

class QtLabelCodec : public LabelCodec {
public:
    std::string to_utf8(std::string_view bytes, int codepage) const override {
        if (codepage == kUtf8CodePage) return std::string(bytes);
        return decode(std::string(bytes), codepage).toUtf8().toStdString();
    }
    std::optional<std::string> from_utf8(std::string_view text, int codepage) const override {
        if (codepage == kUtf8CodePage) return std::string(text);
        const QString wanted = QString::fromUtf8(text.data(), qsizetype(text.size()));
        std::string bytes = encode(wanted, codepage);
        // A character the code page lacks comes back as something else ("?").
        if (decode(bytes, codepage) != wanted) return std::nullopt;
        return bytes;
    }
};

} // namespace

const LabelCodec& label_codec() {
    static const QtLabelCodec codec;
    return codec;
}

} // namespace lex
