// The "# SwingModel Data File" text format: writer and reader.

#include "DataFileText.h"
#include "FileOutput.h"
#include "ModelFile.h"
#include "NumberText.h"
#include "SwingModel.h"
#include "TextSink.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
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
    // Only air that differs from the standard air is written, so a model that
    // never sets it is written byte for byte as before these keys existed.
    // (A NaN differs from everything and is written.)
    if (!(m.Temperature == SwingModel::kDefaultTemperature))
        putKeyFixed(out, "Temperature", m.Temperature);
    if (!(m.Altitude == SwingModel::kDefaultAltitude))
        putKeyFixed(out, "Altitude", m.Altitude);
    if (!(m.Humidity == SwingModel::kDefaultHumidity))
        putKeyFixed(out, "Humidity", m.Humidity);

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

bool writeToOutput(void* context, const char* p, std::size_t size)
{
    return static_cast<fileout::Output*>(context)->write(p, size);
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

bool SwingModel::write(const std::string& pathArg, bool omitSteps, std::string* why) const
{
    const std::string& path = pathArg.empty() ? fileName : pathArg;
    std::string error;
    fileout::Output file;
    if (path.empty() || !file.open(path, error)) {
        if (why)
            *why = path.empty() ? "no file name" : error;
        errno = path.empty() ? ENOENT : file.errorNumber();
        return false;
    }
    // The text goes out through a fixed buffer, never whole in memory (not
    // zeroed, so that pages a short file does not need are never touched).
    const std::unique_ptr<char[]> buffer(new char[kFileBuffer]);
    TextSink out(buffer.get(), kFileBuffer, writeToOutput, &file);
    putModel(out, *this, omitSteps);
    out.flush();
    if (!file.commit(error)) {
        if (why)
            *why = error;
        errno = file.errorNumber(); // past the clean-up, for the caller's message
        return false;
    }
    return true;
}

namespace {

// One fgets-sized piece: at most 199 characters, ending after a line feed.
// A longer line arrives in several pieces; text after a NUL byte is not seen.
constexpr int lineBufferSize = 200;

// Hands out the pieces of a file (or of text in memory) as fgets would, and
// gives up once more than kMaxModelFileBytes have come: a device or a pipe
// may never end.
class PieceReader
{
public:
    explicit PieceReader(int fd) : fd_(fd), block_(new char[kBlock]) {}
    PieceReader(const char* data, std::size_t size) : cur_(data), end_(data + size) {}

    // As fgets(buf, size, f); false at the end, or once reading failed.
    bool next(char* buf, int size)
    {
        const std::size_t want = static_cast<std::size_t>(size - 1);
        std::size_t got = 0;
        while (got < want) {
            if (cur_ == end_ && !refill())
                break;
            const std::size_t n = std::min(want - got, static_cast<std::size_t>(end_ - cur_));
            const void* lineEnd = std::memchr(cur_, '\n', n);
            const std::size_t take = lineEnd ? static_cast<const char*>(lineEnd) - cur_ + 1 : n;
            std::memcpy(buf + got, cur_, take);
            got += take;
            cur_ += take;
            if (lineEnd)
                break;
        }
        buf[got] = '\0';
        return got > 0 && failure_.empty();
    }

    // Why reading stopped before the end; empty when it reached the end.
    const std::string& failure() const { return failure_; }

private:
    bool refill()
    {
        if (fd_ < 0 || atEnd_ || !failure_.empty())
            return false;
        ssize_t n;
        do
            n = ::read(fd_, block_.get(), kBlock);
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            failure_ = std::strerror(errno);
            return false;
        }
        total_ += static_cast<std::size_t>(n);
        if (total_ > modelfile::kMaxModelFileBytes) {
            failure_ = modelfile::tooLargeReason();
            return false;
        }
        cur_ = block_.get();
        end_ = cur_ + n;
        atEnd_ = n == 0; // as fgets: once at the end, a terminal is not asked again
        return n > 0;
    }

    static constexpr std::size_t kBlock = 64 * 1024;
    int fd_ = -1;
    std::unique_ptr<char[]> block_;
    const char* cur_ = nullptr;
    const char* end_ = nullptr;
    std::size_t total_ = 0;
    bool atEnd_ = false;
    std::string failure_;
};

void readTriple(const char* text, Vector3& v)
{
    double c[3] = {0.0, 0.0, 0.0};
    numtext::parseTriple(text, c);
    v = Vector3(c[0], c[1], c[2]);
}

void readStepBlock(PieceReader& in, int n, Trajectory& shot)
{
    Trajectory::Points points;
    char buf[lineBufferSize];
    // A count beyond what the file holds ends at the end of the file; nothing
    // is reserved for it up front.
    for (int i = 0; i < n && in.next(buf, sizeof buf); ++i) {
        const char* comma = std::strchr(buf, ',');
        if (!comma)
            continue; // not a point line
        double c[3] = {0.0, 0.0, 0.0};
        numtext::parseTriple(comma + 1, c);
        points.emplace_back(numtext::parseInt(buf), Vector3(c[0], c[1], c[2]));
    }
    shot.assign(std::move(points));
}

// The lines of a data file into the model; false with the reason when the
// text could not be read to its end (the model then holds what came before).
bool readPieces(SwingModel& m, PieceReader& in, bool keepOnEmpty, std::string* why)
{
    char buf[lineBufferSize];
    while (in.next(buf, sizeof buf)) {
        if (buf[0] == '#')
            continue;
        char* colon = std::strchr(buf, ':');
        if (!colon)
            continue;
        const std::string key(buf, colon);
        const char* value = colon + 1;

        if (const char* comma = std::strchr(value, ',')) {
            if (key == "HolePos")
                readTriple(value, m.hole.HolePos);
            else if (key == "GreenPos")
                readTriple(value, m.hole.GreenPos);
            else if (key == "TreePos")
                readTriple(value, m.hole.TreePos);
            else if (key == "TreeSize")
                readTriple(value, m.hole.TreeSize);
            else if (key == "BallPos")
                readTriple(value, m.BallPos);
            else if (key == "FirstImpact") {
                const std::string head(value, comma);
                if (head != " -nil-")
                    m.FirstImpact = numtext::parseInt(head.c_str());
            }
            continue;
        }

        if (key == "HoleId") {
            m.hole.HoleId = numtext::parseInt(value);
        } else if (key == "Exit Code") {
            m.exitCode = numtext::parseInt(value);
        } else if (m.setValue(key, numtext::parseDouble(value))) {
            // stored by the model's own setter
        } else if (key == "TeeShotSteps" || key == "PuttShotSteps") {
            const int n = numtext::parseInt(value);
            const bool tee = key == "TeeShotSteps";
            Trajectory& shot = tee ? m.teeShot : m.puttShot;
            if (!(keepOnEmpty && n <= 0))
                shot.clear();
            if (n > 0)
                readStepBlock(in, n, shot);
            (tee ? m.teeStep : m.puttStep) = n > 0 ? 0 : -1;
        } else if (key == "TreeType") {
            const char* p = value;
            while (*p == ' ')
                ++p;
            std::string type(p);
            while (!type.empty() && type.find_first_of("\r\n") != std::string::npos)
                type.pop_back();
            m.hole.TreeType = type;
        }
    }
    if (!in.failure().empty()) {
        if (why)
            *why = in.failure();
        return false;
    }

    const HoleInfo& h = m.hole;
    m.defineHole(h.HoleId, h.GreenSize, h.GreenPos, h.HolePos, h.TreePos, h.TreeSize, h.TreeType);
    return true;
}

} // namespace

bool SwingModel::read(const std::string& path, bool keepOnEmpty, std::string* why)
{
    if (path.empty())
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        // A directory opens on this platform but holds no model.
        ::close(fd);
        errno = EISDIR;
        return false;
    }
    if (S_ISREG(st.st_mode) &&
        static_cast<std::uintmax_t>(st.st_size) > modelfile::kMaxModelFileBytes) {
        ::close(fd);
        if (why)
            *why = modelfile::tooLargeReason();
        return false;
    }
    PieceReader in(fd);
    const bool ok = readPieces(*this, in, keepOnEmpty, why);
    ::close(fd);
    return ok;
}

bool readModelText(SwingModel& model, const std::string& text, bool keepOnEmpty)
{
    PieceReader in(text.data(), text.size());
    return readPieces(model, in, keepOnEmpty, nullptr);
}
