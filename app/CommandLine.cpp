#include "CommandLine.h"

#include "FileCommands.h"
#include "FilePath.h"
#include "ModelFile.h"
#include "PngFile.h"
#include "SideScene.h"
#include "SwingModel.h"
#include "TopScene.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CommandLine::CommandLine(SwingModel& model, FileCommands* files, const Views& views,
                         const Steps& steps, QStringList& messages, QObject* parent)
    : QObject(parent), model(model), files(files), views(views), steps(steps), messages(messages)
{
}

bool CommandLine::requested(const QStringList& arguments)
{
    return arguments.contains(QLatin1String("-swing")) ||
           arguments.contains(QLatin1String("-putt"));
}

namespace {

// Why a model named in a batch run cannot be read; empty when it can. Only a
// regular file is a model's file: its run writes the shot back into it.
QString unreadableBecause(const QString& name)
{
    const QByteArray path = QFile::encodeName(name);
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    if (!S_ISREG(st.st_mode))
        return CommandLine::tr("not a regular file");
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return QString();
}

} // namespace

void CommandLine::process(const QStringList& arguments)
{
    // The window passes over a name that is no readable file; a batch run
    // says so and runs nothing rather than the built-in hole.
    const bool batch = requested(arguments);
    bool swing = false;
    bool putt = false;
    QString swingData;
    QString puttData;
    bool refused = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("-swing") || arg == QLatin1String("-putt")) {
            const bool isSwing = arg == QLatin1String("-swing");
            (isSwing ? swing : putt) = true;
            if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(QLatin1Char('-')))
                (isSwing ? swingData : puttData) = arguments.at(++i);
        } else if (model.fileName.empty()) {
            // A word of options is no file name.
            const QString why =
                batch && !arg.startsWith(QLatin1Char('-')) ? unreadableBecause(arg) : QString();
            if (!why.isEmpty()) {
                messages << tr("Unable to read file: %1 (%2)").arg(arg, why);
                refused = true;
                continue;
            }
            // The window passes over what it cannot read for the next file.
            if (QFileInfo(arg).isFile() &&
                modelfile::examine(filepath::toPath(arg)) != modelfile::Verdict::Unreadable) {
                files->loadModel(arg);
                refused = refused || model.fileName.empty();
            }
        }
    }
    // A batch run whose model was refused runs nothing: pictures and data of
    // the built-in hole would pass for results of the file that was named.
    if (refused && model.fileName.empty() && (swing || putt)) {
        messages << tr("Nothing was run: no model file could be loaded.");
        return;
    }

    if (swing) {
        steps.setMode(false);
        steps.run();
        saveImage(QStringLiteral("swing.png"));
        steps.setMode(true);
        saveImage(QStringLiteral("swing_puttview.png"));
        if (!swingData.isEmpty())
            files->writeDataFile(swingData);
    }
    if (putt) {
        steps.setMode(true);
        steps.run();
        saveImage(QStringLiteral("putt.png"));
        if (!puttData.isEmpty())
            files->writeDataFile(puttData);
    }
}

void CommandLine::saveImage(const QString& name)
{
    views.top->fitToView(false);
    views.side->fitToView(false);

    const QSize size = views.both->size();
    if (size.isEmpty()) {
        messages << tr("Unable to generate image ") + name;
        return;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    views.both->render(&image);

    steps.updateDistance();
    {
        QPainter painter(&image);
        painter.drawText(QPointF(10, 20), views.distance->text());
    }
    if (!pngfile::write(image, name))
        messages << tr("Unable to save image to ") + name;
}
