#pragma once
// The application the pictures are drawn in, when the program has none.

#include "SwingModel.h"

#include <QApplication>
#include <cstdio>
#include <memory>

namespace quillmoor::lab {

// Pictures are files, never windows: without an application of its own the
// program gets one on the offscreen platform, so no display is needed (and a
// stale DISPLAY cannot stop it).
// Qt's remarks about the platform (no runtime directory, no window manager)
// mean nothing for a file and would only clutter a console program's output,
// so while it draws, only Qt's critical messages get through.
class ApplicationForPictures
{
public:
    ApplicationForPictures()
    {
        if (QCoreApplication::instance())
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        previousHandler_ = qInstallMessageHandler(criticalOnly);
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    ~ApplicationForPictures()
    {
        if (!app_)
            return;
        app_.reset();
        qInstallMessageHandler(previousHandler_);
    }
    ApplicationForPictures(const ApplicationForPictures&) = delete;
    ApplicationForPictures& operator=(const ApplicationForPictures&) = delete;

private:
    static void criticalOnly(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }

    QtMessageHandler previousHandler_ = nullptr;
    int argc_ = 1;
    char name_[8] = "Shotlab";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

// The hole as read, without a shot of its own: a picture draws only what the
// command computed on it, and tells no one of its changes.
inline SwingModel holeWithoutShots(const SwingModel& read)
{
    SwingModel model = read;
    model.notifyEnabled = false;
    model.teeShot.clear();
    model.puttShot.clear();
    model.teeStep = model.puttStep = -1;
    return model;
}

} // namespace quillmoor::lab
