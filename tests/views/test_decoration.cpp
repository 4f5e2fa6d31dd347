#include "DecorationItem.h"
#include "SideScene.h"
#include "TopScene.h"
#include "ViewsTestSupport.h"

#include <gtest/gtest.h>

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

    PictureDir pictures{sceneryPictures()};
    SwingModel model;
    TopScene top{nullptr};
    SideScene side{nullptr};
};

TEST_F(DecorationTest, EveryViewHasTheWholeTable)
{
    EXPECT_EQ(top.decorations.size(), 14);
    EXPECT_EQ(side.decorations.size(), 14);
    EXPECT_EQ(DecorationItem(14 + 11, false).offsetAcross(), -1.5); // index modulo 14
}

TEST_F(DecorationTest, PlanTreesAreRoundCrowns)
{
    const DecorationItem& birch = *top.decorations[0]; // 8 x 15
    EXPECT_EQ(birch.pixmap().size(), QSize(324, 315)); // the crown picture
    EXPECT_NEAR(coveredSize(birch).width(), 9.6, 1e-9);
    EXPECT_NEAR(coveredSize(birch).height(), 9.6, 1e-9);
    EXPECT_NEAR(birch.zValue(), 9.6 - 900, 1e-9);
    EXPECT_NEAR(birch.pos().x(), 154 * 0.15, 1e-9);
    EXPECT_NEAR(birch.pos().y(), (-15 * 0.15 - 12) * 1.0, 1e-9);
    EXPECT_TRUE(birch.boundingRect().isNull());
}

TEST_F(DecorationTest, PlanBunkersAreSeenFromAboveAtFourTimesTheHeight)
{
    const DecorationItem& bunker = *top.decorations[11]; // 20 x 3
    EXPECT_EQ(bunker.pixmap().size(), QSize(260, 180));
    EXPECT_NEAR(coveredSize(bunker).width(), 24, 1e-9);
    EXPECT_NEAR(coveredSize(bunker).height(), 14.4, 1e-9);
    EXPECT_NEAR(bunker.pos().y(), -15 * 0.8 + 1.5 * 9.6, 1e-9);
}

TEST_F(DecorationTest, PathRunsAlongTheWholeHole)
{
    for (SwingScene* scene : {static_cast<SwingScene*>(&top), static_cast<SwingScene*>(&side)}) {
        const DecorationItem& path = *scene->decorations[13];
        EXPECT_NEAR(path.pos().x(), 77, 1e-9);
        EXPECT_NEAR(coveredSize(path).width(), 154 + 60, 1e-9);
        EXPECT_NEAR(coveredSize(path).height(), 4.8, 1e-9);
        EXPECT_TRUE(path.boundingRect().isNull());
    }
    EXPECT_EQ(top.decorations[13]->pixmap().size(), QSize(1634, 112));
    EXPECT_EQ(side.decorations[13]->pixmap().size(), QSize(1634, 48));
}

TEST_F(DecorationTest, ElevationStandsOnTheGround)
{
    const DecorationItem& birch = *side.decorations[0];
    EXPECT_EQ(birch.pixmap().size(), QSize(220, 409));
    EXPECT_NEAR(birch.pos().y(), 4.76221, 1e-4);
    EXPECT_EQ(birch.zValue(), -2010);
    EXPECT_EQ(birch.boundingRect(), QRectF(-110, -409, 9.6, 18));

    const DecorationItem& bunker = *side.decorations[11];
    EXPECT_NEAR(bunker.pos().y(), 12.59845, 1e-4);
    EXPECT_EQ(bunker.zValue(), 1985);
    EXPECT_NEAR(side.decorations[13]->pos().y(), 21.43403, 1e-4);
    EXPECT_EQ(side.decorations[13]->zValue(), 1974);
}
