#pragma once
// The numbers a launch monitor shows first (carry, apex, hang time, ...),
// computed from the stored points of a model's tee shot and putt.
//
// Points are taken in step order as P0..PN, in yards; "horizontal" means x and
// y only; dt is TimeStepSize. FirstImpact is taken as an index into those
// points, which is what it is for every trajectory the simulator writes (steps
// 0, 1, 2, ... one per time step).
//
// Tee shot:
//   landing k   FirstImpact when 0 < FirstImpact <= N; else N when N >= 1 and
//               PN lies on or under the ground (within 1e-6 yd); else none.
//   carry       horizontal P0 -> Pk        total  horizontal P0 -> PN
//   roll        horizontal Pk -> PN        apex   highest z minus P0.z
//   hang time   k * dt (none when dt is not a finite number above 0)
//   landing angle  descent over the last step wholly in the air, A -> B with
//               A, B = P(k-2), P(k-1) when k >= 2, else P0, P1:
//               atan2(A.z - B.z, horizontal A -> B), degrees, positive when
//               coming down (Pk is set onto the ground, its step cut short)
//   side, side at landing  offset of PN (Pk) from the target line through P0,
//               (P - P0) . (cos a, sin a) with a = TeeTargetAngle: positive is
//               right of a player facing down the line (+x when a = 0)
//   distance to hole  3-D distance PN -> HolePos
//   landing point, final point  Pk and PN themselves
// Without a landing, carry, roll, hang time, landing angle and side at landing
// are absent. A one-point shot has no landing: there is no flight to land from.
//
// Putt, points Q0..QM:
//   holed       QM is HolePos (each coordinate within 1e-6), or QM lies 0.2 yd
//               or more under the ground (the simple putt drops the ball)
//   roll distance  horizontal Q0 -> QM
//   break       largest horizontal distance of any point from the line
//               through Q0 and QM (0 when they coincide horizontally)
//   roll time   M * dt (none when dt is not a finite number above 0)
//   distance to hole  0 when holed, else 3-D distance QM -> HolePos
//   final point  QM itself
//
// shotFields() is the one list of these numbers, in this order, with their
// output keys and units: the command line, CSV, JSON and the window all use it.

#include "Vector3.h"

#include <optional>
#include <string>
#include <vector>

class SwingModel;

namespace quillmoor {

enum class ShotKind { Tee, Putt };

struct TeeShotNumbers
{
    int landingIndex = -1;               // k, or -1 without a landing
    std::optional<double> carry;         // yd
    double total = 0.0;                  // yd
    std::optional<double> roll;          // yd
    double apex = 0.0;                   // yd above P0
    std::optional<double> hangTime;      // s
    std::optional<double> landingAngle;  // deg
    double side = 0.0;                   // yd, positive to the right
    std::optional<double> sideAtLanding; // yd
    double distanceToHole = 0.0;         // yd
    std::optional<Vector3> landingPoint; // Pk, yd
    Vector3 finalPoint;                  // PN, yd
};

struct PuttNumbers
{
    bool holed = false;
    double rollDistance = 0.0;      // yd
    double breakDistance = 0.0;     // yd
    std::optional<double> rollTime; // s
    double distanceToHole = 0.0;    // yd
    Vector3 finalPoint;             // QM, yd
};

// One shot of a model: tee holds its numbers when kind is Tee, putt when Putt.
struct ShotRecord
{
    ShotKind kind = ShotKind::Tee;
    TeeShotNumbers tee;
    PuttNumbers putt;
    int timeDecimals = 8; // the precision of its times: decimalsOf(TimeStepSize)
};

// How the numbers see a stored point: as stored when null, or as given by the
// function, e.g. carriedPoint for the point a data file would give back. Only
// the points the numbers use go through it; the highest point is found first
// (the file's rounding keeps the order of heights).
using PointView = Vector3 (*)(const Vector3&);

// Empty when the model's tee shot (putt) has no point.
std::optional<TeeShotNumbers> summarizeTeeShot(const SwingModel& model, PointView view = nullptr);
std::optional<PuttNumbers> summarizePutt(const SwingModel& model, PointView view = nullptr);

// The tee shot's record, then the putt's, each only when that shot has points.
std::vector<ShotRecord> summarizeShots(const SwingModel& model);

// The record of the active shot (the putt in putt mode, else the tee shot);
// empty when that shot has no point.
std::optional<ShotRecord> summarizeActiveShot(const SwingModel& model, PointView view = nullptr);

// "tee" or "putt".
const char* shotKindName(ShotKind kind);

struct ShotField
{
    const char* key;   // output name, e.g. "carry_yd"
    const char* label; // for people, e.g. "Carry"
    const char* unit;  // "yd", "s", "deg"; empty for a yes/no answer
    int decimals;      // shown to people with this many decimals
    ShotKind kind;     // the shot the number belongs to
    bool isFlag;       // a yes/no answer (holed), given as 1 or 0
    // The number of a record of this field's kind; empty when absent.
    std::optional<double> (*value)(const ShotRecord& record);

