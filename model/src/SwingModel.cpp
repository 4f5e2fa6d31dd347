#include "SwingModel.h"

#include <climits>
#include <cmath>

bool HoleInfo::operator==(const HoleInfo& o) const
{
    return HoleId == o.HoleId && HolePos == o.HolePos && GreenPos == o.GreenPos &&
           GreenSize == o.GreenSize && GreenType == o.GreenType && TreePos == o.TreePos &&
           TreeSize == o.TreeSize && TreeType == o.TreeType && WindDir == o.WindDir &&
           WindSpeed == o.WindSpeed && GreenXRot == o.GreenXRot && GreenYRot == o.GreenYRot &&
           GreenRho == o.GreenRho;
}

std::map<int, HoleInfo>& holeCatalogue()
{
    static std::map<int, HoleInfo> catalogue;
    return catalogue;
}

int truncToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}

namespace {

struct BuiltInHole
{
    int id;
    Vector3 pos;
    double greenSize;
    Vector3 treePos;
    Vector3 treeSize;
    const char* treeType;
    double windDir, windSpeed, xRot, yRot;
};

// The course as shipped. Hole 2's green is the decimal 16.6667, not 50/3.
const BuiltInHole builtInHoles[] = {
    {1, {-15, 154, -7}, 10, {0, 40, 4}, {13, 13, 25}, "", 22, 4.5, -3.8, -2.5},
    {2, {-10, 154, -7}, 16.6667, {0, 30, 0}, {10, 10, 25}, "Oak", 55, 4, 3, -3.5},
    {3, {10, 150, -3}, 8, {5, 60, 4}, {13, 13, 25}, "Birch", 90, 10, 3, 5.5},
    {4, {0, 100, 0}, 10, {0, 40, 0}, {10, 10, 25}, "", 90, 4.5, 0, 0},
};

void fillBuiltInHoles(std::map<int, HoleInfo>& catalogue)
{
    for (const auto& b : builtInHoles) {
        HoleInfo h;
        h.HoleId = b.id;
        h.HolePos = b.pos;
        h.GreenPos = b.pos;
        h.GreenSize = b.greenSize;
        h.TreePos = b.treePos;
        h.TreeSize = b.treeSize;
        h.TreeType = b.treeType;
        h.WindDir = b.windDir;
        h.WindSpeed = b.windSpeed;
        h.GreenXRot = b.xRot;
        h.GreenYRot = b.yRot;
        catalogue[b.id] = h;
    }
}

} // namespace

SwingModel::SwingModel(bool notify) : notifyEnabled(notify)
{
    auto& catalogue = holeCatalogue();
    if (catalogue.empty())
        fillBuiltInHoles(catalogue);
    hole.HoleId = -1;
    selectHole(1);
}

void SwingModel::reset()
{
    holeCatalogue().clear();
    SwingModel fresh(true);
    *this = fresh;
    notify(AllChanged);
}

int SwingModel::holeCount()
{
    return static_cast<int>(holeCatalogue().size());
}

void SwingModel::selectHole(int id)
{
    if (id == hole.HoleId)
        return;
    const auto& catalogue = holeCatalogue();
    auto it = catalogue.find(id);
    if (it == catalogue.end())
        return;
    hole = it->second;
    notify(HoleSelected);
    clearShots();
}

void SwingModel::clearShots()
{
    teeShot.clear();
    puttShot.clear();
    teeStep = -1;
    puttStep = -1;
    FirstImpact = -1;
    BallPos = Vector3();
    notify(BallChanged);
}

