#include "ModelFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace modelfile {

namespace {

const char header[] = "# SwingModel Data File";

// Every key the data file has: the written ones, the measure lines and the
// alternative names the reader takes.
bool isKey(const std::string& key)
{
    static const char* const keys[] = {
        "HoleId",
        "HolePos",
        "GreenPos",
        "GreenSize",
        "GreenType",
        "TreePos",
        "TreeSize",
        "TreeType",
        "WindDir",
        "WindSpeed",
        "GreenXRot",
        "GreenYRot",
        "GreenRho",
        "Temperature",
        "Altitude",
        "Humidity",
        "TeeBallSpeed",
        "TeeLaunchAngle",
        "TeeTargetAngle",
        "TeeBackSpin",
        "TeeSideSpin",
        "PuttEnabled",
        "PuttBallSpeed",
        "PuttTargetAngle",
        "BallPos",
        "TimeStepSize",
        "MaxXPosition",
        "MaxYPosition",
        "MaxZPosition",
        "TreeProximity",
        "BallDistanceToTree",
        "BallDistanceToHole",
        "BallDistanceToGreen",
        "FirstImpact",
        "FirstImpactDistanceToGreen",
        "TeeShotSteps",
        "PuttShotSteps",
        "Exit Code",
        "TeeClubSpeed",
        "TeeZSpin",
        "PuttClubSpeed",
    };
    for (const char* k : keys)
        if (key == k)
            return true;
    return false;
}

bool isBlank(const std::string& line)
{
    return line.find_first_not_of(" \t\r\n\f\v") == std::string::npos;
}

// "  12, ..." : optional blanks and sign, digits, optional blanks, a comma.
bool isPointLine(const std::string& line)
{
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos)
        return false;
    if (line[i] == '-' || line[i] == '+')
        ++i;
    const std::size_t digits = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9')
        ++i;
    if (i == digits)
        return false;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    return i < line.size() && line[i] == ',';
}

// Takes the lines of a file one by one and keeps the score.
class Classifier
{
public:
    // Returns true once the verdict cannot change any more (the header).
    bool feed(const std::string& line)
    {
        if (first) {
            first = false;
            std::string head = line;
            if (head.compare(0, 3, "\xEF\xBB\xBF") == 0) // a byte-order mark from an editor
                head.erase(0, 3);
            if (head.compare(0, sizeof header - 1, header) == 0 &&
                isBlank(head.substr(sizeof header - 1))) {
                headed = true;
                return true;
            }
        }
        if (isBlank(line) || line[0] == '#') {
            return false;
        }
        ++lines;
        if (pointsLeft > 0) {
            if (isPointLine(line)) {
                --pointsLeft;
                ++known;
                return false;
            }
            pointsLeft = 0; // the block ended early; judge the line on its own
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            return false;
        const std::string key = line.substr(0, colon);
        if (!isKey(key))
            return false;
        ++known;
        if (key == "TeeShotSteps" || key == "PuttShotSteps")
            pointsLeft = std::strtol(line.c_str() + colon + 1, nullptr, 10);
        return false;
    }

    bool isModel() const { return headed || (known > 0 && known * 2 > lines); }

private:
    bool first = true;
    bool headed = false;
    long long lines = 0;
    long long known = 0;
    long pointsLeft = 0;
};

// Only so much of a line is kept: a key is short, and a binary file may have
// no line end at all.
constexpr std::size_t keptPerLine = 512;

} // namespace

bool isModelText(const std::string& text)
{
    Classifier c;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (c.feed(text.substr(start, std::min(end - start, keptPerLine))))
            break;
        start = end + 1;
    }
    return c.isModel();
}

Verdict examine(const std::string& path)
{
    if (path.empty())
        return Verdict::Unreadable;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return Verdict::Unreadable;
    struct stat st;
    if (::fstat(::fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(f);
        return Verdict::Unreadable;
    }

    Classifier c;
    std::string line;
    bool decided = false;
    char buf[65536];
    std::size_t n;
    while (!decided && (n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        for (std::size_t i = 0; i < n && !decided; ++i) {
            if (buf[i] == '\n') {
                decided = c.feed(line);
                line.clear();
            } else if (line.size() < keptPerLine) {
                line += buf[i];
            }
        }
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        return Verdict::Unreadable;
    if (!decided && !line.empty())
        c.feed(line);
    return c.isModel() ? Verdict::Model : Verdict::NotAModel;
}

bool loadOver(const SwingModel& current, const std::string& path, SwingModel& out)
{
    const CatalogueSnapshot before;
    out = current;
    out.notifyEnabled = false;
    out.teeShot.clear();
    out.puttShot.clear();
    out.teeStep = -1;
    out.puttStep = -1;
    out.FirstImpact = -1;
    out.exitCode = 0;
    if (!out.read(path, false)) {
        before.restore();
        return false;
    }
    return true;
}

bool readRunOutput(const SwingModel& current, const std::string& path, SwingModel& out)
{
    const CatalogueSnapshot before;
    out = current;
    out.notifyEnabled = false;
    // What the run must bring itself; kept from before, it would pass for new.
    const bool putt = current.PuttEnabled;
    (putt ? out.puttShot : out.teeShot).clear();
    (putt ? out.puttStep : out.teeStep) = -1;
    if (!putt)
        out.FirstImpact = -1;
    out.exitCode = 0;
    if (!out.read(path, true) || out.exitCode == 0 || (putt ? out.puttShot : out.teeShot).empty()) {
        before.restore();
        return false;
    }
    return true;
}

bool readDetached(const std::string& path, SwingModel& out)
{
    const CatalogueSnapshot before;
    out.notifyEnabled = false;
    const bool ok = out.read(path, false);
    before.restore();
    return ok;
}

} // namespace modelfile
