#pragma once
// Helpers shared by the views tests.

#include "SideScene.h"
#include "Simulation.h"
#include "TopScene.h"

#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <gtest/gtest.h>

// Where a label's text is drawn in its view, in pixels.
inline QRect labelBox(const QGraphicsView& view, const QGraphicsSimpleTextItem* label)
{
    const QRectF box = label->boundingRect();
    return {view.mapFromScene(label->scenePos()) + box.topLeft().toPoint(), box.size().toSize()};
}

// The scene's labels among `texts`.
inline QList<const QGraphicsSimpleTextItem*> labelsOf(const SwingScene* scene,
                                                      const QStringList& texts)
{
    QList<const QGraphicsSimpleTextItem*> found;
    for (QGraphicsItem* item : scene->items())
        if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item);
            text && texts.contains(text->text()))
            found.append(text);
    return found;
}

// Both views of a model, 600 x 300 pixels, hidden so that refits never glide.
class TwoViews : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.reset();
        resizeViews({600, 300});
        top = new TopScene(&topView);
        side = new SideScene(&sideView);
        top->modelChanged(model, AllChanged);
        side->modelChanged(model, AllChanged);
    }
    void resizeViews(QSize size)
    {
        for (QGraphicsView* view : {&topView, &sideView}) {
            view->resize(size);
            view->show(); // lets the viewport take its size
            view->hide();
        }
    }
    QList<SwingScene*> scenes() const { return {top, side}; }
    static double zoom(const QGraphicsView& view) { return view.transform().m11(); }
    // The part of the scene the view shows.
    static QRectF shown(const QGraphicsView& view)
    {
        return view.mapToScene(view.viewport()->rect()).boundingRect();
    }
    static QRectF ballRect(const SwingScene* s) { return s->ball->mapRectToScene(s->ball->rect()); }
    // A complex swing as Trajex computes it, with the ball back at step 0 as
    // after a run.
    void swing(double speed, double launch, double target, double sideSpin = 0)
    {
        for (const auto& [key, value] : {std::pair{"TeeBallSpeed", speed},
                                         {"TeeLaunchAngle", launch},
                                         {"TeeTargetAngle", target},
                                         {"TeeSideSpin", sideSpin}})
            model.setValue(key, value);
        ASSERT_TRUE(quillmoor::complexSwing(model));
        model.setCurrentStep(0);
    }
    // The replay as the main window drives it: every `by` steps up to `to`.
    void replay(int from, int to, int by)
    {
        top->startTracking();
        side->startTracking();
        for (int step = from; step < to; step += by)
            model.setCurrentStep(step);
        model.setCurrentStep(to);
    }
    // The track's corners as scene points.
    static QList<QPointF> corners(const SwingScene* scene)
    {
        const QPainterPath path = scene->track->path();
        QList<QPointF> result;
        for (int i = 0; i < path.elementCount(); ++i)
            result.append(path.elementAt(i));
        return result;
    }

    SwingModel model;
    QGraphicsView topView, sideView;
    TopScene* top = nullptr; // owned by the views
    SideScene* side = nullptr;
};
