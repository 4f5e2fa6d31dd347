#include "SweepResults.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <climits>
#include <sstream>

using quillmoor::lab::SweepColumn;
using quillmoor::lab::SweepRow;

namespace {

// Columns of the table before the numbers: the varied keys, then the shot.
int leadingColumns(const quillmoor::lab::SweepGrid& grid)
{
    return static_cast<int>(grid.axes().size()) + 1;
}

} // namespace

SweepResults::SweepResults(QObject* parent) : QAbstractTableModel(parent)
{
    statuses.push_back("ok");
}

void SweepResults::begin(const quillmoor::lab::SweepGrid& grid, std::vector<SweepColumn> columns,
                         quillmoor::ShotMode physics)
{
    beginResetModel();
    sweepGrid = grid;
    sweepPhysics = physics;
    sweepColumns = std::move(columns);
    shots.clear();
    gridIndex.clear();
    statuses.resize(1);
    endResetModel();
}

void SweepResults::append(const std::vector<SweepRow>& rows)
{
    if (rows.empty())
        return;
    const int first = static_cast<int>(shots.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    for (const SweepRow& r : rows) {
        Shot s;
        s.numbers = r.shot;
        s.kind = r.kind;
        const auto known = std::find(statuses.begin(), statuses.end(), r.status);
        s.status = static_cast<std::uint32_t>(known - statuses.begin());
        if (known == statuses.end())
            statuses.push_back(r.status);
        shots.push_back(std::move(s));
        gridIndex.push_back(r.gridIndex);
    }
    endInsertRows();
}

void SweepResults::clear()
{
    begin(quillmoor::lab::SweepGrid(), {});
}

SweepRow SweepResults::row(std::size_t i) const
{
    SweepRow r;
    r.gridIndex = gridIndex[i];
    sweepGrid.valuesAt(r.gridIndex, r.values);
    r.kind = shots[i].kind;
    r.shot = shots[i].numbers;
    r.status = statuses[shots[i].status];
    return r;
}

void SweepResults::writeCsv(std::ostream& out) const
{
    quillmoor::lab::SweepCsvWriter csv(out, sweepGrid, sweepColumns);
    csv.header();
    for (std::size_t i = 0; i < shots.size(); ++i)
        csv.row(row(i));
}

bool SweepResults::saveCsv(const QString& path, QString& error) const
{
    // QSaveFile writes beside the target and renames over it on commit.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = tr("%1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    // In pieces, so that a long sweep is not held twice in memory.
    std::ostringstream chunk;
    quillmoor::lab::SweepCsvWriter writer(chunk, sweepGrid, sweepColumns);
    writer.header();
    auto flush = [&] {
        const std::string text = chunk.str();
        chunk.str(std::string());
        return file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size());
    };
    bool ok = true;
    for (std::size_t i = 0; ok && i < shots.size(); ++i) {
        writer.row(row(i));
        if (i % 4096 == 4095)
            ok = flush();
    }
    ok = ok && flush();
    if (!ok) {
        error = tr("%1 cannot be written completely: %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = tr("%1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

int SweepResults::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(std::min<std::size_t>(shots.size(), INT_MAX));
}

int SweepResults::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid() || sweepGrid.axes().empty())
        return 0;
    return leadingColumns(sweepGrid) + static_cast<int>(sweepColumns.size()) + 1;
}

QVariant SweepResults::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= shots.size())
        return {};
    const int c = index.column();
    const int axes = static_cast<int>(sweepGrid.axes().size());
    const int numbers = static_cast<int>(sweepColumns.size());
    if (role == Qt::TextAlignmentRole) {
        const bool text = c == axes || c == axes + 1 + numbers;
        return QVariant::fromValue(Qt::Alignment(text ? Qt::AlignLeft : Qt::AlignRight) |
                                   Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole)
        return {};
    const Shot& shot = shots[index.row()];
    if (c < axes) {
        std::vector<double> values;
        sweepGrid.valuesAt(gridIndex[index.row()], values);
        return QString::fromStdString(quillmoor::exactText(values[c]));
    }
    if (c == axes)
        return QString::fromLatin1(quillmoor::shotKindName(shot.kind));
    if (c == axes + 1 + numbers)
        return QString::fromStdString(statuses[shot.status]);
    const SweepColumn& column = sweepColumns[c - axes - 1];
    // A refused run, or a number of the other kind of shot, has none.
    const quillmoor::ShotField* field =
        shot.kind == quillmoor::ShotKind::Tee ? column.tee : column.putt;
    if (!field)
        return QString();
    return QString::fromStdString(
        quillmoor::tableCell(*field, shot.numbers ? field->of(*shot.numbers) : std::nullopt));
}

QVariant SweepResults::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    const auto& axes = sweepGrid.axes();
    const int n = static_cast<int>(axes.size());
    // The unit on a line of its own keeps the columns of short numbers narrow
    // in the narrow panel.
    auto withUnit = [](const QString& label, const char* unit) {
        return *unit ? QStringLiteral("%1\n(%2)").arg(label, QString::fromUtf8(unit)) : label;
    };
    if (section < n)
        return withUnit(QString::fromStdString(axes[section].key),
                        quillmoor::lab::keyUnit(axes[section].key));
    if (section == n)
        return tr("Shot");
    if (section == n + 1 + static_cast<int>(sweepColumns.size()))
        return tr("Status");
    const quillmoor::ShotField& f = sweepColumns[section - n - 1].field();
    return withUnit(QString::fromUtf8(f.label), f.unit);
}
