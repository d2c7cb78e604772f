#include "cp1251.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace {

// The characters of bytes 0x80 to 0xFF; 0x98 has none, and reads as "?". The bytes below 0x80
// are ASCII.
constexpr char16_t kUpper[] = {
    u'Ђ', u'Ѓ', u'‚', u'ѓ', u'„', u'…', u'†',      u'‡', u'€', u'‰', u'Љ', u'‹', u'Њ',
    u'Ќ', u'Ћ', u'Џ', u'ђ', u'‘', u'’', u'“',      u'”', u'•', u'–', u'—', u'?', u'™',
    u'љ', u'›', u'њ', u'ќ', u'ћ', u'џ', u'\u00A0', u'Ў', u'ў', u'Ј', u'¤', u'Ґ', u'¦',
    u'§', u'Ё', u'©', u'Є', u'«', u'¬', u'\u00AD', u'®', u'Ї', u'°', u'±', u'І', u'і',
    u'ґ', u'µ', u'¶', u'·', u'ё', u'№', u'є',      u'»', u'ј', u'Ѕ', u'ѕ', u'ї', u'А',
    u'Б', u'В', u'Г', u'Д', u'Е', u'Ж', u'З',      u'И', u'Й', u'К', u'Л', u'М', u'Н',
    u'О', u'П', u'Р', u'С', u'Т', u'У', u'Ф',      u'Х', u'Ц', u'Ч', u'Ш', u'Щ', u'Ъ',
    u'Ы', u'Ь', u'Э', u'Ю', u'Я', u'а', u'б',      u'в', u'г', u'д', u'е', u'ж', u'з',
    u'и', u'й', u'к', u'л', u'м', u'н', u'о',      u'п', u'р', u'с', u'т', u'у', u'ф',
    u'х', u'ц', u'ч', u'ш', u'щ', u'ъ', u'ы',      u'ь', u'э', u'ю', u'я'};
static_assert(std::size(kUpper) == 128);
constexpr unsigned char kUndefined = 0x98;

// The same table the other way: each character with its byte, by character.
using Entry = std::pair<char16_t, unsigned char>;
constexpr auto kBytes = [] {
    std::array<Entry, 127> bytes = {};
    size_t count = 0;
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        if (byte != kUndefined)
            bytes[count++] = {kUpper[byte - 0x80], static_cast<unsigned char>(byte)};
    }
    std::sort(bytes.begin(), bytes.end());
    return bytes;
}();
static_assert(std::adjacent_find(kBytes.cbegin(), kBytes.cend(),
                                 [](const Entry &a, const Entry &b) {
                                     return a.first == b.first;
                                 }) == kBytes.cend(),
              "each character has one byte");

char byteOf(char16_t c)
{
    if (c < 0x80)
        return char(c);
    const auto found = std::lower_bound(kBytes.cbegin(), kBytes.cend(), Entry{c, 0});
    return found != kBytes.cend() && found->first == c ? char(found->second) : '?';
}

} // namespace

QByteArray Cp1251::encode(const QString &text) const
{
    QByteArray out(text.size(), Qt::Uninitialized);
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        // A pair of surrogates is one character beyond the code page; a lone one is none at all.
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        out[length++] = QChar::isSurrogate(c) ? '?' : byteOf(c);
    }
    out.truncate(length);
    return out;
}

QString Cp1251::decode(const char *bytes, qsizetype size) const
{
    QString out(size, Qt::Uninitialized);
    char16_t *to = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        to[i] = byte < 0x80 ? char16_t(byte) : kUpper[byte - 0x80];
    }
    return out;
}
