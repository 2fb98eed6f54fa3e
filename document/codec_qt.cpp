#include "document/codec_qt.h"

#include "document/codepage.h"
#include "document/label_codec.h"
#include "document/single_byte.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace lex {

const char* codepage_name(int codepage) {
    switch (codepage) {
    case 874:
        return "windows-874";
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 1250:
        return "windows-1250";
    case 1251:
        return "windows-1251";
    case 1253:
        return "windows-1253";
    case 1254:
        return "windows-1254";
    case 1255:
        return "windows-1255";
    case 1256:
        return "windows-1256";
    case 1257:
        return "windows-1257";
    case 1258:
        return "windows-1258";
    case 65001:
        return "UTF-8";
    default:
        return "windows-1252";
    }
}

QString decode(const std::string& bytes, int codepage) {
    QStringDecoder decoder(codepage_name(codepage));
    if (!decoder.isValid()) decoder = QStringDecoder(QStringConverter::Latin1);
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

std::string utf8_text(std::string_view bytes, int codepage) {
    QStringDecoder decoder(codepage_name(codepage));
    if (!decoder.isValid()) decoder = QStringDecoder(QStringConverter::Latin1);
    const QByteArray utf8 =
        QString(decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())))).toUtf8();
    return std::string(utf8.constData(), std::size_t(utf8.size()));
}

std::string encode(const QString& text, int codepage) {
    if (codepage == 65001) { // every character has a UTF-8 form
        const QByteArray bytes = text.toUtf8();
        return std::string(bytes.constData(), std::size_t(bytes.size()));
    }
    QStringEncoder encoder(codepage_name(codepage));
    if (!encoder.isValid()) encoder = QStringEncoder(QStringConverter::Latin1);
    // Encode one character at a time where the converter substitutes, so that a character the
    // code page lacks becomes "?" rather than the converter's substitute byte.
    std::string out;
    out.reserve(std::size_t(text.size()));
    const QChar* p = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        qsizetype len = (p[i].isHighSurrogate() && i + 1 < n && p[i + 1].isLowSurrogate()) ? 2 : 1;
        if (len == 1 && p[i].unicode() < 0x80) {
            out.push_back(char(p[i].unicode()));
            ++i;
            continue;
        }
        QByteArray bytes = encoder.encode(QStringView(p + i, len));
        bool lost = encoder.hasError() || bytes.isEmpty() || bytes == "\x1a" ||
                    (bytes == "?" && p[i] != QLatin1Char('?'));
        if (lost) {
            encoder.resetState();
            out.push_back('?');
        } else {
            out.append(bytes.constData(), std::size_t(bytes.size()));
        }
        i += len;
    }
    return out;
}

namespace {

// The tables where there are some; Qt's converters, which know the double-byte code pages, for
// the others. A text that does not come back as it went is one the code page cannot hold.
class QtLabelCodec : public LabelCodec {
public:
    std::string to_utf8(std::string_view bytes, int codepage) const override {
        if (table_covers(codepage)) return table_label_codec().to_utf8(bytes, codepage);
        const QByteArray utf8 = decode(std::string(bytes), codepage).toUtf8();
        return std::string(utf8.constData(), std::size_t(utf8.size()));
    }
    void append_as_utf8(std::string& out, std::string_view bytes, int codepage) const override {
        if (table_covers(codepage)) return table_label_codec().append_as_utf8(out, bytes, codepage);
        out += to_utf8(bytes, codepage);
    }
    std::optional<std::string> from_utf8(std::string_view utf8, int codepage) const override {
        if (table_covers(codepage)) return table_label_codec().from_utf8(utf8, codepage);
        const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        std::string bytes = encode(text, codepage);
        if (decode(bytes, codepage) != text) return std::nullopt;
        return bytes;
    }

private:
    static bool table_covers(int codepage) {
        return codepage == kUtf8CodePage || has_byte_table(codepage);
    }
};

} // namespace

const LabelCodec& qt_label_codec() {
    static const QtLabelCodec codec;
    return codec;
}

} // namespace lex
