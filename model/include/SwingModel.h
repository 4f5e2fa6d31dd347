#pragma once
// The shot model shared by Trajex and Parview.
//
// A SwingModel holds the current hole, the tee-shot and putt settings, the ball
// position and the results of a simulation. Both programs exchange it through
// the text data file (write/read). Quantities are named by their data-file keys
// and can be reached by key through setValue/getValue. Listeners registered in
// the process-wide registry hear about every change of a model whose
// notifyEnabled is set. No Qt here: Trajex links only the standard library.
//
// Units everywhere in the model and the file: yards, mph, degrees, rpm, seconds.

#include "Trajectory.h"
#include "Vector3.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct HoleInfo
{
    int HoleId = 0;
    Vector3 HolePos;        // the cup; the geometry takes it as the green's centre
    Vector3 GreenPos;       // recorded centre of the green; only stored and written
    double GreenSize = 30.0; // diameter, yd
    int GreenType = 1;      // 0: a complex tee shot landing off the green stops there
    Vector3 TreePos;        // base point of the tree
    Vector3 TreeSize;       // width (x), depth (y), height (z)
    std::string TreeType;   // empty: no tree
    double WindDir = 22.0;  // deg, direction the wind blows toward
    double WindSpeed = 4.5; // mph
    double GreenXRot = -3.8; // deg, positive raises the far (+y) side
    double GreenYRot = -2.5; // deg, positive lowers the +x side
    double GreenRho = 0.131; // rolling friction factor

    bool operator==(const HoleInfo& o) const;
};

// The process-wide catalogue of holes, filled with the four built-in holes by
// the first model constructed.
std::map<int, HoleInfo>& holeCatalogue();

using ChangeFlags = std::uint32_t;
enum ChangeFlag : ChangeFlags {
    BallChanged = 1,
    TeeShotChanged = 2,
    PuttShotChanged = 4,
    GreenChanged = 8,
    WindChanged = 16, // the weather: wind, and the air's temperature, altitude, humidity
    HoleChanged = 32,
    PuttModeChanged = 64,
    AllChanged = 127,
};
// What a new hole brings: geometry, wind and green together.
constexpr ChangeFlags HoleSelected = HoleChanged | WindChanged | GreenChanged; // 56

class SwingModel;

// Constructing a listener registers it (at the end of the registry);
// destroying it removes it.
class SwingModelListener
{
public:
    SwingModelListener();
    SwingModelListener(const SwingModelListener&);
    SwingModelListener& operator=(const SwingModelListener&) { return *this; }
    virtual ~SwingModelListener();

    virtual void modelChanged(SwingModel& model, ChangeFlags flags) = 0;
};

std::vector<SwingModelListener*>& listenerRegistry();

class SwingModel
{
public:
    // Standard air: 70 F at sea level, half saturated.
    static constexpr double kDefaultTemperature = 70.0;
    static constexpr double kDefaultAltitude = 0.0;
    static constexpr double kDefaultHumidity = 50.0;

    explicit SwingModel(bool notifyEnabled = true);
    SwingModel(const SwingModel&) = default;
    SwingModel& operator=(const SwingModel&) = default; // sends nothing

    // Back to the built-in holes and every default; notifies 127.
    void reset();

    static int holeCount();
    void selectHole(int id);
    // Forgets both shots, their steps and the first impact, and returns the
    // ball to the tee; notifies BallChanged.
    void clearShots();
    int defineHole(int id, double greenSize, const Vector3& greenPos, const Vector3& holePos,
                   const Vector3& treePos, const Vector3& treeSize, const std::string& treeType);

    bool setValue(const std::string& key, double value);
    double getValue(const std::string& key, bool* ok = nullptr) const;

