#include "encodingguess.h"

#include "cp1251.h"
#include "resultsparser.h"

#include <cstring>

namespace {

// The bytes before the first one that is not ASCII.
size_t asciiRun(std::string_view bytes)
{
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        quint64 word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        if (word & 0x8080808080808080u)
            break;
    }
    while (i < bytes.size() && static_cast<uchar>(bytes[i]) < 0x80)
        ++i;
    return i;
}

// Whether the bytes are valid UTF-8 (a sequence cut at the end allowed where `cut`), and hold a
// letter beyond ASCII. Lead bytes that would make an overlong form, a surrogate or a code past
// U+10FFFF narrow the range of the byte after them.
struct Utf8Scan
{
    bool valid = true;
    bool letters = false;
};
Utf8Scan scan(std::string_view bytes, bool cut)
{
    Utf8Scan result;
    int missing = 0; // continuation bytes still to come
    char32_t code = 0;
    uchar low = 0x80; // the range the next continuation byte must be in
    uchar high = 0xBF;
    for (size_t i = asciiRun(bytes); i < bytes.size(); ++i) {
        const auto byte = static_cast<uchar>(bytes[i]);
        if (missing == 0) {
            low = 0x80;
            high = 0xBF;
            if (byte < 0x80)
                continue;
            if (byte >= 0xC2 && byte <= 0xDF) {
                missing = 1;
                code = byte & 0x1F;
            } else if (byte >= 0xE0 && byte <= 0xEF) {
                missing = 2;
                code = byte & 0x0F;
                low = byte == 0xE0 ? 0xA0 : 0x80;
                high = byte == 0xED ? 0x9F : 0xBF;
            } else if (byte >= 0xF0 && byte <= 0xF4) {
                missing = 3;
                code = byte & 0x07;
                low = byte == 0xF0 ? 0x90 : 0x80;
                high = byte == 0xF4 ? 0x8F : 0xBF;
            } else {
                return {false, false};
            }
            continue;
        }
        if (byte < low || byte > high)
            return {false, false};
        code = code << 6 | (byte & 0x3F);
        low = 0x80;
        high = 0xBF;
        if (--missing == 0)
            result.letters = result.letters || QChar::isLetter(code);
    }
    result.valid = missing == 0 || cut;
    return result;
}

// The bytes up to the end of their last whole UTF-8 sequence.
std::string_view wholeLetters(std::string_view bytes)
{
    size_t end = bytes.size();
    for (size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto byte = static_cast<uchar>(bytes[bytes.size() - back]);
        if (byte < 0x80)
            break;
        if (byte >= 0xC0) {
            const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            if (length > back)
                end = bytes.size() - back;
            break;
        }
    }
    return bytes.substr(0, end);
}

} // namespace

bool EncodingGuess::isAscii(std::string_view bytes)
{
    return asciiRun(bytes) == bytes.size();
}

bool EncodingGuess::isUtf8(std::string_view bytes, bool cut)
{
    return scan(bytes, cut).valid;
}

TextEncoding EncodingGuess::of(std::string_view bytes, bool marked, bool cut)
{
    const Utf8Scan found = scan(bytes, cut);
    return found.valid && (found.letters || marked) ? TextEncoding::Utf8 : TextEncoding::Cp1251;
}

QString EncodingGuess::text(TextEncoding encoding, Cp1251 &codePage, std::string_view bytes,
                            bool cut)
{
    if (encoding != TextEncoding::Utf8) {
        const QString value = ResultsParser::fieldText(codePage, bytes);
        return cut ? value + u'…' : value;
    }
    const std::string_view whole = cut ? wholeLetters(bytes) : bytes;
    QString value = QString::fromUtf8(whole.data(), qsizetype(whole.size()));
    // UTF-8 also holds controls beyond ASCII, and line and paragraph separators.
    for (QChar &c : value) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return cut ? value + u'…' : value;
}
