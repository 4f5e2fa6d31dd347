#pragma once
// Pictures by name, loaded once per process and shared by every item.
//
// A name is tried as a plain file path first (so a picture beside the working
// directory overrides the compiled-in one), then under ":/img/img/", then
// under ":/img/". The result is kept even when nothing was found, so a missing
// picture costs one search only.

#include <QPixmap>
#include <QString>

class ImageCache
{
public:
    // The picture of that name; a null pixmap when it exists nowhere.
    static QPixmap pixmap(const QString& name);

    // How many times the file system and resources were searched so far.
    static int searchCount();

    // Drops every cached picture; also done when the application object goes.
    static void release();
};
