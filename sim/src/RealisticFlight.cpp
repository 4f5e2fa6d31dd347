// The realistic flight: the ball through the air from the tee to its first
// contact with the ground, and the air it flies through.

#include "Guards.h"
#include "Realistic.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

namespace quillmoor {

namespace realistic {

namespace {

// Sutherland's law for air, mu = b T^1.5 / (T + S): 1.81e-5 Pa s at 15 C.
constexpr double kSutherlandB = 1.512e-6; // kg/(m s K^0.5)
constexpr double kSutherlandS = 120.0;    // K

// Gas constants of dry air and water vapour, J/(kg K).
constexpr double kDryAir = 287.05;
constexpr double kVapour = 461.5;

// Saturation vapour pressure over water (Pa) at tc degrees Celsius: Buck
// (1996), the form of Buck, J. Appl. Meteor. 20 (1981) 1527 revised.
double saturationPressure(double tc)
{
    return 611.21 * std::exp((18.678 - tc / 234.5) * (tc / (257.14 + tc)));
}

// The wind's profile over open grass: logarithmic in the height z above the
// ground with roughness length 0.03 m (WMO Guide to Instruments and Methods
// of Observation, Davenport's class "open": grass, few obstacles), scaled so
// that the model's WindSpeed blows at the 10 m height where weather reports
// measure it (WMO standard exposure). Below the roughness length it is calm.
constexpr double kRoughness = 0.03;     // m
constexpr double kWindHeight = 10.0;    // m
const double kLogWindHeight = std::log(kWindHeight / kRoughness);

// Spin decay, Smits & Smith (Science and Golf II, 1994), also the trajectory
// program of the USGA: dw/dt = -lambda |v| w / r. 6.6 %/s at 70 m/s, 2.3 %/s
// at 25 m/s.
constexpr double kSpinDecay = 2.0e-5;

// Derivative of the flight state: velocity, acceleration, spin change.
struct Rate
{
    Vector3 dp, dv, dw;
};

Rate rate(const Course& course, const Ball& b)
{
    static constexpr double kArea = kPi * kBallRadius * kBallRadius;
    static constexpr double kForce = 0.5 * kArea / kBallMass; // times rho |u| u C
    Rate r;
    r.dp = b.v;
    const Vector3 u = b.v - course.wind(b.p);
    const double speed = u.length();
    r.dv = Vector3(0.0, 0.0, -kGravity);
    if (speed > 1e-9) {
        const double spin = b.w.length();
        const double reynolds = course.air.density * speed * kBallDiameter / course.air.viscosity;
        const double s = kBallRadius * spin / speed;
        const double q = kForce * course.air.density * speed;
        r.dv = r.dv - u * (q * dragCoefficient(s, reynolds));
        const Vector3 side = b.w.cross(u);
        const double sideLength = side.length();
        // Lift along w x u, whatever the angle between them (a ball spinning
        // about its line of flight has no lift direction).
        if (sideLength > 1e-12 * spin * speed)
            r.dv = r.dv + side * (q * speed * liftCoefficient(s, reynolds) / sideLength);
        r.dw = b.w * (-kSpinDecay * speed / kBallRadius);
    }
    return r;
}

Ball advance(const Ball& b, const Rate& r, double h)
{
    return {b.p + r.dp * h, b.v + r.dv * h, b.w + r.dw * h};
}

// Classical Runge-Kutta step.
Ball rk4(const Course& course, const Ball& b, double h)
{
    const Rate k1 = rate(course, b);
    const Rate k2 = rate(course, advance(b, k1, h / 2));
    const Rate k3 = rate(course, advance(b, k2, h / 2));
    const Rate k4 = rate(course, advance(b, k3, h));
    auto sum = [h](const Vector3& a, const Vector3& c, const Vector3& d, const Vector3& e) {
        return (a + (c + d) * 2.0 + e) * (h / 6.0);
    };
    return {b.p + sum(k1.dp, k2.dp, k3.dp, k4.dp), b.v + sum(k1.dv, k2.dv, k3.dv, k4.dv),
            b.w + sum(k1.dw, k2.dw, k3.dw, k4.dw)};
}

// Cubic Hermite interpolation between two states h apart: position and
// velocity at fraction s, as exact as the step itself.
struct Span
{
    const Ball& a;
    const Ball& b;
    double h;

