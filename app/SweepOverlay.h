#pragma once
// A sweep's paths over both views, in the colours Shotlab's pictures give
// them (SweepTraces.h). A new sweep replaces the paths of the last one;
// comparison traces and the shot stay.

#include "SweepWorker.h"

#include <QList>
#include <QObject>

class QGraphicsItem;
class SwingScene;

class SweepOverlay : public QObject
{
    Q_OBJECT

public:
    SweepOverlay(SwingScene* plan, SwingScene* elevation, QObject* parent = nullptr);

    // What the sweep's paths added to each scene.
    const QList<QGraphicsItem*>& itemsOf(int scene) const { return added[scene]; }

public slots:
    // Replaces the shown paths.
    void show(const SweepTraceList& traces, const QString& legend);
    // Removes them.
    void clear();

private:
    SwingScene* scenes[2];
    QList<QGraphicsItem*> added[2];
};
