#include "ModelFile.h"

#include "DataFileText.h"
#include "FileInput.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::string tooLargeReason()
{
    return "longer than " + std::to_string(kMaxModelFileBytes >> 20) +
           " MB, far more than any model holds";
}

namespace {

// Feeds the bytes of a file to the classifier line by line; false once the
// file has given more than kMaxModelFileBytes.
class LineFeeder
{
public:
    // True once the verdict is decided.
    bool feed(const char* p, std::size_t n)
    {
        total_ += n;
        const char* end = p + n;
        while (p < end) {
            const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', end - p));
            const char* stop = lineEnd ? lineEnd : end;
            if (line_.size() < keptPerLine)
                line_.append(p, std::min<std::size_t>(stop - p, keptPerLine - line_.size()));
            if (!lineEnd)
                break;
            if (classifier_.feed(line_))
                return decided_ = true;
            line_.clear();
            p = lineEnd + 1;
        }
        return false;
    }
    bool tooLarge() const { return total_ > kMaxModelFileBytes; }
    bool isModel()
    {
        if (!decided_ && !line_.empty())
            classifier_.feed(line_);
        line_.clear();
        return classifier_.isModel();
    }

private:
    Classifier classifier_;
    std::string line_;
    std::size_t total_ = 0;
    bool decided_ = false;
};

// The whole of what a pipe or a device gives, up to the bound; false with
// the reason when reading fails or goes past it.
bool slurp(int fd, std::string& text, std::string& why)
{
    int error = 0;
    switch (fileinput::readBounded(fd, kMaxModelFileBytes, text, error)) {
    case fileinput::ReadEnd::Whole:
        return true;
    case fileinput::ReadEnd::Failed:
        why = std::strerror(error);
        return false;
    case fileinput::ReadEnd::TooLong:
        break;
    }
    why = tooLargeReason();
    return false;
}

} // namespace

Verdict examine(const std::string& path)
{
    if (path.empty())
        return Verdict::Unreadable;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Verdict::Unreadable;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Verdict::Unreadable;
    }
    if (S_ISREG(st.st_mode) && static_cast<std::uintmax_t>(st.st_size) > kMaxModelFileBytes) {
        ::close(fd);
        return Verdict::TooLarge;
    }

    LineFeeder feeder;
    char buf[65536];
    bool failed = false;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        failed = n < 0;
        if (n <= 0 || feeder.feed(buf, static_cast<std::size_t>(n)) || feeder.tooLarge())
            break;
    }
    ::close(fd);
    if (failed)
        return Verdict::Unreadable;
    if (feeder.tooLarge())
        return Verdict::TooLarge;
    return feeder.isModel() ? Verdict::Model : Verdict::NotAModel;
}

bool readModelFile(const std::string& path, SwingModel& out, std::string& why)
{
    struct stat st;
    if (path.empty()) {
        why = "no file name";
        return false;
    }
    if (::stat(path.c_str(), &st) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        why = std::strerror(EISDIR);
        return false;
    }
    const std::string notAModel = "not a model data file";
    if (S_ISREG(st.st_mode)) {
        switch (examine(path)) {
        case Verdict::Model:
            break;
        case Verdict::NotAModel:
            why = notAModel;
            return false;
        case Verdict::TooLarge:
            why = tooLargeReason();
            return false;
        case Verdict::Unreadable:
            errno = 0;
            if (const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC); fd >= 0)
                ::close(fd);
            why = errno != 0 ? std::strerror(errno) : "cannot be read";
            return false;
        }
        errno = 0;
        if (out.read(path, false, &why))
            return true;
        if (why.empty())
            why = errno != 0 ? std::strerror(errno) : "cannot be read";
        return false;
    }

    // A pipe or a device can be read only once: into memory, then judged.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    std::string text;
    const bool complete = slurp(fd, text, why);
    ::close(fd);
    if (!complete)
        return false;
    if (!isModelText(text)) {
        why = notAModel;
        return false;
    }
    return readModelText(out, text, false);
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
