// Shotlab range: a launch monitor's range. One shot from its launch numbers,
// or a table of shots (a launch monitor's export) with the measured numbers
// beside the predicted ones and the RMSE of each measured column.
//
// Every check of the command line comes before the first shot: a missing
// option, a number that is not finite, a speed of 0 or below, air outside
// what the realistic physics takes, a club or bag that is not there exit
// with 2; a table that cannot be read exits with 1, one with a bad number in
// it with 2; a bag that cannot be read cleanly exits with 1.

#include "ClubBag.h"
#include "CommandFiles.h"
#include "JsonNumber.h"
#include "OutputStreams.h"
#include "Range.h"
#include "RealisticFlight.h"
#include "ShotOutput.h"
#include "Shotlab.h"
#include "SwingModel.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>

namespace quillmoor::lab {

namespace {

// A number that is not finite is none, as JSON's null says.
std::string cellOf(const std::optional<double>& v, int decimals)
{
    return v && std::isfinite(*v) ? fixedText(*v, decimals) : kAbsentCell;
}

const RangeField& fieldOf(const char* key)
{
    for (const RangeField& f : rangeFields())
        if (std::string(f.key) == key)
            return f;
    return rangeFields().front();
}

// Numbers for files carry the precision of their quantity, as the shot
// numbers do: times to the decimals of the range's time step, everything else
// (yards, degrees, mph, rpm, the user's own numbers) to 8 decimals.
int fileDecimals(const char* unit)
{
    static const int timeDecimals = decimalsOf(SwingModel(false).TimeStepSize);
    return std::string(unit) == "s" ? timeDecimals : 8;
}

nlohmann::ordered_json numberOrNull(const std::optional<double>& v, const char* unit = "")
{
    return v ? jsonNumber(*v, fileDecimals(unit)) : nlohmann::ordered_json(nullptr);
}

std::string fileText(const std::optional<double>& v, const char* unit = "")
{
    return v && std::isfinite(*v) ? plainText(*v, fileDecimals(unit)) : std::string();
}

// One shot: a table for people, a JSON object or CSV with one row.
void writeShot(std::ostream& out, const RangeOptions::Format format, const RangeNumbers& n)
{
    const auto& fields = rangeFields();
    if (format == RangeOptions::Format::Json) {
        nlohmann::ordered_json object;
        for (const RangeField& f : fields)
            object[f.key] = numberOrNull(f.value(n), f.unit);
        out << object.dump(2) << '\n';
    } else if (format == RangeOptions::Format::Csv) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            out << (i ? "," : "") << fields[i].key;
        out << '\n';
        for (std::size_t i = 0; i < fields.size(); ++i) {
            out << (i ? "," : "") << fileText(fields[i].value(n), fields[i].unit);
        }
        out << '\n';
    } else {
        std::vector<std::vector<std::string>> rows(3);
        for (const RangeField& f : fields) {
            rows[0].push_back(f.label);
            rows[1].push_back(std::string("(") + f.unit + ")");
            rows[2].push_back(cellOf(f.value(n), f.decimals));
        }
        writeAlignedRows(out, rows, std::vector<bool>(fields.size(), true));
    }
}

struct TableResult
{
    const RangeRow* row;
    RangeResult result;
};

void writeTable(std::ostream& out, RangeOptions::Format format,
                const std::vector<TableResult>& results,
                const std::vector<const MeasuredColumn*>& measured)
{
    // RMSE of each measured column over the rows that have it and a shot.
    std::vector<std::optional<double>> errors;
    for (const MeasuredColumn* m : measured) {
        std::vector<std::pair<double, double>> pairs;
        for (const TableResult& r : results) {
            const std::optional<double> known = r.row->*(m->field);
            if (!known || !r.result.numbers)
                continue;
            if (const auto predicted = fieldOf(m->predicted).value(*r.result.numbers))
                pairs.emplace_back(*predicted, *known);
        }
        errors.push_back(rmse(pairs));
    }
    const auto& fields = rangeFields();
    auto predicted = [](const TableResult& r, const char* key) -> std::optional<double> {
        return r.result.numbers ? fieldOf(key).value(*r.result.numbers) : std::nullopt;
    };
    auto status = [](const TableResult& r) {
        return r.result.run ? std::string("ok") : r.result.run.reason;
    };

    if (format == RangeOptions::Format::Json) {
        nlohmann::ordered_json shots = nlohmann::ordered_json::array();
        for (const TableResult& r : results) {
            nlohmann::ordered_json o;
            o["club"] = r.row->club;
            o["ball_speed_mph"] = numberOrNull(r.row->launch.speedMph);
            o["launch_angle_deg"] = numberOrNull(r.row->launch.launchDeg);
            o["spin_rate_rpm"] = numberOrNull(r.row->launch.spinRpm);
            o["side_spin_rpm"] = numberOrNull(r.row->launch.sideSpinRpm);
            o["direction_deg"] = numberOrNull(r.row->launch.directionDeg);
            for (const RangeField& f : fields)
                o[f.key] = numberOrNull(predicted(r, f.key), f.unit);
            nlohmann::ordered_json m = nlohmann::ordered_json::object();
            for (const MeasuredColumn* c : measured)
                m[c->key] = numberOrNull(r.row->*(c->field));
            o["measured"] = m;
            o["status"] = status(r);
            shots.push_back(std::move(o));
        }
        nlohmann::ordered_json e = nlohmann::ordered_json::object();
        for (std::size_t i = 0; i < measured.size(); ++i)
            e[measured[i]->key] = numberOrNull(errors[i]);
        nlohmann::ordered_json all;
        all["shots"] = shots;
        all["rmse"] = e;
        out << all.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
        return;
    }

    if (format == RangeOptions::Format::Csv) {
        out << "club,ball_speed_mph,launch_angle_deg,spin_rate_rpm,side_spin_rpm,direction_deg";
        for (const RangeField& f : fields)
            out << ',' << f.key;
        for (const MeasuredColumn* c : measured)
            out << ",measured_" << c->key;
        out << ",status\n";
        for (const TableResult& r : results) {
            const RangeLaunch& l = r.row->launch;
            out << csvCell(r.row->club) << ',' << fileText(l.speedMph) << ','
                << fileText(l.launchDeg) << ',' << fileText(l.spinRpm) << ','
                << fileText(l.sideSpinRpm) << ',' << fileText(l.directionDeg);
            for (const RangeField& f : fields)
                out << ',' << fileText(predicted(r, f.key), f.unit);
            for (const MeasuredColumn* c : measured)
                out << ',' << fileText(r.row->*(c->field));
            out << ',' << csvCell(status(r)) << '\n';
        }
        // The RMSE row: each under the predicted column it measures.
        out << "RMSE,,,,,";
        for (const RangeField& f : fields) {
            out << ',';
            for (std::size_t i = 0; i < measured.size(); ++i)
                if (std::string(measured[i]->predicted) == f.key)
                    out << fileText(errors[i], f.unit);
        }
        for (std::size_t i = 0; i < measured.size(); ++i)
            out << ',';
        out << ",rmse\n";
        return;
    }

    // For people: the launch, then measured and predicted side by side, or
    // the predicted numbers alone when nothing was measured; a status column
    // when a shot was refused.
    const bool refusals = std::any_of(results.begin(), results.end(),
                                      [](const TableResult& r) { return !r.result.run; });
    std::vector<std::vector<std::string>> rows(2);
    for (const char* h : {"Club", "Speed", "Launch", "Spin"})
        rows[0].push_back(h);
    for (const char* u : {"", "(mph)", "(deg)", "(rpm)"})
        rows[1].push_back(u);
    for (const MeasuredColumn* c : measured) {
        const RangeField& f = fieldOf(c->predicted);
        rows[0].push_back(f.label);
        rows[0].push_back("");
        rows[1].push_back(std::string("measured (") + f.unit + ")");
        rows[1].push_back("predicted");
    }
    if (measured.empty()) {
        for (const RangeField& f : fields) {
            rows[0].push_back(f.label);
            rows[1].push_back(std::string("(") + f.unit + ")");
        }
    }
    rows[0].push_back(refusals ? "Status" : "");
    rows[1].push_back("");
    for (const TableResult& r : results) {
        std::vector<std::string> row = {r.row->club, fixedText(r.row->launch.speedMph, 1),
                                        fixedText(r.row->launch.launchDeg, 1),
                                        fixedText(r.row->launch.spinRpm, 0)};
        for (const MeasuredColumn* c : measured) {
            const RangeField& f = fieldOf(c->predicted);
            row.push_back(cellOf(r.row->*(c->field), f.decimals));
            row.push_back(cellOf(predicted(r, c->predicted), f.decimals));
        }
        if (measured.empty())
            for (const RangeField& f : fields)
                row.push_back(cellOf(predicted(r, f.key), f.decimals));
        row.push_back(refusals ? status(r) : "");
        rows.push_back(std::move(row));
    }
    // Nothing measured, nothing to hold the predictions against.
    if (!measured.empty()) {
        std::vector<std::string> last = {"RMSE", "", "", ""};
        for (std::size_t i = 0; i < measured.size(); ++i) {
            last.push_back("");
            last.push_back(cellOf(errors[i], fieldOf(measured[i]->predicted).decimals));
        }
        last.push_back("");
        rows.push_back(std::move(last));
    }
    std::vector<bool> right(rows[0].size(), true);
    right.front() = false;
    right.back() = false;
    writeAlignedRows(out, rows, right);
}

} // namespace

void addRangeCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<RangeOptions>();
    CLI::App* cmd = app.add_subcommand(
        "range", "A launch monitor's range: carry, apex, landing angle and the other numbers of "
                 "a shot from its launch, on flat ground at launch height with no hole");
    cmd->add_option("--physics", options->physics, "Physics of the flight (default realistic)")
        ->type_name("realistic|complex|simple")
        ->check(CLI::IsMember({"realistic", "complex", "simple"}));
    CLI::Option* speed =
        cmd->add_option("--speed", options->speed, "Ball speed at launch")->type_name("MPH");
    CLI::Option* launch =
        cmd->add_option("--launch", options->launch, "Launch angle above the horizontal")
            ->type_name("DEG");
    CLI::Option* spin =
        cmd->add_option("--spin", options->spin, "Back spin")->type_name("RPM");
    CLI::Option* side = cmd->add_option("--side-spin", options->sideSpin,
                                        "Side spin, positive curving the ball left (default 0)")
                            ->type_name("RPM");
    CLI::Option* direction =
        cmd->add_option("--direction", options->direction,
                        "Start direction, positive left of the target line (default 0)")
            ->type_name("DEG");
    cmd->add_option("--wind", options->wind, "Wind speed at 10 m above the ground (default 0)")
        ->type_name("MPH");
    cmd->add_option("--wind-dir", options->windDir,
                    "Direction the wind blows toward: 0 down the target line (a tailwind), 180 a "
                    "headwind, 90 from right to left (default 0)")
        ->type_name("DEG");
    cmd->add_option("--temperature", options->temperature, "Air temperature (default 70)")
        ->type_name("F");
    cmd->add_option("--altitude", options->altitude, "Altitude above sea level (default 0)")
        ->type_name("FT");
    cmd->add_option("--humidity", options->humidity, "Relative humidity (default 50)")
        ->type_name("PCT");
    CLI::Option* table = cmd->add_option(
        "--table", options->table,
        "A CSV of shots (ball_speed_mph, launch_angle_deg, spin_rate_rpm; optional "
        "side_spin_rpm, direction_deg, club and the measured carry_yd, max_height_yd, "
        "land_angle_deg, total_yd): one row out per row in, measured beside predicted, and the "
        "RMSE of each measured column");
    table->type_name("FILE.csv");
    for (CLI::Option* o : {speed, launch, spin, side, direction})
        table->excludes(o);
    CLI::Option* club =
        cmd->add_option("--club", options->club,
                        "A club of the bag: its ball speed, launch angle and back spin, each "
                        "unless --speed, --launch or --spin gives it")
            ->type_name("NAME");
    cmd->add_option("--bag", options->bag,
                    "The bag of --club: a bag of your own by name (in Parview's data directory, "
                    "clubs/), an installed table by name, or a CSV file (a path, or a name "
                    "ending in .csv); default the installed tour-men table")
        ->type_name("NAME|FILE")
        ->needs(club);
    table->excludes(club);
    CLI::Option* json = cmd->add_flag_callback(
        "--json", [options] { options->format = RangeOptions::Format::Json; },
        "Print JSON (one object for a shot; with --table the shots and the RMSE)");
    CLI::Option* csv = cmd->add_flag_callback(
        "--csv", [options] { options->format = RangeOptions::Format::Csv; },
        "Print CSV with one header row (with --table a last row RMSE)");
    json->excludes(csv);
    cmd->footer(
        "The numbers are those of `Shotlab summary` (carry_yd, total_yd, roll_yd, apex_yd, "
        "hang_time_s, landing_angle_deg, side_yd, side_at_landing_yd), the landing angle over "
        "the last step wholly in the air, plus landing_speed_mph over that step and "
        "landing_spin_rpm (none for the simple physics). The air defaults to standard air: "
        "70 F at sea level, 50 % humidity; the wind grows with height, logarithmically over "
        "grass.\n"
        "Exit status: 0 done, 1 the table or bag cannot be read or a shot was refused (each "
        "refused row of a table is named, its reason under status), 2 a "
        "usage error (a missing option, a number that is not finite, a speed of 0 or below, "
        "air outside -100 to 200 F, -2000 to 36000 ft, 0 to 100 %, a club or bag that is not "
        "there).");
    cmd->callback([options, &action] {
        action = [options](std::ostream& out, std::ostream& err) {
            return runRange(*options, out, err);
        };
    });
}

