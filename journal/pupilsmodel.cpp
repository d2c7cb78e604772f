#include "pupilsmodel.h"

#include "collationranks.h"
#include "courserules.h"
#include "namefold.h"
#include "namemerges.h"
#include "plaintext.h"
#include "recordfields.h"
#include "recordsmodel.h"
#include "shownname.h"
#include "totaltext.h"

#include <QApplication>
#include <QStyle>
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
    u"Курс пройден",
    u"В списке"};

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
    const QString counted = QStringLiteral(". Попытки, которые курс не мог записать, не "
                                           "учитываются, пока не отмечено «учитывать "
                                           "подозрительные»");
    switch (column) {
    case Name:
        return QStringLiteral("Имя ученика: как в списке класса, а если ученика в нём нет — как "
                              "он чаще всего его набирал. Имена, что различаются лишь "
                              "заглавными буквами, «ё» и пробелами, и имена, которые учитель "
                              "объединил, — один ученик");
    case Attempts:
        return QStringLiteral("Сколько строк ученика в файлах за выбранный период, с "
                              "подозрительными вместе; «нет попыток» — у ученика из списка "
                              "класса нет ни одной");
    case First:
        return QStringLiteral("Итог первой попытки, %1").arg(order) + counted;
    case Best:
        return QStringLiteral("Наибольший итог из всех попыток") + counted;
    case Latest:
        return QStringLiteral("Итог последней попытки, %1").arg(order) + counted;
    case Change:
        return QStringLiteral("Последний итог минус первый за выбранный период: «+» — ученик "
                              "стал справляться лучше, «−» — хуже; «—» — попытка одна") +
               counted;
    case Complete:
        return QStringLiteral("«да», если в одной попытке все четыре упражнения выполнены: "
                              "оценка %1 или %2")
                   .arg(CourseRules::kExerciseGoal)
                   .arg(CourseRules::kExerciseMax) +
               counted;
    case Listed:
        return QStringLiteral("«да» — ученик есть в списке класса, «нет» — его там нет");
    default:
        return QStringLiteral("Лучшая из всех попыток. ") +
               RecordsModel::explanation(RecordsModel::Left + column - Left) + counted;
    }
}

void PupilsModel::setClassList(const ClassList &list)
{
    m_list = list;
    rebuild();
}

void PupilsModel::setMerges(const NameMerges &merges)
{
    m_merges = &merges;
    connect(&merges, &NameMerges::changed, this, &PupilsModel::rebuild, Qt::UniqueConnection);
    rebuild();
}

void PupilsModel::setCountDoubtful(bool count)
{
    if (count == m_countDoubtful)
        return;
    m_countDoubtful = count;
    rebuild();
}

QString PupilsModel::keyOf(const QString &folded) const
{
    return m_merges ? m_merges->pupilOf(folded) : folded;
}

int PupilsModel::listedCount() const
{
    int count = 0;
    for (const Pupil &pupil : m_pupils)
        count += !pupil.listed.isEmpty();
    return count;
}

int PupilsModel::absentCount() const
{
    int count = 0;
    for (int row = 0; row < rowCount(); ++row)
        count += absent(row);
    return count;
}

int PupilsModel::rowOf(const QString &name) const
{
    return m_byKey.value(keyOf(foldName(name)), -1);
}

QStringList PupilsModel::foldedNames(int row) const
{
    const QString &key = m_keys[row];
    QStringList names{key};
    for (int name = 0; name < m_records.nameCount(); ++name) {
        const QString folded = m_records.foldedName(name);
        if (!names.contains(folded) && keyOf(folded) == key)
            names << folded;
    }
    return names;
}

QString PupilsModel::searchedName(int name) const
{
    const Pupil &pupil = m_pupils[size_t(name)];
    QStringList names{m_keys[name]};
    if (!pupil.listed.isEmpty())
        names << foldName(pupil.listed);
    for (const quint32 id : pupil.names) {
        const QString folded = m_records.foldedName(int(id));
        if (!names.contains(folded))
            names << folded;
    }
    return names.join(u'\n');
}

QString PupilsModel::mergedName(int row) const
{
    // Its key is the name the merges lead the others to.
    const Pupil &pupil = m_pupils[size_t(row)];
    const QString &key = m_keys[row];
    for (const quint32 id : pupil.names) {
        if (m_records.foldedName(int(id)) == key)
            return m_records.name(id);
    }
    return foldName(pupil.listed) == key ? pupil.listed : key;
}

