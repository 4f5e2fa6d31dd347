// The "Shot data" panel on its own: columns from models, rows by kind of shot,
// copying for a spreadsheet.

#include "ShotDataPanel.h"
#include "SwingModel.h"

#include <QApplication>
#include <QClipboard>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Lands at step 2, 100 yd out, and ends at 110 yd; or, with air, ends 30 yd up.
SwingModel teeModel(bool air = false)
{
    SwingModel m(false);
    m.teeShot.set(0, {0, 0, 0});
    m.teeShot.set(1, {0, 50, 20});
    m.teeShot.set(2, {0, 100, -4});
    m.teeShot.set(3, {0, 110, air ? 30.0 : -4.0});
    m.FirstImpact = air ? -1 : 2;
    return m;
}

SwingModel holedPutt() // into hole 1's cup
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
            rows << t->verticalHeaderItem(r)->text().replace('\n', ' ');
    return rows;
}

} // namespace

TEST(ShotDataPanel, ColumnsFromModelsAndCopy)
{
    ShotDataPanel panel;
    QTableWidget* t = panel.table();
    const SwingModel tee = teeModel(), putt = holedPutt();
    panel.setShots({{"This shot", &tee}, {"putt.out", &putt}});
    ASSERT_EQ(t->columnCount(), 2);
    EXPECT_EQ(visibleRows(t).size(), 14);       // both kinds of shot, the physics
    EXPECT_EQ(t->item(0, 0)->text(), "100.00"); // carry
    EXPECT_EQ(t->item(0, 1)->text(), "");       // a putt has no carry
    EXPECT_EQ(t->item(8, 1)->text(), "yes");    // holed
    EXPECT_EQ(t->item(12, 1)->text(), "0.00");  // distance to hole, last for both

    // Carry and total of the tee shot, with their headers.
    t->setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 0), true);
    const QString expected = "\tThis shot\nCarry (yd)\t100.00\nTotal (yd)\t110.00\n";
    EXPECT_EQ(panel.copyText(), expected);
    QTest::keyClick(t, Qt::Key_C, Qt::ControlModifier); // more than the current cell
    QTest::keyRelease(t, Qt::Key_Control); // later tests must not see Ctrl held
    EXPECT_EQ(QApplication::clipboard()->text(), expected);

    t->clearSelection(); // nothing selected: everything shown
    EXPECT_TRUE(panel.copyText().startsWith("\tThis shot\tputt.out\nCarry (yd)\t100.00\t\n"));
    EXPECT_EQ(panel.copyText().count('\n'), 15);
}

TEST(ShotDataPanel, CurrentShotAndComparisons)
{
    ShotDataPanel panel;
    const QTableWidget* t = panel.table();
    panel.setCurrentShot(teeModel(), "Realistic");
    EXPECT_EQ(visibleRows(t).size(), 10);           // tee-shot numbers only, the physics
    panel.addComparison("air.out", teeModel(true)); // the model is gone afterwards
    ASSERT_EQ(t->columnCount(), 2);
    EXPECT_EQ(t->item(0, 1)->text(), QStringLiteral("\u2013")); // no carry
    EXPECT_EQ(t->item(1, 1)->text(), "110.00");
    // The physics of the shot run here; a file's shot does not say.
    EXPECT_EQ(t->item(t->rowCount() - 1, 0)->text(), "Realistic");
    EXPECT_EQ(t->item(t->rowCount() - 1, 1)->text(), QStringLiteral("\u2013"));

    panel.setCurrentShot(holedPutt());
    panel.clearComparisons();
    EXPECT_EQ(t->columnCount(), 1);
    // Where the putt ended last, as for a tee shot.
    EXPECT_EQ(visibleRows(t).at(4), "Distance to hole (yd)");
    EXPECT_EQ(visibleRows(t).size(), 6);
    panel.setCurrentShot(teeModel());
    EXPECT_EQ(visibleRows(t).at(8), "Distance to hole (yd)");
    EXPECT_EQ(ShotDataPanel::verdict(holedPutt()), "Holed!");
}
