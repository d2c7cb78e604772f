#pragma once

#include <QByteArray>
#include <QString>

// Conversion between the program's text and the single-byte Cyrillic code page of res.txt, by a
// table of its own: it needs no file, no descriptor and no memory beyond the result, so it works
// however short of them the program runs. A character the code page lacks is written as "?"
// (one for each character, a pair of surrogates included); a byte the code page leaves
// undefined (0x98) is read as "?".
class Cp1251
{
public:
    QByteArray encode(const QString &text) const;
    QString decode(const char *bytes, qsizetype size) const;
};
