#include "namemerges.h"

#include "namefold.h"

#include <QSettings>

namespace {

const QString kArray = QStringLiteral("nameMerges");
const QString kName = QStringLiteral("name");
const QString kInto = QStringLiteral("into");

QSettings settings()
{
    return QSettings(QStringLiteral("mouse-tutor"), QStringLiteral("journal"));
}

} // namespace

NameMerges::NameMerges(QObject *parent) : QObject(parent)
{
    // The teacher's own file, yet it may have been edited: what does not make sense is left out.
    QSettings stored = settings();
    const int count = stored.beginReadArray(kArray);
    for (int i = 0; i < count && m_merges.size() < kMaxMerges; ++i) {
        stored.setArrayIndex(i);
        const Merge merge{stored.value(kName).toString(), stored.value(kInto).toString()};
        if (merge.name.size() <= kMaxNameLength && merge.into.size() <= kMaxNameLength)
            add(merge, nullptr);
    }
    stored.endArray();
}

bool NameMerges::merge(const QString &name, const QString &into, QString *problem)
{
    if (!add({name, into}, problem))
        return false;
    save();
    emit changed();
    return true;
}

bool NameMerges::add(const Merge &merge, QString *problem)
{
    const auto refuse = [&](const QString &why) {
        if (problem)
            *problem = why;
        return false;
    };
    const QString name = foldName(merge.name);
    const QString into = foldName(merge.into);
    if (name.isEmpty() || into.isEmpty())
        return refuse(QStringLiteral("Пустое имя не объединить с другим."));
    if (name == into)
        return refuse(QStringLiteral("«%1» и «%2» — уже один ученик.").arg(merge.name, merge.into));
    // The merges from `into` on must not pass through `name`, which would then lead to itself.
    for (QString on = into;;) {
        if (on == name)
            return refuse(QStringLiteral("Нельзя: «%1» уже объединён с «%2». Сначала отмените "
                                         "то объединение.")
                              .arg(merge.into, merge.name));
        const auto next = m_into.constFind(on);
        if (next == m_into.cend())
            break;
        on = next.value();
    }
    if (m_into.contains(name))
        m_merges.removeIf([&](const Merge &each) { return foldName(each.name) == name; });
    m_into.insert(name, into);
    m_merges.append(merge);
    return true;
}

bool NameMerges::undo(const QString &name)
{
    const QString folded = foldName(name);
    if (!m_into.remove(folded))
        return false;
    m_merges.removeIf([&](const Merge &each) { return foldName(each.name) == folded; });
    save();
    emit changed();
    return true;
}

QString NameMerges::pupilOf(const QString &folded) const
{
    // No merge leads back to where it started (add refuses one), so the walk ends.
    QString pupil = folded;
    for (auto next = m_into.constFind(pupil); next != m_into.cend(); next = m_into.constFind(pupil))
        pupil = next.value();
    return pupil;
}

void NameMerges::save() const
{
    QSettings stored = settings();
    stored.remove(kArray);
    stored.beginWriteArray(kArray, int(m_merges.size()));
    for (int i = 0; i < m_merges.size(); ++i) {
        stored.setArrayIndex(i);
        stored.setValue(kName, m_merges[i].name);
        stored.setValue(kInto, m_merges[i].into);
    }
    stored.endArray();
}
