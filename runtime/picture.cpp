#include "picture.h"

#include <QHash>
#include <QImage>
#include <QImageReader>

QPixmap Picture::load(const QString &path)
{
    static QHash<QString, QPixmap> cache;
    if (const auto found = cache.constFind(path); found != cache.cend())
        return *found;
    QImageReader reader(path);
    QImage best;
    for (int i = 0, count = std::max(1, reader.imageCount()); i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (image.width() * image.height() > best.width() * best.height())
            best = image;
    }
    QPixmap pixmap = QPixmap::fromImage(best);
    cache.insert(path, pixmap);
    return pixmap;
}

QIcon Picture::loadIcon(const QString &path)
{
    return QIcon(path);
}
