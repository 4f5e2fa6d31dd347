// The compiled-in pictures: each is found under ":/img/img/" with the pixel size the views
// scale from, stored uncompressed as an 8-bit RGBA PNG, transparent in its corner.

#include <QImage>
#include <QResource>
#include <gtest/gtest.h>

TEST(CompiledImage, LoadsAtItsSizeWithAlpha)
{
    const std::pair<const char*, QSize> pictures[] = {
        {"tree-top.png", {324, 315}},       {"tree-birch.png", {220, 409}},
        {"tree-chestnut.png", {300, 445}},  {"tree-elm.png", {266, 402}},
        {"tree-oak.png", {400, 346}},       {"BigBunker_Side.png", {260, 44}},
        {"BigBunker_Top.png", {260, 180}},  {"SmallBunker_Side.png", {67, 15}},
        {"SmallBunker_Top.png", {134, 88}}, {"Path_Side.png", {1634, 48}},
        {"Path_Top.png", {1634, 112}},      {"logo.png", {138, 120}}};
    for (const auto& [name, size] : pictures) {
        SCOPED_TRACE(name);
        const QString path = QStringLiteral(":/img/img/") + name;
        const QImage image(path);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), size);
        EXPECT_TRUE(image.hasAlphaChannel());
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        const QResource resource(path);
        EXPECT_EQ(resource.compressionAlgorithm(), QResource::NoCompression);
        // IHDR: bit depth 8 and colour type 6 (RGB with alpha) at bytes 24 and 25.
        EXPECT_EQ(resource.uncompressedData().mid(24, 2), QByteArray("\x08\x06", 2));
    }
}
