// The compiled-in pictures: each is found under ":/img/img/", with an alpha
// channel and transparent in its corner.

#include <QImage>
#include <gtest/gtest.h>

TEST(CompiledImage, LoadsWithAlpha)
{
    for (const char* name :
         {"tree-top.png", "tree-birch.png", "tree-chestnut.png", "tree-elm.png", "tree-oak.png",
          "BigBunker_Side.png", "BigBunker_Top.png", "SmallBunker_Side.png", "SmallBunker_Top.png",
          "Path_Side.png", "Path_Top.png", "logo.png"}) {
        SCOPED_TRACE(name);
        const QImage image(QStringLiteral(":/img/img/") + name);
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.hasAlphaChannel());
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    }
}
