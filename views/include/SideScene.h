#pragma once
// The elevation view: downrange left to right, height up the screen.

#include "SwingScene.h"

class SideScene : public SwingScene
{
    Q_OBJECT

public:
    explicit SideScene(QGraphicsView* view);
    ~SideScene() override;

    QPointF toScene(double, double y, double z) const override { return {y, -z}; }
    double depthOf(double x, double, double) const override { return x; }
    QPointF tiltToScene(double a, double b) const override { return {b, -a}; }
    void adjustFitRect(QRectF& rect) const override;
    using SwingScene::depthOf;
    using SwingScene::toScene;

    void modelChanged(SwingModel& model, ChangeFlags flags) override;

    GroundItem* ground = nullptr;
    TextItem* distanceLabel = nullptr; // the hole's distance, beside the flag

private:
    void tiltGreen(const SwingModel& model);
    void buildGround(const SwingModel& model);
};