int SwingModel::defineHole(int id, double greenSize, const Vector3& greenPos,
                           const Vector3& holePos, const Vector3& treePos,
                           const Vector3& treeSize, const std::string& treeType)
{
    auto& catalogue = holeCatalogue();
    if (catalogue.find(id) == catalogue.end()) {
        // Counting up from the size keeps ids contiguous while they run 1..N.
        id = static_cast<int>(catalogue.size());
        while (catalogue.find(id) != catalogue.end())
            ++id;
    }
    HoleInfo h = hole; // environment and ground type come from the current hole
    h.HoleId = id;
    h.HolePos = holePos;
    h.GreenPos = greenPos;
    h.GreenSize = greenSize;
    h.TreePos = treePos;
    h.TreeSize = treeSize;
    h.TreeType = treeType;
    catalogue[id] = h;
    hole = catalogue[id];
    notify(HoleSelected);
    return id;
}

void SwingModel::writeThrough(double HoleInfo::*field, double v, ChangeFlags flag)
{
    if (v == hole.*field) // a NaN never compares equal, so it always counts as a change
        return;
    hole.*field = v;
    holeCatalogue()[hole.HoleId] = hole;
    notify(flag);
}

void SwingModel::setWindDir(double v) { writeThrough(&HoleInfo::WindDir, v, WindChanged); }
void SwingModel::setWindSpeed(double v) { writeThrough(&HoleInfo::WindSpeed, v, WindChanged); }
void SwingModel::setGreenXRot(double v) { writeThrough(&HoleInfo::GreenXRot, v, GreenChanged); }
void SwingModel::setGreenYRot(double v) { writeThrough(&HoleInfo::GreenYRot, v, GreenChanged); }
void SwingModel::setGreenRho(double v) { writeThrough(&HoleInfo::GreenRho, v, GreenChanged); }

void SwingModel::setPuttEnabled(bool on)
{
    if (on == PuttEnabled)
        return;
    PuttEnabled = on;
    notify(PuttModeChanged);
}

void SwingModel::setBallPos(const Vector3& p)
{
    BallPos = p;
    notify(BallChanged);
}

void SwingModel::adopt(const SwingModel& other, ChangeFlags flags)
{
    *this = other; // sends nothing
    notifyEnabled = true;
    notify(flags);
}

bool SwingModel::keepBallOnGround(const std::string& key)
{
    if (!PuttEnabled || (key != "GreenXRot" && key != "GreenYRot"))
        return false;
    Vector3 p = BallPos;
    p.z = groundHeight(p.x, p.y);
    setBallPos(p);
    return true;
}

namespace {
// Store v into a shot setting when it differs; a NaN always differs.
bool storeIfChanged(double& field, double v)
{
    if (v == field)
        return false;
    field = v;
    return true;
}
} // namespace

bool SwingModel::setValue(const std::string& key, double value)
{
    if (key == "HoleId") {
        selectHole(truncToInt(value));
    } else if (key == "WindDir") {
        setWindDir(value);
    } else if (key == "WindSpeed") {
        setWindSpeed(value);
    } else if (key == "GreenXRot") {
        setGreenXRot(value);
    } else if (key == "GreenYRot") {
        setGreenYRot(value);
    } else if (key == "GreenRho") {
        setGreenRho(value);
    } else if (key == "TeeClubSpeed" || key == "TeeBallSpeed") {
        if (storeIfChanged(TeeBallSpeed, value))
            notify(TeeShotChanged);
    } else if (key == "TeeLaunchAngle") {
        if (storeIfChanged(TeeLaunchAngle, value))
            notify(TeeShotChanged);
    } else if (key == "TeeTargetAngle") {
        if (storeIfChanged(TeeTargetAngle, value))
            notify(TeeShotChanged);
    } else if (key == "TeeBackSpin") {
        if (storeIfChanged(TeeBackSpin, value))
            notify(TeeShotChanged);
    } else if (key == "TeeZSpin" || key == "TeeSideSpin") {
        if (storeIfChanged(TeeSideSpin, value))
            notify(TeeShotChanged);
    } else if (key == "PuttEnabled") {
        setPuttEnabled(value != 0.0);
    } else if (key == "PuttClubSpeed" || key == "PuttBallSpeed") {
        if (storeIfChanged(PuttBallSpeed, value))
            notify(PuttShotChanged);
    } else if (key == "PuttTargetAngle") {
        if (storeIfChanged(PuttTargetAngle, value))
            notify(PuttShotChanged);
    } else if (key == "TimeStepSize") {
        TimeStepSize = value;
    } else if (key == "Temperature" || key == "Altitude" || key == "Humidity") {
        double& field = key == "Temperature" ? Temperature : key == "Altitude" ? Altitude : Humidity;
        if (storeIfChanged(field, value))
            notify(WindChanged);
    } else if (key == "GreenSize") {
        hole.GreenSize = value;
    } else if (key == "GreenType") {
        hole.GreenType = truncToInt(value);
    } else {
        return false;
    }
    return true;
}

