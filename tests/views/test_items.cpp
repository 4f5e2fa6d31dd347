#include "Items.h"
#include "Palette.h"
#include "ViewsTestSupport.h"

#include <QGraphicsScene>

#include <gtest/gtest.h>

#include <memory>

// Items that must never widen the fit, placed far away from everything.
TEST(ItemBounds, BallArrowsLabelsAndLinesReportNothing)
{
    QGraphicsScene scene;
    auto* ball = new BallItem(true);
    auto* block = new ArrowItem(2, true);
    auto* lines = new ArrowItem(6, false);
    auto* label = new TextItem("far away");
    const QList<QGraphicsItem*> items{ball, block, lines, label};
    for (QGraphicsItem* item : items) {
        item->setPos(5000, -3000);
        item->setScale(10);
        scene.addItem(item);
    }
    EXPECT_TRUE(scene.itemsBoundingRect().isNull()) << "union: " << scene.itemsBoundingRect().width();
    EXPECT_EQ(block->childItems().size(), 1);
    EXPECT_EQ(lines->childItems().size(), 3);
}

TEST(ItemBounds, PathItemIsATinySquareAtItsAnchor)
{
    PathItem track;
    QPainterPath longPath;
    longPath.lineTo(300, 40);
    track.setPath(longPath);
    track.setAnchor({154, -15});
    EXPECT_EQ(track.boundingRect(), QRectF(154, -15, 0.3, 0.3));
    EXPECT_EQ(track.trackState, 0);
    EXPECT_EQ(track.pen().color(), QColor(Qt::white));
}

TEST(ItemBounds, GroundSpansFromTheOriginToItsAnchor)
{
    GroundItem ground;
    EXPECT_EQ(ground.zValue(), -1000);
    EXPECT_EQ(ground.brush().style(), Qt::NoBrush);
    ground.setAnchor({150, 3});
    EXPECT_EQ(ground.boundingRect(), QRectF(0, 0, 150, 3));
    ground.setAnchor({100, -7});
    EXPECT_EQ(ground.boundingRect(), QRectF(0, -7, 100, 7));
}

TEST(ItemBounds, BallShapeIsItsRectangle)
{
    BallItem plan(true), elevation(false);
    EXPECT_EQ(plan.rect(), QRectF(-0.3, -0.3, 0.6, 0.6));
    EXPECT_EQ(elevation.rect(), QRectF(-0.3, -0.6, 0.6, 0.6));
    // The corner lies outside the ellipse but inside the shape.
    EXPECT_TRUE(elevation.shape().contains(QPointF(-0.29, -0.59)));
}

TEST(ArrowItem, BlockArrowOutline)
{
    ArrowItem arrow(2, true);
    auto* block = static_cast<QGraphicsPathItem*>(arrow.childItems().value(0));
    ASSERT_NE(block, nullptr);
    const QPainterPath path = block->path();
    ASSERT_GE(path.elementCount(), 7);
    EXPECT_EQ(QPointF(path.elementAt(3)), QPointF(2.4, 0)); // the tip, at 1.2 * length
    EXPECT_EQ(QPointF(path.elementAt(2)), QPointF(2.4 - 0.48, 0.36));
    EXPECT_EQ(block->brush().color(), Palette::ArrowFill);
    EXPECT_EQ(block->pen().color(), Palette::ArrowEdge);
}

class PixmapItemTest : public ::testing::Test
{
protected:
    PictureDir pictures{{{"crown.png", {200, 100}}}};
};

TEST_F(PixmapItemTest, DeclaredSizeAtTheAnchoredOffset)
{
    PixmapItem item;
    item.setImage("crown.png", 0.5, 1.0);
    item.setSize(10, 20);
    EXPECT_EQ(item.offset(), QPointF(-100, -100));
    // The pixel offset and the declared size in scene units, as the fit uses them.
    EXPECT_EQ(item.boundingRect(), QRectF(-100, -100, 10, 20));
    EXPECT_EQ(coveredSize(item), QSizeF(10, 20));
    item.hide();
    EXPECT_TRUE(item.boundingRect().isNull());
}

TEST_F(PixmapItemTest, SizeBeforeAnyImageDoesNotScale)
{
    PixmapItem item;
    item.setSize(10, 20);
    EXPECT_TRUE(item.transform().isIdentity());
    item.setImage("crown.png", 0.5, 0.5);
    EXPECT_TRUE(item.transform().isIdentity());
}

TEST_F(PixmapItemTest, MissingPictureLeavesAnEmptyItem)
{
    PixmapItem item;
    item.setImage("no-such-picture.png", 0.5, 0.5);
    item.setSize(10, 20);
    EXPECT_TRUE(item.pixmap().isNull());
    EXPECT_TRUE(item.transform().isIdentity());
    EXPECT_TRUE(item.boundingRect().isNull());
}
