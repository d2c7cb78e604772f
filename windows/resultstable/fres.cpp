#include "fres.h"

#include "freslayout.h"
#include "label.h"
#include "resultlist.h"
#include "resultsfailure.h"
#include "totaltext.h"

FRes::FRes(Program &) : Form(fresLayout()) {}

void FRes::FillStoredRows(const ResultList &list)
{
    for (int row = 8; row >= 0; --row) {
        const qint64 k = list.count() - 1 - row;
        if (k < 0)
            throw ResultsFailure("fewer than nine stored results");
        const StoredResult &stored = list.at(k);
        fillRow(row, {stored.Nam, stored.L, stored.R, stored.Dbl, stored.M, stored.G1, stored.G2,
                      QString::number(int(stored.Resul))});
    }
}

void FRes::FillUserRow(int row, const QString &Nam, int L, int R, int Dbl, int M, int G1, int G2,
                       double Resul)
{
    fillRow(row,
            {Nam, QString::number(L), QString::number(R), QString::number(Dbl), QString::number(M),
             QString::number(G1), QString::number(G2), localeTotalText(Resul)});
}

void FRes::fillRow(int row, const QString (&texts)[8])
{
    const ControlArrayRef<Label> *columns[8] = {&Label1, &Label2, &Label3, &Label4,
                                                &Label5, &Label6, &Label7, &Label8};
    for (int column = 0; column < 8; ++column)
        (*columns[column])[row].setCaption(texts[column]);
}
