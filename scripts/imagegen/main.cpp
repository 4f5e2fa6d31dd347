// imagegen: paints the pictures that Parview carries as compiled-in resources.
//
//   imagegen <output-directory>
//
// Every picture is drawn with QPainter from a fixed seed, so a run gives the same
// files each time; resources/img/ holds the committed result (scripts/make-images.sh).
// Light falls from the upper left in every picture, as in the views' own shading.

#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

// Own generator rather than <random>: the standard distributions are not required to give
// the same numbers on every library, and the pictures must not change with the compiler.
class Rng
{
public:
    explicit Rng(quint64 seed) : state(seed * 0x9E3779B97F4A7C15ULL + 0x2545F4914F6CDD1DULL) {}
    double uniform()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return double(state >> 11) * (1.0 / 9007199254740992.0);
    }
    double uniform(double a, double b) { return a + (b - a) * uniform(); }

private:
    quint64 state;
};

double clamp01(double t)
{
    return std::clamp(t, 0.0, 1.0);
}

double smoothstep(double e0, double e1, double x)
{
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    t = clamp01(t);
    auto ch = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(ch(a.red(), b.red()), ch(a.green(), b.green()), ch(a.blue(), b.blue()),
                  ch(a.alpha(), b.alpha()));
}

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

// Unit vector towards the light (upper left).
const QPointF LightDir(-0.55, -0.835);

double dot(QPointF a, QPointF b)
{
    return a.x() * b.x() + a.y() * b.y();
}

QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

struct Tones
{
    QColor dark, mid, light;
};

// ---------------------------------------------------------------- wood

// A trunk or branch: a quadratic curve from p0 through control c to p1 whose width
// shrinks from w0 to w1.
struct Limb
{
    QPointF p0, c, p1;
    double w0, w1;

    QPointF at(double t) const
    {
        const double u = 1.0 - t;
        return u * u * p0 + 2.0 * u * t * c + t * t * p1;
    }
    QPointF tangent(double t) const
    {
        const QPointF d = 2.0 * (1.0 - t) * (c - p0) + 2.0 * t * (p1 - c);
        const double len = std::hypot(d.x(), d.y());
        return len > 0 ? d / len : QPointF(0, -1);
    }
    double width(double t) const { return w0 + (w1 - w0) * t; }

    QPainterPath outline() const
    {
        const int n = 32;
        QPolygonF left, right;
        for (int i = 0; i <= n; ++i) {
            const double t = double(i) / n;
            const QPointF tg = tangent(t);
            const QPointF nrm(-tg.y(), tg.x());
            left << at(t) + nrm * (width(t) / 2);
            right << at(t) - nrm * (width(t) / 2);
        }
        std::reverse(right.begin(), right.end());
        QPainterPath path;
        path.addPolygon(left + right);
        path.closeSubpath();
        // A boolean union, not a second subpath: the two may wind in opposite directions,
        // and the rounded tip would then cut a hole into the limb.
        QPainterPath tip;
        tip.addEllipse(p1, w1 / 2, w1 / 2);
        return path.united(tip);
    }
};

// Round, shaded wood: a gradient across the limb, lit on the side facing the light.
QBrush woodBrush(const Limb& limb, const Tones& bark)
{
    const QPointF tg = limb.tangent(0.5);
    QPointF nrm(-tg.y(), tg.x());
    if (dot(nrm, LightDir) < 0)
        nrm = -nrm;
    const double w = (limb.w0 + limb.w1) / 2;
    const QPointF mid = limb.at(0.5);
    QLinearGradient g(mid + nrm * (w / 2), mid - nrm * (w / 2));
    g.setColorAt(0.0, bark.light);
    g.setColorAt(0.4, bark.mid);
    g.setColorAt(1.0, bark.dark);
    return QBrush(g);
}

void drawLimb(QPainter& p, const Limb& limb, const Tones& bark)
{
    p.setPen(Qt::NoPen);
    p.setBrush(woodBrush(limb, bark));
    p.drawPath(limb.outline());
}

// Trunk with a flared foot that reaches the bottom edge of the picture; the side views
// anchor the picture at its bottom centre, so the foot must sit exactly there.
void drawTrunk(QPainter& p, const Limb& trunk, double flare, const Tones& bark)
{
    QPainterPath path = trunk.outline();
    if (flare > 0) {
        const double x = trunk.p0.x(), y = trunk.p0.y(), hw = trunk.w0 / 2;
        QPainterPath foot;
        foot.moveTo(x - hw - flare, y + 2);
        foot.quadTo(x - hw + 1, y - flare * 0.3, x - hw * 0.6, y - flare * 3.5);
        foot.lineTo(x + hw * 0.6, y - flare * 3.5);
        foot.quadTo(x + hw - 1, y - flare * 0.3, x + hw + flare, y + 2);
        foot.closeSubpath();
        path = path.united(foot);
    }
    QLinearGradient g(trunk.p0.x() - trunk.w0 / 2 - flare, 0, trunk.p0.x() + trunk.w0 / 2 + flare,
                      0);
    g.setColorAt(0.0, bark.light);
    g.setColorAt(0.35, bark.mid);
    g.setColorAt(1.0, bark.dark);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(path);
}

