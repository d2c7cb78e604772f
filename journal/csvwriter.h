#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

// Writes a table as CSV for a spreadsheet: UTF-8 with a byte-order mark, fields between commas
// (or semicolons, where a spreadsheet's decimal point is a comma), quoted as RFC 4180 has it,
// CR LF after each row.
class CsvWriter
{
public:
    explicit CsvWriter(QIODevice &device, char separator = ',');
    ~CsvWriter();
    CsvWriter(const CsvWriter &) = delete;
    CsvWriter &operator=(const CsvWriter &) = delete;

    // A text typed by a person: never read as a formula.
    void addText(const QString &text) { addField(textField(text)); }
    // A field already made by textField or plainField, or a plain number.
    void addField(QByteArrayView field);
    void addNumber(qint64 number);
    void endRow();
    // Writes out what is buffered; false when the device refused any of it.
    bool finish();

    // A text as one field: quoted when it holds either separator, a quote, a line end or blanks
    // at its ends.
    static QByteArray plainField(const QString &text);
    // The same, and with a leading ' when it begins as a formula would (=, +, -, @, tab, CR), so
    // that a spreadsheet shows it and never works it out.
    static QByteArray textField(const QString &text);

private:
    QIODevice &m_device;
    QByteArray m_buffer;
    char m_separator;
    bool m_rowStarted = false;
    bool m_failed = false;
};
