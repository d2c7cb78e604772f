#pragma once

#include <QObject>

class JournalFilter;
class QLabel;
class QPushButton;
class QWidget;
class RecordsModel;

// The records appended while the journal is open stay marked as new until the teacher marks
// them seen. A button in the status bar counts them («Новых: 3») and shows them alone, under a
// bar whose «Отметить просмотренными» takes the marks off and shows every record again; «Все
// записи» goes back without taking them off. Nothing else takes them off: not a look, not a
// sort, not a search.
class NewRecords : public QObject
{
    Q_OBJECT

public:
    NewRecords(RecordsModel &records, JournalFilter &shown, QWidget *parent);

    // For the status bar: hidden while there are none.
    QPushButton *button() const { return m_button; }
    // For above the records: shown while they are the new ones alone.
    QWidget *bar() const { return m_bar; }

    // Counts them again.
    void update();
    // Shows every record again, the marks kept.
    void leave();

signals:
    // The new records alone are shown: the window brings their table forward.
    void shown();

private:
    void show();

    RecordsModel &m_records;
    JournalFilter &m_shown;
    QPushButton *m_button;
    QWidget *m_bar;
    QLabel *m_title;
};
