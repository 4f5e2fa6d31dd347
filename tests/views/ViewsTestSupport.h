#pragma once
// Helpers shared by the views tests.

#include "ImageCache.h"
#include "SideScene.h"
#include "Simulation.h"
#include "TopScene.h"

#include <QDir>
#include <QGraphicsView>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Makes a temporary directory holding pictures of the given names and sizes the
// working directory. Plain files win over compiled-in pictures, so the items see
// exactly these; the cache is emptied on both ends.
class PictureDir
{
public:
    explicit PictureDir(const std::vector<std::pair<QString, QSize>>& pictures)
    {
        for (const auto& [name, size] : pictures) {
            QImage image(size, QImage::Format_RGBA8888);
            image.fill(Qt::darkGreen);
            image.save(dir.filePath(name));
        }
        QDir::setCurrent(dir.path());
        ImageCache::release();
    }
    ~PictureDir()
    {
        QDir::setCurrent(previous);
        ImageCache::release();
    }
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
};

// The size in scene units an unrotated item's picture covers.
template <typename Item> QSizeF coveredSize(const Item& item)
{
    return {item.transform().m11() * item.pixmap().width(),
            item.transform().m22() * item.pixmap().height()};
}

// Both views of a model, 600 x 300 pixels, hidden so that refits never glide.
class TwoViews : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.reset();
        for (QGraphicsView* view : {&topView, &sideView}) {
            view->resize(600, 300);
            view->show(); // lets the viewport take its size
            view->hide();
        }
        top = new TopScene(&topView);
        side = new SideScene(&sideView);
        top->modelChanged(model, AllChanged);
        side->modelChanged(model, AllChanged);
    }
    static double zoom(const QGraphicsView& view) { return view.transform().m11(); }
    // The part of the scene the view shows.
    static QRectF shown(const QGraphicsView& view)
    {
        return view.mapToScene(view.viewport()->rect()).boundingRect();
    }
    // A complex swing as Trajex computes it, with the ball back at step 0 as
    // after a run.
    void swing(double speed, double launch, double target, double sideSpin = 0)
    {
        model.setValue("TeeBallSpeed", speed);
        model.setValue("TeeLaunchAngle", launch);
        model.setValue("TeeTargetAngle", target);
        model.setValue("TeeSideSpin", sideSpin);
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
