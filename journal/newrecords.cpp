#include "newrecords.h"

#include "journalfilter.h"
#include "recordsmodel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

NewRecords::NewRecords(RecordsModel &records, JournalFilter &shown, QWidget *parent)
    : QObject(parent), m_records(records), m_shown(shown), m_button(new QPushButton(parent)),
      m_bar(new QWidget(parent)), m_title(new QLabel(m_bar))
{
    m_button->setObjectName(QStringLiteral("freshButton"));
    m_button->setFlat(true);
    m_button->setToolTip(
        QStringLiteral("Показать записи, которые появились, пока журнал был открыт"));
    m_button->hide();
    connect(m_button, &QPushButton::clicked, this, &NewRecords::show);

    m_bar->setObjectName(QStringLiteral("freshBar"));
    auto *seen = new QPushButton(QStringLiteral("&Отметить просмотренными"), m_bar);
    seen->setObjectName(QStringLiteral("markSeen"));
    seen->setToolTip(QStringLiteral("Снять с этих записей отметку «новая» и показать все записи"));
    connect(seen, &QPushButton::clicked, this, [this] {
        m_records.markSeen();
        leave();
    });
    auto *all = new QPushButton(QStringLiteral("Все записи"), m_bar);
    all->setToolTip(QStringLiteral("Показать все записи; новые останутся отмеченными"));
    connect(all, &QPushButton::clicked, this, &NewRecords::leave);
    auto *row = new QHBoxLayout(m_bar);
    row->setContentsMargins(6, 6, 6, 0);
    row->addWidget(m_title, 1);
    row->addWidget(seen);
    row->addWidget(all);
    m_bar->hide();
}

void NewRecords::update()
{
    const qsizetype count = m_records.freshCount();
    m_button->setText(QStringLiteral("Новых: %1").arg(count));
    m_button->setVisible(count > 0);
    m_title->setText(
        QStringLiteral("Новые записи, появившиеся, пока журнал открыт: %1").arg(count));
}

void NewRecords::show()
{
    m_shown.setFreshOnly(true);
    m_bar->show();
    emit shown();
}

void NewRecords::leave()
{
    m_shown.setFreshOnly(false);
    m_bar->hide();
}