    Vector3 position(double s) const
    {
        const double s2 = s * s;
        const double s3 = s2 * s;
        return a.p * (2 * s3 - 3 * s2 + 1) + a.v * (h * (s3 - 2 * s2 + s)) +
               b.p * (-2 * s3 + 3 * s2) + b.v * (h * (s3 - s2));
    }
    Vector3 velocity(double s) const
    {
        const double s2 = s * s;
        return a.p * ((6 * s2 - 6 * s) / h) + a.v * (3 * s2 - 4 * s + 1) +
               b.p * ((-6 * s2 + 6 * s) / h) + b.v * (3 * s2 - 2 * s);
    }
};

} // namespace

Course::Course(const SwingModel& m, double step) : model(m), flightStep(step)
{
    air = airAt(m.Temperature, m.Altitude, m.Humidity);
    const double d = m.hole.WindDir * (kPi / 180);
    const double s = m.hole.WindSpeed * kMph;
    wind10_ = Vector3(-std::sin(d) * s, std::cos(d) * s, 0.0);

    // The highest ground: the profile's corners and the green's highest rim.
    const HoleInfo& h = m.hole;
    const double R = h.GreenSize * 0.5 + 1.0;
    const double rims = R * (std::fabs(std::sin(h.GreenXRot * (kPi / 180))) +
                             std::fabs(std::sin(h.GreenYRot * (kPi / 180))));
    double top = std::max(-3.0, h.HolePos.z + rims);
    if (!h.TreeType.empty())
        top = std::max(top, h.TreePos.z);
    top_ = (top + 1.0) * kYard; // a yard above it, for rounding on the way
}

double Course::height(double x, double y) const
{
    return model.groundHeight(x / kYard, y / kYard) * kYard;
}

Vector3 Course::normal(double x, double y) const
{
    constexpr double d = 0.01; // m
    double gx = (height(x + d, y) - height(x - d, y)) / (2 * d);
    double gy = (height(x, y + d) - height(x, y - d)) / (2 * d);
    const double g = std::hypot(gx, gy);
    if (g > 1.0) {
        gx /= g;
        gy /= g;
    }
    return Vector3(-gx, -gy, 1.0).normalized();
}

bool Course::onGreen(const Vector3& p) const
{
    return model.distanceToHole(p * (1.0 / kYard)) < model.hole.GreenSize * 0.5;
}

Vector3 Course::wind(const Vector3& p) const
{
    if (!wind10_.isNonZero())
        return {};
    const double z = p.z - height(p.x, p.y);
    if (z <= kRoughness)
        return {};
    return wind10_ * (std::log(z / kRoughness) / kLogWindHeight);
}

bool Recorder::store(const Vector3& p)
{
    if (next_ >= kMaxPoints)
        return false;
    model_.setPoint(next_, p * (1.0 / kYard));
    ++next_;
    return true;
}

Outcome fly(const Course& course, Ball& ball, double& t, Recorder& recorder)
{
    const double h = course.flightStep;
    // A step that falls on the very start (a contact exactly at a stored
    // point's time) holds the ball where it starts.
    while (recorder.nextTime() <= t)
        if (!recorder.store(ball.p))
            return Outcome::TooManyPoints;
    for (;;) {
        if (t > kMaxShotSeconds)
            return Outcome::TooLong;
        const Ball a = ball;
        const Ball b = rk4(course, a, h);
        const Span span{a, b, h};

        // The ground is looked at at every stored point and at the step's
        // end, so no stored point of the flight lies under it.
        double previous = 0.0; // fraction of the step last seen above ground
        bool last = false;
        while (!last) {
            double s = (recorder.nextTime() - t) / h;
            const bool sample = s <= 1.0;
            if (!sample) {
                s = 1.0;
                last = true;
            }
            const Vector3 p = sample ? span.position(s) : b.p;
            if (p.z <= course.top() && p.z <= course.height(p.x, p.y)) {
                // Contact between `previous` and s: halve the interval down
                // to a few nanoseconds.
                double lo = previous;
                double hi = s;
                for (int i = 0; i < 40; ++i) {
                    const double mid = 0.5 * (lo + hi);
                    const Vector3 q = span.position(mid);
                    (q.z > course.height(q.x, q.y) ? lo : hi) = mid;
                }
                ball.p = span.position(hi);
                ball.p.z = course.height(ball.p.x, ball.p.y);
                ball.v = span.velocity(hi);
                ball.w = a.w + (b.w - a.w) * hi;
                t += hi * h;
                return Outcome::Landed;
            }
            if (sample && !recorder.store(p))
                return Outcome::TooManyPoints;
            previous = s;
            if (s == 1.0)
                last = true;
        }
        ball = b;
        t += h;
    }
}

} // namespace realistic

Air airAt(double temperatureF, double altitudeFt, double humidityPct)
{
    using namespace realistic;
    const double tc = (temperatureF - 32.0) * 5.0 / 9.0;
    const double tk = tc + 273.15;
    // Pressure of the International Standard Atmosphere at that height.
    const double hm = altitudeFt * 0.3048;
    const double pressure = 101325.0 * std::pow(1.0 - 2.25577e-5 * hm, 5.25588);
    const double rh = std::clamp(humidityPct, 0.0, 100.0) / 100.0;
    const double vapour = rh * saturationPressure(tc);
    Air air;
    // Moist air as a mixture of ideal gases: the vapour is lighter.
    air.density = (pressure - vapour) / (kDryAir * tk) + vapour / (kVapour * tk);
    air.viscosity = kSutherlandB * std::pow(tk, 1.5) / (tk + kSutherlandS);
    return air;
}

namespace {

// Drag of a non-spinning ball against the Reynolds number: the mean of 13
// balls, Lyu, Kensrud, Smith & Tosaya, "Aerodynamics of golf balls in still
// air", Proceedings 2 (2018) 238: the drag crisis from 0.48 at 5e4 to the
// supercritical 0.2 past 1e5. Taken linearly between the points, held beyond.
struct CrisisPoint
{
    double re, cd;
};
constexpr CrisisPoint kCrisis[] = {{0.50e5, 0.477}, {0.75e5, 0.302}, {1.00e5, 0.215},
                                   {1.26e5, 0.205}, {1.50e5, 0.196}, {1.75e5, 0.199}};
constexpr double kSubcritical = 0.477;
constexpr double kSupercritical = 0.199;

// The four fitted constants of the model, fitted once to the men's tour
// averages (12 clubs, standard air) with the other figures held at their
// published values:
//  - the tour ball meets the crisis at Reynolds numbers 1.145 times lower than
//    the 13-ball mean (the balls' crises spread by more than that);
//  - its supercritical drag grows with spin as 0.029 + 0.263 (1 - e^(-S/0.077)):
//    0.155 at S 0.05 (published minima of modern balls: 0.16 to 0.20), 0.20 at a
//    drive's 0.08, 0.29 at a wedge's 0.4, rising steeply at low spin as launch-
//    monitor fits find (Ferguson, McNally & McPhee, ISEA 2022: 0.93 per unit S)
//    and levelling off as wind-tunnel data do (Bearman & Harvey 1976).
// The crisis is what steepens the descent of the irons and woods: with drag
// and lift from the spin ratio alone (refitted) they land 3 to 8 degrees
// shallow. Being a matter of the Reynolds number, it comes earlier in thin
// air, so altitude adds less carry to slow shots than to fast ones.
constexpr double kCrisisShift = 1.1447;
constexpr double kSpinDragBase = 0.0290;
constexpr double kSpinDragRise = 0.2627;
constexpr double kSpinDragScale = 0.0768;
// Below this spin ratio there are no data: the drag is held at its value.
constexpr double kLowestSpinRatio = 0.05;

// The drag the crisis adds to the supercritical 0.199 (a few thousandths
// below it where the mean dips past the crisis).
double crisisDrag(double re)
{
    const double r = re * kCrisisShift;
    double cd = kCrisis[std::size(kCrisis) - 1].cd;
    if (r <= kCrisis[0].re) {
        cd = kCrisis[0].cd;
    } else {
        for (std::size_t i = 1; i < std::size(kCrisis); ++i) {
            if (r <= kCrisis[i].re) {
                const CrisisPoint& a = kCrisis[i - 1];
                const CrisisPoint& b = kCrisis[i];
                cd = a.cd + (b.cd - a.cd) * (r - a.re) / (b.re - a.re);
                break;
            }
        }
    }
    return cd - kSupercritical;
}

// Lift against spin ratio, Lyu et al. 2018 (13 balls, 18-91 m/s): the
// least-squares quadratic through their points (S 0.045 to 0.32, C_L 0.10 to
// 0.315); to 0 in a straight line below S 0.045, held at its top (S 0.373,
// C_L 0.321) above.
double liftAgainstSpin(double s)
{
    constexpr double kLow = 0.045;
    constexpr double kTop = 0.373;
    auto quadratic = [](double x) { return 0.0298 + 1.564 * x - 2.096 * x * x; };
    if (s < kLow)
        return quadratic(kLow) * std::max(s, 0.0) / kLow;
    return quadratic(std::min(s, kTop));
}

} // namespace

double dragCoefficient(double s, double re)
{
    const double spin = std::max(s, kLowestSpinRatio);
    return kSpinDragBase + kSpinDragRise * (1.0 - std::exp(-spin / kSpinDragScale)) +
           crisisDrag(re);
}

double liftCoefficient(double s, double re)
{
    // The lift fades as the ball falls into the crisis (slow balls lose 20
    // to 40 % of it, and it turns negative near Re 6e4: Lyu, Kensrud & Smith,
    // Sports Engineering 23 (2020) 3).
    const double into = std::max(0.0, crisisDrag(re)) / (kSubcritical - kSupercritical);
    return liftAgainstSpin(s) * (1.0 - into);
}

SimResult checkAir(double temperatureF, double altitudeFt, double humidityPct)
{
    // Air outside these is not air a golf ball is played in, or outside what
    // the standard atmosphere's lowest layer describes.
    if (!(temperatureF >= -100.0 && temperatureF <= 200.0))
        return SimResult::refused("Temperature must be between -100 and 200 F");
    if (!(altitudeFt >= -2000.0 && altitudeFt <= 36000.0))
        return SimResult::refused("Altitude must be between -2000 and 36000 ft");
    if (!(humidityPct >= 0.0 && humidityPct <= 100.0))
        return SimResult::refused("Humidity must be between 0 and 100 %");
    return {};
}

SimResult realisticSwing(SwingModel& m)
{
    return realisticSwing(m, nullptr);
}

SimResult realisticSwing(SwingModel& m, RealisticReport* report, double flightStep)
{
    using namespace realistic;
    if (report)
        *report = RealisticReport();
    if (SimResult r = detail::checkSwing(m, "realisticSwing"); !r)
        return r;
    if (SimResult r = detail::requireFinite({{"TeeBackSpin", m.TeeBackSpin},
                                             {"TeeSideSpin", m.TeeSideSpin},
                                             {"WindDir", m.hole.WindDir},
                                             {"WindSpeed", m.hole.WindSpeed},
                                             {"GreenRho", m.hole.GreenRho},
                                             {"Temperature", m.Temperature},
                                             {"Altitude", m.Altitude},
                                             {"Humidity", m.Humidity}});
        !r)
        return r;
    if (!(m.TimeStepSize > 0) || std::isinf(m.TimeStepSize))
        return SimResult::refused(
            "TimeStepSize must be a finite number above 0 for the realistic swing");
    if (SimResult r = checkAir(m.Temperature, m.Altitude, m.Humidity); !r)
        return r;

    m.clearCurrentShot();
    m.teeShot.reserve(detail::kPathReserve);
    const Course course(m, flightStep > 0 ? flightStep : kRealisticFlightStep);
    Recorder recorder(m, m.TimeStepSize);
    recorder.store({0, 0, 0});

    // Launch along the target line; the spin axis lies across it, tilted by
    // the side spin: the axis (cos a, sin a, 0) of the complex swing scaled
    // by the back spin, plus the side spin about the vertical. So a positive
    // TeeSideSpin curves the ball toward -x, left of the line, as there.
    const double a = m.TeeTargetAngle * (kPi / 180);
    const double el = m.TeeLaunchAngle * (kPi / 180);
    const double speed = m.TeeBallSpeed * kMph;
    Ball ball;
    ball.v = Vector3(-std::sin(a) * std::cos(el), std::cos(a) * std::cos(el), std::sin(el)) * speed;
    ball.w = Vector3(std::cos(a) * m.TeeBackSpin, std::sin(a) * m.TeeBackSpin, m.TeeSideSpin) * kRpm;

    double t = 0.0;
    Outcome outcome = fly(course, ball, t, recorder);
    if (outcome == Outcome::Landed) {
        // The contact is the first point at or after its time.
        const int impact = recorder.nextIndex();
        if (!recorder.store(ball.p)) {
            outcome = Outcome::TooManyPoints;
        } else {
            m.setFirstImpact(impact);
            if (report) {
                report->landed = true;
                report->landingSpeedMph = ball.v.length() / kMph;
                report->landingSpinRpm = ball.w.length() / kRpm;
                report->landingAngleDeg =
                    std::atan2(-ball.v.z, std::hypot(ball.v.x, ball.v.y)) * (180 / kPi);
            }
            // Ground that is not green and whose GreenType is 0 holds the
            // ball where it lands, as in the complex swing.
            if (m.hole.GreenType != 0 || course.onGreen(ball.p))
                outcome = settle(course, ball, t, recorder);
        }
    }
    switch (outcome) {
    case Outcome::Landed:
        return {};
    case Outcome::TooManyPoints:
        if (report)
            *report = RealisticReport();
        return detail::tooManyPoints(m, "The realistic shot");
    case Outcome::TooLong:
        break;
    }
    if (report)
        *report = RealisticReport();
    m.clearCurrentShot();
    return SimResult::refused("The realistic shot would last more than " +
                              std::to_string(static_cast<int>(kMaxShotSeconds)) + " s");
}

} // namespace quillmoor
