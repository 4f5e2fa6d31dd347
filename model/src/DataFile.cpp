// The "# SwingModel Data File" text format: writer and reader.

#include "NumberText.h"
#include "SwingModel.h"
#include "TextSink.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kNum = numtext::kMaxNumberChars;

void putFixed(TextSink& out, double v, int precision)
{
    out.commit(numtext::writeFixed(out.room(kNum), v, precision, 8));
}

void putGeneral(TextSink& out, double v)
{
    out.commit(numtext::writeGeneral(out.room(kNum), v));
}

void putInt(TextSink& out, long long v)
{
    out.commit(numtext::writeInt(out.room(kNum), v));
}

// "%8.Pf, %8.Pf, %8.Pf"
void putTriple(TextSink& out, const Vector3& v, int precision)
{
    putFixed(out, v.x, precision);
    out.put(", ", 2);
    putFixed(out, v.y, precision);
    out.put(", ", 2);
    putFixed(out, v.z, precision);
}

void putKeyFixed(TextSink& out, const char* key, double v)
{
    out.put(key);
    out.put(": ", 2);
    putFixed(out, v, 8);
    out.put('\n');
}

// "%6d, %8.8f, %8.8f, %8.8f\n", in one piece of room: this is the line a
// result file is made of.
void putPoint(TextSink& out, int step, const Vector3& p)
{
    char* q = out.room(4 * kNum + 8);
    q = numtext::writeInt(q, step, 6);
    *q++ = ',';
    *q++ = ' ';
    q = numtext::writeFixed(q, p.x, 8, 8);
    *q++ = ',';
    *q++ = ' ';
    q = numtext::writeFixed(q, p.y, 8, 8);
    *q++ = ',';
    *q++ = ' ';
    q = numtext::writeFixed(q, p.z, 8, 8);
    *q++ = '\n';
    out.commit(q);
}

void putShot(TextSink& out, const char* key, const Trajectory& shot)
{
    out.put('\n');
    out.put(key);
    out.put(": ", 2);
    putInt(out, shot.size());
    out.put('\n');
    for (const auto& [step, p] : shot)
        putPoint(out, step, p);
}

