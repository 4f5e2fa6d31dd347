#include "ViewsTestSupport.h"

#include <QDir>

// The scene points a live track may pass through: the steps of the active
// shot from `from` to `to`, thinned to about a thousand as drawTrajectory
// thins a whole shot, through the ball's centre in the elevation.
static QList<QPointF> liveCorners(const SwingModel& model, const SwingScene* scene, int from,
                                  int to)
{
    const int n = model.currentStepCount();
    const int stride = n > 1000 ? int(n / 1000.0 + 0.5) : 1;
    const QPointF centre(0, scene->ball->rect().center().y()); // the track offset
    QList<QPointF> result{scene->toScene(model.currentPoint(from)) + centre};
    for (int s = (from / stride + 1) * stride; s < to; s += stride)
        result.append(scene->toScene(model.currentPoint(s)) + centre);
    if (to != from)
        result.append(scene->toScene(model.currentPoint(to)) + centre);
    return result;
}

using TrackTest = TwoViews;

// A model read from a file and announced as a whole is drawn where it says:
// the ball and the putt arrow; an earlier shot's track and ball go.
TEST_F(TrackTest, LoadedModelIsDrawnAsItIs)
{
    swing(110, 45, 0);
    replay(0, model.currentStepCount() - 1, 40);
    for (const char* name : {"hole3-putt.txt", "hole2-teeshot.txt"}) {
        ASSERT_TRUE(
            model.read(QDir(QUILLMOOR_SOURCE_DIR "/examples").filePath(name).toStdString()));
        model.notify(AllChanged);
        const Vector3 ball = model.ballPos();
        for (SwingScene* scene : scenes()) {
            scene->drawTrajectory(model, QString());
            EXPECT_EQ(scene->ball->pos(), scene->toScene(ball)) << name;
            // Neither file holds a shot: nothing of the earlier one is left.
            EXPECT_EQ(scene->track->path().length(), 0) << name;
        }
        EXPECT_EQ(top->puttArrow->isVisible(), model.PuttEnabled) << name;
        EXPECT_EQ(top->puttArrow->pos(), top->toScene(ball)) << name;
    }
}

// Another hole, chosen or redefined, takes the shot's track away, also in the
// middle of a replay: nothing is drawn back to the tee.
TEST_F(TrackTest, HoleChangeTakesTheTrackAway)
{
    swing(110, 45, 0);
    const int last = model.currentStepCount() - 1;
    replay(0, last, 25);
    top->stopTracking();
    side->stopTracking();
    ASSERT_GT(corners(side).size(), 100);
    model.selectHole(2);
    EXPECT_LE(std::max(corners(top).size(), corners(side).size()), 1);

    swing(110, 45, 0);
    replay(0, last / 2, 25);
    model.defineHole(2, 20, {0, 170, 0}, {0, 170, 0}, {}, {}, "");
    model.setCurrentStep(last / 2 + 25); // the replay goes on a moment longer
    model.selectHole(1);
    model.setCurrentStep(3);
    EXPECT_LE(std::max(corners(top).size(), corners(side).size()), 1);
}

// The live track is the replayed shot from where the replay started to the
// ball, whatever the slider does and whatever else moves the ball.
TEST_F(TrackTest, LiveTrackOnlyFollowsTheReplayedShot)
{
    swing(110, 45, 0);
    const int last = model.currentStepCount() - 1;
    ASSERT_GT(last, 2500); // thinned: a corner every few steps
    model.setCurrentStep(100);
    replay(100, 900, 16);
    EXPECT_EQ(corners(side), liveCorners(model, side, 100, 900));
    // Dragged ahead, back, before the start, typed in, to the end.
    for (const auto& [to, from] :
         {std::pair{2000, 100}, {500, 100}, {40, 40}, {60, 40}, {last, 40}}) {
        if (to == 60)
            model.setBallPos({30, 60, 2});
        model.setCurrentStep(to);
        for (const SwingScene* scene : scenes())
            EXPECT_EQ(corners(scene), liveCorners(model, scene, from, to)) << to;
    }
}

// Steps with gaps, as a hand-written file may have them: both the live and the
// whole track pass through the shot's points and nothing else.
TEST_F(TrackTest, StepsWithGapsGiveTheShotsPointsOnly)
{
    const QList<std::pair<int, Vector3>> points{
        {0, {0, 0, 0}}, {400000000, {1, 60, 20}}, {2000000000, {2, 120, -1}}};
    QList<QPointF> expected;
    for (const auto& [step, p] : points) {
        model.setPoint(step, p);
        expected.append(top->toScene(p));
    }
    model.setCurrentStep(0);
    top->startTracking();
    model.setCurrentStep(400000000);
    model.setCurrentStep(2000000000);
    EXPECT_EQ(corners(top), expected);
    top->drawTrajectory(model, QString());
    EXPECT_EQ(corners(top), expected);
}
