#include "encodingguess.h"

#include "cp1251.h"
#include "resultsparser.h"

#include <cstring>

namespace {

// The bytes before the first one that is not ASCII.
qint64 asciiRun(const char *bytes, qint64 size)
{
    qint64 i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, bytes + i, sizeof word);
        if (word & 0x8080808080808080u)
            break;
    }
    while (i < size && static_cast<uchar>(bytes[i]) < 0x80)
        ++i;
    return i;
}

} // namespace

void EncodingGuess::decide(TextEncoding encoding)
{
    m_encoding = encoding;
    m_decided = true;
}

// Lead bytes that would make an overlong form, a surrogate or a code past U+10FFFF narrow the
// range of the byte after them.
EncodingGuess::Step EncodingGuess::step(Sequence &sequence, uchar byte)
{
    if (sequence.missing == 0) {
        if (byte < 0x80)
            return Step::Ascii;
        if (byte >= 0xC2 && byte <= 0xDF)
            sequence = {1, char32_t(byte & 0x1F), 0x80, 0xBF};
        else if (byte >= 0xE0 && byte <= 0xEF)
            sequence = {2, char32_t(byte & 0x0F), uchar(byte == 0xE0 ? 0xA0 : 0x80),
                        uchar(byte == 0xED ? 0x9F : 0xBF)};
        else if (byte >= 0xF0 && byte <= 0xF4)
            sequence = {3, char32_t(byte & 0x07), uchar(byte == 0xF0 ? 0x90 : 0x80),
                        uchar(byte == 0xF4 ? 0x8F : 0xBF)};
        else
            return Step::Invalid;
        return Step::Going;
    }
    if (byte < sequence.low || byte > sequence.high)
        return Step::Invalid;
    sequence.code = sequence.code << 6 | (byte & 0x3F);
    sequence.low = 0x80;
    sequence.high = 0xBF;
    return --sequence.missing == 0 ? Step::Complete : Step::Going;
}

void EncodingGuess::feed(const char *bytes, qint64 size)
{
    if (m_decided)
        return;
    qint64 i = m_sequence.missing == 0 ? asciiRun(bytes, size) : 0;
    if (i == size)
        return;
    bool letters = false;
    bool complete = false;
    for (; i < size; ++i) {
        switch (step(m_sequence, static_cast<uchar>(bytes[i]))) {
        case Step::Invalid:
            decide(TextEncoding::Cp1251);
            return;
        case Step::Complete:
            complete = true;
            letters = letters || QChar::isLetter(m_sequence.code);
            break;
        case Step::Ascii:
        case Step::Going:
            break;
        }
    }
    // Only the start of a sequence so far, cut at the end: the next bytes decide.
    if (complete)
        decide(letters ? TextEncoding::Utf8 : TextEncoding::Cp1251);
}

bool EncodingGuess::isUtf8(std::string_view bytes)
{
    Sequence sequence;
    const auto size = qint64(bytes.size());
    for (qint64 i = asciiRun(bytes.data(), size); i < size; ++i) {
        if (step(sequence, static_cast<uchar>(bytes[size_t(i)])) == Step::Invalid)
            return false;
    }
    return sequence.missing == 0;
}

QString EncodingGuess::text(TextEncoding encoding, Cp1251 &codePage, std::string_view bytes)
{
    if (encoding != TextEncoding::Utf8 || !isUtf8(bytes))
        return ResultsParser::fieldText(codePage, bytes);
    QString value = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    // UTF-8 also holds controls beyond ASCII, and line and paragraph separators.
    for (QChar &c : value) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return value;
}