// Fissured bark: short, roughly vertical dark strokes inside the wood drawn so far.
void barkFissures(QPainter& p, const QRectF& area, int count, const QColor& colour, Rng& rng)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    for (int i = 0; i < count; ++i) {
        const QPointF a(rng.uniform(area.left(), area.right()),
                        rng.uniform(area.top(), area.bottom()));
        const double len = rng.uniform(6, 22);
        const QPointF b = a + QPointF(rng.uniform(-2, 2), -len);
        QPen pen(withAlpha(colour, int(rng.uniform(70, 150))), rng.uniform(0.8, 2.0));
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        QPainterPath s;
        s.moveTo(a);
        s.quadTo((a + b) / 2 + QPointF(rng.uniform(-2, 2), 0), b);
        p.drawPath(s);
    }
    p.restore();
}

// The shadow a crown throws on the wood beneath it.
void crownShadow(QPainter& p, double top, double bottom, int alpha)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0.0, QColor(10, 14, 6, alpha));
    g.setColorAt(1.0, QColor(10, 14, 6, 0));
    p.fillRect(QRectF(0, top, p.device()->width(), bottom - top), g);
    p.restore();
}

// ---------------------------------------------------------------- foliage

struct CrownStyle
{
    Tones leaves;
    int clusters;      // leaf clusters painted
    double rMin, rMax; // their radius range, in pixels
    bool solidBase;    // dense crowns get a dark underlayer so nothing shows through
    int specks;        // single leaves added as texture
    double relief;     // how much nearness to the crown's centre brightens (seen from above)
};

// How likely a leaf cluster is at a point (0..1); airy and vase-shaped crowns keep gaps.
using Density = std::function<double(QPointF)>;

// A cluster of leaves: a core and a ring of lobes, filled as one shape.
QPainterPath leafCluster(QPointF c, double r, Rng& rng)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addEllipse(c, r * 0.68, r * 0.68);
    const int lobes = 9 + int(rng.uniform() * 5);
    const double a0 = rng.uniform(0, 2 * Pi);
    for (int i = 0; i < lobes; ++i) {
        const double a = a0 + 2 * Pi * i / lobes + rng.uniform(-0.25, 0.25);
        const double d = r * rng.uniform(0.5, 0.72);
        const double rr = r * rng.uniform(0.2, 0.34);
        path.addEllipse(c + QPointF(std::cos(a), std::sin(a)) * d, rr, rr);
    }
    return path;
}

QPointF pointInside(const QPainterPath& shape, const Density& density, Rng& rng)
{
    const QRectF box = shape.boundingRect();
    for (int tries = 0; tries < 10000; ++tries) {
        const QPointF pt(rng.uniform(box.left(), box.right()),
                         rng.uniform(box.top(), box.bottom()));
        if (shape.contains(pt) && (!density || rng.uniform() < density(pt)))
            return pt;
    }
    return box.center();
}

// Paints a crown into its own layer, so texture can be added on the leaves alone.
QImage crownLayer(QSize size, const QPainterPath& crown, const CrownStyle& st, Rng& rng,
                  const Density& density = {})
{
    QImage layer = canvas(size.width(), size.height());
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    const QRectF box = crown.boundingRect();
    const QPointF centre = box.center();
    auto shadeAt = [&](QPointF pt) {
        const QPointF rel((pt.x() - centre.x()) / (box.width() / 2),
                          (pt.y() - centre.y()) / (box.height() / 2));
        const double radial = 1.0 - std::min(1.0, std::hypot(rel.x(), rel.y()));
        return 0.5 + 0.5 * dot(rel, LightDir) + st.relief * (radial - 0.4);
    };

    if (st.solidBase) {
        QTransform shrink;
        shrink.translate(centre.x(), centre.y());
        shrink.scale(0.9, 0.9);
        shrink.translate(-centre.x(), -centre.y());
        p.setBrush(st.leaves.dark.darker(125));
        p.drawPath(shrink.map(crown));
    }

    struct Cluster
    {
        QPointF c;
        double r, shade;
    };
    std::vector<Cluster> clusters;
    clusters.reserve(st.clusters);
    for (int i = 0; i < st.clusters; ++i) {
        const QPointF c = pointInside(crown, density, rng);
        // Clusters stay inside the picture: a crown cut flat by the border looks pasted on.
        const double room = std::min({c.x(), c.y(), size.width() - c.x(), size.height() - c.y()});
        const double r = std::min(rng.uniform(st.rMin, st.rMax), (room - 1) / 1.08);
        if (r < 2)
            continue;
        clusters.push_back({c, r, clamp01(shadeAt(c) + rng.uniform(-0.12, 0.12))});
    }
    // Shaded clusters first, so the lit ones lie on top: the crown reads as one lit mass.
    std::stable_sort(clusters.begin(), clusters.end(),
                     [](const Cluster& a, const Cluster& b) { return a.shade < b.shade; });

    for (const Cluster& k : clusters) {
        const double t = k.shade;
        QRadialGradient g(k.c + LightDir * (k.r * 0.5), k.r * 1.35);
        g.setColorAt(0.0, mix(st.leaves.mid, st.leaves.light, t));
        g.setColorAt(0.5, mix(st.leaves.dark, st.leaves.mid, 0.3 + 0.7 * t));
        g.setColorAt(1.0,
                     mix(st.leaves.dark.darker(115), mix(st.leaves.dark, st.leaves.mid, 0.3), t));
        p.setBrush(g);
        p.drawPath(leafCluster(k.c, k.r, rng));
    }

    // Single leaves on the leaves only: light ones where the sun falls, dark ones in shade.
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    for (int i = 0; i < st.specks; ++i) {
        const QPointF c(rng.uniform(box.left(), box.right()), rng.uniform(box.top(), box.bottom()));
        const double t = clamp01(shadeAt(c) + rng.uniform(-0.25, 0.25));
        const QColor colour = t > 0.5
                                  ? withAlpha(st.leaves.light.lighter(110), int(160 * (t - 0.4)))
                                  : withAlpha(st.leaves.dark.darker(150), int(150 * (0.6 - t)));
        p.setBrush(colour);
        p.save();
        p.translate(c);
        p.rotate(rng.uniform(0, 180));
        const double len = rng.uniform(1.5, 3.8);
        p.drawEllipse(QPointF(0, 0), len, len * 0.55);
        p.restore();
    }

    // The whole crown darkens towards the side turned from the light.
    QLinearGradient overall(
        centre + QPointF(LightDir.x() * box.width(), LightDir.y() * box.height()) / 2,
        centre - QPointF(LightDir.x() * box.width(), LightDir.y() * box.height()) / 2);
    overall.setColorAt(0.0, QColor(255, 255, 230, 30));
    overall.setColorAt(0.5, QColor(0, 0, 0, 0));
    overall.setColorAt(1.0, QColor(0, 10, 0, 70));
    p.fillRect(layer.rect(), overall);
    return layer;
}

