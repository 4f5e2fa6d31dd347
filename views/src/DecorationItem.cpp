#include "DecorationItem.h"

#include "SwingModel.h"
#include "SwingScene.h"

#include <cmath>

namespace {
struct Scenery
{
    const char* image; // elevation picture
    double width, height, fraction, offset;
};

// Trees go behind the terrain (positive offset), bunkers and the path in
// front of it (negative offset); the path's fraction of 100 marks it as the
// one entry stretched along the whole hole.
constexpr Scenery scenery[DecorationItem::TableSize] = {
    {"tree-birch.png", 8, 15, 0.15, 1.0},      {"tree-chestnut.png", 6, 10, 0.23, 1.4},
    {"tree-birch.png", 10, 18, 0.27, 1.0},     {"tree-chestnut.png", 10, 16, 0.43, 1.4},
    {"tree-elm.png", 12, 20, 0.48, 2.0},       {"tree-oak.png", 8, 9, 0.52, 1.6},
    {"tree-oak.png", 8, 16, 0.65, 1.2},        {"tree-chestnut.png", 12, 17, 0.7, 1.8},
    {"tree-elm.png", 6, 8, 0.75, 1.4},         {"tree-birch.png", 8, 10, 0.98, 1.2},
    {"tree-birch.png", 6, 8, 1.04, 1.4},       {"BigBunker_Side.png", 20, 3, 0.8, -1.5},
    {"SmallBunker_Side.png", 7, 2, 0.6, -1.2}, {"Path_Side.png", 1, 1, 100, -2.6},
};
} // namespace

DecorationItem::DecorationItem(int index, bool plan)
{
    const Scenery& entry = scenery[((index % TableSize) + TableSize) % TableSize];
    QString name = QString::fromLatin1(entry.image);
    const double w = entry.width * 1.2;
    double h = entry.height * 1.2;
    if (plan) {
        if (name.startsWith(QLatin1String("tree"))) {
            // Every tree seen from above is a round crown.
            name = QStringLiteral("tree-top.png");
            h = w;
        } else {
            name.replace(QLatin1String("_Side"), QLatin1String("_Top"));
            h *= 4;
        }
        planStacking = h;
    }
    setImage(name, 0.5, plan ? 0.5 : 1.0);
    setSize(w, h);
    fraction = entry.fraction;
    offsetAcross = entry.offset;
}

DecorationItem::~DecorationItem() = default;

QRectF DecorationItem::fitRect() const
{
    if (planStacking == 0.0 && fraction < 2)
        return PixmapItem::fitRect();
    return {};
}

void DecorationItem::placeForHole(const SwingModel& model, const SwingScene& scene)
{
    const Vector3& hole = model.hole.HolePos;
    const QPointF h = scene.toScene(hole.x, hole.y, hole.z);
    const double f = fraction < 2 ? fraction : 0.5;
    double across =
        offsetAcross < 0 ? h.y() * f - offsetAcross * 9.6 : (h.y() * f - 12) * offsetAcross;

    double z;
    if (scene.toScene(0, 0, 1).y() == 0) {
        z = planStacking - 900;
    } else {
        // Trees far behind everything, bunkers and path in front of everything.
        z = (offsetAcross / std::abs(offsetAcross)) * (-2000 - 10 * offsetAcross);
        const double ground = model.groundHeight(-across, h.x() * f);
        across = scene.toScene(0, 0, ground).y() + 1.2;
        if (offsetAcross < 0)
            across += -offsetAcross * 3.6;
        if (fraction > 2)
            across += 6;
    }
    if (fraction > 2)
        setSize(fraction * h.x() / 100 + 60, 4.8);
    setPos(h.x() * f, across);
    setZValue(z);
}