    void setWindDir(double v);
    void setWindSpeed(double v);
    void setGreenXRot(double v);
    void setGreenYRot(double v);
    void setGreenRho(double v);
    void setPuttEnabled(bool on);
    void setBallPos(const Vector3& p);
    // Tilting the green under a ball waiting for a putt keeps it on the
    // ground: after a change of `key`, puts the ball back on the ground when
    // the key tilts the green in putt mode (notifying BallChanged). True when
    // it did.
    bool keepBallOnGround(const std::string& key);
    // Becomes a copy of `other` (whose notifications may be off), with its
    // own notifications on, and tells every listener that `flags` changed.
    void adopt(const SwingModel& other, ChangeFlags flags);

    Vector3 ballPos() const { return BallPos; }
    double timeStepSize() const { return TimeStepSize; }

    // The active shot is the putt in putt mode, else the tee shot.
    const Trajectory& currentShot() const { return PuttEnabled ? puttShot : teeShot; }
    int currentStep() const { return PuttEnabled ? puttStep : teeStep; }
    int currentStepCount() const { return currentShot().size(); }
    Vector3 teePoint(int step) const;
    Vector3 puttPoint(int step) const;
    Vector3 currentPoint(int step) const { return PuttEnabled ? puttPoint(step) : teePoint(step); }
    void clearCurrentShot();
    void setPoint(int step, const Vector3& p);
    void setCurrentStep(int step);
    void setExitCode(int code) { exitCode = code; }
    void setFirstImpact(int step) { FirstImpact = step; }

    // Geometry and shot measures (yards, degrees).
    double groundHeight(double x, double y) const;
    double puttAimAngle() const;
    Vector3 greenSlope() const;
    double distanceToHole() const;
    double distanceToHole(const Vector3& p) const;
    bool isOnGreen() const;
    Vector3 maxPosition(int axis, int* step = nullptr) const;
    bool treeProximity(Vector3& point, Vector3& offset, double& distance, int* step = nullptr) const;

    // The data file. write() replaces a regular file only once the whole text
    // is on disk (false: nothing was changed) and writes into what is not one
    // (a FIFO, a device) without replacing it (FileOutput.h); `why` gets the
    // reason of a failure, and errno its number.
    bool write(const std::string& path, bool omitSteps = false, std::string* why = nullptr) const;
    // read() gives up on a file longer than any model (ModelFile.h); `why`
    // gets the reason when the file opened but could not be read through (too
    // long, a read error). A file that cannot be opened leaves it as it was,
    // and errno says why.
    bool read(const std::string& path, bool keepOnEmpty = false, std::string* why = nullptr);
    // The text write() would store, for callers that need it in memory.
    std::string toText(bool omitSteps = false) const;

    void notify(ChangeFlags flags);

    std::string fileName;
    bool notifyEnabled = true;
    HoleInfo hole;
    double TeeBallSpeed = 110.0;  // mph
    double TeeLaunchAngle = 45.0; // deg above horizontal
    double TeeTargetAngle = 0.0;  // deg, direction angle
    double TeeBackSpin = 4000.0;  // rpm
    double TeeSideSpin = 0.0;     // rpm
    bool PuttEnabled = false;
    double PuttBallSpeed = 10.0;  // mph
    double PuttTargetAngle = 0.0; // deg, offset from the line to the hole
    Vector3 BallPos;
    double TimeStepSize = 0.001;  // s
    // The air the realistic flight meets; the other physics ignore it. The
    // data file carries each only when it differs from its default, so files
    // that never set them stay as they were.
    double Temperature = kDefaultTemperature; // deg F
    double Altitude = kDefaultAltitude;       // ft above sea level
    double Humidity = kDefaultHumidity;       // % relative humidity
    int teeStep = -1;
    int puttStep = -1;
    int FirstImpact = -1;
    Trajectory teeShot;
    Trajectory puttShot;
    int exitCode = 0; // 0 not run, positive success, negative failure

private:
    Trajectory& activeShot() { return PuttEnabled ? puttShot : teeShot; }
    void writeThrough(double HoleInfo::*field, double v, ChangeFlags flag);
};

// Truncates toward zero into the int range (NaN gives 0), where the model turns
// a double into an integer; a plain cast would be undefined for such values.
int truncToInt(double v);