QPainterPath ellipses(std::initializer_list<QRectF> rects)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const QRectF& r : rects)
        path.addEllipse(r);
    return path.simplified();
}

QRectF ell(double cx, double cy, double rx, double ry)
{
    return QRectF(cx - rx, cy - ry, 2 * rx, 2 * ry);
}

// ---------------------------------------------------------------- side-view trees

QImage birch()
{
    const int w = 220, h = 409;
    Rng rng(11);
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const Tones whiteBark{QColor(150, 148, 140), QColor(226, 224, 216), QColor(250, 249, 243)};
    const Tones twig{QColor(70, 62, 56), QColor(112, 100, 90), QColor(150, 138, 124)};

    const Limb trunk{QPointF(w / 2.0, h + 1), QPointF(118, 230), QPointF(104, 40), 17, 4};
    // Branches leave the trunk upwards and droop at their tips, as a birch's do.
    const std::vector<Limb> branches = {
        {trunk.at(0.35), QPointF(60, 230), QPointF(30, 250), 5, 1.5},
        {trunk.at(0.42), QPointF(170, 200), QPointF(196, 222), 5, 1.5},
        {trunk.at(0.55), QPointF(50, 150), QPointF(24, 170), 4, 1.2},
        {trunk.at(0.62), QPointF(165, 120), QPointF(190, 140), 4, 1.2},
        {trunk.at(0.72), QPointF(70, 80), QPointF(46, 96), 3, 1.0},
        {trunk.at(0.78), QPointF(150, 60), QPointF(170, 80), 3, 1.0},
        {trunk.at(0.48), QPointF(90, 190), QPointF(70, 120), 3.5, 1.0},
        {trunk.at(0.5), QPointF(140, 170), QPointF(150, 100), 3.5, 1.0},
    };
    for (const Limb& b : branches)
        drawLimb(p, b, twig);
    drawTrunk(p, trunk, 3, whiteBark);

    // Dark marks: thin horizontal lenticels, black patches under the branches, a rough foot.
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    const QColor ink(34, 32, 30);
    for (int i = 0; i < 70; ++i) {
        const double t = rng.uniform(0.0, 0.85);
        const QPointF c = trunk.at(t);
        const double hw = trunk.width(t) / 2;
        const double len = rng.uniform(0.3, 1.1) * hw;
        const double x = c.x() + rng.uniform(-hw, hw - len);
        QPen pen(withAlpha(ink, int(rng.uniform(120, 220))), rng.uniform(0.8, 2.0));
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(QPointF(x, c.y()), QPointF(x + len, c.y() + rng.uniform(-0.6, 0.6)));
    }
    p.setPen(Qt::NoPen);
    for (const Limb& b : branches) {
        // The black chevron a birch shows below each branch.
        const QPointF c = b.p0;
        const double side = b.p1.x() < c.x() ? -1 : 1;
        QPainterPath mark;
        mark.moveTo(c + QPointF(side * 3, -2));
        mark.quadTo(c + QPointF(0, 6), c + QPointF(-side * 6, 10));
        mark.quadTo(c + QPointF(side * 1, 4), c + QPointF(side * 3, -2));
        p.setBrush(withAlpha(ink, 220));
        p.drawPath(mark);
    }
    for (int i = 0; i < 26; ++i) {
        const double t = rng.uniform(0.0, 0.14);
        const QPointF c = trunk.at(t);
        const double hw = trunk.width(t) / 2 + 3;
        p.setBrush(withAlpha(ink, int(rng.uniform(150, 230))));
        p.drawEllipse(QPointF(c.x() + rng.uniform(-hw, hw), c.y()), rng.uniform(1.5, 4),
                      rng.uniform(2, 7));
    }
    p.restore();

    // Light, airy crown: small clusters with gaps through which the branches show.
    const QPainterPath crown = ellipses({ell(110, 140, 82, 110), ell(74, 192, 50, 50),
                                         ell(148, 182, 52, 56), ell(106, 62, 52, 48)});
    const CrownStyle style{{QColor(64, 104, 38), QColor(120, 160, 62), QColor(206, 226, 132)},
                           330,
                           6,
                           13,
                           false,
                           1400,
                           0.0};
    const Density airy = [](QPointF pt) {
        // Thinner near the middle of the lower crown, where the trunk shows through.
        const double dx = std::abs(pt.x() - 108) / 80.0;
        return pt.y() > 160 ? 0.15 + 0.7 * dx : 0.7;
    };
    p.drawImage(0, 0, crownLayer(img.size(), crown, style, rng, airy));

    return img;
}

