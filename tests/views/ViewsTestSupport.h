#pragma once
// Helpers shared by the views tests.

#include "ImageCache.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Makes a temporary directory holding pictures of the given names and sizes the
// working directory. Plain files win over compiled-in pictures, so the items see
// exactly these; the cache is emptied on both ends.
class PictureDir
{
public:
    explicit PictureDir(const std::vector<std::pair<QString, QSize>>& pictures)
    {
        for (const auto& [name, size] : pictures) {
            QImage image(size, QImage::Format_RGBA8888);
            image.fill(Qt::darkGreen);
            image.save(dir.filePath(name));
        }
        QDir::setCurrent(dir.path());
        ImageCache::release();
    }
    ~PictureDir()
    {
        QDir::setCurrent(previous);
        ImageCache::release();
    }
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
};

// The size in scene units an unrotated item's picture covers.
template <typename Item> QSizeF coveredSize(const Item& item)
{
    return {item.transform().m11() * item.pixmap().width(),
            item.transform().m22() * item.pixmap().height()};
}
