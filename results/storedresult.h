#pragma once

#include <QString>
#include <QtGlobal>

// One record as read back from res.txt: the name and the six scores as the file holds them
// (decimal integers in every line the program writes, anything in a file edited by hand), and
// the total rounded to a whole number.
struct StoredResult
{
    QString Nam;
    QString L;
    QString R;
    QString Dbl;
    QString M;
    QString G1;
    QString G2;
    qint16 Resul = 0;

    bool operator==(const StoredResult &) const = default;
};