QImage chestnut()
{
    const int w = 300, h = 445;
    Rng rng(23);
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const Tones bark{QColor(52, 40, 31), QColor(92, 75, 60), QColor(138, 118, 96)};
    const Limb trunk{QPointF(w / 2.0, h + 1), QPointF(152, 330), QPointF(150, 200), 46, 26};
    drawTrunk(p, trunk, 9, bark);
    const std::vector<Limb> limbs = {
        {trunk.at(0.45), QPointF(95, 280), QPointF(60, 200), 20, 7},
        {trunk.at(0.5), QPointF(205, 275), QPointF(240, 210), 19, 7},
        {trunk.at(0.7), QPointF(120, 230), QPointF(105, 150), 14, 5},
        {trunk.at(0.75), QPointF(185, 230), QPointF(200, 160), 14, 5},
    };
    for (const Limb& l : limbs)
        drawLimb(p, l, bark);
    barkFissures(p, QRectF(120, 300, 60, 150), 55, bark.dark.darker(140), rng);
    crownShadow(p, 300, 372, 170);

    // Broad, dense, rounded crown.
    const QPainterPath crown = ellipses({ell(150, 168, 108, 130), ell(92, 240, 60, 64),
                                         ell(208, 240, 60, 64), ell(150, 272, 84, 50)});
    const CrownStyle style{{QColor(30, 64, 24), QColor(60, 112, 40), QColor(142, 188, 86)},
                           230,
                           20,
                           38,
                           true,
                           2600,
                           0.0};
    const Density dense = [](QPointF pt) { return pt.y() > 300 ? 0.35 : 1.0; };
    p.drawImage(0, 0, crownLayer(img.size(), crown, style, rng, dense));

    return img;
}

QImage elm()
{
    const int w = 266, h = 402;
    Rng rng(37);
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const Tones bark{QColor(48, 40, 34), QColor(88, 76, 66), QColor(132, 120, 106)};
    const Limb trunk{QPointF(w / 2.0, h + 1), QPointF(134, 340), QPointF(133, 285), 30, 24};
    // The vase: limbs rise steeply from one fork and fan out towards the top.
    const QPointF fork = trunk.p1;
    const std::vector<Limb> limbs = {
        {fork + QPointF(-6, 4), QPointF(70, 230), QPointF(30, 110), 13, 4},
        {fork + QPointF(-4, 2), QPointF(100, 200), QPointF(80, 60), 12, 4},
        {fork, QPointF(130, 180), QPointF(136, 40), 12, 4},
        {fork + QPointF(4, 2), QPointF(168, 200), QPointF(188, 62), 12, 4},
        {fork + QPointF(6, 4), QPointF(200, 230), QPointF(236, 112), 13, 4},
    };
    for (const Limb& l : limbs)
        drawLimb(p, l, bark);
    for (const Limb& l : limbs) {
        // Side shoots off each limb, again pointing up and out.
        for (double t : {0.45, 0.7}) {
            const QPointF s = l.at(t);
            const double out = (s.x() < w / 2.0 ? -1 : 1) * rng.uniform(18, 34);
            drawLimb(p, {s, s + QPointF(out * 0.6, -20), s + QPointF(out, -40), 4.5, 1.5}, bark);
        }
    }
    drawTrunk(p, trunk, 5, bark);
    barkFissures(p, QRectF(115, 280, 36, 125), 40, bark.dark.darker(140), rng);

    QPainterPath crown;
    crown.moveTo(124, 250);
    crown.cubicTo(92, 222, 46, 196, 24, 158);
    crown.cubicTo(8, 96, 50, 28, 133, 26);
    crown.cubicTo(216, 28, 258, 96, 242, 158);
    crown.cubicTo(220, 196, 174, 222, 142, 250);
    crown.closeSubpath();
    const CrownStyle style{{QColor(38, 72, 30), QColor(74, 124, 48), QColor(160, 198, 100)},
                           210,
                           14,
                           28,
                           false,
                           2000,
                           0.0};
    const Density vase = [](QPointF pt) {
        // Full at the top; below, leaves only towards the rim, so the fanned limbs show.
        if (pt.y() < 130)
            return 1.0;
        const double halfWidth = 120.0 * (1.0 - (pt.y() - 130) / 130.0);
        const double edge = std::abs(pt.x() - 133) / std::max(halfWidth, 1.0);
        return 0.1 + 0.9 * smoothstep(0.35, 0.8, edge);
    };
    p.drawImage(0, 0, crownLayer(img.size(), crown, style, rng, vase));
    return img;
}

