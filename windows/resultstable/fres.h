#pragma once

#include "controlref.h"
#include "form.h"

#include <QString>

class Label;
class Program;
class ResultList;

// The results table: the newest stored results and the current user's row. Eight columns of
// ten cells; the element i of each cell array is the cell of row i, row 0 at the top.
class FRes : public Form
{
public:
    explicit FRes(Program &);

    // Rows 8 up to 0 from the last nine records of the list, the newest in row 0. Throws
    // ResultsFailure, before any cell changes, when the list has fewer than nine.
    void FillStoredRows(const ResultList &list);
    // The current user's values: the scores in decimal, the exact total in the locale's form.
    void FillUserRow(int row, const QString &Nam, int L, int R, int Dbl, int M, int G1, int G2,
                     double Resul);

    // The cells; the course window's FindFreeRow reads the names.
    ControlArrayRef<Label> Label1{this, "Label1"};
    ControlArrayRef<Label> Label2{this, "Label2"};
    ControlArrayRef<Label> Label3{this, "Label3"};
    ControlArrayRef<Label> Label4{this, "Label4"};
    ControlArrayRef<Label> Label5{this, "Label5"};
    ControlArrayRef<Label> Label6{this, "Label6"};
    ControlArrayRef<Label> Label7{this, "Label7"};
    ControlArrayRef<Label> Label8{this, "Label8"};

private:
    void fillRow(int row, const QString (&texts)[8]);
};
