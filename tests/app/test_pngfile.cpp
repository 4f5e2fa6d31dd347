// The batch pictures' PNG writer: every pixel comes back as it was painted,
// an opaque picture goes without an alpha channel, and a file that cannot be
// written is reported and leaves nothing behind.

#include "PngFile.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>

namespace {

// Every value of red and green once, blue and alpha varying along them.
QImage pattern(QImage::Format format, bool translucent)
{
    QImage image(256, 256, QImage::Format_ARGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            image.setPixel(x, y,
                           qRgba(x, y, (x * 7 + y * 3) & 255, translucent ? (x + y) & 255 : 255));
    return image.convertToFormat(format);
}

struct Case
{
    const char* name;
    QImage::Format format;
    bool translucent;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class PngRoundTrip : public ::testing::TestWithParam<Case>
{
};

TEST_P(PngRoundTrip, PixelsComeBackAndOnlyTranslucentPicturesKeepAlpha)
{
    QTemporaryDir dir;
    const Case c = GetParam();
    const QImage image = pattern(c.format, c.translucent);
    const QString name = dir.filePath(QStringLiteral("picture.png"));
    QString error;
    ASSERT_TRUE(pngfile::write(image, name, &error)) << error.toStdString();

    const QImage back(name);
    EXPECT_EQ(back.hasAlphaChannel(), c.translucent);
    // Compared unpremultiplied, as a PNG holds its pixels.
    EXPECT_TRUE(back.convertToFormat(QImage::Format_ARGB32) ==
                image.convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("picture.png")});
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PngRoundTrip,
    ::testing::Values(Case{"Rgb32", QImage::Format_RGB32, false},
                      // A batch picture: painted over white, so opaque.
                      Case{"OpaquePremultiplied", QImage::Format_ARGB32_Premultiplied, false},
                      Case{"TranslucentPremultiplied", QImage::Format_ARGB32_Premultiplied, true},
                      Case{"Translucent", QImage::Format_ARGB32, true}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(PngFile, RefusedTargetIsReportedAndLeftAlone)
{
    QTemporaryDir dir;
    const QImage image = pattern(QImage::Format_RGB32, false);
    QString error;
    // A directory of that name, and a directory that does not exist.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken.png")));
    EXPECT_FALSE(pngfile::write(image, dir.filePath(QStringLiteral("taken.png")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(pngfile::write(image, dir.filePath(QStringLiteral("none/picture.png"))));
    EXPECT_FALSE(pngfile::write(QImage(), dir.filePath(QStringLiteral("empty.png")), &error));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

} // namespace
