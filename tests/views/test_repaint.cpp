#include "SideScene.h"
#include "Simulation.h"
#include "TopScene.h"

#include <QGraphicsView>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// The largest difference of one colour channel between two images.
int largestDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            worst = std::max({worst, std::abs(qRed(pa[x]) - qRed(pb[x])),
                              std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                              std::abs(qBlue(pa[x]) - qBlue(pb[x]))});
        }
    }
    return worst;
}

} // namespace

// Both views at the main window's default size, shown on the offscreen
// platform so that they paint as a real window does.
class RepaintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.reset();
        for (QGraphicsView* view : {&topView, &sideView}) {
            view->resize(682, 300);
            view->show();
        }
        top = new TopScene(&topView);
        side = new SideScene(&sideView);
        model.notify(AllChanged);
    }

    // What a view shows once wholly repainted, and once repainted only in a
    // band over a picture filled with something else.
    static QImage full(QGraphicsView& view)
    {
        QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::magenta);
        view.viewport()->render(&image);
        return image;
    }
    static QImage repaintedBand(QGraphicsView& view, const QImage& background, const QRect& band)
    {
        QImage image = background;
        {
            QPainter painter(&image);
            painter.fillRect(band, Qt::magenta);
        }
        view.viewport()->render(&image, band.topLeft(), QRegion(band));
        return image;
    }
    // Every band of 40 pixel rows, at every offset of 13 rows, repaints to
    // the same picture as the whole view.
    static void expectBandsRepaintWhole(QGraphicsView& view)
    {
        const QImage whole = full(view);
        QImage stale(whole.size(), whole.format());
        stale.fill(Qt::magenta);
        for (int top = 0; top < whole.height(); top += 13) {
            const QRect band(0, top, whole.width(), 40);
            QImage expected = whole;
            {
                // Outside the band the stale picture stays.
                QPainter painter(&expected);
                painter.setClipRegion(QRegion(whole.rect()).subtracted(QRegion(band)));
                painter.fillRect(whole.rect(), Qt::magenta);
            }
            ASSERT_LE(largestDifference(repaintedBand(view, stale, band), expected), 2)
                << "band from row " << top;
        }
    }

    SwingModel model;
    QGraphicsView topView, sideView;
    TopScene* top = nullptr; // owned by the views
    SideScene* side = nullptr;
};

// The automatic fit of the built-in holes frames exactly what it always did.
TEST_F(RepaintTest, FitOfTheBuiltInHolesIsUnchanged)
{
    const std::pair<QRectF, QRectF> framed[] = {
        {{-9.6, -28.4, 169.6, 32}, {-9.6, -35.707003330995832, 169.6, 45}},
        {{-9.6, -28.4, 171.93335, 32}, {-9.6, -35.619573948480479, 171.9485547674488, 45}},
        {{-9.6, -18, 165.6, 32}, {-9.6, -39.579976128926795, 165.6, 44}},
        {{-9.6, -15, 115.6, 20}, {-9.6, -23.410893617021276, 115.6, 28}},
    };
    for (int hole = 1; hole <= 4; ++hole) {
        model.selectHole(hole);
        model.notify(AllChanged); // at once, without a glide
        EXPECT_EQ(top->sceneRect(), framed[hole - 1].first) << "hole " << hole;
        EXPECT_EQ(side->sceneRect(), framed[hole - 1].second) << "hole " << hole;
    }
    EXPECT_NEAR(topView.transform().m11(), topView.viewport()->width() / (115.6 + 4), 1e-9);
}

TEST_F(RepaintTest, ABandRepaintsEverythingThatCrossesIt)
{
    // Hole 3 has a tree of its own, a hill and scenery on both sides.
    model.selectHole(3);
    model.setValue("TeeBallSpeed", 120);
    ASSERT_TRUE(quillmoor::complexSwing(model));
    model.setCurrentStep(-1);
    top->drawTrajectory(model, QString());
    side->drawTrajectory(model, QString());
    top->drawTrajectory(model, "other-shot.txt");
    side->drawTrajectory(model, "other-shot.txt");
    model.setValue("WindSpeed", 20);
    expectBandsRepaintWhole(topView);
    expectBandsRepaintWhole(sideView);

    model.setPuttEnabled(true);
    expectBandsRepaintWhole(topView);
    expectBandsRepaintWhole(sideView);
}
