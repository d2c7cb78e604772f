#pragma once

#include <QWidget>

class JournalFilter;
class PupilsModel;
class QCheckBox;

// The switches beside the search field: «только подозрительные» keeps the records the course
// cannot have written and the pupils who have them; «только без попыток» keeps the pupils of the
// class list with no attempt in the period (on the pupils' tab and the chart, brought forward);
// «учитывать подозрительные» counts the doubtful records in the pupils' summaries, and is
// remembered in the journal's settings.
class FilterSwitches : public QWidget
{
    Q_OBJECT

public:
    FilterSwitches(JournalFilter &records, JournalFilter &pupilsShown, PupilsModel &pupils,
                   QWidget *parent = nullptr);

signals:
    // «только без попыток» was switched on: the pupils' table wants to be shown.
    void pupilsWanted();

private:
    QCheckBox *m_absentOnly;
};
