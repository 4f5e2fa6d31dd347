#include "PngFile.h"

#include <QImage>
#include <QSaveFile>
#include <csetjmp>
#include <png.h>
#include <vector>

namespace pngfile {

namespace {

void writeBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* file = static_cast<QSaveFile*>(png_get_io_ptr(png));
    if (file->write(reinterpret_cast<const char*>(data), static_cast<qint64>(length)) !=
        static_cast<qint64>(length))
        png_error(png, "write failed");
}

void flushNothing(png_structp) {}

// libpng's messages would go to stderr; the caller reports the failure.
void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Whether every pixel is opaque, so that the file needs no alpha channel.
bool opaque(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return false;
    }
    return true;
}

// One row of a 32-bit image that is not premultiplied (or opaque) as
// R, G, B(, A) bytes.
void packRow(const QImage& image, int y, bool alpha, unsigned char* out)
{
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
        const QRgb p = line[x];
        *out++ = static_cast<unsigned char>(qRed(p));
        *out++ = static_cast<unsigned char>(qGreen(p));
        *out++ = static_cast<unsigned char>(qBlue(p));
        if (alpha)
            *out++ = static_cast<unsigned char>(qAlpha(p));
    }
}

// Everything libpng touches between setjmp and the end: no C++ objects, so
// that a longjmp out of libpng skips no destructor. `row` holds one packed row.
bool encode(const QImage& image, bool alpha, unsigned char* row, QSaveFile* file)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, file, writeBytes, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()),
                 static_cast<png_uint_32>(image.height()), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // The left neighbour predicts flat areas and horizontal gradients about
    // as well as trying every filter on every row does, at a fraction of the cost.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    for (int y = 0; y < image.height(); ++y) {
        packRow(image, y, alpha, row);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool write(const QImage& image, const QString& name, QString* error)
{
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("empty image");
        return false;
    }
    // Converted row by row: a whole converted copy of a large picture costs
    // more in fresh pages than the conversion itself.
    // An opaque premultiplied picture (every batch picture) is its own
    // unpremultiplied self.
    QImage pixels = image;
    bool alpha = false;
    switch (image.format()) {
    case QImage::Format_RGB32:
        break;
    case QImage::Format_ARGB32:
        alpha = !opaque(image);
        break;
    case QImage::Format_ARGB32_Premultiplied:
        alpha = !opaque(image);
        if (alpha)
            pixels = image.convertToFormat(QImage::Format_ARGB32);
        break;
    default:
        pixels = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                               : QImage::Format_RGB32);
        alpha = image.hasAlphaChannel() && !opaque(pixels);
        break;
    }
    std::vector<unsigned char> row(static_cast<size_t>(pixels.width()) * (alpha ? 4 : 3));
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (!encode(pixels, alpha, row.data(), &file)) {
        if (error)
            *error = file.error() != QFileDevice::NoError ? file.errorString()
                                                          : QStringLiteral("PNG encoding failed");
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace pngfile
