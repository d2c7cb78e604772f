#pragma once

#include <QByteArray>
#include <QString>

#include <iconv.h>

// Conversion between the program's text and the single-byte Cyrillic code page of res.txt,
// through the C library's iconv. A character the code page lacks is written as "?"; a byte the
// code page leaves undefined (0x98) is read as "?".
class Cp1251
{
public:
    Cp1251();
    ~Cp1251();
    Cp1251(const Cp1251 &) = delete;
    Cp1251 &operator=(const Cp1251 &) = delete;

    // Throws std::runtime_error when the C library has no converter for the code page.
    QByteArray encode(const QString &text);
    QString decode(const char *bytes, qsizetype size);

private:
    iconv_t m_toCodePage;
    iconv_t m_fromCodePage;
};