QImage oak()
{
    const int w = 400, h = 346;
    Rng rng(41);
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const Tones bark{QColor(44, 37, 30), QColor(84, 72, 58), QColor(128, 114, 94)};
    const Limb trunk{QPointF(w / 2.0, h + 1), QPointF(196, 280), QPointF(200, 215), 66, 48};
    // Massive limbs spreading almost sideways before they turn up into the crown.
    const std::vector<Limb> limbs = {
        {trunk.at(0.7), QPointF(110, 220), QPointF(36, 160), 32, 8},
        {trunk.at(0.75), QPointF(290, 215), QPointF(366, 158), 30, 8},
        {trunk.at(0.9), QPointF(140, 150), QPointF(110, 70), 24, 7},
        {trunk.at(0.9), QPointF(260, 150), QPointF(292, 68), 24, 7},
        {trunk.p1, QPointF(205, 130), QPointF(196, 40), 22, 6},
    };
    for (const Limb& l : limbs)
        drawLimb(p, l, bark);
    drawTrunk(p, trunk, 12, bark);
    barkFissures(p, QRectF(160, 200, 80, 150), 90, bark.dark.darker(150), rng);
    crownShadow(p, 200, 268, 180);

    // Wide, lumpy crown made of several heavy masses.
    const QPainterPath crown =
        ellipses({ell(200, 120, 185, 95), ell(92, 140, 88, 78), ell(308, 136, 88, 80),
                  ell(200, 72, 120, 62), ell(140, 60, 70, 50), ell(268, 62, 72, 50)});
    const CrownStyle style{{QColor(34, 56, 24), QColor(72, 110, 42), QColor(156, 188, 92)},
                           260,
                           17,
                           34,
                           true,
                           2800,
                           0.0};
    const Density gaps = [](QPointF pt) {
        // The underside is open between the masses, so the limbs show.
        if (pt.y() < 170)
            return 1.0;
        const double dx = std::abs(pt.x() - 200);
        return dx < 70 ? 0.3 : 0.75;
    };
    p.drawImage(0, 0, crownLayer(img.size(), crown, style, rng, gaps));
    return img;
}

// ---------------------------------------------------------------- plan-view tree