    // Empty as well for a record of the other kind.
    std::optional<double> of(const ShotRecord& record) const
    {
        return record.kind == kind ? value(record) : std::nullopt;
    }
};

// The tee-shot numbers, then the putt numbers, in the order of the comment above.
const std::vector<ShotField>& shotFields();

// One column (or row) per key for tables that hold both kinds of shot: the
// keys of shotFields() in order, each once. distance_to_hole_yd belongs to both
// kinds and sits with the tee-shot numbers; the others belong to one kind.
struct ShotColumn
{
    const ShotField* tee = nullptr;  // the field for a tee-shot record, if any
    const ShotField* putt = nullptr; // the field for a putt record, if any

    const ShotField& field() const { return tee ? *tee : *putt; }
    std::optional<double> of(const ShotRecord& record) const;
    // plainText of the record's field; empty when there is none.
    std::string text(const ShotRecord& record) const;
};
const std::vector<ShotColumn>& shotColumns();

// Fixed-point text with a point whatever the locale; "-0.0" comes out as "0.0".
std::string fixedText(double value, int decimals);
// The shortest text that reads back as the same double, locale-free.
std::string exactText(double value);

// What the tables for people (Shotlab's, the window's) show for a number that
// is absent: an en dash.
inline constexpr const char* kAbsentCell = "\u2013";
// A number as those tables show it: fixed with the field's decimals,
// "yes"/"no" for a yes/no answer, kAbsentCell when there is none or it is
// not finite.
std::string tableCell(const ShotField& field, std::optional<double> value);
// The record's number of `field` as above.
std::string tableCell(const ShotField& field, const ShotRecord& record);

// Numbers for files (CSV, JSON) carry the precision their quantity has and no
// binary noise: value rounded to decimals, trailing zeros dropped, at most 15
// significant digits (beyond that a double holds noise); "-0" prints as "0",
// and a value that is not finite as exactText does.
std::string plainText(double value, int decimals);
// The fewest decimals (up to 15) that give the time step back, e.g. 3 for
// 0.001: a whole number of steps has no more. 8 for a step without such a form.
int decimalsOf(double step);
// A record's number for files: times (seconds) to the record's timeDecimals,
// lengths and angles to 8 decimals, those of the data file's points and
// angles; "true"/"false" for a yes/no answer; empty when absent or not
// finite (JSON's null).
std::string plainText(const ShotField& field, const ShotRecord& record);

// A putt's ball at p is in the cup: at HolePos (each coordinate within 1e-6),
// or 0.2 yd or more under the ground (the simple putt drops the ball there).
bool isInTheCup(const SwingModel& model, const Vector3& p);
// From the ball (BallPos) to the cup as people are shown it: 0 for a putt's
// ball in the cup, which the verdict calls holed; else the 3-D distance.
double ballDistanceToHole(const SwingModel& model);

// One line on how the active shot ended, for people: "Holed!", "On the green,
// 12.3 feet", "Carry 108.3 yd, total 120.4 yd", ...; empty without a shot.
std::string shotVerdict(const SwingModel& model);

} // namespace quillmoor
