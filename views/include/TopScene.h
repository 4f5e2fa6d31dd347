#pragma once
// The plan view: downrange left to right, across the hole down the screen.

#include "SwingScene.h"

class TopScene : public SwingScene
{
    Q_OBJECT

public:
    explicit TopScene(QGraphicsView* view);
    ~TopScene() override;

    QPointF toScene(double x, double y, double) const override { return {y, x}; }
    double depthOf(double, double, double z) const override { return z; }
    QPointF tiltToScene(double a, double b) const override { return {-a, b}; }
    void adjustFitRect(QRectF& rect) const override;
    using SwingScene::depthOf;
    using SwingScene::toScene;

    void modelChanged(SwingModel& model, ChangeFlags flags) override;

    ArrowItem* windArrow = nullptr;
    ArrowItem* puttArrow = nullptr; // at the ball while putting
    GroundItem* fairway = nullptr;
    TextItem* windLabel = nullptr;

private:
    void placeWindLabel();
    void stackGreen(double z);
    void shadeGreen(const SwingModel& model);
    void buildFairway(const SwingModel& model);
};
