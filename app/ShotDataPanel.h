#pragma once
// The "Shot data" panel: carry, apex, hang time and the rest for the current
// shot and for each compared result file. One row per number (with its
// unit), one column per shot; a row shows only when some column's kind of
// shot has that number. Selected cells copy (Ctrl+C) as tab-separated text
// with their row and column headers, for a spreadsheet.
//
// The panel keeps the numbers, not the models, so a comparison model may be
// discarded once it has been added.
//
// The last row names the physics that made each shot, where it is known.
//
// Below them, once a sweep has rows, a second table shows the sweep: one row
// per shot with the varied values, the numbers and the status. Sections
// added below show what they have themselves (a dispersion's summary).

#include "ShotSummary.h"

#include <QPair>
#include <QString>
#include <QVector>
#include <QWidget>
#include <optional>

class QAbstractItemModel;
class QLabel;
class QSplitter;
class QTableView;
class QTableWidget;
class SwingModel;

class ShotDataPanel : public QWidget
{
    Q_OBJECT

public:
    explicit ShotDataPanel(QWidget* parent = nullptr);

    // Replaces every column: one per (title, model), showing the model's
    // active shot (the putt in putt mode, else the tee shot); a null model or
    // one without that shot gives a column of "–".
    void setShots(const QVector<QPair<QString, const SwingModel*>>& shots);

    // The first column, "This shot", from the model; the others stay.
    // `physics` names the physics that made the shot; empty when that is not
    // known (a shot from a file): the Physics row then shows "–".
    void setCurrentShot(const SwingModel& model, const QString& physics = QString());
    // The first column without numbers ("–"), for a shot of that kind.
    void clearCurrentShot(quillmoor::ShotKind kind);
    // A column after the others, titled by the comparison's label.
    void addComparison(const QString& title, const SwingModel& model);
    // Back to the "This shot" column alone.
    void clearComparisons();

    // The selected cells (all cells when none is selected) as tab-separated
    // lines, headed by the column titles and the row labels.
    QString copyText() const;
    // Puts copyText() on the clipboard.
    void copy() const;

    // One bold line on how the model's active shot ended: "Holed!", "On the
    // green, 12.3 feet", "Carry 108.3 yd, total 120.4 yd", ...; empty without a shot.
    static QString verdict(const SwingModel& model);

    QTableWidget* table() const { return view; }

    // The table of a sweep's rows (SweepResults), shown while it has rows.
    void showSweep(QAbstractItemModel* rows);
    QTableView* sweepTable() const { return sweepView; }

    // A section below the tables, which shows and hides itself.
    void addSection(QWidget* section);

    // Wide enough for the row labels, the current shot and one comparison;
    // further columns scroll.
    QSize sizeHint() const override;
    // The row labels and the current shot: less says nothing.
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Column
    {
        QString title;
        quillmoor::ShotKind kind; // the model's active kind, with or without a shot
        std::optional<quillmoor::ShotRecord> shot;
        QString physics; // that made the shot; empty when not known
    };
    static Column columnOf(const QString& title, const SwingModel* model);
    void refresh();
    // The columns' widths and titles for the room the panel has.
    void fitColumns();
    // The least width of a column of numbers; the room beside a cell's
    // text; the width of a column title.
    int columnWidth() const;
    int cellPadding() const;
    int titleWidth(const QString& title) const;

    void sweepChanged();
    void makeRoomFor(QWidget* section);
    // Widens the sweep table's columns for their titles and the rows first
    // to last (none when last < first).
    void fitSweepColumns(int first, int last);

    QVector<Column> columns;
    QTableWidget* view = nullptr;
    QWidget* sweepBox = nullptr;
    QLabel* sweepTitle = nullptr;
    QTableView* sweepView = nullptr;
    QSplitter* split = nullptr;
    bool filling = false; // refresh() is rebuilding the table
};
