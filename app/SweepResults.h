#pragma once
// The rows of the last sweep run in the window: one per shot, in grid order,
// with the varied values, the kind of shot, its numbers and its status. The
// "Shot data" panel shows them as a table; Save CSV writes them with the
// columns of `Shotlab sweep --csv`.
//
// A sweep may have millions of points, so a row keeps its numbers and an
// index into the statuses seen rather than a SweepRow of its own.

#include "Sweep.h"
#include "SweepOutput.h"

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class SweepResults : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit SweepResults(QObject* parent = nullptr);

    // Empties the table and takes the grid, columns and physics of a new sweep.
    void begin(const quillmoor::lab::SweepGrid& grid,
               std::vector<quillmoor::lab::SweepColumn> columns,
               quillmoor::ShotMode physics = quillmoor::ShotMode::Complex);
    // Rows after the last, in grid order.
    void append(const std::vector<quillmoor::lab::SweepRow>& rows);
    // No grid and no rows.
    void clear();

    std::size_t size() const { return shots.size(); }
    bool isEmpty() const { return shots.empty(); }
    const quillmoor::lab::SweepGrid& grid() const { return sweepGrid; }
    quillmoor::ShotMode physics() const { return sweepPhysics; }
    // The i-th row as the sweep reported it.
    quillmoor::lab::SweepRow row(std::size_t i) const;

    // Header and rows exactly as `Shotlab sweep --csv` writes them.
    void writeCsv(std::ostream& out) const;
    // The CSV into a file that replaces `path` only once it is complete;
    // false with a message for people otherwise (the old file stays).
    bool saveCsv(const QString& path, QString& error) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Shot
    {
        std::optional<quillmoor::ShotRecord> numbers;
        std::uint32_t status = 0; // into statuses
        quillmoor::ShotKind kind = quillmoor::ShotKind::Tee;
    };

    quillmoor::lab::SweepGrid sweepGrid;
    quillmoor::ShotMode sweepPhysics = quillmoor::ShotMode::Complex;
    std::vector<quillmoor::lab::SweepColumn> sweepColumns;
    std::vector<Shot> shots;
    std::vector<std::size_t> gridIndex; // of each row: the grid order, possibly a shard
    std::vector<std::string> statuses;  // "ok" first
};
