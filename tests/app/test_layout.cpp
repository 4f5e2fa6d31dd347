// The window on a small screen and narrowed: it fits a 1366 x 768 screen
// with its title bar and a panel, its controls scroll rather than being cut,
// and the views get the room first.

#include "ShotDataDock.h"
#include "test_window_support.h"

#include <QGraphicsView>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>

namespace {

class Layout : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    // Resizes, and waits until the layouts and what follows a resize rest.
    void resizeTo(int width, int height)
    {
        window->resize(width, height);
        QList<int> last;
        for (int calm = 0, i = 0; calm < 3 && i < 100; ++i) {
            QTest::qWait(20);
            const QList<int> now{viewsWidth(), viewsHeight(),
                                 child<QWidget>("controlScroll")->width()};
            calm = now == last ? calm + 1 : 0;
            last = now;
        }
    }
    int viewsWidth() const { return child<QWidget>("splitView")->width(); }
    int viewsHeight() const
    {
        return child<QWidget>("topView")->height() + child<QWidget>("sideView")->height();
    }
    // The controls keep the width they ask for: what does not fit scrolls
    // up and down, never sideways.
    void expectControlsWhole(const char* when) const
    {
        const auto* groups = child<QWidget>("controlGroups");
        EXPECT_GE(groups->width(), groups->sizeHint().width()) << when;
        for (const auto* label : {child<QLabel>("infoDist"), child<QLabel>("infoShot")})
            EXPECT_GE(label->height(), label->sizeHint().height()) << when;
    }
};

// A window on a 1366 x 768 screen has about 700 pixels of height; the panel
// scrolls and the views keep the rest.
TEST_F(Layout, FitsAShortScreenAndTheControlsScroll)
{
    EXPECT_LE(window->minimumSizeHint().height(), 560);
    auto* scroll = child<QScrollArea>("controlScroll");
    for (const int height : {757, 700, 560}) {
        resizeTo(1272, height);
        EXPECT_EQ(window->height(), height);
        expectControlsWhole(std::to_string(height).c_str());
        const bool fits = child<QWidget>("controlGroups")->minimumSizeHint().height() <=
                          scroll->viewport()->height();
        EXPECT_EQ(scroll->verticalScrollBar()->maximum() > 0, !fits) << height;
        EXPECT_GE(viewsHeight(), height - 80) << height;
        EXPECT_GE(viewsWidth(), 600) << height;
    }
    // Scrolled to its end, the putt's buttons are in view.
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    const QWidget* putt = child<QWidget>("btnPutt");
    const QRect seen = scroll->viewport()->rect();
    EXPECT_TRUE(seen.contains(QRect(putt->mapTo(scroll->viewport(), QPoint()), putt->size())));
}

// On a 1366 x 768 screen the panel opens at its top with the Putt Shot box
// in view, so that a user finds it; checking it brings the putt's buttons
// into view, as they become usable.
TEST_F(Layout, CheckingPuttShotShowsThePuttsButtons)
{
    resizeTo(1272, 700);
    auto* scroll = child<QScrollArea>("controlScroll");
    ASSERT_GT(scroll->verticalScrollBar()->maximum(), 0);
    const QRect seen = scroll->viewport()->rect();
    const auto inView = [&](const QWidget* w) {
        return seen.contains(QRect(w->mapTo(scroll->viewport(), QPoint()), w->size()));
    };
    auto* putt = child<QGroupBox>("grpPutt");
    const QRect title(putt->mapTo(scroll->viewport(), QPoint()),
                      QSize(putt->width(), putt->fontMetrics().height()));
    EXPECT_TRUE(seen.contains(title)) << "the Putt Shot box is below the fold";
    EXPECT_TRUE(inView(child<QWidget>("btnSwing")));
    EXPECT_TRUE(inView(child<QWidget>("btnDispersion")));

    putt->setChecked(true);
    for (const char* name : {"btnPutt", "btnRead", "btnMakePercent"})
        EXPECT_TRUE(QTest::qWaitFor([&] { return inView(child<QWidget>(name)); }, 5000)) << name;
}

// Narrowed, the window takes its room from the "Shot data" panel first, down
// to what that panel needs, and gives it back as it widens again.
TEST_F(Layout, ANarrowWindowTakesTheRoomFromTheShotDataFirst)
{
    auto* dock = window->findChild<ShotDataDock*>();
    ASSERT_TRUE(dock && dock->isVisible());
    resizeTo(1272, 700); // as short as below: the controls scroll all along
    const int natural = dock->width();
    const int wide = viewsWidth();
    const int least = dock->minimumSizeHint().width();
    EXPECT_GE(least, 150); // the row labels and a column of numbers
    for (const int width : {1050, 900}) {
        resizeTo(width, 700);
        EXPECT_LT(dock->width(), natural) << width;
        // The dock gives until the views have their room or it has no more.
        EXPECT_TRUE(viewsWidth() >= 600 || dock->width() <= least + 8) << width;
        EXPECT_GE(dock->width(), least) << width;
        EXPECT_GE(viewsWidth(), 360) << width;
        expectControlsWhole(std::to_string(width).c_str());
    }
    resizeTo(1272, 700);
    EXPECT_GE(dock->width(), natural - 2);
    EXPECT_GE(viewsWidth(), wide - 2);
}

} // namespace