double SwingModel::getValue(const std::string& key, bool* ok) const
{
    if (ok)
        *ok = true;
    if (key == "HoleId")
        return hole.HoleId;
    if (key == "WindDir")
        return hole.WindDir;
    if (key == "WindSpeed")
        return hole.WindSpeed;
    if (key == "GreenXRot")
        return hole.GreenXRot;
    if (key == "GreenYRot")
        return hole.GreenYRot;
    if (key == "GreenRho")
        return hole.GreenRho;
    if (key == "TeeClubSpeed" || key == "TeeBallSpeed")
        return TeeBallSpeed;
    if (key == "TeeLaunchAngle")
        return TeeLaunchAngle;
    if (key == "TeeTargetAngle")
        return TeeTargetAngle;
    if (key == "TeeBackSpin")
        return TeeBackSpin;
    if (key == "TeeZSpin" || key == "TeeSideSpin")
        return TeeSideSpin;
    if (key == "PuttEnabled")
        return PuttEnabled ? 1.0 : 0.0;
    if (key == "PuttClubSpeed" || key == "PuttBallSpeed")
        return PuttBallSpeed;
    if (key == "PuttTargetAngle")
        return PuttTargetAngle;
    if (key == "GreenSize")
        return hole.GreenSize;
    if (key == "Temperature")
        return Temperature;
    if (key == "Altitude")
        return Altitude;
    if (key == "Humidity")
        return Humidity;
    if (key == "HolePosX")
        return hole.HolePos.x;
    if (key == "HolePosY")
        return hole.HolePos.y;
    if (key == "HolePosZ")
        return hole.HolePos.z;
    if (key == "TreePosX")
        return hole.TreePos.x;
    if (key == "TreePosY")
        return hole.TreePos.y;
    if (key == "TreePosZ")
        return hole.TreePos.z;
    if (key == "TreeSizeX")
        return hole.TreeSize.x;
    if (key == "TreeSizeY")
        return hole.TreeSize.y;
    if (key == "TreeSizeZ")
        return hole.TreeSize.z;
    if (ok)
        *ok = false;
    return 0.0;
}

Vector3 SwingModel::teePoint(int step) const
{
    const Vector3* p = teeShot.find(step);
    return p ? *p : Vector3();
}

Vector3 SwingModel::puttPoint(int step) const
{
    const Vector3* p = puttShot.find(step);
    return p ? *p : Vector3();
}

void SwingModel::clearCurrentShot()
{
    if (PuttEnabled) {
        puttStep = -1;
        puttShot.clear();
    } else {
        teeStep = -1;
        FirstImpact = -1;
        teeShot.clear();
    }
    BallPos = Vector3();
    notify(BallChanged);
}

void SwingModel::setPoint(int step, const Vector3& p)
{
    activeShot().set(step, p);
}

void SwingModel::setCurrentStep(int step)
{
    const Trajectory& shot = currentShot();
    if (step < 0)
        step += shot.size();
    const Vector3* p = shot.find(step);
    if (!p)
        return;
    (PuttEnabled ? puttStep : teeStep) = step;
    BallPos = *p;
    notify(BallChanged);
}
