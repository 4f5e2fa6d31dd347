#include "Items.h"
#include "ViewsTestSupport.h"

// What each kind of item adds to the fit: ball, lines, labels and arrows nothing,
// the track a tiny square at its anchor, the ground the span to its anchor, a
// picture its declared size at its pixel offset (only while shown and loaded).
TEST(Items, BoundsPerKindAndSizeNeedsAPicture)
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
        item->setAnchor(anchor);
        return item;
    };
    auto* track = new PathItem;
    track->setPath(QPainterPath({300, 40}));
    track->setAnchor({154, -15});

    const std::pair<QGraphicsItem*, QRectF> table[] = {
        {new BallItem(true), {}},
        {new BallItem(false), {}},
        {new LineItem({0, 0}, {50, 50}), {}},
        {new TextItem("far away"), {}},
        {new ArrowItem::BlockArrow(20, nullptr), {}},
        {track, {154, -15, 0.3, 0.3}},
        {ground({150, 3}), {0, 0, 150, 3}},
        {ground({100, -7}), {0, -7, 100, 7}},
        {picture("crown.png", true), {-100, -100, 10, 20}},
        {picture("crown.png", false), {}},
        {picture("no-such-picture.png", true), {}}};
    for (size_t row = 0; row < std::size(table); ++row) {
        EXPECT_EQ(table[row].first->boundingRect(), table[row].second) << "row " << row;
        delete table[row].first;
    }

    PixmapItem early; // a size set before any picture is not applied to it
    early.setSize(10, 20);
    early.setImage("crown.png", 0.5, 0.5);
    EXPECT_TRUE(early.transform().isIdentity());
}
