#include "periodbar.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStandardItemModel>

namespace {

constexpr const char *kLessonKey = "lessonStart";
constexpr int kMinute = 60;

QSettings settings()
{
    return QSettings(QStringLiteral("mouse-tutor"), QStringLiteral("journal"));
}

qint64 midnight(const QDate &day)
{
    return QDateTime(day, QTime(0, 0)).toSecsSinceEpoch();
}

QString shownTime(qint64 seconds, const char *format)
{
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QString::fromLatin1(format));
}

} // namespace

PeriodBar::PeriodBar(QWidget *parent)
    : QWidget(parent), m_kind(new QComboBox(this)), m_from(new QDateTimeEdit(this)),
      m_until(new QDateTimeEdit(this)),
      m_lesson(new QPushButton(QStringLiteral("&Начать урок"), this))
{
    m_kind->setObjectName(QStringLiteral("period"));
    m_kind->addItem(QStringLiteral("Всё время"));
    m_kind->addItem(QStringLiteral("Сегодня"));
    m_kind->addItem(QStringLiteral("Этот урок"));
    m_kind->addItem(QStringLiteral("Неделя"));
    m_kind->addItem(QStringLiteral("Даты…"));
    m_kind->setItemData(All, QStringLiteral("Все записи, и те, у которых нет даты"),
                        Qt::ToolTipRole);
    m_kind->setItemData(Today, QStringLiteral("С полуночи"), Qt::ToolTipRole);
    m_kind->setItemData(Week, QStringLiteral("С понедельника этой недели"), Qt::ToolTipRole);
    m_kind->setItemData(Dates, QStringLiteral("С одной даты и времени по другую"), Qt::ToolTipRole);
    m_kind->setToolTip(QStringLiteral("Записи за какое время считать в таблицах, на диаграмме и "
                                      "при сохранении; записи без даты — только за всё время"));
    for (QDateTimeEdit *edit : {m_from, m_until}) {
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy HH:mm"));
        edit->setCalendarPopup(true);
        edit->hide();
        connect(edit, &QDateTimeEdit::editingFinished, this, &PeriodBar::datesEdited);
    }
    m_from->setObjectName(QStringLiteral("periodFrom"));
    m_until->setObjectName(QStringLiteral("periodUntil"));
    m_from->setAccessibleName(QStringLiteral("Период с"));
    m_until->setAccessibleName(QStringLiteral("Период по"));
    m_from->setToolTip(QStringLiteral("С этой минуты"));
    m_until->setToolTip(QStringLiteral("По эту минуту включительно"));
    m_lesson->setObjectName(QStringLiteral("startLesson"));
    m_lesson->setToolTip(QStringLiteral("Считать с этой минуты урок: «Этот урок» покажет записи, "
                                        "сделанные с неё"));

    const QDate today = QDate::currentDate();
    m_dates = JournalPeriod::between(midnight(today), midnight(today.addDays(1)));
    bool known = false;
    const qint64 start = settings().value(QLatin1String(kLessonKey)).toLongLong(&known);
    m_lessonStart = known ? start : -1;
    showLessonStart();

    auto *label = new QLabel(QStringLiteral("П&ериод:"), this);
    label->setBuddy(m_kind);
    auto *dash = new QLabel(QStringLiteral("—"), this);
    dash->setObjectName(QStringLiteral("periodDash"));
    dash->hide();
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label);
    row->addWidget(m_kind);
    row->addWidget(m_from);
    row->addWidget(dash);
    row->addWidget(m_until);
    row->addWidget(m_lesson);
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this, dash] {
        const bool dates = kind() == Dates;
        if (dates)
            showDates();
        for (QWidget *each : {static_cast<QWidget *>(m_from), static_cast<QWidget *>(m_until),
                              static_cast<QWidget *>(dash)})
            each->setVisible(dates);
        apply();
    });
    connect(m_lesson, &QPushButton::clicked, this, &PeriodBar::startLesson);
    // Today and this week move on at midnight.
    m_clock.setInterval(30000);
    connect(&m_clock, &QTimer::timeout, this, &PeriodBar::apply);
    m_clock.start();
}

PeriodBar::Kind PeriodBar::kind() const
{
    return Kind(m_kind->currentIndex());
}

