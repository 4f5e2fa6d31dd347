#include "DispersionPicture.h"
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

// Above every picture, line and trace of the view.
constexpr double kDispersionZ = 3100;

// Neither the grass nor the sky nor the sweep's purple-to-orange: the two
// kinds of points are told apart at a glance, and from the scenery.
const QColor kLandingColour(255, 152, 0); // orange, hollow rings
const QColor kFinishColour(33, 33, 160);  // dark blue, filled dots
// The landing ellipses a darker orange, which shows over the rings.
const QColor kLandingEllipseColour(200, 80, 0);

// Dots of a fixed size in pixels at points of the scene, whatever the zoom.
class DotsItem : public QGraphicsItem
{
public:
    DotsItem(QList<QPointF> points, double radius, const QPen& pen, const QBrush& brush)
        : points_(std::move(points)), radius_(radius), pen_(pen), brush_(brush)
    {
        // A rectangle of no size is null, and | passes over it: the corners by hand.
        if (points_.isEmpty())
            return;
        QPointF low = points_.front(), high = points_.front();
        for (const QPointF& p : std::as_const(points_)) {
            low = QPointF(std::min(low.x(), p.x()), std::min(low.y(), p.y()));
            high = QPointF(std::max(high.x(), p.x()), std::max(high.y(), p.y()));
        }
        extent_ = QRectF(low, high);
    }

    // Half a unit round the points: the dots' few pixels at any zoom the
    // pictures take.
    QRectF boundingRect() const override
    {
        return points_.isEmpty() ? QRectF() : extent_.adjusted(-0.5, -0.5, 0.5, 0.5);
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        const QTransform toDevice = painter->transform();
        painter->save();
        painter->resetTransform();
        painter->setPen(pen_);
        painter->setBrush(brush_);
        for (const QPointF& p : std::as_const(points_))
            painter->drawEllipse(toDevice.map(p), radius_, radius_);
        painter->restore();
    }

private:
    QList<QPointF> points_;
    double radius_; // pixels
    QPen pen_;
    QBrush brush_;
    QRectF extent_;
};

QList<QPointF> scenePoints(const SwingScene& scene, const std::vector<Vector3>& points)
{
    QList<QPointF> list;
    for (const Vector3& p : points) {
        const QPointF q = scene.toScene(p);
        if (std::isfinite(q.x()) && std::isfinite(q.y()))
            list.append(q);
    }
    return list;
}

// The ellipse as a closed polygon in the scene.
QPainterPath ellipsePath(const SwingScene& scene, const Ellipse& e)
{
    // The long axis points along (-sin a, cos a), a the orientation.
    const double a = e.orientation * 3.14159265358979323846 / 180.0;
    const double ux = -std::sin(a), uy = std::cos(a); // long axis
    const double vx = uy, vy = -ux;                   // short axis
    QPainterPath path;
    constexpr int kCorners = 180;
    for (int i = 0; i <= kCorners; ++i) {
        const double t = 2.0 * 3.14159265358979323846 * i / kCorners;
        const double s = e.semiMajor * std::cos(t), r = e.semiMinor * std::sin(t);
        const QPointF q = scene.toScene(e.x + s * ux + r * vx, e.y + s * uy + r * vy, 0.0);
        if (i == 0)
            path.moveTo(q);
        else
            path.lineTo(q);
    }
    return path;
}

