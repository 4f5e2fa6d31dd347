#include "ViewsTestSupport.h"

#include <QFile>

TEST(ImageCache, NameFoundNowhereIsSearchedOnce)
{
    const int before = ImageCache::searchCount();
    EXPECT_TRUE(ImageCache::pixmap("nowhere-at-all.png").isNull());
    EXPECT_TRUE(ImageCache::pixmap("nowhere-at-all.png").isNull());
    EXPECT_EQ(ImageCache::searchCount(), before + 1);
}

TEST(ImageCache, PlainFileWinsOverCompiledInPictures)
{
    EXPECT_EQ(ImageCache::pixmap("cache-fallback.png").size(), QSize(7, 1)); // under ":/img/"
    PictureDir dir({{"cache-override.png", {5, 4}}});
    EXPECT_EQ(ImageCache::pixmap("cache-override.png").size(), QSize(5, 4));

    // Kept once found: the file going away changes nothing until a release.
    QFile::remove(dir.dir.filePath("cache-override.png"));
    EXPECT_EQ(ImageCache::pixmap("cache-override.png").size(), QSize(5, 4));
    ImageCache::release();
    EXPECT_EQ(ImageCache::pixmap("cache-override.png").size(), QSize(3, 2)); // ":/img/img/"
}
