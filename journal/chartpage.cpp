#include "chartpage.h"

#include "pupilschart.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

ChartPage::ChartPage(const JournalFilter &pupils, QWidget *parent)
    : QWidget(parent), m_chart(new PupilsChart(pupils, this))
{
    m_chart->setObjectName(QStringLiteral("chart"));
    auto *choice = new QComboBox(this);
    choice->setObjectName(QStringLiteral("chartPair"));
    choice->addItem(QStringLiteral("лучший и последний итог"),
                    int(PupilsChart::Pair::BestAndLatest));
    choice->addItem(QStringLiteral("первый и последний итог"),
                    int(PupilsChart::Pair::FirstAndLatest));
    choice->setToolTip(QStringLiteral("Первый и последний итог рядом показывают, кто из учеников "
                                      "стал справляться лучше за выбранный период"));
    connect(choice, &QComboBox::currentIndexChanged, this, [this, choice](int index) {
        m_chart->setPair(PupilsChart::Pair(choice->itemData(index).toInt()));
    });
    auto *label = new QLabel(QStringLiteral("&Столбцы:"), this);
    label->setBuddy(choice);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(6, 6, 6, 0);
    row->addWidget(label);
    row->addWidget(choice);
    row->addStretch(1);

    auto *area = new QScrollArea(this);
    area->setWidget(m_chart);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(area, 1);
}