JournalPeriod PeriodBar::periodOf(Kind kind, const QDateTime &now, qint64 lessonStart,
                                  const JournalPeriod &dates)
{
    const QDate today = now.toLocalTime().date();
    switch (kind) {
    case All:
        break;
    case Today:
        return JournalPeriod::between(midnight(today), midnight(today.addDays(1)));
    case Lesson:
        return JournalPeriod::between(lessonStart, JournalPeriod::kNever);
    case Week: {
        const QDate monday = today.addDays(1 - today.dayOfWeek());
        return JournalPeriod::between(midnight(monday), midnight(monday.addDays(7)));
    }
    case Dates:
        return dates;
    }
    return {};
}

void PeriodBar::apply()
{
    const JournalPeriod period =
        periodOf(kind(), QDateTime::currentDateTime(), m_lessonStart, m_dates);
    if (period == m_period)
        return;
    m_period = period;
    emit periodChanged(m_period);
}

QString PeriodBar::description() const
{
    switch (kind()) {
    case All:
        break;
    case Today:
        return QStringLiteral("за сегодня, %1").arg(shownTime(m_period.from, "dd.MM.yyyy"));
    case Lesson:
        return QStringLiteral("за урок с %1").arg(shownTime(m_period.from, "HH:mm dd.MM.yyyy"));
    case Week:
        return QStringLiteral("за неделю с %1").arg(shownTime(m_period.from, "dd.MM.yyyy"));
    case Dates:
        // A period that --since or --until left open at one end.
        if (m_period.until == JournalPeriod::kNever)
            return QStringLiteral("с %1").arg(shownTime(m_period.from, "dd.MM.yyyy HH:mm"));
        if (m_period.from == JournalPeriod::kAlways)
            return QStringLiteral("по %1").arg(shownTime(m_period.until - 1, "dd.MM.yyyy HH:mm"));
        return QStringLiteral("с %1 по %2")
            .arg(shownTime(m_period.from, "dd.MM.yyyy HH:mm"),
                 shownTime(m_period.until - 1, "dd.MM.yyyy HH:mm"));
    }
    return {};
}

// An open end shows as the first or the last minute the field can show.
void PeriodBar::showDates()
{
    m_from->setDateTime(m_dates.from == JournalPeriod::kAlways
                            ? m_from->minimumDateTime()
                            : QDateTime::fromSecsSinceEpoch(m_dates.from));
    m_until->setDateTime(m_dates.until == JournalPeriod::kNever
                             ? m_until->maximumDateTime()
                             : QDateTime::fromSecsSinceEpoch(m_dates.until - 1));
}

void PeriodBar::setDates(qint64 from, qint64 until)
{
    m_dates = JournalPeriod::between(from, until);
    if (kind() == Dates) {
        showDates();
        apply();
    } else {
        m_kind->setCurrentIndex(Dates);
    }
}

// The fields show minutes: the period runs from the first one's start to the second one's end.
void PeriodBar::datesEdited()
{
    const qint64 from = m_from->dateTime().toSecsSinceEpoch();
    const qint64 until = m_until->dateTime().toSecsSinceEpoch();
    m_dates = JournalPeriod::between(from - from % kMinute, until - until % kMinute + kMinute);
    apply();
}

void PeriodBar::startLesson()
{
    m_lessonStart = QDateTime::currentSecsSinceEpoch();
    settings().setValue(QLatin1String(kLessonKey), m_lessonStart);
    showLessonStart();
    if (kind() == Lesson)
        apply();
    else
        m_kind->setCurrentIndex(Lesson);
}

// «Этот урок» can be chosen once a lesson was started, and says since when.
void PeriodBar::showLessonStart()
{
    auto *items = qobject_cast<QStandardItemModel *>(m_kind->model());
    items->item(Lesson)->setEnabled(m_lessonStart >= 0);
    const bool today = QDateTime::fromSecsSinceEpoch(m_lessonStart).date() == QDate::currentDate();
    m_kind->setItemText(Lesson,
                        m_lessonStart >= 0
                            ? QStringLiteral("Этот урок (с %1)")
                                  .arg(shownTime(m_lessonStart, today ? "HH:mm" : "dd.MM HH:mm"))
                            : QStringLiteral("Этот урок"));
    m_kind->setItemData(Lesson,
                        m_lessonStart >= 0
                            ? QStringLiteral("С %1, когда была нажата кнопка «Начать урок»")
                                  .arg(shownTime(m_lessonStart, "HH:mm dd.MM.yyyy"))
                            : QStringLiteral("Сначала нажмите «Начать урок»"),
                        Qt::ToolTipRole);
}
