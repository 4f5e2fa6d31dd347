#include "ViewsTestSupport.h"

namespace {
// Repaints each band of 40 pixel rows, at every 13th row, over a stale
// picture: antialiasing aside, it must be what a whole repaint shows there.
void expectBandsRepaintWhole(QGraphicsView& view)
{
    QImage whole(view.viewport()->size(), QImage::Format_RGB32);
    view.viewport()->render(&whole);
    for (int top = 0; top < whole.height(); top += 13) {
        const QRect band(0, top, whole.width(), std::min(40, whole.height() - top));
        QImage part(whole.size(), QImage::Format_RGB32);
        part.fill(Qt::magenta);
        view.viewport()->render(&part, band.topLeft(), QRegion(band));
        int worst = 0;
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = 0; x < whole.width(); ++x) {
                const QRgb a = whole.pixel(x, y), b = part.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)),
                                  std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
            }
        ASSERT_LE(worst, 2) << "band from row " << top;
    }
}
} // namespace

using RepaintTest = TwoViews;

// The automatic fit of the built-in holes frames exactly what it always did,
// with the axes at the tee whole.
TEST_F(RepaintTest, FitOfTheBuiltInHolesIsUnchanged)
{
    const std::pair<QRectF, QRectF> framed[] = {
        {{-10.2, -24.8, 170.2, 32}, {-10.2, -35.707003330995832, 170.2, 45}},
        {{-10.2, -24.8, 172.53335, 32}, {-10.2, -35.619573948480479, 172.5485547674488, 45}},
        {{-10.2, -18, 166.2, 32}, {-10.2, -39.579976128926795, 166.2, 44}},
        {{-10.2, -12.8, 116.2, 20}, {-10.2, -23.410893617021276, 116.2, 28}},
    };
    for (int hole = 1; hole <= 4; ++hole) {
        model.selectHole(hole);
        EXPECT_EQ(top->sceneRect(), framed[hole - 1].first) << "hole " << hole;
        EXPECT_EQ(side->sceneRect(), framed[hole - 1].second) << "hole " << hole;
    }
}

// Hole 3 has a tree of its own, a hill and scenery on both sides; a shot, a
// comparison trace with its name and a long wind arrow cross it.
TEST_F(RepaintTest, ABandRepaintsEverythingThatCrossesIt)
{
    model.selectHole(3);
    swing(120, 45, 0);
    model.setCurrentStep(-1);
    for (SwingScene* scene : std::initializer_list<SwingScene*>{top, side}) {
        scene->drawTrajectory(model, QString());
        scene->drawTrajectory(model, "other-shot.txt");
    }
    model.setValue("WindSpeed", 20);
    expectBandsRepaintWhole(topView);
    expectBandsRepaintWhole(sideView);

    model.setPuttEnabled(true);
    expectBandsRepaintWhole(topView);
    expectBandsRepaintWhole(sideView);
}
