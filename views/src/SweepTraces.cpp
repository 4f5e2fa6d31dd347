#include "SweepTraces.h"

#include "Items.h"
#include "SwingScene.h"
#include "Trajectory.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

// Purple through red to orange: none of it is the grass or the sky of the
// views, so every trace stands out in both, and the orange stops short of
// the arrows' yellow.
QColor colourAt(double t)
{
    const double hue = std::fmod(0.78 + 0.30 * std::clamp(t, 0.0, 1.0), 1.0);
    return QColor::fromHsvF(static_cast<float>(hue), 0.9f, 0.95f);
}

// The most points the simplification looks at.
constexpr std::size_t kCandidatePoints = 2000;

bool finite(const Vector3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Douglas-Peucker: the points that leave every dropped point within
// tolerance of the line kept; with a stack rather than recursion, and in
// squared distances.
std::vector<Vector3> simplify(const std::vector<Vector3>& points, double tolerance)
{
    const double tolerance2 = tolerance * tolerance;
    std::vector<bool> keep(points.size(), false);
    keep.front() = keep.back() = true;
    std::vector<std::pair<std::size_t, std::size_t>> spans{{0, points.size() - 1}};
    while (!spans.empty()) {
        const auto [from, to] = spans.back();
        spans.pop_back();
        const Vector3& a = points[from];
        const double dx = points[to].x - a.x, dy = points[to].y - a.y, dz = points[to].z - a.z;
        const double length2 = dx * dx + dy * dy + dz * dz;
        const double scale = length2 > 0 ? 1 / length2 : 0;
        double worst = tolerance2;
        std::size_t at = 0;
        for (std::size_t i = from + 1; i < to; ++i) {
            const double px = points[i].x - a.x, py = points[i].y - a.y, pz = points[i].z - a.z;
            const double t = std::clamp((px * dx + py * dy + pz * dz) * scale, 0.0, 1.0);
            const double ex = px - t * dx, ey = py - t * dy, ez = pz - t * dz;
            const double d2 = ex * ex + ey * ey + ez * ez;
            if (d2 > worst) {
                worst = d2;
                at = i;
            }
        }
        if (at == 0)
            continue;
        keep[at] = true;
        spans.push_back({from, at});
        spans.push_back({at, to});
    }
    std::vector<Vector3> kept;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (keep[i])
            kept.push_back(points[i]);
    return kept;
}

// The legend: a bar of the gradient before the text, on a pale box so it
// reads on grass and sky alike. The leading spaces of the text make the room
// for the bar. The views keep it in a corner of theirs, on as many lines as
// their width needs.
class LegendItem : public TextItem
{
public:
    explicit LegendItem(const QString& text)
        : TextItem(QString::fromUtf8(kRoom) + text), words(text.split(QLatin1Char(' ')))
    {
        pinned = true;
    }

    QRectF boundingRect() const override
    {
        return TextItem::boundingRect().adjusted(-3, -1, 3, 1);
    }

    // Breaks the text between words where a line would pass the width; a
    // word longer than that has a line of its own.
    void fitWidth(double pixels) override
    {
        const QFontMetricsF metrics(font());
        QString text = QString::fromUtf8(kRoom);
        QString line = text;
        for (const QString& word : words) {
            const bool first = line.endsWith(QLatin1Char(' ')) && line.trimmed().isEmpty();
            if (!first && metrics.horizontalAdvance(line + QLatin1Char(' ') + word) > pixels) {
                text += QLatin1Char('\n');
                line.clear();
            } else if (!first) {
                text += QLatin1Char(' ');
                line += QLatin1Char(' ');
            }
            text += word;
            line += word;
        }
        if (text != this->text()) {
            prepareGeometryChange();
            setText(text);
        }
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override
    {
        const QRectF text = textRect().translated(shift());
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(255, 255, 255, 210));
        painter->drawRoundedRect(text.adjusted(-3, -1, 3, 1), 3, 3);
        const QFontMetricsF metrics(font());
        const double room = metrics.horizontalAdvance(QString::fromUtf8(kRoom));
        // Before the first line.
        const QRectF bar(text.left() + 1, text.top() + metrics.height() / 2 - 3, room - 5, 6);
        QLinearGradient gradient(bar.topLeft(), bar.topRight());
        for (int k = 0; k <= 8; ++k)
            gradient.setColorAt(k / 8.0, colourAt(k / 8.0));
        painter->setBrush(gradient);
        painter->drawRect(bar);
        painter->restore();
        TextItem::paint(painter, option, widget);
    }

private:
    static constexpr const char* kRoom = "\u2003\u2003\u2003 ";
    QStringList words;
};

} // namespace

