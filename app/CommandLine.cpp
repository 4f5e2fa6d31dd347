#include "CommandLine.h"

#include "FileCommands.h"
#include "FilePath.h"
#include "ModelFile.h"
#include "PngFile.h"
#include "SideScene.h"
#include "SwingModel.h"
#include "TopScene.h"

#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPainter>

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

void CommandLine::process(const QStringList& arguments)
{
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
        } else if (model.fileName.empty() && QFileInfo(arg).isFile()) {
            // A file that cannot be read is passed over for the next one.
            if (modelfile::examine(filepath::toPath(arg)) != modelfile::Verdict::Unreadable) {
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
