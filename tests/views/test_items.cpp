#include "Items.h"
#include "ViewsTestSupport.h"

#include <QGraphicsScene>

// Ball, arrows, labels and lines never widen the fit, however far and large.
TEST(ItemBounds, MovingItemsReportNothing)
{
    QGraphicsScene scene;
    for (QGraphicsItem* item :
         QList<QGraphicsItem*>{new BallItem(true), new ArrowItem(2, true), new ArrowItem(6, false),
                               new TextItem("far away")}) {
        item->setPos(5000, -3000);
        item->setScale(10);
        scene.addItem(item);
    }
    EXPECT_TRUE(scene.itemsBoundingRect().isNull());
}

TEST(ItemBounds, TrackAndGroundFollowTheirAnchor)
{
    PathItem track;
    QPainterPath longPath;
    longPath.lineTo(300, 40);
    track.setPath(longPath);
    track.setAnchor({154, -15});
    EXPECT_EQ(track.boundingRect(), QRectF(154, -15, 0.3, 0.3));

    GroundItem ground;
    ground.setAnchor({150, 3});
    EXPECT_EQ(ground.boundingRect(), QRectF(0, 0, 150, 3));
    ground.setAnchor({100, -7});
    EXPECT_EQ(ground.boundingRect(), QRectF(0, -7, 100, 7));
}

class PixmapItemTest : public ::testing::Test
{
protected:
    PictureDir pictures{{{"crown.png", {200, 100}}}};
    PixmapItem item;
};

TEST_F(PixmapItemTest, DeclaredSizeAtTheAnchoredOffset)
{
    item.setImage("crown.png", 0.5, 1.0);
    item.setSize(10, 20);
    // The pixel offset with the size in scene units, as the fit takes it.
    EXPECT_EQ(item.boundingRect(), QRectF(-100, -100, 10, 20));
    EXPECT_EQ(coveredSize(item), QSizeF(10, 20));
    item.hide();
    EXPECT_TRUE(item.boundingRect().isNull());
}

TEST_F(PixmapItemTest, SizeNeedsAPicture)
{
    item.setSize(10, 20); // before any picture: stored, not applied
    item.setImage("crown.png", 0.5, 0.5);
    EXPECT_TRUE(item.transform().isIdentity());

    item.setImage("no-such-picture.png", 0.5, 0.5);
    item.setSize(10, 20);
    EXPECT_TRUE(item.transform().isIdentity());
    EXPECT_TRUE(item.boundingRect().isNull());
}
