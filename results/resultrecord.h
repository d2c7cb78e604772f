#pragma once

#include <QString>
#include <QtGlobal>

// The record that "Результаты" appends to res.txt: the user's name, the six scores and the total.
struct ResultRecord
{
    QString Nam;
    qint16 L = 0;
    qint16 R = 0;
    qint16 Dbl = 0;
    qint16 M = 0;
    qint16 G1 = 0;
    qint16 G2 = 0;
    double Resul = 0;
};
