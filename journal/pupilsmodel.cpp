#include "pupilsmodel.h"

#include "collationranks.h"
#include "courserules.h"
#include "plaintext.h"
#include "recordfields.h"
#include "recordsmodel.h"
#include "totaltext.h"

#include <algorithm>
#include <cmath>

namespace {

// The name and the best scores are headed as the record's fields are.
using RecordFields::kTitles;
constexpr std::array<const char16_t *, PupilsModel::ColumnCount> kColumnTitles = {
    kTitles[RecordFields::Name],
    u"Попыток",
    u"Первый итог",
    u"Лучший итог",
    u"Последний итог",
    u"Рост",
    kTitles[RecordFields::Left],
    kTitles[RecordFields::Right],
    kTitles[RecordFields::Double],
    kTitles[RecordFields::Move],
    kTitles[RecordFields::Game1],
    kTitles[RecordFields::Game2],
    u"Курс пройден"};

PupilsModel::Order orderOf(const JournalRecord &record)
{
    const bool dated = record.dating != JournalRecord::Dating::None;
    return {dated, dated ? record.when : 0, quint64(record.file) << 32 | record.line};
}

} // namespace

PupilsModel::PupilsModel(const RecordsModel &records, QObject *parent)
    : JournalTable(parent), m_records(records)
{
    connect(&records, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { add(first, last); });
    connect(&records, &QAbstractItemModel::rowsRemoved, this, &PupilsModel::rebuild);
    connect(&records, &QAbstractItemModel::modelReset, this, &PupilsModel::rebuild);
    connect(&records, &RecordsModel::countedChanged, this, &PupilsModel::rebuild);
}

QString PupilsModel::title(int column)
{
    return QString::fromUtf16(kColumnTitles[size_t(column)]);
}

QString PupilsModel::explanation(int column)
{
    // As a teacher would put it: which attempt is first, and what of those without a date.
    const QString order = QStringLiteral(
        "за выбранный период, по времени попыток. Попытки без даты (сделанные до того, как курс "
        "стал ставить даты, или дописанные другой программой) считаются более ранними, чем любая "
        "попытка с датой; попытки без даты или в одно и то же время идут по порядку файлов и "
        "строк в них");
    switch (column) {
    case Name:
        return QStringLiteral("Имя, как ученик его впервые набрал; имена, что различаются лишь "
                              "заглавными буквами, «ё» и пробелами, — один ученик");
    case Attempts:
        return QStringLiteral("Сколько строк ученика в файлах");
    case First:
        return QStringLiteral("Итог первой попытки, %1").arg(order);
    case Best:
        return QStringLiteral("Наибольший итог из всех попыток");
    case Latest:
        return QStringLiteral("Итог последней попытки, %1").arg(order);
    case Change:
        return QStringLiteral("Последний итог минус первый за выбранный период: «+» — ученик "
                              "стал справляться лучше, «−» — хуже; «—» — попытка одна");
    case Complete:
        return QStringLiteral("«да», если в одной попытке все четыре упражнения выполнены: "
                              "оценка %1 или %2")
            .arg(CourseRules::kExerciseGoal)
            .arg(CourseRules::kExerciseMax);
    default:
        return QStringLiteral("Лучшая из всех попыток. ") +
               RecordsModel::explanation(RecordsModel::Left + column - Left);
    }
}

int PupilsModel::pupilOf(quint32 name, std::vector<Pupil> &fresh, QStringList &freshKeys)
{
    if (m_pupilOfName.size() <= name)
        m_pupilOfName.resize(size_t(m_records.nameCount()), -1);
    int &pupil = m_pupilOfName[name];
    if (pupil < 0) {
        const QString key = m_records.foldedName(int(name));
        const auto found = m_byKey.constFind(key);
        if (found != m_byKey.cend()) {
            pupil = found.value();
        } else {
            pupil = int(m_pupils.size() + fresh.size());
            m_byKey.insert(key, pupil);
            freshKeys.append(key);
            fresh.emplace_back().name = m_records.name(name);
        }
    }
    return pupil;
}

