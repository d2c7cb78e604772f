#include "filterswitches.h"

#include "journalfilter.h"
#include "pupilsmodel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSettings>

namespace {

const QString kCountDoubtfulKey = QStringLiteral("countDoubtful");

QSettings settings()
{
    return QSettings(QStringLiteral("mouse-tutor"), QStringLiteral("journal"));
}

} // namespace

FilterSwitches::FilterSwitches(JournalFilter &records, JournalFilter &pupilsShown,
                               PupilsModel &pupils, QWidget *parent)
    : QWidget(parent), m_absentOnly(new QCheckBox(QStringLiteral("только &без попыток"), this))
{
    auto *doubtfulOnly = new QCheckBox(QStringLiteral("только &подозрительные"), this);
    doubtfulOnly->setObjectName(QStringLiteral("doubtfulOnly"));
    doubtfulOnly->setToolTip(
        QStringLiteral("Только строки, которые курс не мог записать: оценка или итог не такие, "
                       "какие дают упражнения и игры, — и ученики с такими строками"));
    connect(doubtfulOnly, &QCheckBox::toggled, this, [&records, &pupilsShown](bool only) {
        records.setDoubtfulOnly(only);
        pupilsShown.setDoubtfulOnly(only);
    });

    m_absentOnly->setObjectName(QStringLiteral("absentOnly"));
    m_absentOnly->setToolTip(QStringLiteral("Только ученики из списка класса, у которых нет ни "
                                            "одной попытки за выбранный период (меню «Класс»)"));
    connect(m_absentOnly, &QCheckBox::toggled, this, [this, &pupilsShown](bool only) {
        pupilsShown.setAbsentOnly(only);
        if (only)
            emit pupilsWanted();
    });
    // Without a class list nobody is missing.
    const auto listChanged = [this, &pupils] {
        const bool listed = !pupils.classList().isEmpty();
        if (!listed)
            m_absentOnly->setChecked(false);
        m_absentOnly->setEnabled(listed);
    };
    connect(&pupils, &QAbstractItemModel::modelReset, this, listChanged);
    listChanged();

    auto *countDoubtful = new QCheckBox(QStringLiteral("у&читывать подозрительные"), this);
    countDoubtful->setObjectName(QStringLiteral("countDoubtful"));
    countDoubtful->setToolTip(QStringLiteral(
        "Считать строки, которые курс не мог записать, в первом, лучшем и последнем итоге, "
        "лучших оценках, «Курс пройден» и на диаграмме. Без этой отметки они только "
        "подсчитываются отдельно"));
    countDoubtful->setChecked(settings().value(kCountDoubtfulKey, false).toBool());
    pupils.setCountDoubtful(countDoubtful->isChecked());
    connect(countDoubtful, &QCheckBox::toggled, this, [&pupils](bool count) {
        settings().setValue(kCountDoubtfulKey, count);
        pupils.setCountDoubtful(count);
    });

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(doubtfulOnly);
    row->addWidget(m_absentOnly);
    row->addWidget(countDoubtful);
}
