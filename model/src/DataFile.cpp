// The "# SwingModel Data File" text format: writer and reader.

#include "NumberText.h"
#include "SwingModel.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using numtext::appendFixed;
using numtext::appendGeneral;
using numtext::appendInt;

namespace {

void appendTriple(std::string& out, const Vector3& v, int precision)
{
    appendFixed(out, v.x, precision, 8);
    out += ", ";
    appendFixed(out, v.y, precision, 8);
    out += ", ";
    appendFixed(out, v.z, precision, 8);
}

void appendKeyFixed(std::string& out, const char* key, double v)
{
    out += key;
    out += ": ";
    appendFixed(out, v, 8, 8);
    out += '\n';
}

// "%6d, %8.8f, %8.8f, %8.8f\n"
void appendPoint(std::string& out, int step, const Vector3& p)
{
    appendInt(out, step, 6);
    out += ", ";
    appendTriple(out, p, 8);
    out += '\n';
}

void appendShot(std::string& out, const char* key, const Trajectory& shot)
{
    out += "\n";
    out += key;
    out += ": ";
    appendInt(out, shot.size());
    out += '\n';
    for (const auto& [step, p] : shot)
        appendPoint(out, step, p);
}

} // namespace

std::string SwingModel::toText(bool omitSteps) const
{
    std::string out;
    // About 60 bytes per trajectory line.
    out.reserve(2048 + 64 * (static_cast<std::size_t>(teeShot.size()) + puttShot.size()));

    out += "# SwingModel Data File\n"
           "#   distance: yards\n"
           "#   speed   : mph\n"
           "#   angle   : degrees\n"
           "#   rotation: revolutions per minute\n"
           "\n# Hole Information\n";
    out += "HoleId: ";
    appendInt(out, hole.HoleId);
    out += "\nHolePos: ";
    appendTriple(out, hole.HolePos, 4);
    out += "\nGreenPos: ";
    appendTriple(out, hole.GreenPos, 4);
    out += "\nGreenSize: ";
    appendFixed(out, hole.GreenSize, 4, 8);
    out += "\nGreenType: ";
    appendInt(out, hole.GreenType);
    out += "\nTreePos: ";
    appendTriple(out, hole.TreePos, 4);
    out += "\nTreeSize: ";
    appendTriple(out, hole.TreeSize, 4);
    out += "\nTreeType: ";
    out += hole.TreeType.c_str(); // as "%s" would: up to an embedded NUL
    out += "\n";

    out += "\n# Environment Data\n";
    appendKeyFixed(out, "WindDir", hole.WindDir);
    appendKeyFixed(out, "WindSpeed", hole.WindSpeed);
    appendKeyFixed(out, "GreenXRot", hole.GreenXRot);
    appendKeyFixed(out, "GreenYRot", hole.GreenYRot);
    appendKeyFixed(out, "GreenRho", hole.GreenRho);

    out += "\n# Tee-shot Data\n";
    appendKeyFixed(out, "TeeBallSpeed", TeeBallSpeed);
    appendKeyFixed(out, "TeeLaunchAngle", TeeLaunchAngle);
    appendKeyFixed(out, "TeeTargetAngle", TeeTargetAngle);
    appendKeyFixed(out, "TeeBackSpin", TeeBackSpin);
    appendKeyFixed(out, "TeeSideSpin", TeeSideSpin);

    out += "\n# Putt-shot Data\n";
    out += PuttEnabled ? "PuttEnabled: 1\n" : "PuttEnabled: 0\n";
    appendKeyFixed(out, "PuttBallSpeed", PuttBallSpeed);
    appendKeyFixed(out, "PuttTargetAngle", PuttTargetAngle);
    out += "BallPos: ";
    appendTriple(out, BallPos, 8);
    out += '\n';

    out += "\n# Result Data (locations as: timestep, x, y, z)\n";
    out += "TimeStepSize: ";
    appendGeneral(out, TimeStepSize);
    out += '\n';

    const char axes[3] = {'X', 'Y', 'Z'};
    for (int axis = 0; axis < 3; ++axis) {
        int step = -1;
        const Vector3 p = maxPosition(axis, &step);
        out += "Max";
        out += axes[axis];
        out += "Position: ";
        if (step < 0) {
            out += "-nil-, x, y, z\n";
        } else {
            appendPoint(out, step, p);
        }
    }

    Vector3 point, offset;
    double distance = 0.0;
    int step = -1;
    if (treeProximity(point, offset, distance, &step)) {
        out += "TreeProximity: ";
        appendPoint(out, step, point);
        out += "BallDistanceToTree: ";
        appendFixed(out, distance, 8, 8);
        out += ", ";
        appendTriple(out, offset, 8);
        out += '\n';
    } else {
        out += "TreeProximity: -nil-, x, y, z\nBallDistanceToTree: -nil-, x, y, z\n";
    }

    const double radius = hole.GreenSize * 0.5;
    out += "BallDistanceToHole: ";
    appendGeneral(out, distanceToHole());
    out += "\nBallDistanceToGreen: ";
    appendGeneral(out, distanceToHole() <= radius ? 0.0 : distanceToHole() - radius);
    out += '\n';

    if (FirstImpact < 0) {
        out += "FirstImpact: -nil-, x, y, z\nFirstImpactDistanceToGreen: -nil-\n";
    } else {
        const Vector3 impact = teePoint(FirstImpact);
        out += "FirstImpact: ";
        appendPoint(out, FirstImpact, impact);
        double d = distanceToHole(impact) - radius;
        if (d < 0)
            d = 0;
        out += "FirstImpactDistanceToGreen: ";
        appendGeneral(out, d);
        out += '\n';
    }

    if (!omitSteps) {
        appendShot(out, "TeeShotSteps", teeShot);
        appendShot(out, "PuttShotSteps", puttShot);
    }

    if (exitCode != 0) {
        out += "\nExit Code: ";
        appendInt(out, exitCode);
        out += exitCode >= 1 ? "\n# The golf swing simulation was completed successfully.\n"
                             : "\n# The golf swing simulation exited with errors.\n";
    }
    return out;
}