void PupilsModel::add(int firstRow, int lastRow)
{
    // New pupils are announced before the totals of the new records are counted in.
    const int before = rowCount();
    std::vector<Pupil> fresh;
    QStringList freshKeys;
    std::vector<int> pupils;
    pupils.reserve(size_t(lastRow - firstRow + 1));
    for (int row = firstRow; row <= lastRow; ++row)
        pupils.push_back(
            m_records.inPeriod(row) ? pupilOf(m_records.record(row).name, fresh, freshKeys) : -1);
    if (!fresh.empty()) {
        beginInsertRows({}, before, before + int(fresh.size()) - 1);
        m_pupils.insert(m_pupils.end(), std::make_move_iterator(fresh.begin()),
                        std::make_move_iterator(fresh.end()));
        m_keys += freshKeys;
        endInsertRows();
    }
    for (int row = firstRow; row <= lastRow; ++row) {
        if (pupils[size_t(row - firstRow)] < 0)
            continue;
        const JournalRecord &record = m_records.record(row);
        Pupil &pupil = m_pupils[size_t(pupils[size_t(row - firstRow)])];
        const Order order = orderOf(record);
        if (pupil.attempts++ == 0) {
            pupil.first = pupil.best = pupil.latest = record.total;
            pupil.firstOrder = pupil.latestOrder = order;
            pupil.bestScores = record.scores;
        } else {
            if (order < pupil.firstOrder) {
                pupil.first = record.total;
                pupil.firstOrder = order;
            }
            if (order >= pupil.latestOrder) {
                pupil.latest = record.total;
                pupil.latestOrder = order;
            }
            pupil.best = std::max(pupil.best, record.total);
            for (size_t i = 0; i < record.scores.size(); ++i)
                pupil.bestScores[i] = std::max(pupil.bestScores[i], record.scores[i]);
        }
        const auto done = [&](int score) {
            return CourseRules::exerciseDone(record.scores[size_t(score)]);
        };
        pupil.complete = pupil.complete || (done(CourseRules::Left) && done(CourseRules::Right) &&
                                            done(CourseRules::Double) && done(CourseRules::Move));
        pupil.doubtful += record.doubts != 0;
    }
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

void PupilsModel::rebuild()
{
    beginResetModel();
    m_pupils.clear();
    m_keys.clear();
    m_byKey.clear();
    m_pupilOfName.clear();
    m_ranks.clear();
    endResetModel();
    if (m_records.rowCount() > 0)
        add(0, m_records.rowCount() - 1);
}

QString PupilsModel::text(int row, int column) const
{
    const Pupil &pupil = m_pupils[size_t(row)];
    switch (column) {
    case Name:
        return pupil.name;
    case Attempts:
        return QString::number(pupil.attempts);
    case First:
        return localeTotalText(pupil.first);
    case Best:
        return localeTotalText(pupil.best);
    case Latest:
        return localeTotalText(pupil.latest);
    case Change: {
        if (pupil.attempts < 2)
            return QStringLiteral("—");
        const double change = pupil.latest - pupil.first;
        const QString size = localeTotalText(std::abs(change));
        return change > 0 ? u'+' + size : change < 0 ? u'−' + size : size;
    }
    case Complete:
        return pupil.complete ? QStringLiteral("да") : QStringLiteral("нет");
    default:
        return QString::number(pupil.bestScores[size_t(column - Left)]);
    }
}

int PupilsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_pupils.size());
}

int PupilsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PupilsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == Name || index.column() == Complete
                   ? QVariant()
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    const Pupil &pupil = m_pupils[size_t(index.row())];
    // The whole name, where the column cuts it; plain, whatever it holds.
    if (role == Qt::ToolTipRole && index.column() == Name && !pupil.name.trimmed().isEmpty())
        return PlainText::html(
            pupil.doubtful == 0
                ? pupil.name
                : pupil.name + QStringLiteral("\nПопыток, которые курс не мог записать: %1")
                                   .arg(pupil.doubtful));
    if (role == Qt::DecorationRole && index.column() == Name && pupil.doubtful > 0)
        return RecordsModel::doubtIcon(m_doubtIcon);
    if (role != Qt::DisplayRole)
        return {};
    return text(index.row(), index.column());
}

QVariant PupilsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // Long headings in two lines, so that thirteen columns fit a window 1100 pixels wide.
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        QString text = title(section);
        return text.size() > 7 ? text.replace(u' ', u'\n') : text;
    }
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole)
        return explanation(section);
    if (orientation == Qt::Horizontal && role == TypedRole)
        return section == Name;
    return JournalTable::headerData(section, orientation, role);
}

bool PupilsModel::lessThan(int leftRow, int rightRow, int column) const
{
    const Pupil &left = m_pupils[size_t(leftRow)];
    const Pupil &right = m_pupils[size_t(rightRow)];
    switch (column) {
    case Name: {
        if (m_ranks.size() != m_pupils.size()) {
            QStringList names;
            for (const Pupil &pupil : m_pupils)
                names.append(pupil.name);
            m_ranks = collationRanks(names);
        }
        return m_ranks[size_t(leftRow)] < m_ranks[size_t(rightRow)];
    }
    case Attempts:
        return left.attempts < right.attempts;
    case First:
        return left.first < right.first;
    case Best:
        return left.best < right.best;
    case Latest:
        return left.latest < right.latest;
    case Change:
        return (left.attempts < 2 ? 0 : left.latest - left.first) <
               (right.attempts < 2 ? 0 : right.latest - right.first);
    case Complete:
        return left.complete < right.complete;
    default:
        return left.bestScores[size_t(column - Left)] < right.bestScores[size_t(column - Left)];
    }
}