QImage treeTop()
{
    const int w = 324, h = 315;
    Rng rng(53);
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const QPointF c(w / 2.0 - 4, h / 2.0 - 4);
    // A soft shadow on the grass towards the lower right, away from the light.
    QRadialGradient shadow(c + QPointF(10, 10), 136);
    shadow.setColorAt(0.0, QColor(0, 20, 0, 90));
    shadow.setColorAt(0.8, QColor(0, 20, 0, 60));
    shadow.setColorAt(1.0, QColor(0, 20, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(c + QPointF(10, 10), 136, 134);

    // The rim is a ring of lobes; the middle bulges towards the viewer and catches more light.
    QPainterPath crown;
    crown.setFillRule(Qt::WindingFill);
    crown.addEllipse(c, 100, 97);
    for (int i = 0; i < 18; ++i) {
        const double a = 2 * Pi * i / 18 + rng.uniform(-0.08, 0.08);
        const double r = rng.uniform(16, 21);
        crown.addEllipse(c + QPointF(std::cos(a) * 98, std::sin(a) * 95), r, r);
    }
    crown = crown.simplified();
    const CrownStyle style{{QColor(36, 74, 30), QColor(70, 128, 50), QColor(160, 204, 100)},
                           300,
                           14,
                           26,
                           true,
                           3200,
                           0.35};
    p.drawImage(0, 0, crownLayer(img.size(), crown, style, rng));
    return img;
}

// ---------------------------------------------------------------- bunkers

// Outline of a bunker seen from above: an irregular bean with one pinched side.
QPainterPath bunkerOutline(QRectF box, double inset, double dentAngle, double dent, quint64 seed)
{
    Rng rng(seed);
    const double ph2 = rng.uniform(0, 2 * Pi), ph3 = rng.uniform(0, 2 * Pi);
    const QPointF c = box.center();
    const double rx = box.width() / 2, ry = box.height() / 2;
    QPolygonF poly;
    const int n = 240;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * Pi * i / n;
        double da = std::remainder(a - dentAngle, 2 * Pi);
        const double r = 1.0 + 0.05 * std::cos(2 * a + ph2) + 0.035 * std::cos(3 * a + ph3) -
                         dent * std::exp(-(da * da) / 0.22);
        // Normalised so the bean fills its box; the inset gives the inner edge of the lip.
        const double k = r / (1.0 + 0.085);
        poly << c + QPointF(std::cos(a) * (rx * k - inset), std::sin(a) * (ry * k - inset));
    }
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    return path;
}

QImage bunkerTop(int w, int h, double dentAngle, double dent, quint64 seed)
{
    Rng rng(seed + 1);
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double lip = std::max(4.0, h * 0.07);
    const QRectF box(1.5, 1.5, w - 3, h - 3);
    const QPainterPath outer = bunkerOutline(box, 0, dentAngle, dent, seed);
    const QPainterPath sand = bunkerOutline(box, lip, dentAngle, dent, seed);

    // Grass lip, a touch lusher than the fairway, with a soft outer edge.
    for (int i = 3; i >= 0; --i) {
        p.setPen(QPen(QColor(84, 140, 52, 40), i * 1.2));
        p.setBrush(i == 0 ? QBrush(QColor(92, 150, 56)) : QBrush(Qt::NoBrush));
        p.drawPath(outer);
    }
    QLinearGradient lipShade(box.topLeft(), box.bottomRight());
    lipShade.setColorAt(0, QColor(118, 174, 66));
    lipShade.setColorAt(1, QColor(70, 122, 44));
    p.setPen(Qt::NoPen);
    p.setBrush(lipShade);
    p.drawPath(outer);

    // Sand, pale in the middle of the hollow.
    QRadialGradient sandFill(box.center() + QPointF(box.width() * 0.06, box.height() * 0.06),
                             std::max(box.width(), box.height()) * 0.55);
    sandFill.setColorAt(0.0, QColor(246, 234, 196));
    sandFill.setColorAt(0.7, QColor(234, 216, 166));
    sandFill.setColorAt(1.0, QColor(214, 192, 138));
    p.setBrush(sandFill);
    p.drawPath(sand);

    p.save();
    p.setClipPath(sand);
    // The face below the upper-left lip lies in its own shadow.
    QLinearGradient face(box.topLeft(), box.center());
    face.setColorAt(0.0, QColor(120, 96, 52, 150));
    face.setColorAt(0.6, QColor(120, 96, 52, 0));
    p.fillRect(box, face);
    // Faint rake lines and grains.
    p.setBrush(Qt::NoBrush);
    for (double y = box.top() + 6; y < box.bottom(); y += std::max(4.0, h / 22.0)) {
        QPainterPath rake;
        rake.moveTo(box.left(), y);
        for (double x = box.left(); x <= box.right(); x += 8)
            rake.lineTo(x, y + 1.8 * std::sin(x / 19.0 + y * 0.3));
        p.setPen(QPen(QColor(170, 146, 96, 45), 1.0));
        p.drawPath(rake);
        p.translate(0, 1.2);
        p.setPen(QPen(QColor(255, 250, 230, 55), 1.0));
        p.drawPath(rake);
        p.translate(0, -1.2);
    }
    p.setPen(Qt::NoPen);
    const int grains = int(w * h / 40);
    for (int i = 0; i < grains; ++i) {
        const QPointF g(rng.uniform(box.left(), box.right()), rng.uniform(box.top(), box.bottom()));
        p.setBrush(rng.uniform() < 0.5 ? QColor(160, 132, 84, 90) : QColor(255, 252, 236, 110));
        p.drawEllipse(g, 0.7, 0.7);
    }
    p.restore();

    // Crisp shadowed edge where the turf drops into the sand.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(74, 82, 36, 170), std::max(1.2, lip * 0.25)));
    p.drawPath(sand);
    return img;
}

// A bunker from the side: a thin lens of sand under a dark turf lip.
QImage bunkerSide(int w, int h, quint64 seed)
{
    Rng rng(seed);
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const double left = 1, right = w - 1, mid = h * 0.34;
    const double top = h * 0.08, bottom = h - 1.0;
    auto lens = [&](double upper, double lower) {
        QPainterPath path;
        path.moveTo(left, mid);
        path.cubicTo(left + w * 0.18, upper, right - w * 0.18, upper, right, mid);
        path.cubicTo(right - w * 0.2, lower, left + w * 0.2, lower, left, mid);
        path.closeSubpath();
        return path;
    };
    const QPainterPath body = lens(top, bottom + h * 0.25);

    QLinearGradient sand(0, top, 0, bottom);
    sand.setColorAt(0.0, QColor(248, 236, 198));
    sand.setColorAt(0.55, QColor(232, 212, 160));
    sand.setColorAt(1.0, QColor(186, 160, 108));
    p.setPen(Qt::NoPen);
    p.setBrush(sand);
    p.drawPath(body);

    p.save();
    p.setClipPath(body);
    // Darker rim at the near edge, where the sand turns down under the lip.
    QPainterPath rim = body - lens(top + h * 0.05, bottom + h * 0.25 - std::max(2.0, h * 0.14) * 2);
    p.setBrush(QColor(150, 124, 78, 200));
    p.drawPath(rim);
    // The turf lip along the top: dark grass hanging over the sand.
    const double lipH = std::max(2.0, h * 0.2);
    QLinearGradient turf(0, top, 0, mid + lipH);
    turf.setColorAt(0.0, QColor(60, 100, 38));
    turf.setColorAt(1.0, QColor(40, 72, 28));
    QPainterPath lipPath;
    lipPath.moveTo(left, mid);
    lipPath.cubicTo(left + w * 0.18, top, right - w * 0.18, top, right, mid);
    const int tufts = std::max(8, w / 4);
    for (int i = tufts; i >= 0; --i) {
        const double x = left + (right - left) * i / tufts;
        const double yTop = lipPath.pointAtPercent(double(i) / tufts).y();
        lipPath.lineTo(x, std::max(yTop, top) + lipH * rng.uniform(0.6, 1.0));
    }
    lipPath.closeSubpath();
    p.setBrush(turf);
    p.drawPath(lipPath);
    p.setBrush(QColor(34, 58, 24, 120));
    for (int i = 0; i < w * h / 30; ++i) {
        const QPointF g(rng.uniform(left, right), rng.uniform(mid, bottom));
        p.setBrush(rng.uniform() < 0.5 ? QColor(150, 124, 80, 110) : QColor(255, 250, 230, 110));
        p.drawEllipse(g, 0.6, 0.6);
    }
    p.restore();
    return img;
}

// ---------------------------------------------------------------- path

// Gravel colour field with stones; the callers cut its outline with an alpha mask.
void gravel(QImage& img, Rng& rng, double top, double bottom)
{
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient base(0, top, 0, bottom);
    base.setColorAt(0.0, QColor(220, 204, 168));
    base.setColorAt(0.5, QColor(206, 188, 148));
    base.setColorAt(1.0, QColor(178, 156, 114));
    p.fillRect(img.rect(), base);
    p.setPen(Qt::NoPen);
    const int stones = img.width() * img.height() / 9;
    for (int i = 0; i < stones; ++i) {
        const QPointF s(rng.uniform(0, img.width()), rng.uniform(0, img.height()));
        const double v = rng.uniform();
        QColor colour = v < 0.45  ? QColor(150, 130, 96, 120)
                        : v < 0.9 ? QColor(240, 230, 206, 120)
                                  : QColor(120, 112, 100, 150);
        p.setBrush(colour);
        p.drawEllipse(s, rng.uniform(0.5, 1.6), rng.uniform(0.5, 1.3));
    }
}

// Replaces the alpha of a straight-alpha image by a mask value in 0..1.
void applyMask(QImage& img, const std::function<double(int, int)>& mask)
{
    img = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int a = int(std::lround(255 * clamp01(mask(x, y)) * qAlpha(line[x]) / 255.0));
            line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), a);
        }
    }
}

