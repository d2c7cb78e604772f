#include "chartpage.h"

#include "pupilschart.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
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
    // The chart takes the focus, for a screen reader to read it, and scrolls its page by the keys.
    area->setFocusPolicy(Qt::NoFocus);
    m_chart->installEventFilter(this);
    m_scroll = area->verticalScrollBar();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(area, 1);
}

bool ChartPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    static constexpr std::pair<int, QAbstractSlider::SliderAction> kKeys[] = {
        {Qt::Key_Up, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Down, QAbstractSlider::SliderSingleStepAdd},
        {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
        {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
        {Qt::Key_Home, QAbstractSlider::SliderToMinimum},
        {Qt::Key_End, QAbstractSlider::SliderToMaximum}};
    const int key = static_cast<QKeyEvent *>(event)->key();
    for (const auto &[each, action] : kKeys) {
        if (key == each) {
            m_scroll->triggerAction(action);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
