#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class JournalFilter;
class QAbstractItemModel;
class RecordsModel;

// The journal's tables as a spreadsheet's own file, an Office Open XML workbook, written by
// libxlsxwriter a row at a time so that a million records need little memory. Each sheet starts
// with its title lines (the class, the period, the files, the date), then a header row that
// stays in view and has a filter, then a row for each row of the table as shown, the columns as
// wide as their contents. Numbers are numbers (a total with its decimals, up to three, a whole
// number without), a record's time is a date, and what people typed is text, never a formula,
// whatever it starts with. Doubtful values are highlighted, and a last column says why
// (DoubtMarks).
//
// The library says what went wrong on standard error, in English: while it works, standard
// error leads nowhere, and problem() says it in Russian.
class WorkbookWriter
{
public:
    static constexpr int kMaxColumnWidth = 60; // characters
    // The sheets' names.
    static constexpr char16_t kPupilsSheet[] = u"Ученики";
    static constexpr char16_t kRecordsSheet[] = u"Записи";

    struct Sheet
    {
        QString name;
        // Lines above the table, each in a row of its own.
        QStringList title;
        // Rows and columns as shown, headings from its horizontal header. A column whose
        // JournalTable::TypedRole heading is true is text whatever it holds; in another, a
        // number or a text that is a number as the tables show one (ShownNumber) is a number.
        const QAbstractItemModel *table = nullptr;
        // The row's doubtful cells, bit N for column N; none when not given.
        std::function<quint64(int row)> doubtfulCells;
        // Why the row is doubtful, empty when it is not; a last column when given.
        std::function<QString(int row)> reason;
        // The records `table` shows, when it is a filter of them: their rows are written from
        // the records' own fields, with no text made for each cell.
        const RecordsModel *records = nullptr;
    };

    // The pupils or the records as `shown` keeps them, with their doubts marked and explained.
    static Sheet pupilsSheet(const JournalFilter &shown, const QStringList &title = {});
    static Sheet recordsSheet(const JournalFilter &shown, const RecordsModel &records,
                              const QStringList &title = {});

    // Told how many rows of all the sheets are written; returns false to stop.
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Writes the sheets into `fileName` (a fresh file that the caller then gives its name; the
    // library's temporary files go into `temporaryFolder`, beside it unless given, and are gone
    // when it is done); false, with problem() saying why in Russian, when the workbook could not
    // be written or was stopped. A sheet longer than a spreadsheet takes goes on in another one,
    // «Записи (2)».
    bool write(const QByteArray &fileName, const QList<Sheet> &sheets,
               QByteArray temporaryFolder = {});
    const QString &problem() const { return m_problem; }
    bool stopped() const { return m_stopped; }

private:
    Progress m_progress;
    QString m_problem;
    bool m_stopped = false;
};
