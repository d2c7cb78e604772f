#pragma once

#include <QString>
#include <QtGlobal>

// Why a line of a results file could not be read as a record.
struct LineFault
{
    enum Kind : quint8 {
        None,
        Empty,
        UnclosedQuote, // in field `field`
        TooFewFields,  // `field` holds how many there are
        TooManyFields, // `field` holds how many there are
        FieldTooLong,  // in field `field`
        NotAScore,     // field `field`, 2 to 7
        NotATotal,     // field 8
        ScoreTooLarge, // a whole number beyond -32768 .. 32767, field `field`
        TotalTooLarge, // a number that rounds beyond -32768 .. 32767, field 8
    };

    Kind kind = None;
    quint8 field = 0; // from 1; a count of fields stops at 255

    explicit operator bool() const { return kind != None; }
    bool operator==(const LineFault &) const = default;

    // The reason in Russian, for the teacher.
    QString text() const;
};
