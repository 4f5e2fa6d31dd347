// The window on a small screen and narrowed: it fits a 1366 x 768 screen
// with its title bar and a panel, its controls scroll rather than being cut,
// and the views get the room first.

#include "ShotDataDock.h"
#include "test_window_support.h"

#include <QScrollArea>
#include <QScrollBar>
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
    void expectControlsWhole(int size) const
    {
        const auto* groups = child<QWidget>("controlGroups");
        EXPECT_GE(groups->width(), groups->sizeHint().width()) << size;
        for (const auto* label : {child<QLabel>("infoDist"), child<QLabel>("infoShot")})
            EXPECT_GE(label->height(), label->sizeHint().height()) << size;
    }
    bool inView(const QWidget* w, int height = -1) const
    {
        const QWidget* seen = child<QScrollArea>("controlScroll")->viewport();
        return seen->rect().contains(
            QRect(w->mapTo(seen, QPoint()), height < 0 ? w->size() : QSize(w->width(), height)));
    }
};

// A window on a 1366 x 768 screen has about 700 pixels of height; the panel
// scrolls and the views keep the rest. The panel opens at its top with the
// Putt Shot box in view, so that a user finds it; checking it brings the
// putt's buttons into view, as they become usable.
TEST_F(Layout, FitsAShortScreenAndShowsThePuttsButtons)
{
    EXPECT_LE(window->minimumSizeHint().height(), 560);
    auto* scroll = child<QScrollArea>("controlScroll");
    for (const int height : {560, 700}) {
        resizeTo(1272, height);
        EXPECT_EQ(window->height(), height);
        expectControlsWhole(height);
        EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0) << height;
        EXPECT_GE(viewsHeight(), height - 80) << height;
        EXPECT_GE(viewsWidth(), 600) << height;
    }
    auto* putt = child<QGroupBox>("grpPutt");
    EXPECT_TRUE(inView(putt, putt->fontMetrics().height())) << "Putt Shot is below the fold";
    EXPECT_TRUE(inView(child<QWidget>("btnSwing")));
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
    resizeTo(1272, 700); // the controls scroll all along
    const int natural = dock->width(), wide = viewsWidth();
    const int least = dock->minimumSizeHint().width();
    for (const int width : {1050, 900}) {
        resizeTo(width, 700);
        EXPECT_LT(dock->width(), natural) << width;
        // The dock gives until the views have their room or it has no more.
        EXPECT_TRUE(viewsWidth() >= 600 || dock->width() <= least + 8) << width;
        EXPECT_GE(viewsWidth(), 360) << width;
        expectControlsWhole(width);
    }
    resizeTo(1272, 700);
    EXPECT_GE(dock->width(), natural - 2);
    EXPECT_GE(viewsWidth(), wide - 2);
}

} // namespace
