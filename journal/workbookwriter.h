#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class JournalFilter;
class PupilsModel;
class QAbstractItemModel;
class RecordsModel;

// The journal's tables as a spreadsheet's own file, an Office Open XML workbook, written by
// libxlsxwriter a row at a time so that a million records need little memory. Each sheet starts
// with the caller's title lines (the class, the period, the files, the date), then a header row
// that stays in view and has a filter, then a row for each row of the table as shown. Numbers
// are numbers (a total with its decimals, up to three, a whole number without), and what people
// typed is text, never a formula, whatever it starts with. Doubtful values are highlighted and,
// when the caller says why, a last column says it.
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
        // Rows and columns as shown, headings from its horizontal header. A column whose
        // JournalTable::TypedRole heading is true is text whatever it holds; in another, a
        // number or a text that is a plain decimal number in the locale's form is a number.
        const QAbstractItemModel *table = nullptr;
        // The row's doubtful cells, bit N for column N; none when not given.
        std::function<quint64(int row)> doubtfulCells;
        // Why the row is doubtful, empty when it is not; a last column when given.
        std::function<QString(int row)> reason;
    };

    // The pupils or the records as `shown` keeps them, with their doubts marked and explained.
    static Sheet pupilsSheet(const JournalFilter &shown, const PupilsModel &pupils);
    static Sheet recordsSheet(const JournalFilter &shown, const RecordsModel &records);

    // Lines above each sheet's table, each in a row of its own.
    void setTitle(const QStringList &lines) { m_title = lines; }
    // Where libxlsxwriter keeps a sheet's rows until the file is put together (as much as the
    // workbook, and more before it is packed): the folder of the file written unless set.
    void setTemporaryFolder(const QString &folder) { m_temporaryFolder = folder; }

    // Writes the sheets into `fileName` (a fresh file that the caller then gives its name);
    // false, with problem() saying why in Russian, when the workbook could not be written.
    // A sheet longer than a spreadsheet takes goes on in another one, «Записи (2)».
    bool write(const QString &fileName, const QList<Sheet> &sheets);
    const QString &problem() const { return m_problem; }

private:
    QStringList m_title;
    QString m_temporaryFolder;
    QString m_problem;
};
