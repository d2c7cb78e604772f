#include "skippedmodel.h"

#include "plaintext.h"
#include "recordsmodel.h"

#include <QFont>
#include <algorithm>

namespace {

// A control character as the picture Unicode has for it; any other as it is.
QChar visible(QChar c)
{
    if (c.unicode() < 0x20)
        return QChar(char16_t(0x2400 + c.unicode()));
    if (c.unicode() == 0x7f)
        return QChar(u'\u2421');
    const QChar::Category category = c.category();
    if (category == QChar::Other_Control || category == QChar::Separator_Line ||
        category == QChar::Separator_Paragraph)
        return QChar(u'·');
    return c;
}

} // namespace

SkippedModel::SkippedModel(const RecordsModel &records, QObject *parent)
    : QAbstractTableModel(parent), m_records(records)
{
}

template <class Predicate> void SkippedModel::drop(Predicate dropped)
{
    if (std::none_of(m_lines.cbegin(), m_lines.cend(), dropped))
        return;
    beginResetModel();
    std::erase_if(m_lines, dropped);
    // The starts of the lines that stay, packed again.
    QByteArray text;
    for (SkippedLine &line : m_lines) {
        const quint32 at = quint32(text.size());
        text.append(m_text.constData() + line.textAt, line.textSize);
        line.textAt = at;
    }
    m_text = text;
    endResetModel();
}

void SkippedModel::apply(const JournalBatch &batch)
{
    if (!m_records.isOpen(batch.file))
        return;
    if (batch.startOver || batch.voidUnended)
        drop([&](const SkippedLine &line) {
            return line.file == batch.file && (batch.startOver || line.unended);
        });
    if (batch.skipped.empty())
        return;
    // Room for all the starts at once, so that they are never copied as they grow; only the
    // pages written are taken from the system.
    if (m_text.capacity() < kTextBytes)
        m_text.reserve(kTextBytes);
    const int first = rowCount();
    beginInsertRows({}, first, first + int(batch.skipped.size()) - 1);
    for (SkippedLine line : batch.skipped) {
        if (m_text.size() + line.textSize > kTextBytes) {
            line.textSize = 0;
            line.textKept = false;
        }
        const quint32 at = quint32(m_text.size());
        m_text.append(batch.skippedText.constData() + line.textAt, line.textSize);
        line.textAt = at;
        m_lines.push_back(line);
    }
    endInsertRows();
}

void SkippedModel::dropFile(int file)
{
    drop([file](const SkippedLine &line) { return line.file == file; });
}

QString SkippedModel::text(int row) const
{
    const SkippedLine &line = m_lines[size_t(row)];
    if (!line.textKept)
        return QStringLiteral("(текст не сохранён: пропущенных строк слишком много)");
    const std::string_view bytes(m_text.constData() + line.textAt, line.textSize);
    // A line cut in the middle of a UTF-8 letter is read up to that letter.
    std::string_view utf8 = bytes;
    for (int i = 0; i < 3 && line.cut && !utf8.empty() && !EncodingGuess::isUtf8(utf8); ++i)
        utf8.remove_suffix(1);
    QString value = line.encoding == TextEncoding::Utf8 && EncodingGuess::isUtf8(utf8)
                        ? QString::fromUtf8(utf8.data(), qsizetype(utf8.size()))
                        : m_codePage.decode(bytes.data(), qsizetype(bytes.size()));
    for (QChar &c : value)
        c = visible(c);
    return line.cut ? value + u'…' : value;
}

int SkippedModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int SkippedModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SkippedModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const SkippedLine &line = m_lines[size_t(index.row())];
    if (role == Qt::ToolTipRole && index.column() == File)
        return m_records.fileToolTip(line.file);
    if (role == Qt::ToolTipRole && index.column() == Text)
        return PlainText::html(text(index.row()));
    if (line.unended && role == Qt::FontRole)
        return RecordsModel::unendedFont();
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case File:
        return m_records.fileLabel(line.file);
    case Line:
        return line.line;
    case Reason:
        return line.unended ? line.fault.text() + QStringLiteral(" (строка не дописана)")
                            : line.fault.text();
    default:
        return text(index.row());
    }
}

QVariant SkippedModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case File:
        return QStringLiteral("Файл");
    case Line:
        return QStringLiteral("Строка");
    case Reason:
        return QStringLiteral("Причина");
    default:
        return QStringLiteral("Текст строки");
    }
}
