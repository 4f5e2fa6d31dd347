#include "SweepPictures.h"

#include "PictureApplication.h"
#include "SideScene.h"
#include "SweepTraces.h"
#include "SwingModel.h"
#include "TopScene.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>
#include <QSplitter>
#include <algorithm>

namespace quillmoor::lab {

namespace {

// While putting a view frames only the green; the putts of a sweep may roll
// well off it, so the view frames the green and every putt.
void frameGreenAndPaths(SwingScene& scene, QGraphicsView& view)
{
    QRectF r;
    if (const QGraphicsItem* green = scene.greenPart(SwingScene::GreenRole))
        r = green->sceneBoundingRect();
    for (const QGraphicsItem* item : std::as_const(scene.traces))
        if (dynamic_cast<const QGraphicsPathItem*>(item))
            r = r.united(item->sceneBoundingRect());
    const QSize port = view.viewport()->size();
    if (r.isEmpty() || port.isEmpty())
        return;
    r.adjust(-1, -1, 1, 1);
    const double zoom = std::min(port.width() / r.width(), port.height() / r.height());
    const QSizeF shown(port.width() / zoom, port.height() / zoom);
    scene.frameByUser(zoom, r.center() - QPointF(shown.width(), shown.height()) / 2);
}

} // namespace

bool renderSweepPlot(const SweepPlot& plot, std::string& png, std::string& error)
{
    if (!plot.model) {
        error = "no model to draw the paths on";
        return false;
    }
    ApplicationForPictures application;

    SwingModel model = holeWithoutShots(*plot.model);

    QSplitter pane(Qt::Vertical);
    pane.setAttribute(Qt::WA_DontShowOnScreen);
    auto* topView = new QGraphicsView(&pane);
    auto* sideView = new QGraphicsView(&pane);
    auto* top = new TopScene(topView);
    auto* side = new SideScene(sideView);
    pane.resize(kPlotWidth, kPlotHeight);
    // A view's size hint follows its scene, so the halves are set explicitly.
    pane.setSizes({kPlotHeight / 2, kPlotHeight / 2});
    pane.show();

    const QString legend = QString::fromStdString(plot.legend);
    for (SwingScene* scene : {static_cast<SwingScene*>(top), static_cast<SwingScene*>(side)}) {
        // Each path spans most of the hole: a spatial index would file every
        // one under most of its cells, hundreds of megabytes for thousands of
        // paths, to speed up a single drawing.
        scene->setItemIndexMethod(QGraphicsScene::NoIndex);
        scene->modelChanged(model, AllChanged);
        addSweepTraces(*scene, plot.paths, legend);
    }
    QCoreApplication::processEvents();
    top->fitToView(false);
    side->fitToView(false);
    if (model.PuttEnabled) {
        frameGreenAndPaths(*top, *topView);
        frameGreenAndPaths(*side, *sideView);
    }

    QImage image(pane.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        pane.render(&painter);
    }
    QByteArray data;
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        error = "the picture cannot be drawn";
        return false;
    }
    png.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return true;
}

} // namespace quillmoor::lab
