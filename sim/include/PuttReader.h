#pragma once
// Reading the green: which putts from BallPos drop into the hole.
//
// The reader runs the complex putt itself (complexPutt) on private copies of
// the model, over pairs of PuttBallSpeed and PuttTargetAngle, and reports the
// pace that forgives the most aim error. It never changes the model it is
// given and never writes the hole catalogue or notifies listeners, so it may
// run on a worker thread while another thread owns that model, as long as
// nobody changes the model during the call (it is copied once, at the start).
//
// The search, briefly: a grid of 37 speeds (up to the fastest putt that could
// still be slow enough at the cup) times 36 aims round the full circle; for
// every putt, the side of its path the hole lies on; sign changes and
// holed/missed neighbours are bisected, so a holing window of a hundredth of a
// degree between two grid aims is still found. Then the pace with the widest
// window is refined, and the slowest and fastest holing speeds are bisected
// from the grid. Last, the windows at the pace with the widest window are
// checked aim by aim, kCheckStepDeg apart: every window reported holes at
// every aim so checked, and one with aims that miss is split there. Every
// number reported comes from a putt that was run and holed. A read runs some
// 1600 to 5000 putts (nearly 10,000 short ones from within the cup's reach).

#include <string>
#include <vector>

class SwingModel;

namespace quillmoor {

// The aims of a reported window that were run and holed lie no further apart.
constexpr double kCheckStepDeg = 0.05;

// A range of aims (PuttTargetAngle, degrees) that all hole at one speed.
struct AimWindow
{
    double loDeg = 0.0;
    double hiDeg = 0.0;
};

// Why no putt holes from a ball, as far as the putts tried tell.
enum class NoHoleReason {
    None,       // a putt holes, or the putt cannot run at all
    StopsShort, // every putt stops before it reaches the cup
    TooFast,    // every putt that gets to the cup is too fast for it to hold
    OutOfTime,  // the putts that would be slow enough run out of roll time first
};

struct PuttRead
{
    // False when the putt cannot run at all (a number that is not finite, a
    // friction without meaning); `error` says why and nothing else is set.
    bool ok = true;
    std::string error;

    // False when no putt tried holes. Some balls cannot be holed: where the
    // pull of the slope beats the friction the ball reaches the cup too fast
    // from every line, and a slow putt may run out of its 4001 steps first.
    bool holed = false;

    // Why not, when the putt runs but nothing holed; whether the ball lies
    // off the green (it may still hole from there).
    NoHoleReason whyNot = NoHoleReason::None;
    bool offTheGreen = false;
    // The longest a putt rolls (its step limit times TimeStepSize), seconds.
    double rollTimeS = 0.0;

    // The recommendation: the speed whose range of holing aims is widest and
    // the middle of that range (PuttBallSpeed in mph, PuttTargetAngle in
    // degrees). Every aim of the window holes at that speed (checked
    // kCheckStepDeg apart); an aim range that crosses the back of the circle
    // has windowHiDeg above 180. A ball every aim holes from reads as the
    // window -180 to 180.
    double speedMph = 0.0;
    double targetAngleDeg = 0.0;
    double windowLoDeg = 0.0;
    double windowHiDeg = 0.0;
    // Every window of holing aims found at that speed, checked alike, in
    // rising order and apart; the recommended one is among them. More than
    // one: the holing aims at that pace have gaps.
    std::vector<AimWindow> windows;

    // The slowest and the fastest holing putt found, each with an aim that
    // holes at that speed.
    double minSpeedMph = 0.0;
    double minSpeedAngleDeg = 0.0;
    double maxSpeedMph = 0.0;
    double maxSpeedAngleDeg = 0.0;

    // How many putts the read ran (the same for every thread count).
    int runs = 0;
};

// Reads the putt from model.BallPos on the model's current hole, green and
// TimeStepSize; PuttEnabled, PuttBallSpeed and PuttTargetAngle of the model
// are ignored. threads: worker threads, 0 for one per hardware thread. The
// result does not depend on the number of threads.
PuttRead readPutt(const SwingModel& model, unsigned threads = 0);

// The reason in words, e.g. "every putt stops short of the cup"; empty for None.
std::string whyNotText(const PuttRead& read);
// The same after "the ball lies off the green, and " when it does.
std::string noHoleText(const PuttRead& read);

} // namespace quillmoor
