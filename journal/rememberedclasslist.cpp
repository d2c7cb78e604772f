#include "rememberedclasslist.h"

#include "classlist.h"

#include <QSettings>

namespace {

const QString kArray = QStringLiteral("classLists");
const QString kFiles = QStringLiteral("files");
const QString kNames = QStringLiteral("names");
const QString kName = QStringLiteral("name");

struct Kept
{
    QStringList files; // sorted
    QStringList names;
    QString name;
};

QSettings settings()
{
    return QSettings(QStringLiteral("mouse-tutor"), QStringLiteral("journal"));
}

QStringList sorted(QStringList files)
{
    files.sort();
    files.removeDuplicates();
    return files;
}

// The teacher's own file, yet it may have been edited: no more is read than is ever written.
QList<Kept> readAll()
{
    QSettings stored = settings();
    QList<Kept> all;
    const int count = stored.beginReadArray(kArray);
    for (int i = 0; i < count && all.size() < RememberedClassList::kMostKept; ++i) {
        stored.setArrayIndex(i);
        Kept kept{sorted(stored.value(kFiles).toStringList()), stored.value(kNames).toStringList(),
                  stored.value(kName).toString().left(ClassList::kMaxLineLength)};
        if (!kept.files.isEmpty() && !kept.names.isEmpty() &&
            kept.names.size() <= ClassList::kMaxNames)
            all.append(std::move(kept));
    }
    stored.endArray();
    return all;
}

} // namespace

ClassList RememberedClassList::get(const QStringList &files)
{
    const QStringList key = sorted(files);
    for (const Kept &kept : readAll()) {
        if (kept.files == key)
            return ClassList::fromText(kept.names.join(u'\n'), kept.name);
    }
    return {};
}

void RememberedClassList::keep(const QStringList &files, const ClassList &list)
{
    const QStringList &names = list.names();
    const QStringList key = sorted(files);
    if (key.isEmpty())
        return;
    QList<Kept> all = readAll();
    all.removeIf([&](const Kept &kept) { return kept.files == key; });
    // The latest first, so that the oldest is the one forgotten.
    if (!names.isEmpty())
        all.prepend({key, names, list.name()});
    QSettings stored = settings();
    stored.remove(kArray);
    stored.beginWriteArray(kArray, int(std::min(all.size(), kMostKept)));
    for (int i = 0; i < all.size() && i < kMostKept; ++i) {
        stored.setArrayIndex(i);
        stored.setValue(kFiles, all[i].files);
        stored.setValue(kNames, all[i].names);
        stored.setValue(kName, all[i].name);
    }
    stored.endArray();
}