// Returns the rectangle the ellipses cover in the scene.
QRectF addEllipses(SwingScene& scene, const std::vector<Ellipse>& ellipses, const QColor& colour)
{
    QRectF extent;
    for (const Ellipse& e : ellipses) {
        if (!std::isfinite(e.semiMajor) || !std::isfinite(e.x) || !std::isfinite(e.y))
            continue;
        // The 68 % ellipse solid, the 95 % one dashed, each on a white halo
        // so that it shows over a crowd of points.
        const QPainterPath path = ellipsePath(scene, e);
        QPen halo(QColor(255, 255, 255, 200), 5.0);
        halo.setCosmetic(true);
        QPen pen(colour, 2.5, e.probability < 0.9 ? Qt::SolidLine : Qt::DashLine);
        pen.setCosmetic(true);
        scene.addPath(path, halo)->setZValue(kDispersionZ + 2);
        scene.addPath(path, pen)->setZValue(kDispersionZ + 3);
        extent |= path.boundingRect();
    }
    return extent;
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
    struct Entry
    {
        QString text;
        QColor colour;
        bool dot, ring, dashed;
    };
    QList<Entry> entries;
    if (landing)
        entries.append({QStringLiteral("landing points"), kLandingColour, false, true, false});
    entries.append({QStringLiteral("final points"), kFinishColour, true, false, false});
    entries.append({QStringLiteral("68 % ellipse"), Qt::darkGray, false, false, false});
    entries.append({QStringLiteral("95 % ellipse"), Qt::darkGray, false, false, true});
    int keyWidth = 0;
    for (const Entry& e : std::as_const(entries))
        keyWidth += 30 + metrics.horizontalAdvance(e.text) + 14;
    const QRectF keyBox(6, image.height() - lineHeight - 14, keyWidth, lineHeight + 8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(box);
    painter.drawRoundedRect(keyBox, 4, 4);
    double x = keyBox.left() + 8;
    const double y = keyBox.center().y();
    for (const Entry& e : std::as_const(entries)) {
        if (e.dot || e.ring) {
            painter.setPen(QPen(e.dot ? Qt::white : e.colour, e.dot ? 0.8 : 1.8));
            painter.setBrush(e.dot ? QBrush(e.colour) : Qt::NoBrush);
            painter.drawEllipse(QPointF(x + 11, y), 3.0, 3.0);
        } else {
            painter.setPen(QPen(e.colour, 2.0, e.dashed ? Qt::DashLine : Qt::SolidLine));
            painter.drawLine(QPointF(x, y), QPointF(x + 22, y));
        }
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

    // The hole as read, without a shot of its own: only the dispersion's points.
    SwingModel model = *plot.model;
    model.notifyEnabled = false;
    model.teeShot.clear();
    model.puttShot.clear();
    model.teeStep = model.puttStep = -1;

    QGraphicsView view;
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.setFrameShape(QFrame::NoFrame);
    auto* scene = new TopScene(&view);
    view.resize(kDispersionPlotWidth, kDispersionPlotHeight);
    view.show();
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    scene->modelChanged(model, AllChanged);
    QCoreApplication::processEvents();

    // A crowd of points is drawn smaller and lighter, so that its density
    // shows; the rings of the landing points lie over the final dots.
    const bool crowd = plot.finish.size() > 2000;
    const double radius = crowd ? 2.0 : 3.0;
    const int alpha = plot.finish.size() > 300 ? 150 : 255;
    auto translucent = [alpha](QColor c) {
        c.setAlpha(alpha);
        return c;
    };
    QColor ringColour = translucent(kLandingColour);
    if (crowd)
        ringColour.setAlpha(90);
    QPen ring(ringColour, crowd ? 1.2 : 1.6);
    ring.setCosmetic(true);
    QPen rim = crowd ? QPen(Qt::NoPen) : QPen(translucent(Qt::white), 0.8);
    rim.setCosmetic(true);
    auto* landing = new DotsItem(scenePoints(*scene, plot.landing), radius, ring, Qt::NoBrush);
    auto* finish =
        new DotsItem(scenePoints(*scene, plot.finish), radius, rim, translucent(kFinishColour));
    finish->setZValue(kDispersionZ);
    landing->setZValue(kDispersionZ + 1);
    scene->addItem(landing);
    scene->addItem(finish);
    const QRectF extent = landing->boundingRect() | finish->boundingRect() |
                          addEllipses(*scene, plot.landingEllipses, kLandingEllipseColour) |
                          addEllipses(*scene, plot.finishEllipses, kFinishColour);
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
