#pragma once
// The fixed scenery of every hole: fourteen pictures (trees, bunkers, a path)
// placed along and beside the hole from a built-in table.

#include "Items.h"

class SwingModel;
class SwingScene;

class DecorationItem : public PixmapItem
{
public:
    static constexpr int TableSize = 14;

    // Entry index modulo 14 of the scenery table, prepared for the plan view
    // (pictures from above) or the elevation view.
    DecorationItem(int index, bool plan);
    ~DecorationItem() override;

    // Only elevation pictures other than the path widen the fit.
    QRectF fitRect() const override;

    // Puts the picture in place for the model's current hole.
    void placeForHole(const SwingModel& model, const SwingScene& scene);

private:
    double fraction = 0.0;     // share of the hole's distance; >= 2 marks the path
    double offsetAcross = 0.0; // across the target line; trees > 0, bunkers and path < 0
    double planStacking = 0.0; // plan view only: the picture's height, stacks larger on top
};