// Fade at both ends, so a stretched path dies out in the grass rather than stopping square.
double endFade(int x, int w)
{
    return smoothstep(0, 60, x) * smoothstep(0, 60, w - 1 - x);
}

QImage pathTop()
{
    const int w = 1634, h = 112;
    Rng rng(67);
    QImage img(w, h, QImage::Format_ARGB32);
    gravel(img, rng, 20, 92);
    // A gently meandering strip with soft, slightly ragged edges.
    auto centre = [](double x) {
        return 56 + 11 * std::sin(2 * Pi * x / 940 + 0.7) + 5 * std::sin(2 * Pi * x / 380 + 2.1);
    };
    auto halfWidth = [](double x) {
        return 25 + 3 * std::sin(2 * Pi * x / 230) + 1.5 * std::sin(2 * Pi * x / 61 + 1.0);
    };
    applyMask(img, [&](int x, int y) {
        const double d = std::abs(y + 0.5 - centre(x + 0.5)) - halfWidth(x + 0.5);
        return smoothstep(6, -6, d) * endFade(x, w);
    });
    // Worn centre line lighter, borders darker where the grass creeps in.
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    QPainterPath centreLine, leftEdge, rightEdge;
    for (int x = 0; x <= w; x += 4) {
        const double c = centre(x), hw = halfWidth(x);
        if (x == 0) {
            centreLine.moveTo(x, c);
            leftEdge.moveTo(x, c - hw);
            rightEdge.moveTo(x, c + hw);
        } else {
            centreLine.lineTo(x, c);
            leftEdge.lineTo(x, c - hw);
            rightEdge.lineTo(x, c + hw);
        }
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 248, 226, 50), 22, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(centreLine);
    p.setPen(QPen(QColor(96, 110, 52, 90), 8));
    p.drawPath(leftEdge);
    p.drawPath(rightEdge);
    p.end();
    return img;
}

QImage pathSide()
{
    const int w = 1634, h = 48;
    Rng rng(71);
    QImage img(w, h, QImage::Format_ARGB32);
    const double top = 24, bottom = 45;
    gravel(img, rng, top, bottom);
    // Seen from the side the strip is thin; its far edge is soft, its near edge a low bank.
    applyMask(img, [&](int x, int y) {
        const double t = top + 1.5 * std::sin(2 * Pi * x / 310.0) + std::sin(2 * Pi * x / 71.0);
        return smoothstep(t - 3, t + 3, y + 0.5) * smoothstep(bottom + 1.5, bottom - 0.5, y + 0.5) *
               endFade(x, w);
    });
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    QLinearGradient bank(0, bottom - 5, 0, bottom + 1);
    bank.setColorAt(0, QColor(120, 96, 62, 0));
    bank.setColorAt(1, QColor(110, 86, 54, 200));
    p.fillRect(QRectF(0, bottom - 5, w, 7), bank);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // Grass tufts along the near edge tie the strip to the ground it lies on.
    for (double x = 40; x < w - 40; x += rng.uniform(5, 14)) {
        const int blades = 2 + int(rng.uniform() * 3);
        for (int b = 0; b < blades; ++b) {
            const double bx = x + rng.uniform(-3, 3);
            const double len = rng.uniform(3, 7) * endFade(int(x), w);
            QPen pen(QColor(52 + int(rng.uniform(0, 30)), 96 + int(rng.uniform(0, 40)), 36, 220),
                     rng.uniform(0.8, 1.4));
            pen.setCapStyle(Qt::RoundCap);
            p.setPen(pen);
            p.drawLine(QPointF(bx, bottom + 1.5),
                       QPointF(bx + rng.uniform(-2, 2), bottom + 1.5 - len));
        }
    }
    p.end();
    return img;
}

// ---------------------------------------------------------------- logo

