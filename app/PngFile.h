#pragma once
// Writes a picture as a PNG file the quick way: one fixed row filter and
// zlib's fastest level. For the views' pictures (large flat areas, smooth
// gradients) the file comes out as small as Qt's own writer makes it, in a
// fraction of the time Qt's writer spends choosing a filter for every row.
// The file appears only once it is whole.

#include <QString>

class QImage;

namespace pngfile {

// An image whose pixels are all opaque is written as RGB, any other as RGBA. False, with the
// reason in *error when given, if the file could not be written; whatever
// had the name before is then left as it was.
bool write(const QImage& image, const QString& name, QString* error = nullptr);

} // namespace pngfile
