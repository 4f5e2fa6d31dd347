#include "ImageCache.h"

#include <QCoreApplication>
#include <QHash>

namespace {
struct Cache
{
    QHash<QString, QPixmap> pixmaps;
    int searches = 0;
    bool releaseScheduled = false;
};

Cache& cache()
{
    static Cache instance;
    return instance;
}
} // namespace

QPixmap ImageCache::pixmap(const QString& name)
{
    Cache& c = cache();
    auto it = c.pixmaps.constFind(name);
    if (it != c.pixmaps.constEnd())
        return it.value();

    // Pixmaps must not outlive the application object, so the pictures are
    // dropped from its destructor rather than at static destruction time.
    if (!c.releaseScheduled) {
        qAddPostRoutine(&ImageCache::release);
        c.releaseScheduled = true;
    }
    ++c.searches;
    QPixmap found(name);
    if (found.isNull())
        found = QPixmap(QStringLiteral(":/img/img/") + name);
    if (found.isNull())
        found = QPixmap(QStringLiteral(":/img/") + name);
    c.pixmaps.insert(name, found);
    return found;
}

int ImageCache::searchCount()
{
    return cache().searches;
}

void ImageCache::release()
{
    Cache& c = cache();
    c.pixmaps.clear();
    c.releaseScheduled = false;
}
