#pragma once

#include "int16.h"

#include <QString>

// The record that "Результаты" appends to res.txt: the user's name, the six scores and the total.
struct ResultRecord
{
    QString Nam;
    Int16 L;
    Int16 R;
    Int16 Dbl;
    Int16 M;
    Int16 G1;
    Int16 G2;
    double Resul = 0;
};
