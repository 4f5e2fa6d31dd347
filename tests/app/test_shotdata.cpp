// The "Shot data" panel on its own: columns from models, rows by kind of shot,
// copying for a spreadsheet.

#include "ShotDataPanel.h"
#include "SwingModel.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Hole 1's cup is at (-15, 154, -7).
SwingModel teeModel()
{
    SwingModel m(false);
    m.teeShot.set(0, {0, 0, 0});
    m.teeShot.set(1, {0, 50, 20});
    m.teeShot.set(2, {0, 100, -4}); // lands here
    m.teeShot.set(3, {0, 110, -4});
    m.FirstImpact = 2;
    return m;
}

SwingModel puttModel()
{
    SwingModel m(false);
    m.PuttEnabled = true;
    m.puttShot.set(0, {-15, 150, -7});
    m.puttShot.set(1, {-15, 154, -7});
    return m;
}

QStringList visibleRows(const QTableWidget* t)
{
    QStringList rows;
    for (int r = 0; r < t->rowCount(); ++r)
        if (!t->isRowHidden(r))
            rows << t->verticalHeaderItem(r)->text();
    return rows;
}

} // namespace

TEST(ShotDataPanel, ColumnsFromModelsAndCopy)
{
    holeCatalogue().clear();
    ShotDataPanel panel;
    const QTableWidget* t = panel.table();
    ASSERT_EQ(t->columnCount(), 1); // "This shot", empty
    EXPECT_EQ(t->item(0, 0)->text(), QStringLiteral("\u2013"));

    const SwingModel tee = teeModel();
    const SwingModel putt = puttModel();
    panel.setShots({{"This shot", &tee}, {"putt.out", &putt}});
    ASSERT_EQ(t->columnCount(), 2);
    EXPECT_EQ(t->horizontalHeaderItem(1)->text(), "putt.out");
    EXPECT_EQ(visibleRows(t).size(), 13);       // both kinds shown
    EXPECT_EQ(t->item(0, 0)->text(), "100.00"); // carry
    EXPECT_EQ(t->item(0, 1)->text(), "");       // a putt has no carry
    EXPECT_EQ(t->item(8, 1)->text(), "0.00");   // holed: no distance left
    EXPECT_EQ(t->item(9, 1)->text(), "yes");

    // Carry and total of the tee shot, selected, with their headers.
    panel.table()->setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 0), true);
    const QString expected = "\tThis shot\nCarry (yd)\t100.00\nTotal (yd)\t110.00\n";
    EXPECT_EQ(panel.copyText(), expected);
    QTest::keyClick(panel.table(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), expected);

    // Nothing selected: everything that is shown.
    panel.table()->clearSelection();
    EXPECT_EQ(panel.copyText().count('\n'), 14);
    EXPECT_TRUE(panel.copyText().startsWith("\tThis shot\tputt.out\nCarry (yd)\t100.00\t\n"));
}

TEST(ShotDataPanel, CurrentShotAndComparisons)
{
    holeCatalogue().clear();
    ShotDataPanel panel;
    const QTableWidget* t = panel.table();
    const SwingModel tee = teeModel();
    panel.setCurrentShot(tee);
    EXPECT_EQ(visibleRows(t).size(), 9); // tee-shot numbers only
    EXPECT_EQ(visibleRows(t).first(), "Carry (yd)");

    {
        SwingModel results = teeModel(); // discarded before the panel is read
        results.FirstImpact = -1;        // ends in the air
        results.teeShot.set(3, {0, 110, 30});
        panel.addComparison("air.out", results);
    }
    ASSERT_EQ(t->columnCount(), 2);
    EXPECT_EQ(t->item(0, 1)->text(), QStringLiteral("\u2013")); // no carry
    EXPECT_EQ(t->item(1, 1)->text(), "110.00");

    panel.setCurrentShot(puttModel());
    EXPECT_EQ(t->horizontalHeaderItem(0)->text(), "This shot");
    EXPECT_EQ(t->columnCount(), 2);
    EXPECT_EQ(visibleRows(t).size(), 13);
    panel.clearComparisons();
    EXPECT_EQ(t->columnCount(), 1);
    EXPECT_EQ(visibleRows(t).first(), "Distance to hole (yd)");
    EXPECT_EQ(ShotDataPanel::verdict(puttModel()), "Holed!");
}