QColor sweepColour(std::size_t i, std::size_t n)
{
    return colourAt(n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0);
}

std::vector<Vector3> thinTrace(const Trajectory& shot)
{
    // A shot of thousands of time steps moves a tiny part of a pixel per
    // step: of each run of steps only the lowest point goes on (the bounces,
    // the sharpest turns of a shot, are lowest points), with the first and
    // the last. One pass over the shot, so that thinning stays cheap beside
    // the run itself.
    const std::size_t stride =
        std::max<std::size_t>(1, (static_cast<std::size_t>(shot.size()) + kCandidatePoints - 1) /
                                     kCandidatePoints);
    std::vector<Vector3> points;
    points.reserve(kCandidatePoints + 2);
    const Vector3* low = nullptr;
    const Vector3* last = nullptr;
    std::size_t inRun = 0;
    for (const auto& [step, p] : shot) {
        // A point gone to infinity cannot be drawn; the rest of the shot can.
        if (!finite(p))
            continue;
        last = &p;
        if (points.empty()) {
            points.push_back(p);
            continue;
        }
        if (!low || p.z < low->z)
            low = &p;
        if (++inRun == stride) {
            points.push_back(*low);
            low = nullptr;
            inRun = 0;
        }
    }
    if (low && low != last)
        points.push_back(*low);
    if (last && !(points.back() == *last))
        points.push_back(*last);
    if (points.size() <= 2)
        return points;

    // A thousandth of the shot's size is below a pixel in either view; a shot
    // that turns more often than the limit allows is drawn a little coarser.
    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const Vector3& p : points) {
        const double c[3] = {p.x, p.y, p.z};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], c[k]);
            hi[k] = std::max(hi[k], c[k]);
        }
    }
    const double size = std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]);
    double tolerance = std::max(size * 1e-3, 1e-9);
    for (;;) {
        std::vector<Vector3> kept = simplify(points, tolerance);
        if (kept.size() <= kMaxTracePoints)
            return kept;
        tolerance *= 2;
    }
}

void addSweepTraces(SwingScene& scene, const std::vector<std::vector<Vector3>>& traces,
                    const QString& legend)
{
    const std::size_t n = traces.size();
    // Many traces in thin lines, so that the fan of them stays readable.
    QPen pen(Qt::black, n <= 40 ? 1.5 : 1.0);
    pen.setCosmetic(true);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);

    QRectF extent;
    bool any = false;
    for (std::size_t i = 0; i < n; ++i) {
        QPainterPath path;
        for (const Vector3& p : traces[i]) {
            const QPointF q = scene.toScene(p);
            if (!std::isfinite(q.x()) || !std::isfinite(q.y()))
                continue;
            if (path.elementCount() == 0)
                path.moveTo(q);
            else
                path.lineTo(q);
        }
        // A refused run has no path but keeps its colour's place in the order.
        if (path.elementCount() == 0)
            continue;
        auto* item = new PathItem;
        pen.setColor(sweepColour(i, n));
        item->setPen(pen);
        item->setPath(path);
        item->setZValue(kSweepTraceZ + static_cast<double>(i) / static_cast<double>(n));
        scene.addItem(item);
        scene.traces.append(item);
        const QRectF r = path.boundingRect();
        extent = any ? extent.united(r) : r;
        any = true;
    }

    if (any && !legend.isEmpty()) {
        auto* label = new LegendItem(legend);
        label->setFlag(QGraphicsItem::ItemIgnoresTransformations);
        // In a corner of the view, which the view chooses when it frames.
        label->setPos(extent.topLeft());
        label->setZValue(kSweepTraceZ + 2);
        scene.addItem(label);
        scene.traces.append(label);
    }
    scene.fitToView(false);
}