namespace {

bool writeAll(int fd, const std::string& text)
{
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Mode for the new file: that of the file it replaces, else what a plain
// create would give under the current umask.
mode_t targetMode(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool SwingModel::write(const std::string& pathArg, bool omitSteps) const
{
    std::string path = pathArg.empty() ? fileName : pathArg;
    if (path.empty())
        return false;
    // Through a symbolic link the file it points to is replaced, not the link.
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    const std::string text = toText(omitSteps);

    // Write beside the target and rename over it, so a failure (full disk,
    // no permission, a crash) never leaves a truncated file in its place.
    std::string tmp = path + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, text);
    ok = ::fchmod(fd, targetMode(path)) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(tmp.c_str());
    return ok;
}

namespace {

// One fgets-sized piece: at most 199 characters, ending after a line feed.
// A longer line arrives in several pieces; text after a NUL byte is not seen.
constexpr int lineBufferSize = 200;

void readTriple(const char* text, Vector3& v)
{
    double c[3] = {0.0, 0.0, 0.0};
    numtext::parseTriple(text, c);
    v = Vector3(c[0], c[1], c[2]);
}

bool readStepBlock(std::FILE* f, int n, Trajectory& shot)
{
    std::vector<Trajectory::value_type> points;
    char buf[lineBufferSize];
    // A count beyond what the file holds ends at the end of the file; nothing
    // is reserved for it up front.
    for (int i = 0; i < n && std::fgets(buf, sizeof buf, f); ++i) {
        const char* comma = std::strchr(buf, ',');
        if (!comma)
            continue; // not a point line
        double c[3] = {0.0, 0.0, 0.0};
        numtext::parseTriple(comma + 1, c);
        points.emplace_back(numtext::parseInt(buf), Vector3(c[0], c[1], c[2]));
    }
    shot.assign(std::move(points));
    return true;
}

} // namespace

bool SwingModel::read(const std::string& path, bool keepOnEmpty)
{
    if (path.empty())
        return false;
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f)
        return false;
    struct stat st;
    if (::fstat(::fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
        // A directory opens on this platform but holds no model.
        std::fclose(f);
        return false;
    }

    char buf[lineBufferSize];
    while (std::fgets(buf, sizeof buf, f)) {
        if (buf[0] == '#')
            continue;
        char* colon = std::strchr(buf, ':');
        if (!colon)
            continue;
        const std::string key(buf, colon);
        const char* value = colon + 1;

        if (const char* comma = std::strchr(value, ',')) {
            if (key == "HolePos")
                readTriple(value, hole.HolePos);
            else if (key == "GreenPos")
                readTriple(value, hole.GreenPos);
            else if (key == "TreePos")
                readTriple(value, hole.TreePos);
            else if (key == "TreeSize")
                readTriple(value, hole.TreeSize);
            else if (key == "BallPos")
                readTriple(value, BallPos);
            else if (key == "FirstImpact") {
                const std::string head(value, comma);
                if (head != " -nil-")
                    FirstImpact = numtext::parseInt(head.c_str());
            }
            continue;
        }

        if (key == "HoleId") {
            hole.HoleId = numtext::parseInt(value);
        } else if (key == "Exit Code") {
            exitCode = numtext::parseInt(value);
        } else if (setValue(key, numtext::parseDouble(value))) {
            // stored by the model's own setter
        } else if (key == "TeeShotSteps" || key == "PuttShotSteps") {
            const int n = numtext::parseInt(value);
            const bool tee = key == "TeeShotSteps";
            Trajectory& shot = tee ? teeShot : puttShot;
            if (!(keepOnEmpty && n <= 0))
                shot.clear();
            if (n > 0)
                readStepBlock(f, n, shot);
            (tee ? teeStep : puttStep) = n > 0 ? 0 : -1;
        } else if (key == "TreeType") {
            const char* p = value;
            while (*p == ' ')
                ++p;
            std::string type(p);
            while (!type.empty() && type.find_first_of("\r\n") != std::string::npos)
                type.pop_back();
            hole.TreeType = type;
        }
    }
    std::fclose(f);

    defineHole(hole.HoleId, hole.GreenSize, hole.GreenPos, hole.HolePos, hole.TreePos,
               hole.TreeSize, hole.TreeType);
    return true;
}
