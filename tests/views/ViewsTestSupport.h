#pragma once
// Helpers shared by the views tests.

#include "ImageCache.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

// Makes a temporary directory the working directory and fills it with
// pictures of the given names and sizes; plain files win over compiled-in
// pictures, so the items see exactly these. The cache is emptied on both ends.
class PictureDir
{
public:
    explicit PictureDir(const std::vector<std::pair<QString, QSize>>& pictures) : previous(QDir::currentPath())
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
    QString path(const QString& name) const { return dir.filePath(name); }

private:
    QTemporaryDir dir;
    QString previous;
};

// The pictures the scenery table and the views ask for, at their real sizes.
inline std::vector<std::pair<QString, QSize>> sceneryPictures()
{
    return {{"tree-top.png", {324, 315}},        {"tree-birch.png", {220, 409}},
            {"tree-chestnut.png", {300, 445}},   {"tree-elm.png", {266, 402}},
            {"tree-oak.png", {400, 346}},        {"BigBunker_Side.png", {260, 44}},
            {"BigBunker_Top.png", {260, 180}},   {"SmallBunker_Side.png", {67, 15}},
            {"SmallBunker_Top.png", {134, 88}},  {"Path_Side.png", {1634, 48}},
            {"Path_Top.png", {1634, 112}}};
}

// The size in scene units an unrotated item's picture covers.
template <typename Item>
QSizeF coveredSize(const Item& item)
{
    return {item.transform().m11() * item.pixmap().width(), item.transform().m22() * item.pixmap().height()};
}
