#pragma once

#include <QDialog>

class PupilsModel;
class QLineEdit;
class QListWidget;
class QPushButton;

// «Это тот же ученик, что…»: the pupil to merge one into. The names that look like a misspelling
// of the pupil's, or of which the pupil's looks like one, come first (Misspellings: a name off
// the class list within two letters of a listed one or of another off it); then every other
// pupil in alphabetical order. Typing in the field keeps the pupils any of whose names hold it.
class MergeDialog : public QDialog
{
    Q_OBJECT

public:
    MergeDialog(const PupilsModel &pupils, int row, QWidget *parent = nullptr);

    // The name of the pupil chosen, as shown; null until one is.
    QString chosen() const;

private:
    void search(const QString &text);

    QLineEdit *m_search;
    QListWidget *m_list;
    QPushButton *m_merge;
};
