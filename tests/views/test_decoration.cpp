#include "SideScene.h"
#include "TopScene.h"
#include "ViewsTestSupport.h"

// Scenery of hole 1 (hole at (-15, 154, -7), no tree) in both views, with
// pictures of the real sizes in the working directory.
class DecorationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.reset();
        top.modelChanged(model, AllChanged);
        side.modelChanged(model, AllChanged);
    }

    PictureDir pictures{{{"tree-top.png", {324, 315}},
                         {"tree-birch.png", {220, 409}},
                         {"BigBunker_Top.png", {260, 180}},
                         {"Path_Side.png", {1634, 48}},
                         {"Path_Top.png", {1634, 112}}}};
    SwingModel model;
    TopScene top{nullptr};
    SideScene side{nullptr};
};

// Trees as round crowns, bunkers from above at four times their height.
TEST_F(DecorationTest, PlanPlacement)
{
    const DecorationItem& birch = *top.decorations[0]; // 8 x 15 at 0.15
    EXPECT_EQ(birch.pixmap().size(), QSize(324, 315));
    EXPECT_EQ(coveredSize(birch), QSizeF(9.6, 9.6));
    EXPECT_EQ(birch.zValue(), 9.6 - 900);
    EXPECT_EQ(birch.pos(), QPointF(154 * 0.15, -15 * 0.15 - 12));
    EXPECT_TRUE(birch.fitRect().isNull());
    EXPECT_EQ(birch.sceneBoundingRect().size(), QSizeF(9.6, 9.6)); // the whole crown

    const DecorationItem& bunker = *top.decorations[11]; // 20 x 3 at 0.8
    EXPECT_EQ(bunker.pixmap().size(), QSize(260, 180));
    EXPECT_EQ(coveredSize(bunker), QSizeF(24, 14.4));
    EXPECT_EQ(bunker.pos(), QPointF(154 * 0.8, -15 * 0.8 + 1.5 * 9.6));

    const DecorationItem& path = *top.decorations[13]; // half-way, the hole plus 60 long
    EXPECT_EQ(path.pixmap().height(), 112);
    EXPECT_EQ(path.pos().x(), 77);
    EXPECT_EQ(coveredSize(path), QSizeF(154 + 60, 4.8));
}

// Heights worked out by hand from the terrain profile of hole 1.
TEST_F(DecorationTest, ElevationStandsOnTheGround)
{
    const DecorationItem& birch = *side.decorations[0];
    EXPECT_NEAR(birch.pos().y(), 4.76221, 1e-4);
    EXPECT_EQ(birch.zValue(), -2010); // behind everything
    EXPECT_EQ(birch.fitRect(), QRectF(-110, -409, 9.6, 18));
    EXPECT_EQ(birch.sceneBoundingRect().size(), QSizeF(9.6, 18)); // the whole tree

    EXPECT_NEAR(side.decorations[11]->pos().y(), 12.59845, 1e-4);
    EXPECT_EQ(side.decorations[11]->zValue(), 1985); // in front of everything

    const DecorationItem& path = *side.decorations[13];
    EXPECT_NEAR(path.pos().y(), 21.43403, 1e-4);
    EXPECT_EQ(path.zValue(), 1974);
    EXPECT_TRUE(path.fitRect().isNull());
}
