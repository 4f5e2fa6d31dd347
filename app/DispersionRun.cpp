#include "DispersionRun.h"

#include "SwingModel.h"

#include <cctype>

using namespace quillmoor::lab;

DispersionRun::DispersionRun(const SwingModel& model, DispersionSetup setup)
    : setup(std::move(setup)), stats(model)
{
}

void DispersionRun::add(const SweepRow& row)
{
    stats.add(row);
    if (!row.shot) {
        if (firstRefusal.empty())
            firstRefusal = row.status;
        return;
    }
    if (row.gridIndex >= kMaxDispersionPlotShots)
        return;
    if (row.kind == quillmoor::ShotKind::Tee) {
        if (row.shot->tee.landingPoint)
            landing.push_back(*row.shot->tee.landingPoint);
        finish.push_back(row.shot->tee.finalPoint);
    } else {
        finish.push_back(row.shot->putt.finalPoint);
    }
}

namespace {

std::vector<Ellipse> ellipsesOf(const PointMoments& points)
{
    std::vector<Ellipse> ellipses;
    for (double p : kEllipseProbabilities)
        if (const auto e = probabilityEllipse(points, p))
            ellipses.push_back(*e);
    return ellipses;
}

} // namespace

std::vector<Ellipse> DispersionRun::landingEllipses() const
{
    return ellipsesOf(stats.landing);
}

std::vector<Ellipse> DispersionRun::finishEllipses() const
{
    return ellipsesOf(stats.finish);
}

std::string DispersionRun::verdict() const
{
    std::string sentence = dispersionVerdict(setup, stats);
    if (!sentence.empty())
        sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
    return sentence;
}