// The whole file, in the order the reader and other programs expect.
void putModel(TextSink& out, const SwingModel& m, bool omitSteps)
{
    const HoleInfo& hole = m.hole;
    out.put("# SwingModel Data File\n"
            "#   distance: yards\n"
            "#   speed   : mph\n"
            "#   angle   : degrees\n"
            "#   rotation: revolutions per minute\n"
            "\n# Hole Information\n");
    out.put("HoleId: ");
    putInt(out, hole.HoleId);
    out.put("\nHolePos: ");
    putTriple(out, hole.HolePos, 4);
    out.put("\nGreenPos: ");
    putTriple(out, hole.GreenPos, 4);
    out.put("\nGreenSize: ");
    putFixed(out, hole.GreenSize, 4);
    out.put("\nGreenType: ");
    putInt(out, hole.GreenType);
    out.put("\nTreePos: ");
    putTriple(out, hole.TreePos, 4);
    out.put("\nTreeSize: ");
    putTriple(out, hole.TreeSize, 4);
    out.put("\nTreeType: ");
    out.put(hole.TreeType.c_str()); // as "%s" would: up to an embedded NUL
    out.put('\n');

    out.put("\n# Environment Data\n");
    putKeyFixed(out, "WindDir", hole.WindDir);
    putKeyFixed(out, "WindSpeed", hole.WindSpeed);
    putKeyFixed(out, "GreenXRot", hole.GreenXRot);
    putKeyFixed(out, "GreenYRot", hole.GreenYRot);
    putKeyFixed(out, "GreenRho", hole.GreenRho);

    out.put("\n# Tee-shot Data\n");
    putKeyFixed(out, "TeeBallSpeed", m.TeeBallSpeed);
    putKeyFixed(out, "TeeLaunchAngle", m.TeeLaunchAngle);
    putKeyFixed(out, "TeeTargetAngle", m.TeeTargetAngle);
    putKeyFixed(out, "TeeBackSpin", m.TeeBackSpin);
    putKeyFixed(out, "TeeSideSpin", m.TeeSideSpin);

    out.put("\n# Putt-shot Data\n");
    out.put(m.PuttEnabled ? "PuttEnabled: 1\n" : "PuttEnabled: 0\n");
    putKeyFixed(out, "PuttBallSpeed", m.PuttBallSpeed);
    putKeyFixed(out, "PuttTargetAngle", m.PuttTargetAngle);
    out.put("BallPos: ");
    putTriple(out, m.BallPos, 8);
    out.put('\n');

    out.put("\n# Result Data (locations as: timestep, x, y, z)\n");
    out.put("TimeStepSize: ");
    putGeneral(out, m.TimeStepSize);
    out.put('\n');

    const char axes[3] = {'X', 'Y', 'Z'};
    for (int axis = 0; axis < 3; ++axis) {
        int step = -1;
        const Vector3 p = m.maxPosition(axis, &step);
        out.put("Max");
        out.put(axes[axis]);
        out.put("Position: ");
        if (step < 0)
            out.put("-nil-, x, y, z\n");
        else
            putPoint(out, step, p);
    }

    Vector3 point, offset;
    double distance = 0.0;
    int step = -1;
    if (m.treeProximity(point, offset, distance, &step)) {
        out.put("TreeProximity: ");
        putPoint(out, step, point);
        out.put("BallDistanceToTree: ");
        putFixed(out, distance, 8);
        out.put(", ", 2);
        putTriple(out, offset, 8);
        out.put('\n');
    } else {
        out.put("TreeProximity: -nil-, x, y, z\nBallDistanceToTree: -nil-, x, y, z\n");
    }

    const double radius = hole.GreenSize * 0.5;
    out.put("BallDistanceToHole: ");
    putGeneral(out, m.distanceToHole());
    out.put("\nBallDistanceToGreen: ");
    putGeneral(out, m.distanceToHole() <= radius ? 0.0 : m.distanceToHole() - radius);
    out.put('\n');

    if (m.FirstImpact < 0) {
        out.put("FirstImpact: -nil-, x, y, z\nFirstImpactDistanceToGreen: -nil-\n");
    } else {
        const Vector3 impact = m.teePoint(m.FirstImpact);
        out.put("FirstImpact: ");
        putPoint(out, m.FirstImpact, impact);
        double d = m.distanceToHole(impact) - radius;
        if (d < 0)
            d = 0;
        out.put("FirstImpactDistanceToGreen: ");
        putGeneral(out, d);
        out.put('\n');
    }

    if (!omitSteps) {
        putShot(out, "TeeShotSteps", m.teeShot);
        putShot(out, "PuttShotSteps", m.puttShot);
    }

    if (m.exitCode != 0) {
        out.put("\nExit Code: ");
        putInt(out, m.exitCode);
        out.put(m.exitCode >= 1 ? "\n# The golf swing simulation was completed successfully.\n"
                                : "\n# The golf swing simulation exited with errors.\n");
    }
}

bool appendToString(void* context, const char* data, std::size_t size)
{
    static_cast<std::string*>(context)->append(data, size);
    return true;
}

// Large enough that a result file goes out in a few dozen write calls,
// small enough to stay in the cache.
constexpr std::size_t kFileBuffer = 32 * 1024;

bool writeToFd(void* context, const char* p, std::size_t left)
{
    const int fd = *static_cast<int*>(context);
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

} // namespace

std::string SwingModel::toText(bool omitSteps) const
{
    std::string text;
    // About 50 bytes per trajectory line: one allocation for the whole text.
    text.reserve(2048 + 64 * (static_cast<std::size_t>(teeShot.size()) + puttShot.size()));
    char buffer[16 * 1024];
    TextSink out(buffer, sizeof buffer, appendToString, &text);
    putModel(out, *this, omitSteps);
    out.flush();
    return text;
}

namespace {

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
    // The text goes out through a fixed buffer, never whole in memory (not
    // zeroed, so that pages a short file does not need are never touched).
    const std::unique_ptr<char[]> buffer(new char[kFileBuffer]);

    // Write beside the target and rename over it, so a failure (full disk,
    // no permission, a crash) never leaves a truncated file in its place.
    std::string tmp = path + ".XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return false;
    TextSink out(buffer.get(), kFileBuffer, writeToFd, &fd);
    putModel(out, *this, omitSteps);
    bool ok = out.flush();
    // The first failure's errno is kept for the caller, past the calls that
    // follow it (the mode's look-up, the clean-up).
    int reason = ok ? 0 : errno;
    const auto step = [&](bool done) {
        if (!done && ok) {
            ok = false;
            reason = errno;
        }
    };
    const mode_t mode = targetMode(path);
    step(::fchmod(fd, mode) == 0);
    step(::close(fd) == 0);
    if (ok)
        step(::rename(tmp.c_str(), path.c_str()) == 0);
    if (!ok) {
        ::unlink(tmp.c_str());
        errno = reason;
    }
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
    Trajectory::Points points;
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
