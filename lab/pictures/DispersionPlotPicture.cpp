#include "DispersionPicture.h"
#include "DispersionItems.h"
#include "PictureApplication.h"
#include "SwingModel.h"
#include "TopScene.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace quillmoor::lab {

namespace {

// The rectangle the ellipses' lines cover in the scene.
QRectF extentOf(const QList<QGraphicsItem*>& ellipses)
{
    QRectF extent;
    for (const QGraphicsItem* item : ellipses)
        extent |= static_cast<const QGraphicsPathItem*>(item)->path().boundingRect();
    return extent;
}

std::vector<PlanEllipse> planEllipses(const std::vector<Ellipse>& ellipses)
{
    std::vector<PlanEllipse> plan;
    for (const Ellipse& e : ellipses)
        plan.push_back({e.probability, e.x, e.y, e.semiMajor, e.semiMinor, e.orientation});
    return plan;
}

// The whole hole for tee shots; for putts the ball, the cup and the points
// close up (at least kPuttSpan yd), where a spread of inches shows. Every
// point and ellipse in view.
void frame(SwingScene& scene, QGraphicsView& view, const SwingModel& model, const QRectF& extra)
{
    constexpr double kPuttSpan = 10.0;
    QRectF r = extra;
    if (!model.PuttEnabled) {
        r |= scene.fitRect();
    } else {
        const QPointF cup = scene.toScene(model.hole.HolePos);
        r |= scene.ball->sceneBoundingRect() | QRectF(cup, cup + QPointF(1e-3, 1e-3));
        const QPointF centre = r.center();
        r.setWidth(std::max(r.width(), kPuttSpan));
        r.setHeight(std::max(r.height(), kPuttSpan));
        r.moveCenter(centre);
    }
    const QSize port = view.viewport()->size();
    if (r.isEmpty() || port.isEmpty() || !std::isfinite(r.width()) || !std::isfinite(r.height()))
        return;
    r.adjust(-r.width() * 0.04 - 1, -r.height() * 0.08 - 1, r.width() * 0.04 + 1,
             r.height() * 0.08 + 1);
    const double zoom = std::min(port.width() / r.width(), port.height() / r.height());
    const QSizeF shown(port.width() / zoom, port.height() / zoom);
    scene.frameByUser(zoom, r.center() - QPointF(shown.width(), shown.height()) / 2);
}

// The title in the top left corner and the key in the bottom left, on pale
// boxes so they read on grass and sky alike.
void drawCaptions(QImage& image, const QString& title, bool landing)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(14);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QColor box(255, 255, 255, 215);

    const QStringList lines = title.split('\n');
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const int lineHeight = metrics.height();
    painter.setPen(Qt::NoPen);
    painter.setBrush(box);
    painter.drawRoundedRect(QRectF(6, 6, width + 12, lineHeight * lines.size() + 8), 4, 4);
    painter.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i) {
        QFont f = font;
        f.setBold(i == 0);
        painter.setFont(f);
        painter.drawText(QPointF(12, 10 + metrics.ascent() + i * lineHeight), lines[i]);
    }
    painter.setFont(font);

    // Each entry: a sample, then its words.
    const QList<DispersionKeyEntry> entries = dispersionKey(landing);
    int keyWidth = 0;
    for (const DispersionKeyEntry& e : entries)
        keyWidth += 30 + metrics.horizontalAdvance(e.text) + 14;
    const QRectF keyBox(6, image.height() - lineHeight - 14, keyWidth, lineHeight + 8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(box);
    painter.drawRoundedRect(keyBox, 4, 4);
    double x = keyBox.left() + 8;
    const double y = keyBox.center().y();
    for (const DispersionKeyEntry& e : entries) {
        paintDispersionSample(painter, e, x, y);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(x + 30, y - lineHeight / 2.0 + metrics.ascent()), e.text);
        x += 30 + metrics.horizontalAdvance(e.text) + 14;
    }
}

} // namespace

bool renderDispersionPlot(const DispersionPlot& plot, std::string& png, std::string& error)
{
    if (!plot.model) {
        error = "no model to draw the points on";
        return false;
    }
    ApplicationForPictures application;

    SwingModel model = holeWithoutShots(*plot.model);

    QGraphicsView view;
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.setFrameShape(QFrame::NoFrame);
    auto* scene = new TopScene(&view);
    view.resize(kDispersionPlotWidth, kDispersionPlotHeight);
    view.show();
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    scene->modelChanged(model, AllChanged);
    QCoreApplication::processEvents();

    QRectF extent;
    for (const QGraphicsItem* dots : addDispersionPoints(*scene, plot.landing, plot.finish))
        extent |= dots->boundingRect();
    // The landing ellipses over the final ones where they cross.
    extent |= extentOf(
        addDispersionEllipses(*scene, planEllipses(plot.finishEllipses), dispersionlook::Final));
    extent |= extentOf(addDispersionEllipses(*scene, planEllipses(plot.landingEllipses),
                                             dispersionlook::LandingEllipse));
    scene->fitToView(false);
    frame(*scene, view, model, extent);

    QImage image(view.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        view.render(&painter);
    }
    drawCaptions(image, QString::fromStdString(plot.title), !plot.landing.empty());

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
