#pragma once

#include "journalperiod.h"

#include <QDateTime>
#include <QTimer>
#include <QWidget>

class QComboBox;
class QDateTimeEdit;
class QPushButton;

// The period the journal shows, beside the search: all the time, today, this lesson (since
// «Начать урок» was pressed, remembered across restarts), this week (since Monday), or from one
// date and time to another. Today and this week follow the clock past midnight.
class PeriodBar : public QWidget
{
    Q_OBJECT

public:
    enum Kind { All, Today, Lesson, Week, Dates };

    explicit PeriodBar(QWidget *parent = nullptr);

    // The period a choice stands for at `now`, in this computer's time zone: today from its
    // midnight to the next, the week from Monday's midnight to the next Monday's, the lesson
    // from `lessonStart` on; `dates` for Dates.
    static JournalPeriod periodOf(Kind kind, const QDateTime &now, qint64 lessonStart,
                                  const JournalPeriod &dates);

    const JournalPeriod &period() const { return m_period; }
    // The period in words for a title («за сегодня, 08.12.2026»); empty for all the time.
    QString description() const;
    // Shows the records saved from `from` up to before `until` (seconds since 1970), as the
    // command line asks.
    void setDates(qint64 from, qint64 until);

signals:
    void periodChanged(const JournalPeriod &period);

private:
    Kind kind() const;
    void apply();
    void startLesson();
    void showLessonStart();
    void showDates();
    void datesEdited();

    QComboBox *m_kind;
    QDateTimeEdit *m_from;
    QDateTimeEdit *m_until;
    QPushButton *m_lesson;
    QTimer m_clock;
    qint64 m_lessonStart = -1; // none yet
    JournalPeriod m_dates;     // what Dates stands for
    JournalPeriod m_period;
};