int runRange(const RangeOptions& options, std::ostream& out, std::ostream& err)
{
    ShotMode physics;
    if (!shotModeFromName(options.physics, physics))
        return usageError(err, "range", "--physics is realistic, complex or simple, not \"" +
                                   options.physics + "\"");
    const std::pair<const char*, double> conditions[] = {
        {"--wind", options.wind},
        {"--wind-dir", options.windDir},
        {"--temperature", options.temperature},
        {"--altitude", options.altitude},
        {"--humidity", options.humidity},
        {"--side-spin", options.sideSpin},
        {"--direction", options.direction},
    };
    for (const auto& [name, v] : conditions)
        if (!std::isfinite(v))
            return usageError(err, "range", std::string(name) + " is not a finite number");
    if (SimResult air = checkAir(options.temperature, options.altitude, options.humidity); !air)
        return usageError(err, "range", air.reason);
    RangeConditions day;
    day.windMph = options.wind;
    day.windDirDeg = options.windDir;
    day.temperatureF = options.temperature;
    day.altitudeFt = options.altitude;
    day.humidityPct = options.humidity;

    if (!options.table.empty()) {
        std::vector<RangeRow> rows;
        std::vector<const MeasuredColumn*> measured;
        std::string error;
        const TableError e = readRangeTable(options.table, rows, measured, error);
        if (e != TableError::None) {
            err << "Shotlab range: " << options.table << ": " << error << '\n';
            return e == TableError::BadValue ? kExitUsage : kExitFailure;
        }
        std::vector<TableResult> results;
        for (const RangeRow& row : rows)
            results.push_back({&row, runRangeShot(row.launch, day, physics)});
        writeTable(out, options.format, results, measured);
        // Each refused row by its line, as one refused shot is told: exit 1.
        int status = kExitOk;
        for (const TableResult& r : results) {
            if (r.result.run)
                continue;
            err << "Shotlab range: " << options.table << ": line " << r.row->line
                << (r.row->club.empty() ? std::string() : " (" + r.row->club + ")")
                << ": the shot was refused: " << r.result.run.reason << '\n';
            status = kExitFailure;
        }
        return finishOutput(out, err, "Shotlab range", status);
    }

    // A club gives the numbers that are not given on the command line.
    std::optional<double> speed = options.speed, launch = options.launch, spin = options.spin;
    if (!options.club.empty()) {
        BagFile place;
        std::string error;
        if (options.bag.empty())
            place = {"tour-men", defaultBagPath(), true};
        else if (!findBag(options.bag, place, error))
            return usageError(err, "range", "--bag: " + error);
        ClubBag bag;
        if (readClubBag(place.path, bag, error) != BagError::None) {
            err << "Shotlab range: " << place.path << ": " << error << '\n';
            return kExitFailure;
        }
        const Club* club = bag.find(options.club);
        if (!club)
            return usageError(err, "range", "--club: no club \"" + options.club + "\" in " + place.path +
                                       (bag.clubs.empty() ? std::string(", which has none")
                                                          : ": its clubs are " + bag.names()));
        speed = speed.value_or(club->speedMph);
        launch = launch.value_or(club->launchDeg);
        spin = spin.value_or(club->spinRpm);
    }
    const std::pair<const char*, const std::optional<double>*> required[] = {
        {"--speed", &speed}, {"--launch", &launch}, {"--spin", &spin}};
    for (const auto& [name, v] : required) {
        if (!*v)
            return usageError(err, "range", std::string(name) + " is required (or --club or --table)");
        if (!std::isfinite(**v))
            return usageError(err, "range", std::string(name) + " is not a finite number");
    }
    if (!(*speed > 0))
        return usageError(err, "range", "--speed must be above 0");
    RangeLaunch shot;
    shot.speedMph = *speed;
    shot.launchDeg = *launch;
    shot.spinRpm = *spin;
    shot.sideSpinRpm = options.sideSpin;
    shot.directionDeg = options.direction;
    const RangeResult result = runRangeShot(shot, day, physics);
    if (!result.run || !result.numbers) {
        err << "Shotlab range: the shot was refused: " << result.run.reason << '\n';
        return kExitFailure;
    }
    writeShot(out, options.format, *result.numbers);
    return finishOutput(out, err, "Shotlab range", kExitOk);
}

} // namespace quillmoor::lab
