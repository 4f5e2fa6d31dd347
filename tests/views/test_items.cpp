#include "Items.h"
#include "ViewsTestSupport.h"

// What each kind of item adds to the fit: ball, lines, labels and arrows nothing,
// the track a tiny square at its anchor, a trace its whole path, the ground the
// span to its anchor, a picture its declared size at its pixel offset (only while
// shown and loaded). Their bounding rectangles cover what they paint.
TEST(Items, FitAndBoundsPerKindAndSizeNeedsAPicture)
{
    PictureDir pictures({{"crown.png", {200, 100}}});
    auto picture = [](const char* name, bool visible) {
        auto* item = new PixmapItem;
        item->setImage(name, 0.5, 1.0);
        item->setSize(10, 20);
        item->setVisible(visible);
        return item;
    };
    auto ground = [](QPointF anchor) {
        auto* item = new GroundItem;
        QPainterPath outline({-36, 36});
        outline.lineTo(0, 0);
        outline.lineTo(200, -20);
        item->setPath(outline);
        item->setAnchor(anchor);
        return item;
    };
    auto* track = new TrackItem;
    track->setCorners({{300, 40}, {310, 50}}, QRectF(0, 0, 5, 5));
    track->setAnchor({154, -15});
    auto* trace = new PathItem;
    QPainterPath path({20, 1});
    path.lineTo(250, -30);
    trace->setPath(path);
    auto* label = new TextItem("far away");
    label->setShift({-50, 4});

    struct Row
    {
        QGraphicsItem* item;
        QRectF fit, bounds;
    };
    const Row table[] = {{new BallItem(true), {}, {-0.3, -0.3, 0.6, 0.6}},
                         {new BallItem(false), {}, {-0.3, -0.6, 0.6, 0.6}},
                         {new LineItem({0, 0}, {50, 50}), {}, {0, 0, 50, 50}},
                         {label, {}, label->textRect().translated(-50, 4)},
                         {new ArrowItem::BlockArrow(20, nullptr), {}, {0, -0.36, 24, 0.72}},
                         {track, {154, -15, 0.3, 0.3}, {0, 0, 310, 50}},
                         {trace, {20, -30, 230, 31}, {20, -30, 230, 31}},
                         {ground({150, 3}), {0, 0, 150, 3}, {-36, -20, 236, 56}},
                         {ground({100, -7}), {0, -7, 100, 7}, {-36, -20, 236, 56}},
                         {picture("crown.png", true), {-100, -100, 10, 20}, {-100, -100, 200, 100}},
                         {picture("crown.png", false), {}, {-100, -100, 200, 100}},
                         {picture("no-such-picture.png", true), {}, {}}};
    for (size_t row = 0; row < std::size(table); ++row) {
        EXPECT_EQ(dynamic_cast<FitContributor*>(table[row].item)->fitRect(), table[row].fit)
            << "row " << row;
        EXPECT_EQ(table[row].item->boundingRect(), table[row].bounds) << "row " << row;
        delete table[row].item;
    }

    PixmapItem early; // a size set before any picture is not applied to it
    early.setSize(10, 20);
    early.setImage("crown.png", 0.5, 0.5);
    EXPECT_TRUE(early.transform().isIdentity());
}
