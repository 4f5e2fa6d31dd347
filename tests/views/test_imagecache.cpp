#include "ImageCache.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A plain file in the working directory wins over the compiled-in pictures,
// which are searched under ":/img/img/" before ":/img/".
TEST(ImageCache, PlainFileWinsOverCompiledInPictures)
{
    EXPECT_EQ(ImageCache::pixmap("cache-fallback.png").size(), QSize(7, 1));
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QImage(5, 4, QImage::Format_RGB32).save(dir.filePath("cache-override.png"));
    QDir::setCurrent(dir.path());
    ImageCache::release();
    EXPECT_EQ(ImageCache::pixmap("cache-override.png").size(), QSize(5, 4));

    // Kept once found: the file going away changes nothing until a release.
    QFile::remove(dir.filePath("cache-override.png"));
    EXPECT_EQ(ImageCache::pixmap("cache-override.png").size(), QSize(5, 4));
    ImageCache::release();
    EXPECT_EQ(ImageCache::pixmap("cache-override.png").size(), QSize(3, 2));
    QDir::setCurrent(previous);
}
