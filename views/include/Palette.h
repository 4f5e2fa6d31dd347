#pragma once
// The nine colours shared by both views and their items.

#include <QColor>
#include <QPen>
#include <QString>

namespace Palette {
inline const QColor DarkTurf{84, 138, 59};     // tee box, green outline, steep green
inline const QColor GreenTurf{169, 214, 92};   // green surface
inline const QColor FairwayTurf{145, 199, 77}; // fairway (plan)
inline const QColor GrassLight{93, 149, 60};   // ground gradient, plan background
inline const QColor GrassDark{58, 92, 37};     // ground gradient, backgrounds
inline const QColor ArrowFill{255, 198, 19};
inline const QColor ArrowEdge{184, 73, 48};
inline const QColor SkyHaze{208, 216, 229}; // elevation sky near the horizon
inline const QColor SkyBlue{110, 149, 187}; // elevation sky at the top

// A line one pixel wide at any zoom. Every outline in the views is drawn
// this way; a pen of width 1 would be one scene unit (a yard) wide.
inline QPen hairline(const QColor& c = Qt::black)
{
    return QPen(c, 0);
}

// The colour as style-sheet text, "rgb(r,g,b)".
inline QString css(const QColor& c)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}
} // namespace Palette
