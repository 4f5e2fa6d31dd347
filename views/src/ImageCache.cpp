#include "ImageCache.h"

#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <utility>

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
    QPixmap found;
    for (const QString& path :
         {name, QStringLiteral(":/img/img/") + name, QStringLiteral(":/img/") + name}) {
        // Decoded into an image that becomes the pixmap in place: loading
        // straight into a QPixmap decodes into one buffer and copies it into
        // another, which a batch run pays for in page faults.
        QImageReader reader(path);
        QImage image = reader.read();
        if (!image.isNull()) {
            found = QPixmap::fromImage(std::move(image));
            break;
        }
    }
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
