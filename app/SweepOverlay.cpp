#include "SweepOverlay.h"

#include "SweepTraces.h"
#include "SwingScene.h"

SweepOverlay::SweepOverlay(SwingScene* plan, SwingScene* elevation, QObject* parent)
    : QObject(parent), scenes{plan, elevation}
{
}

void SweepOverlay::show(const SweepTraceList& traces, const QString& legend)
{
    clear();
    for (int s = 0; s < 2; ++s) {
        // The scene keeps its traces in one list; ours are what this call adds.
        const qsizetype before = scenes[s]->traces.size();
        addSweepTraces(*scenes[s], traces, legend);
        added[s] = scenes[s]->traces.mid(before);
    }
}

void SweepOverlay::clear()
{
    for (int s = 0; s < 2; ++s) {
        for (QGraphicsItem* item : added[s]) {
            scenes[s]->traces.removeOne(item);
            delete item;
        }
        added[s].clear();
    }
}
