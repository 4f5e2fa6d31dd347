// The compiled-in pictures: each must be found under ":/img/img/" with the pixel size the
// views scale from, stored as an uncompressed 8-bit RGBA PNG that is clear around the shape.

#include <QByteArray>
#include <QImage>
#include <QResource>
#include <QString>
#include <cctype>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

struct Picture
{
    const char* name;
    int width;
    int height;
    bool sideTree; // anchored at its bottom centre in the side view
};

const Picture pictures[] = {
    {"tree-top.png", 324, 315, false},       {"tree-birch.png", 220, 409, true},
    {"tree-chestnut.png", 300, 445, true},   {"tree-elm.png", 266, 402, true},
    {"tree-oak.png", 400, 346, true},        {"BigBunker_Side.png", 260, 44, false},
    {"BigBunker_Top.png", 260, 180, false},  {"SmallBunker_Side.png", 67, 15, false},
    {"SmallBunker_Top.png", 134, 88, false}, {"Path_Side.png", 1634, 48, false},
    {"Path_Top.png", 1634, 112, false},      {"logo.png", 138, 120, false},
};

void PrintTo(const Picture& p, std::ostream* os)
{
    *os << p.name;
}

QString resourcePath(const Picture& p)
{
    return QStringLiteral(":/img/img/") + QLatin1String(p.name);
}

class CompiledImage : public ::testing::TestWithParam<Picture>
{
};

TEST_P(CompiledImage, LoadsAtItsSizeWithAlpha)
{
    const Picture& p = GetParam();
    const QImage img(resourcePath(p));
    ASSERT_FALSE(img.isNull()) << qPrintable(resourcePath(p));
    EXPECT_EQ(img.width(), p.width);
    EXPECT_EQ(img.height(), p.height);
    EXPECT_TRUE(img.hasAlphaChannel());
}

TEST_P(CompiledImage, IsStoredAsUncompressedRgbaPng)
{
    const QResource res(resourcePath(GetParam()));
    ASSERT_TRUE(res.isValid());
    EXPECT_EQ(res.compressionAlgorithm(), QResource::NoCompression);
    const QByteArray data = res.uncompressedData();
    ASSERT_GE(data.size(), 26);
    EXPECT_TRUE(data.startsWith("\x89PNG\r\n\x1a\n"));
    // IHDR: bit depth at byte 24, colour type at byte 25 (6 = RGB with alpha).
    EXPECT_EQ(static_cast<unsigned char>(data[24]), 8);
    EXPECT_EQ(static_cast<unsigned char>(data[25]), 6);
}

TEST_P(CompiledImage, IsClearAroundTheShape)
{
    const Picture& p = GetParam();
    const QImage img = QImage(resourcePath(p)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(img.isNull());
    for (const QPoint corner : {QPoint(0, 0), QPoint(p.width - 1, 0), QPoint(0, p.height - 1),
                                QPoint(p.width - 1, p.height - 1)})
        EXPECT_EQ(qAlpha(img.pixel(corner)), 0) << "corner " << corner.x() << "," << corner.y();
    if (p.sideTree) { // the trunk's foot is where the side view pins the picture
        EXPECT_EQ(qAlpha(img.pixel(p.width / 2, p.height - 1)), 255);
    }
}

std::string testName(const ::testing::TestParamInfo<Picture>& info)
{
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Resources, CompiledImage, ::testing::ValuesIn(pictures), testName);

} // namespace