QImage logo()
{
    const int w = 138, h = 120;
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QColor ink(36, 78, 36);
    const QPointF c(w / 2.0, 38);
    const double r = 35;
    QPainterPath badge;
    badge.addEllipse(c, r, r);

    p.save();
    p.setClipPath(badge);
    QLinearGradient sky(0, c.y() - r, 0, c.y() + 6);
    sky.setColorAt(0, QColor(110, 149, 187));
    sky.setColorAt(1, QColor(214, 224, 236));
    p.fillRect(badge.boundingRect(), sky);
    p.setPen(Qt::NoPen);
    // Two rolling hills behind the green.
    QPainterPath far;
    far.moveTo(c.x() - r, c.y() + 4);
    far.cubicTo(c.x() - 22, c.y() - 14, c.x() - 2, c.y() - 10, c.x() + 10, c.y() - 2);
    far.cubicTo(c.x() + 20, c.y() - 12, c.x() + 32, c.y() - 8, c.x() + r, c.y() + 2);
    far.lineTo(c.x() + r, c.y() + r);
    far.lineTo(c.x() - r, c.y() + r);
    far.closeSubpath();
    p.setBrush(QColor(86, 134, 62));
    p.drawPath(far);
    QPainterPath near;
    near.moveTo(c.x() - r, c.y() + 14);
    near.cubicTo(c.x() - 10, c.y() + 2, c.x() + 14, c.y() + 4, c.x() + r, c.y() + 12);
    near.lineTo(c.x() + r, c.y() + r);
    near.lineTo(c.x() - r, c.y() + r);
    near.closeSubpath();
    QLinearGradient grass(0, c.y(), 0, c.y() + r);
    grass.setColorAt(0, QColor(110, 172, 70));
    grass.setColorAt(1, QColor(58, 110, 40));
    p.setBrush(grass);
    p.drawPath(near);
    // The green, the cup and the flag.
    const QPointF cup(c.x() + 4, c.y() + 16);
    p.setBrush(QColor(169, 214, 92));
    p.drawEllipse(cup + QPointF(-3, 1), 22, 6);
    p.setBrush(QColor(30, 30, 26));
    p.drawEllipse(cup, 3.2, 1.3);
    p.setPen(QPen(QColor(250, 250, 246), 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(cup, cup + QPointF(0, -40));
    p.setPen(Qt::NoPen);
    QPainterPath flag;
    flag.moveTo(cup + QPointF(0.8, -40));
    flag.quadTo(cup + QPointF(9, -38), cup + QPointF(17, -35.5));
    flag.quadTo(cup + QPointF(9, -33), cup + QPointF(0.8, -30));
    flag.closeSubpath();
    QLinearGradient red(cup + QPointF(0, -40), cup + QPointF(0, -30));
    red.setColorAt(0, QColor(232, 44, 36));
    red.setColorAt(1, QColor(176, 24, 20));
    p.setBrush(red);
    p.drawPath(flag);
    // A ball resting near the cup.
    QRadialGradient ball(cup + QPointF(-13.6, -0.6), 3);
    ball.setColorAt(0, Qt::white);
    ball.setColorAt(1, QColor(190, 190, 186));
    p.setBrush(ball);
    p.drawEllipse(cup + QPointF(-13, 0), 2.2, 2.2);
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 3));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(214, 184, 96), 1));
    p.drawEllipse(c, r - 2.5, r - 2.5);

    // The name: the serif word scaled to the badge row, "HILLS" spaced out beneath it.
    QFont serif("DejaVu Serif");
    serif.setBold(true);
    serif.setPixelSize(22);
    QPainterPath name;
    name.addText(0, 0, serif, QStringLiteral("Quillmoor"));
    const QRectF nb = name.boundingRect();
    const double scale = std::min(1.0, 128.0 / nb.width());
    QTransform t;
    t.translate(w / 2.0 - nb.center().x() * scale, 97);
    t.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(t.map(name));

    QFont sans("DejaVu Sans");
    sans.setBold(true);
    sans.setPixelSize(11);
    sans.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    QPainterPath hills;
    hills.addText(0, 0, sans, QStringLiteral("HILLS"));
    const QRectF hb = hills.boundingRect();
    const double hx = w / 2.0 - hb.center().x();
    p.setBrush(QColor(124, 92, 40));
    p.drawPath(hills.translated(hx, 113));
    p.setPen(QPen(QColor(214, 184, 96), 1.2));
    const double y = 113 - hb.height() / 2 + 0.5;
    p.drawLine(QPointF(hx + hb.left() - 22, y), QPointF(hx + hb.left() - 6, y));
    p.drawLine(QPointF(hx + hb.right() + 6, y), QPointF(hx + hb.right() + 22, y));
    return img;
}

struct Picture
{
    const char* name;
    int width, height;
    std::function<QImage()> paint;
};

} // namespace

int main(int argc, char* argv[])
{
    // Text needs a GUI application; no display is needed or wanted.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: imagegen <output-directory>\n";
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        err << "imagegen: cannot create " << out.path() << "\n";
        return 1;
    }

    const std::vector<Picture> pictures = {
        {"tree-top.png", 324, 315, treeTop},
        {"tree-birch.png", 220, 409, birch},
        {"tree-chestnut.png", 300, 445, chestnut},
        {"tree-elm.png", 266, 402, elm},
        {"tree-oak.png", 400, 346, oak},
        {"BigBunker_Side.png", 260, 44, [] { return bunkerSide(260, 44, 83); }},
        {"BigBunker_Top.png", 260, 180, [] { return bunkerTop(260, 180, -1.9, 0.22, 89); }},
        {"SmallBunker_Side.png", 67, 15, [] { return bunkerSide(67, 15, 97); }},
        {"SmallBunker_Top.png", 134, 88, [] { return bunkerTop(134, 88, 1.3, 0.24, 101); }},
        {"Path_Side.png", 1634, 48, pathSide},
        {"Path_Top.png", 1634, 112, pathTop},
        {"logo.png", 138, 120, logo},
    };
    for (const Picture& pic : pictures) {
        const QImage img = pic.paint().convertToFormat(QImage::Format_ARGB32);
        const QString file = out.filePath(QString::fromLatin1(pic.name));
        if (img.width() != pic.width || img.height() != pic.height) {
            err << "imagegen: " << pic.name << " painted at the wrong size\n";
            return 1;
        }
        if (!img.save(file, "PNG")) {
            err << "imagegen: cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}
