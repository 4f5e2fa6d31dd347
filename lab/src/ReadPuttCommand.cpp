// Shotlab read-putt: the putt that drops from the ball position of a model.
//
// The model is read as in a fresh process and read as a putt from BallPos,
// whatever its PuttEnabled says; its own putt speed and aim play no part.
// Nothing holing is an answer, not a failure of the program, but scripts
// want to tell it apart: it exits with 1, as a file that cannot be read does.

#include "OutputStreams.h"
#include "PuttReader.h"
#include "ShotOutput.h"
#include "ShotSummary.h"
#include "Shotlab.h"
#include "SwingModel.h"
#include "Units.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>

namespace quillmoor::lab {

namespace {

std::string degrees(double a)
{
    return fixedText(a, 2) + " deg";
}

// Positive target angles turn the putt toward -x, the player's left.
std::string aimInWords(double target)
{
    if (std::fabs(target) < 0.005)
        return "straight at the hole";
    return degrees(std::fabs(target)) + (target > 0 ? " left" : " right") + " of the hole";
}

void writeText(std::ostream& out, const SwingModel& model, const PuttRead& read)
{
    if (!model.PuttEnabled)
        out << "The model is set for a tee shot: read as a putt from its ball position.\n";
    out << "Hole " << model.hole.HoleId << ", the ball "
        << feetAndInchesText(model.distanceToHole(model.BallPos)) << " from the cup.\n";
    if (!read.holed) {
        out << "No putt holes from here: " << noHoleText(read) << ".\n";
        return;
    }
    out << "Putt it at " << fixedText(read.speedMph, 2) << " mph, aimed "
        << aimInWords(read.targetAngleDeg) << " (target angle " << degrees(read.targetAngleDeg)
        << ").\n";
    const double width = read.windowHiDeg - read.windowLoDeg;
    if (width >= 360.0) {
        out << "At that pace every aim holes: the ball lies within the cup's reach.\n";
    } else {
        const double hi = wrappedDegrees(read.windowHiDeg);
        out << "At that pace every aim from " << degrees(read.windowLoDeg) << " to " << degrees(hi)
            << (hi != read.windowHiDeg ? " (round the back of the circle)" : "")
            << " holes: " << (width < 0.005 ? std::string("under 0.01 deg") : degrees(width))
            << " of room.\n";
    }
    if (read.windows.size() > 1) {
        out << "At that pace the holing aims have gaps; they form " << read.windows.size()
            << " windows:";
        const char* sep = " ";
        for (const AimWindow& w : read.windows) {
            out << sep << fixedText(w.loDeg, 2) << " to " << degrees(wrappedDegrees(w.hiDeg));
            sep = ", ";
        }
        out << ".\n";
    }
    out << "Putts hole at speeds from " << fixedText(read.minSpeedMph, 2) << " to "
        << fixedText(read.maxSpeedMph, 2) << " mph.\n";
}

// Speeds and angles to the data file's 8 decimals, as PuttBallSpeed and
// PuttTargetAngle would be stored.
std::string number(double v)
{
    return plainText(v, 8);
}

// One line, the keys in this order.
void writeJson(std::ostream& out, const PuttRead& read)
{
    if (!read.holed) {
        out << "{\"holed\": false, \"reason\": " << nlohmann::json(noHoleText(read)).dump()
            << "}\n";
        return;
    }
    out << "{\"holed\": true, \"speed_mph\": " << number(read.speedMph)
        << ", \"target_angle_deg\": " << number(read.targetAngleDeg) << ", \"window_deg\": ["
        << number(read.windowLoDeg) << ", " << number(read.windowHiDeg) << "], \"windows_deg\": [";
    const char* sep = "";
    for (const AimWindow& w : read.windows) {
        out << sep << '[' << number(w.loDeg) << ", " << number(w.hiDeg) << ']';
        sep = ", ";
    }
    out << "], \"min_speed_mph\": " << number(read.minSpeedMph)
        << ", \"max_speed_mph\": " << number(read.maxSpeedMph) << "}\n";
}

} // namespace

void addReadPuttCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<ReadPuttOptions>();
    CLI::App* cmd = app.add_subcommand(
        "read-putt", "The putt that drops from the ball position of a model: speed, aim, the "
                     "window of aims that hole and the range of holing speeds");
    cmd->add_flag("--json", options->json,
                  "Print one JSON object: holed, speed_mph, target_angle_deg, window_deg [lo, "
                  "hi], windows_deg [[lo, hi], ...], min_speed_mph, max_speed_mph; "
                  "{\"holed\": false, \"reason\": ...} when nothing holes");
    cmd->add_option("MODEL", options->file, "A data file; its hole, green and BallPos are read")
        ->required();
    cmd->footer("The aim is the target angle: degrees from the line to the hole, positive to the "
                "left. The recommended speed is the one whose window of holing aims is widest; "
                "the aim is the middle of that window. The window's high edge may lie above 180 "
                "when it runs round the back of the circle. A model set for a tee shot is read "
                "as a putt from its ball position.\n"
                "Exit status: 0 a putt holes, 1 no putt holes from there or the file cannot be "
                "read or putted from, 2 a usage error.");
    cmd->callback([options, &action] {
        action = [options](std::ostream& out, std::ostream& err) {
            return runReadPutt(*options, out, err);
        };
    });
}

int runReadPutt(const ReadPuttOptions& options, std::ostream& out, std::ostream& err)
{
    SwingModel model(false);
    std::string reason;
    if (!readFreshModel(options.file, model, reason)) {
        err << "Shotlab: " << options.file << ": " << reason << '\n';
        return kExitFailure;
    }
    const PuttRead read = readPutt(model);
    if (!read.ok) {
        err << "Shotlab: " << options.file << ": no putt can be played from here: " << read.error
            << '\n';
        return kExitFailure;
    }
    if (options.json)
        writeJson(out, read);
    else
        writeText(out, model, read);
    if (!read.holed)
        err << "Shotlab: " << options.file << ": no putt holes from here: " << noHoleText(read)
            << '\n';
    return finishOutput(out, err, "Shotlab", read.holed ? kExitOk : kExitFailure);
}

} // namespace quillmoor::lab
