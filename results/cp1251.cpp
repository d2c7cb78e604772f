#include "cp1251.h"

#include <QList>
#include <QSysInfo>
#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <string>

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// One 32-bit code unit per character in the machine's byte order, so a character that cannot be
// converted is skipped by stepping over exactly four bytes.
constexpr const char *kWide =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-32LE" : "UTF-32BE";
constexpr const char *kCodePage = "CP1251";

iconv_t open(iconv_t &slot, const char *to, const char *from)
{
    if (slot == kNoConverter) {
        slot = iconv_open(to, from);
        if (slot == kNoConverter)
            throw std::runtime_error("no CP1251 converter in the C library");
    }
    iconv(slot, nullptr, nullptr, nullptr, nullptr);
    return slot;
}

// Runs iconv over the whole input; where it meets input it cannot convert, writes `substitute`
// and steps over `unit` input bytes.
template <class Out>
void convert(iconv_t converter, const char *in, size_t inSize, size_t unit, Out substitute,
             std::basic_string<Out> &out)
{
    out.resize(inSize / unit + 1);
    char *inPos = const_cast<char *>(in);
    size_t inLeft = inSize;
    auto *outBase = reinterpret_cast<char *>(out.data());
    char *outPos = outBase;
    size_t outLeft = out.size() * sizeof(Out);
    while (inLeft > 0) {
        if (iconv(converter, &inPos, &inLeft, &outPos, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: every input unit gives at most one output unit
        // EILSEQ or EINVAL: an unconvertible or cut-off unit
        const size_t skip = std::min(unit, inLeft);
        inPos += skip;
        inLeft -= skip;
        *reinterpret_cast<Out *>(outPos) = substitute;
        outPos += sizeof(Out);
        outLeft -= sizeof(Out);
    }
    out.resize(static_cast<size_t>(outPos - outBase) / sizeof(Out));
}

} // namespace

Cp1251::Cp1251() : m_toCodePage(kNoConverter), m_fromCodePage(kNoConverter) {}

Cp1251::~Cp1251()
{
    if (m_toCodePage != kNoConverter)
        iconv_close(m_toCodePage);
    if (m_fromCodePage != kNoConverter)
        iconv_close(m_fromCodePage);
}

QByteArray Cp1251::encode(const QString &text)
{
    const QList<uint> wide = text.toUcs4(); // an unpaired surrogate becomes U+FFFD, then "?"
    std::string out;
    convert(open(m_toCodePage, kCodePage, kWide), reinterpret_cast<const char *>(wide.data()),
            static_cast<size_t>(wide.size()) * 4, 4, '?', out);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

QString Cp1251::decode(const char *bytes, qsizetype size)
{
    std::u32string out;
    convert(open(m_fromCodePage, kWide, kCodePage), bytes, static_cast<size_t>(size), 1, U'?', out);
    return QString::fromUcs4(out.data(), static_cast<qsizetype>(out.size()));
}