int PupilsModel::pupilOf(quint32 name, std::vector<Pupil> &fresh, QStringList &freshKeys,
                         bool &grew)
{
    if (m_pupilOfName.size() <= name) {
        m_pupilOfName.resize(size_t(m_records.nameCount()), -1);
        m_nameCounts.resize(size_t(m_records.nameCount()), 0);
    }
    int &pupil = m_pupilOfName[name];
    if (pupil < 0) {
        const QString key = keyOf(m_records.foldedName(int(name)));
        const auto found = m_byKey.constFind(key);
        if (found != m_byKey.cend()) {
            pupil = found.value();
        } else {
            pupil = int(m_pupils.size() + fresh.size());
            m_byKey.insert(key, pupil);
            freshKeys.append(key);
            fresh.emplace_back().name = m_records.name(name);
        }
        const bool old = pupil < int(m_pupils.size());
        (old ? m_pupils[size_t(pupil)] : fresh[size_t(pupil) - m_pupils.size()])
            .names.push_back(name);
        grew = grew || old;
    }
    return pupil;
}

void PupilsModel::add(int firstRow, int lastRow)
{
    // New pupils are announced before the totals of the new records are counted in.
    const int before = rowCount();
    std::vector<Pupil> fresh;
    QStringList freshKeys;
    bool grew = false;
    std::vector<int> pupils;
    pupils.reserve(size_t(lastRow - firstRow + 1));
    for (int row = firstRow; row <= lastRow; ++row)
        pupils.push_back(m_records.inPeriod(row)
                             ? pupilOf(m_records.record(row).name, fresh, freshKeys, grew)
                             : -1);
    if (!fresh.empty()) {
        beginInsertRows({}, before, before + int(fresh.size()) - 1);
        m_pupils.insert(m_pupils.end(), std::make_move_iterator(fresh.begin()),
                        std::make_move_iterator(fresh.end()));
        m_keys += freshKeys;
        endInsertRows();
    }
    std::vector<bool> touched(m_pupils.size(), false);
    for (int row = firstRow; row <= lastRow; ++row) {
        const int pupil = pupils[size_t(row - firstRow)];
        if (pupil < 0)
            continue;
        const JournalRecord &record = m_records.record(row);
        ++m_nameCounts[record.name];
        count(m_pupils[size_t(pupil)], record);
        touched[size_t(pupil)] = true;
    }
    // The name typed most often may be another now.
    for (size_t pupil = 0; pupil < m_pupils.size(); ++pupil) {
        if (!touched[pupil])
            continue;
        QString name = shownNameOf(m_pupils[pupil]);
        if (name != m_pupils[pupil].name) {
            m_pupils[pupil].name = std::move(name);
            m_ranks.clear();
        }
    }
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    if (grew)
        emit namesChanged();
}

void PupilsModel::count(Pupil &pupil, const JournalRecord &record)
{
    ++pupil.attempts;
    pupil.doubtful += record.doubts != 0;
    if (record.doubts != 0 && !m_countDoubtful)
        return;
    const Order order = orderOf(record);
    if (pupil.summarized++ == 0) {
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
}

QString PupilsModel::shownNameOf(const Pupil &pupil) const
{
    std::vector<NameSpelling> spellings;
    for (const quint32 id : pupil.names) {
        const QString &text = m_records.name(id);
        const auto same = std::find_if(spellings.begin(), spellings.end(),
                                       [&](const NameSpelling &each) { return each.text == text; });
        if (same == spellings.end())
            spellings.push_back({text, m_nameCounts[id]});
        else
            same->count += m_nameCounts[id];
    }
    return shownName(spellings, pupil.listed);
}

void PupilsModel::rebuild()
{
    beginResetModel();
    m_pupils.clear();
    m_keys.clear();
    m_byKey.clear();
    m_pupilOfName.clear();
    m_nameCounts.clear();
    m_ranks.clear();
    // The class list's pupils first, in its order; two of its names merged are one pupil,
    // under the first.
    for (const QString &name : m_list.names()) {
        const QString key = keyOf(foldName(name));
        if (m_byKey.contains(key))
            continue;
        m_byKey.insert(key, int(m_pupils.size()));
        m_keys << key;
        m_pupils.emplace_back();
        m_pupils.back().name = m_pupils.back().listed = name;
    }
    endResetModel();
    if (m_records.rowCount() > 0)
        add(0, m_records.rowCount() - 1);
}

QString PupilsModel::text(int row, int column) const
{
    const Pupil &pupil = m_pupils[size_t(row)];
    const bool none = pupil.summarized == 0;
    switch (column) {
    case Name:
        return pupil.name;
    case Attempts:
        return pupil.attempts == 0 ? QStringLiteral("нет попыток")
                                   : QString::number(pupil.attempts);
    case First:
        return none ? QString() : localeTotalText(pupil.first);
    case Best:
        return none ? QString() : localeTotalText(pupil.best);
    case Latest:
        return none ? QString() : localeTotalText(pupil.latest);
    case Change: {
        if (none)
            return {};
        if (pupil.summarized < 2)
            return QStringLiteral("—");
        const double change = pupil.latest - pupil.first;
        const QString size = localeTotalText(std::abs(change));
        return change > 0 ? u'+' + size : change < 0 ? u'−' + size : size;
    }
    case Complete:
        return pupil.attempts == 0 ? QString()
               : pupil.complete    ? QStringLiteral("да")
                                   : QStringLiteral("нет");
    case Listed:
        return pupil.listed.isEmpty() ? QStringLiteral("нет") : QStringLiteral("да");
    default:
        return none ? QString() : QString::number(pupil.bestScores[size_t(column - Left)]);
    }
}

int PupilsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_pupils.size());
}

int PupilsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_list.isEmpty() ? Listed : ColumnCount;
}

QString PupilsModel::toolTip(const Pupil &pupil) const
{
    QStringList lines;
    if (!pupil.name.trimmed().isEmpty())
        lines << pupil.name;
    if (pupil.listed.isEmpty() && !m_list.isEmpty())
        lines << QStringLiteral("Нет в списке класса");
    if (!pupil.listed.isEmpty() && pupil.attempts == 0)
        lines << QStringLiteral("Нет попыток за выбранный период");
    if (pupil.doubtful > 0)
        lines << QStringLiteral("Попыток, которые курс не мог записать: %1 — %2")
                     .arg(pupil.doubtful)
                     .arg(m_countDoubtful ? QStringLiteral("учтены в итогах")
                                          : QStringLiteral("не учтены в итогах"));
    return lines.join(u'\n');
}

QVariant PupilsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == Name || index.column() >= Complete
                   ? QVariant()
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    const Pupil &pupil = m_pupils[size_t(index.row())];
    // The whole name, where the column cuts it, and what marks the row; plain, whatever the
    // name holds.
    if (role == Qt::ToolTipRole && index.column() == Name) {
        const QString tip = toolTip(pupil);
        return tip.isEmpty() ? QVariant() : QVariant(PlainText::html(tip));
    }
    if (role == Qt::DecorationRole && index.column() == Name) {
        if (pupil.doubtful > 0)
            return RecordsModel::doubtIcon(m_doubtIcon);
        if (pupil.listed.isEmpty() && !m_list.isEmpty()) {
            if (m_unlistedIcon.isNull())
                m_unlistedIcon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxQuestion);
            return m_unlistedIcon;
        }
        return {};
    }
    if (role != Qt::DisplayRole)
        return {};
    return text(index.row(), index.column());
}

QVariant PupilsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // Long headings in two lines, so that thirteen columns fit a window 1100 pixels wide.
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        if (section == Game1 || section == Game2)
            return RecordFields::heading(RecordFields::Game1 + section - Game1);
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
    // A pupil without summaries goes before those with any.
    const auto below = [&](double leftValue, double rightValue) {
        if ((left.summarized == 0) != (right.summarized == 0))
            return left.summarized == 0;
        return left.summarized > 0 && leftValue < rightValue;
    };
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
        return below(left.first, right.first);
    case Best:
        return below(left.best, right.best);
    case Latest:
        return below(left.latest, right.latest);
    case Change:
        return below(left.summarized < 2 ? 0 : left.latest - left.first,
                     right.summarized < 2 ? 0 : right.latest - right.first);
    case Complete:
        return std::pair(left.attempts > 0, left.complete) <
               std::pair(right.attempts > 0, right.complete);
    case Listed:
        return left.listed.isEmpty() > right.listed.isEmpty();
    default:
        return below(left.bestScores[size_t(column - Left)],
                     right.bestScores[size_t(column - Left)]);
    }
}
