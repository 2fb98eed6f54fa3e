#include "translate/hunspell_checker.h"

#include "document/codec_qt.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell.hxx>

#include <algorithm>
#include <cstdlib>

namespace lex {

namespace {

// Hunspell names the encoding of a dictionary as its affix file's SET line does
// ("ISO8859-2", "microsoft-cp1251"); Qt knows them as "ISO-8859-2", "windows-1251".
QByteArray qt_encoding_name(const std::string& set) {
    QByteArray name = QByteArray::fromStdString(set).trimmed().toUpper();
    if (name.isEmpty()) return "ISO-8859-1"; // Hunspell's default
    if (name.startsWith("ISO8859-")) return "ISO-8859-" + name.mid(8);
    if (name.startsWith("MICROSOFT-CP")) return "windows-" + name.mid(12);
    if (name.startsWith("TIS620")) return "TIS-620";
    return name;
}

// Text of `bytes`: UTF-8 when they are valid UTF-8, else the characters of `codepage`.
QString decode_utf8_or(const std::string& bytes, int codepage) {
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return utf8.hasError() ? decode(bytes, codepage) : text;
}

bool part_of_word(char32_t c) {
    return QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

// An apostrophe or a hyphen between two letters belongs to the word: "McDonald's",
// "l'église", "north-west".
bool joins_word(char32_t c) {
    return c == U'\'' || c == U'\u2019' || c == U'-';
}

// The words of `text`: letters, marks and digits, with single joiners inside.
std::vector<QString> words_of(const QString& text) {
    std::vector<QString> words;
    const QList<uint> chars = text.toUcs4();
    QList<uint> word;
    auto flush = [&] {
        if (!word.isEmpty())
            words.push_back(QString::fromUcs4(reinterpret_cast<const char32_t*>(word.constData()),
                                              word.size()));
        word.clear();
    };
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        if (part_of_word(c)) {
            word.push_back(c);
        } else if (joins_word(c) && !word.isEmpty() && i + 1 < chars.size() &&
                   part_of_word(chars[i + 1])) {
            word.push_back(c);
        } else {
            flush();
        }
    }
    flush();
    return words;
}

bool has_digit(const QString& word) {
    return std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
}

class HunspellChecker : public SpellChecker {
public:
    HunspellChecker(const std::string& aff, const std::string& dic)
        : hunspell_(aff.c_str(), dic.c_str()) {
        const QByteArray name = qt_encoding_name(hunspell_.get_dict_encoding());
        utf8_ = name == "UTF-8";
        encoder_ = QStringEncoder(name.constData());
        decoder_ = QStringDecoder(name.constData());
        if (!encoder_.isValid() || !decoder_.isValid()) {
            encoder_ = QStringEncoder(QStringConverter::Latin1);
            decoder_ = QStringDecoder(QStringConverter::Latin1);
        }
    }

    void set_own_words(const std::string& list, int codepage) override {
        own_.clear();
        verdicts_.clear(); // each check starts afresh: memory stays with one check's words
        std::size_t start = 0;
        while (start <= list.size()) {
            std::size_t end = list.find('\n', start);
            if (end == std::string::npos) end = list.size();
            const QString line = decode_utf8_or(list.substr(start, end - start), codepage);
            for (const QString& w : line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts))
                own_.insert(w);
            start = end + 1;
        }
    }

    std::vector<std::string> doubtful_words(const std::string& label, int codepage) override {
        std::vector<std::string> out;
        for (QString word : words_of(decode(label, codepage))) {
            if (has_digit(word) || own_.contains(word) || own_.contains(word.toLower())) continue;
            word.replace(QChar(0x2019), QLatin1Char('\''));
            if (known(word)) continue;
            std::string utf8 = word.toStdString();
            if (std::find(out.begin(), out.end(), utf8) == out.end()) out.push_back(utf8);
        }
        return out;
    }

private:
    // The dictionary's verdict, asked in its own encoding; a word with a character that
    // encoding lacks (it does not come back from the bytes) cannot be in it. Labels repeat
    // their words, so each verdict is kept until the own words are set again.
    bool known(const QString& word) {
        if (auto it = verdicts_.constFind(word); it != verdicts_.constEnd()) return *it;
        QByteArray bytes;
        bool representable = true;
        if (utf8_) {
            bytes = word.toUtf8();
        } else {
            encoder_.resetState();
            decoder_.resetState();
            bytes = encoder_.encode(word);
            representable = !encoder_.hasError() && QString(decoder_.decode(bytes)) == word;
        }
        const bool verdict = representable && hunspell_.spell(bytes.toStdString());
        verdicts_.insert(word, verdict);
        return verdict;
    }

    Hunspell hunspell_;
    bool utf8_ = true;
    QStringEncoder encoder_;
    QStringDecoder decoder_;
    QHash<QString, bool> verdicts_;
    QSet<QString> own_;
};

bool readable(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly);
}

} // namespace

std::unique_ptr<SpellChecker> open_hunspell(const std::string& aff_path,
                                            const std::string& dic_path) {
    if (!readable(aff_path) || !readable(dic_path)) return nullptr;
    return std::make_unique<HunspellChecker>(aff_path, dic_path);
}

std::unique_ptr<SpellingDictionaries> system_spelling_dictionaries() {
    auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::string(value) : std::string();
    };
    return std::make_unique<SpellingDictionaries>(open_hunspell, system_dictionary_folders(env),
                                                  user_locale(env));
}

} // namespace lex
