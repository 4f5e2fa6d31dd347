#include "DispersionOverlay.h"

#include "DispersionItems.h"
#include "DispersionRun.h"
#include "SwingScene.h"

namespace {

std::vector<PlanEllipse> planEllipses(const std::vector<quillmoor::lab::Ellipse>& ellipses)
{
    std::vector<PlanEllipse> plan;
    for (const auto& e : ellipses)
        plan.push_back({e.probability, e.x, e.y, e.semiMajor, e.semiMinor, e.orientation});
    return plan;
}

} // namespace

DispersionOverlay::DispersionOverlay(SwingScene* plan, QObject* parent)
    : QObject(parent), scene(plan)
{
}

void DispersionOverlay::show(const DispersionRun& run)
{
    clear();
    if (run.finish.empty())
        return; // no shot ran: nothing to draw
    added = addDispersionPoints(*scene, run.landing, run.finish);
    // Thousands of dots would take tens of milliseconds to draw one by one:
    // they are stamped, and drawn again only for a new zoom, not for every
    // frame of a replay under them.
    for (QGraphicsItem* item : std::as_const(added)) {
        static_cast<DispersionDotsItem*>(item)->setStamped(true);
        item->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    }
    // Each ellipse is a halo, then its line; the landing ellipses over the
    // final ones where they cross, as in Shotlab's picture.
    const QList<QGraphicsItem*> finalEllipses =
        addDispersionEllipses(*scene, planEllipses(run.finishEllipses()), dispersionlook::Final);
    const QList<QGraphicsItem*> landingEllipses = addDispersionEllipses(
        *scene, planEllipses(run.landingEllipses()), dispersionlook::LandingEllipse);
    for (const QList<QGraphicsItem*>* set : {&landingEllipses, &finalEllipses})
        for (qsizetype i = 1; i < set->size(); i += 2)
            lines.append(set->at(i));
    added << finalEllipses << landingEllipses;
    auto* legend = new DispersionLegendItem(!run.landing.empty());
    scene->addItem(legend);
    added.append(legend);
    // Kept with the traces, where the view finds the legend to pin it in a
    // corner; clear() takes them out again.
    scene->traces.append(added);
    scene->fitToView(false);
}

void DispersionOverlay::clear()
{
    if (added.isEmpty())
        return;
    for (QGraphicsItem* item : std::as_const(added)) {
        scene->traces.removeOne(item);
        delete item;
    }
    added.clear();
    lines.clear();
    scene->fitToView(false); // the points no longer widen the framing
}
