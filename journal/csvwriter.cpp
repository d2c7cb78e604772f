#include "csvwriter.h"

#include <QIODevice>
#include <charconv>

namespace {

constexpr qsizetype kFlushAt = 1 << 20;

} // namespace

CsvWriter::CsvWriter(QIODevice &device, char separator) : m_device(device), m_separator(separator)
{
    m_buffer.reserve(kFlushAt + 4096);
    m_buffer += "\xEF\xBB\xBF";
}

CsvWriter::~CsvWriter() = default;

QByteArray CsvWriter::textField(const QString &text)
{
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && kFormulaStarts.contains(text.front()))
        return plainField(QLatin1Char('\'') + text);
    return plainField(text);
}

QByteArray CsvWriter::plainField(const QString &text)
{
    QString field = text;
    const bool quoted = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char(';')) ||
                        field.contains(QLatin1Char('"')) || field.contains(QLatin1Char('\r')) ||
                        field.contains(QLatin1Char('\n')) ||
                        (!field.isEmpty() && (field.front().isSpace() || field.back().isSpace()));
    if (!quoted)
        return field.toUtf8();
    field.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return '"' + field.toUtf8() + '"';
}

void CsvWriter::addField(QByteArrayView field)
{
    if (m_rowStarted)
        m_buffer += m_separator;
    m_buffer += field;
    m_rowStarted = true;
}

void CsvWriter::addNumber(qint64 number)
{
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, number).ptr;
    addField(QByteArrayView(text, end - text));
}

void CsvWriter::endRow()
{
    m_buffer += "\r\n";
    m_rowStarted = false;
    if (m_buffer.size() >= kFlushAt)
        finish();
}

bool CsvWriter::finish()
{
    // A device may take part of it at a time (a pipe, a socket).
    for (qsizetype written = 0; written < m_buffer.size() && !m_failed;) {
        const qint64 n = m_device.write(m_buffer.constData() + written, m_buffer.size() - written);
        if (n <= 0)
            m_failed = true;
        written += n;
    }
    m_buffer.resize(0); // keeps the memory, unlike clear()
    return !m_failed;
}
