#pragma once

#include <QDialog>

class NameMerges;
class QListWidget;
class QPushButton;

// «Объединённые имена»: each name the teacher said is the same pupil as another, and a button
// that takes the chosen merge back.
class MergesDialog : public QDialog
{
    Q_OBJECT

public:
    MergesDialog(NameMerges &merges, QWidget *parent = nullptr);

private:
    void list();

    NameMerges &m_merges;
    QListWidget *m_list;
    QPushButton *m_undo;
};
