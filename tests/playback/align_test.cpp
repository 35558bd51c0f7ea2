#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <QWindow>

#include "platform/FrontWindow.h"
#include "platform/Help.h"
#include "platform/QtDialogs.h"
#include "player/align_drawing.h"
#include "playback_fixture.h"

using velmora::Path;
using velmora::PathPoint;

namespace {

constexpr platform::TColor Red = 0x0000FF;
constexpr platform::TColor White = 0xFFFFFF;

platform::TColor px(const platform::Canvas& c, int x, int y) {
    return c.pixel(x, y) & 0xFFFFFF;
}

} // namespace

TEST(AlignDrawing, TheStripFrameHasItsCornerSquareBorderAndMiddleTicks) {
    platform::Bitmap b(100, 40, platform::PixelFormat::Bits32);
    platform::Canvas c(b);
    velmora::drawalign(c, 100, 40, Red);
    // The corner square, the border, and what lies beside the ticks.
    const struct {
        int x, y;
        platform::TColor c;
    } pixels[] = {{5, 5, Red}, {6, 3, 0},  {99, 39, Red}, {30, 39, Red}, {50, 5, 0},
                  {50, 35, 0}, {5, 20, 0}, {95, 20, 0},   {49, 2, 0},    {2, 21, 0}};
    for (const auto& p : pixels)
        EXPECT_EQ(px(c, p.x, p.y), p.c) << p.x << "," << p.y;
    // The ticks: lines of 5 pixels inwards from the middle of each edge, their end points left
    // out; those from the bottom and right edges start just outside the strip.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(px(c, 50, i), Red) << i;
        EXPECT_EQ(px(c, i, 20), Red) << i;
    }
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(px(c, 50, 40 - i), Red) << i;
        EXPECT_EQ(px(c, 100 - i, 20), Red) << i;
    }
}

TEST(AlignDrawing, GridLinesAndStepsAndRestingPlaces) {
    const auto g1 = velmora::grid1Lines(1001, 767);
    EXPECT_EQ(g1[0], QLine(500, 0, 500, 767));
    EXPECT_EQ(g1[1], QLine(0, 383, 1001, 383));
    const auto g2 = velmora::grid2Lines(1024, 768, 1001, 767);
    EXPECT_EQ(g2[0], QLine(341, 0, 341, 768));
    EXPECT_EQ(g2[1], QLine(682, 0, 682, 768));
    EXPECT_EQ(g2[2], QLine(0, 255, 1001, 255));
    EXPECT_EQ(g2[3], QLine(0, 510, 1001, 510));

    const struct {
        PathPoint from;
        int x, y;
        PathPoint to;
    } steps[] = {{{10, 10}, 110, 10, {11, 10}}, {{10, 10}, 0, 0, {9, 9}},
                 {{10, 10}, 10, 200, {10, 11}}, {{10, 10}, 10, 10, {10, 10}},
                 {{0, 5}, -40, 5, {0, 5}},      {{65535, 0}, 70000, 3, {65535, 1}}};
    for (const auto& s : steps) {
        EXPECT_EQ(velmora::stepToward(s.from, s.x, s.y), s.to) << s.x << "," << s.y;
    }
    EXPECT_EQ(velmora::packPoint({0x1234, 0xABCD}), 0xABCD1234u);

    Path in;
    in.Points[4] = {321, 123};
    for (int last : {-1, 0}) {
        in.LastIndex = last;
        EXPECT_EQ(velmora::restingPlace(in, QPoint(7, 8)), QPoint(7, 8)) << last;
    }
    in.LastIndex = 5;
    EXPECT_EQ(velmora::restingPlace(in, QPoint(7, 8)), QPoint(321, 123));
}

TEST(AlignDrawing, TheMarqueePaintsAlternatePointsFlippedAgainstTheScreen) {
    platform::Bitmap b(10, 1, platform::PixelFormat::Bits32);
    platform::Canvas c(b);
    Path p;
    for (int i = 0; i < 4; ++i)
        p.Points[i] = {std::uint16_t(i), 0};
    velmora::PaintMarquee(c, p, 3, true, Red); // points 0 and 1; point 0 black: colour first
    EXPECT_EQ(px(c, 0, 0), Red);
    EXPECT_EQ(px(c, 1, 0), 0u);
    EXPECT_EQ(px(c, 2, 0), 0u);
    velmora::PaintMarquee(c, p, 3, false, Red); // points 1 and 2; point 1 black: colour first
    EXPECT_EQ(px(c, 1, 0), Red);
    EXPECT_EQ(px(c, 2, 0), 0u);
    velmora::PaintMarquee(c, p, 3, true, Red); // point 0 shows the colour: black first
    EXPECT_EQ(px(c, 0, 0), 0u);
    EXPECT_EQ(px(c, 1, 0), Red);
    EXPECT_EQ(px(c, 3, 0), 0u); // beyond the count
}

// A recorded path on an align screen drawn at num / den of its stage: the crawling dots of two
// ticks repaint every output pixel its lines lit, and nothing else but the last point (where the
// lines end); clearing the path then leaves none of its pixels.
class ScaledPath : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(ScaledPath, TheMarqueeAndTheClearCoverExactlyTheDrawnLines) {
    const auto [num, den] = GetParam();
    constexpr platform::TColor Grey = 0x404040;
    const auto view = platform::StageView::scaled(160, 120, num, den);
    platform::Bitmap b(view.length(160) + 2, view.length(120) + 2, platform::PixelFormat::Bits32);
    platform::Canvas c(b);
    c.brush.color = Grey;
    c.fillRect(0, 0, b.width(), b.height());
    c.setView(view);
    Path p;
    p.Points[0] = {20, 30};
    int n = 1;
    for (const QPoint to : {QPoint(60, 30), QPoint(90, 60), QPoint(90, 100), QPoint(40, 110),
                            QPoint(10, 70), QPoint(30, 40)})
        for (PathPoint at = p.Points[n - 1]; at != PathPoint{std::uint16_t(to.x()),
                                                              std::uint16_t(to.y())};)
            p.Points[n++] = at = velmora::stepToward(at, to.x(), to.y());
    p.LastIndex = n;
    c.pen.color = Red;
    velmora::drawPathLines(c, p);
    auto count = [&](platform::TColor colour) {
        int k = 0;
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x)
                k += (b.pixel(x, y) & 0xFFFFFF) == colour;
        return k;
    };
    const int grey = count(Grey);
    ASSERT_GE(count(Red), (n - 2) * num / den);

    velmora::PaintMarquee(c, p, n, true, White);
    velmora::PaintMarquee(c, p, n, false, White);
    EXPECT_EQ(count(Red), 0);
    EXPECT_EQ(count(Grey), grey - 1); // the last point's pixel
    EXPECT_NE(b.pixel(view.x(30), view.y(40)) & 0xFFFFFF, Grey);

    velmora::ClearPath(c, p, n);
    EXPECT_EQ(count(White), 0);
    EXPECT_EQ(count(Red), 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledPath,
                         ::testing::Values(std::pair{1, 1}, std::pair{2, 1}, std::pair{9, 4},
                                           std::pair{3, 4}));

// The real align screen on a 640 x 480 virtual screen: line 1 "One" at (100, 50), line 2
// "Two" at (300, 200), line 3 unused; line 1's IN is the hand-drawn path.
class AlignTest : public PlaybackWindowTest {
protected:
    void SetUp() override {
        PlaybackWindowTest::SetUp();
        main->Edit1->setText("One");
        main->Edit2->setText("Two");
        can->setTitlePos(1, 100, 50);
        can->setTitlePos(2, 300, 200);
        can->setTitlePos(3, 20, 20);
        main->setdirectionButton("In", 1, 10, 11); // line 1 IN: the path
        loadAsSaved();
    }

    // The page as it stands becomes the page as last saved: unmarked, no edits to undo.
    void loadAsSaved() {
        velmora::PageDocument& d = main->document();
        d.buffer().encode(d.pageToStore(), QString());
        d.setsav(false);
        d.forgetEdits();
    }

    void press(QWidget* w, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, mods);
    }
    void moveTo(QWidget* w, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        send(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton, mods);
    }
    void release(QWidget* w, QPoint at) {
        send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    // A press at the first point, a move to each point, the release at the last.
    void stroke(QWidget* w, std::initializer_list<QPoint> points) {
        press(w, *points.begin());
        for (const QPoint p : points)
            moveTo(w, p);
        release(w, *(points.end() - 1));
    }
    // A drag of line n's strip from its corner by (dx, dy), through a point half way.
    void dragStrip(int n, QPoint to) {
        velmora::Tbmp* s = can->strip(n);
        press(s, {1, 1});
        moveTo(s, s->mapFrom(can.get(), (s->pos() + to) / 2));
        moveTo(s, s->mapFrom(can.get(), to));
        release(s, s->mapFrom(can.get(), to));
    }
    Path& inPath1() { return main->document().inPath(1); }
    QPoint title(int n) const { return {can->titleX(n), can->titleY(n)}; }
    platform::TColor at(int x, int y) const { return px(can->canvas(), x, y); }
};

TEST_F(AlignTest, OpeningShowsTheLinesInUseAndLeavingUntouchedLeavesThePageAsItWas) {
    main->Align2->trigger();
    EXPECT_TRUE(main->AlignMode);
    EXPECT_TRUE(can->isVisible());
    ASSERT_NE(can->strip(1), nullptr);
    ASSERT_NE(can->strip(2), nullptr);
    EXPECT_EQ(can->strip(3), nullptr); // not in use
    EXPECT_EQ(can->strip(1)->pos(), QPoint(100, 50));
    EXPECT_TRUE(can->Panel1->isVisible());
    EXPECT_TRUE(can->gauge1->isVisible());
    EXPECT_EQ(can->gauge1->maximum(), 999);
    EXPECT_TRUE(can->P1In->isEnabled());
    EXPECT_FALSE(can->P1Out->isEnabled());
    EXPECT_FALSE(can->P2In->isEnabled());
    // The strip framed for this screen in line 1's red, and its copy on the screen below.
    const velmora::Tbmp& s1 = *can->strip(1);
    EXPECT_EQ(s1.strip.picture.pixel(2, 2) & 0xFFFFFF, Red);
    EXPECT_EQ(at(102, 52), Red);
    EXPECT_EQ(can->strip(2)->strip.picture.pixel(2, 2) & 0xFFFFFF, White);

    can->ExitAlignClick();
    EXPECT_FALSE(main->AlignMode);
    EXPECT_FALSE(can->isVisible());
    EXPECT_FALSE(can->isEnabled());
    EXPECT_EQ(can->strip(1), nullptr);
    EXPECT_FALSE(main->sav);
    EXPECT_EQ(title(1), QPoint(100, 50));
    EXPECT_EQ(title(2), QPoint(300, 200));
    EXPECT_EQ(title(3), QPoint(20, 20)); // no strip: its place is kept
    EXPECT_EQ(main->document().undoStack().count(), 0);
}

TEST_F(AlignTest, ADraggedStripMovesWithThePointerClampedToTheScreenAndIsOneUndoStep) {
    main->AlignToolButton->click();
    dragStrip(2, {400, 250});
    EXPECT_EQ(can->strip(2)->pos(), QPoint(400, 250));
    EXPECT_EQ(can->Label1->text(), "H 400\r\nV 250");
    EXPECT_TRUE(main->sav);
    EXPECT_TRUE(can->Timer1.isActive()); // started again by the drop
    // The copy at the starting place stays as a marker.
    EXPECT_EQ(at(302, 202), White);

    dragStrip(2, {900, 700});
    EXPECT_EQ(can->strip(2)->pos(), QPoint(639, 479));

    can->ExitAlignClick();
    EXPECT_EQ(title(2), QPoint(639, 479));
    auto& undo = main->document().undoStack();
    ASSERT_EQ(undo.count(), 2);
    EXPECT_EQ(undo.undoText(), "Move Line 2");
    undo.undo();
    EXPECT_EQ(title(2), QPoint(400, 250));
    EXPECT_TRUE(main->sav);
    undo.undo();
    EXPECT_EQ(title(2), QPoint(300, 200));
    EXPECT_FALSE(main->sav); // back to the page as saved
    undo.redo();
    EXPECT_EQ(title(2), QPoint(400, 250));
    EXPECT_TRUE(main->sav);
}

// The pointer leaves the window during a drag: a strip keeps a corner on the screen, the panel
// (the only way out) all of itself, also when the screen is next opened on a smaller screen.
TEST_F(AlignTest, DragsStayInsideTheWindowAndThePanelComesBackIntoView) {
    can->StartAlign();
    dragStrip(2, {-80, -5000});
    EXPECT_EQ(can->strip(2)->pos(), QPoint(0, 0));
    dragStrip(2, {640, 480});
    EXPECT_EQ(can->strip(2)->pos(), QPoint(639, 479));

    QFrame* panel = can->Panel1;
    const QSize size = panel->size();
    auto dragPanel = [&](QPoint to) {
        press(panel, {1, 1});
        moveTo(panel, panel->mapFrom(can.get(), to));
        release(panel, panel->mapFrom(can.get(), to));
    };
    dragPanel({5000, 5000});
    EXPECT_EQ(panel->geometry(), QRect(QPoint(640 - size.width(), 480 - size.height()), size));
    dragPanel({-300, -2});
    EXPECT_EQ(panel->pos(), QPoint(0, 0));
    can->ExitAlignClick();

    // Left far out on a larger screen, the panel is back in view when the screen opens.
    panel->move(1500, 900);
    can->StartAlign();
    EXPECT_TRUE(can->rect().contains(panel->geometry()));
    can->ExitAlignClick();
}

TEST_F(AlignTest, DroppingInPlaceOrMovingThePanelStillMarksThePage) {
    can->StartAlign();
    dragStrip(1, {100, 50});
    EXPECT_TRUE(main->sav);
    can->ExitAlignClick();
    EXPECT_EQ(can->titleX(1), 100);

    loadAsSaved();
    can->StartAlign();
    QFrame* panel = can->Panel1;
    press(panel, {1, 1});
    moveTo(panel, {-1, 41}); // window (5, 47): all of the panel stays on the 640-pixel screen
    release(panel, {1, 1});
    EXPECT_EQ(panel->pos(), QPoint(5, 47));
    EXPECT_TRUE(main->sav);
    can->ExitAlignClick();
    // The panel keeps its place, also when the screen is next opened.
    can->StartAlign();
    EXPECT_EQ(can->Panel1->pos(), QPoint(5, 47));
    can->ExitAlignClick();
}

TEST_F(AlignTest, AStrokeRecordsOnePixelAMoveAndFillsThePathToItsLimit) {
    can->StartAlign();
    can->P1In->click();
    EXPECT_TRUE(can->P1In->isChecked());
    EXPECT_EQ(inPath1().LastIndex, -1);
    QWidget* w = can.get();
    press(w, {200, 200});
    moveTo(w, {200, 200});
    EXPECT_EQ(inPath1().LastIndex, -1); // recorded on release
    moveTo(w, {300, 100});
    moveTo(w, {300, 100});
    release(w, {300, 100});
    ASSERT_EQ(inPath1().LastIndex, 2);
    EXPECT_EQ(inPath1().Points[0], (PathPoint{200, 200}));
    EXPECT_EQ(inPath1().Points[1], (PathPoint{201, 199}));
    EXPECT_EQ(inPath1().Points[2], (PathPoint{202, 198}));
    EXPECT_EQ(can->PenX, 202);
    EXPECT_EQ(can->Label2->text(), "2");
    EXPECT_EQ(at(201, 199), Red); // the step's line, in line 1's red

    // Pressing again continues the same path; 999 moves in all fill it, the rest store nothing.
    press(w, {100, 300});
    for (int i = 3; i < 1005; ++i)
        moveTo(w, {100, 300});
    release(w, {100, 300});
    EXPECT_EQ(inPath1().LastIndex, 999);
    EXPECT_EQ(inPath1().Points[998], (PathPoint{100, 300}));
    EXPECT_EQ(can->gauge1->value(), 998);
    EXPECT_EQ(can->Label2->text(), "998");
    EXPECT_EQ(main->document().undoStack().undoText(), "Draw Path");
    EXPECT_TRUE(main->sav);

    // The line rests where its in path ends.
    can->ExitAlignClick();
    EXPECT_EQ(title(1), QPoint(100, 300));
    // Undo takes back the strokes one by one, then the path reset.
    auto& undo = main->document().undoStack();
    undo.undo();
    EXPECT_EQ(inPath1().LastIndex, 2);
    undo.undo();
    EXPECT_EQ(inPath1().LastIndex, -1);
    EXPECT_EQ(undo.undoText(), "Reset Path");
}

// A counter below -1 (a path made in memory, past the file's checks) starts afresh instead of
// storing outside the path's slots.
TEST(AlignDrawing, AdvancingAPathStoresUpToItsLimitAndNeverOutsideItsSlots) {
    using velmora::PathMove;
    const struct {
        std::int32_t last, limit;
        PathMove move;
        std::int32_t after;
    } cases[] = {
        {-1, 999, PathMove::First, 0}, {0, 999, PathMove::Step, 1},
        {997, 999, PathMove::Step, 998}, {998, 999, PathMove::Full, 999},
        {999, 999, PathMove::Full, 999}, {-50, 999, PathMove::First, 0},
        {INT32_MIN, 999, PathMove::First, 0}, {5000, 999, PathMove::Full, 5000},
        {998, 5000, PathMove::Full, 999}, {997, 5000, PathMove::Step, 998},
        {-1, 0, PathMove::First, 0}, {0, 0, PathMove::Full, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.last << " limit " << c.limit);
        Path p;
        p.LastIndex = c.last;
        EXPECT_EQ(velmora::advancePath(p, c.limit), c.move);
        EXPECT_EQ(p.LastIndex, c.after);
    }
}

// Once the screen is left, undoing and redoing its edits puts a line where leaving puts it: at
// its in path's end when it has one, else where its strip was put.
TEST_F(AlignTest, UndoAndRedoAfterLeavingPutALineWhereLeavingPutsIt) {
    auto& undo = main->document().undoStack();
    can->StartAlign();
    can->P1In->click();
    // (200, 200) .. (204, 204) used; the release at (300, 300)
    stroke(can.get(), {{200, 200}, {300, 300}, {300, 300}, {300, 300}, {300, 300}, {300, 300}});
    dragStrip(1, {150, 60});
    dragStrip(2, {400, 250});
    can->ExitAlignClick();
    ASSERT_EQ(inPath1().LastIndex, 5);
    EXPECT_EQ(title(1), QPoint(204, 204));

    undo.undo(); // line 2's drag
    EXPECT_EQ(title(2), QPoint(300, 200));
    undo.undo(); // line 1's drag: the path still ends where it did
    EXPECT_EQ(title(1), QPoint(204, 204));
    undo.undo(); // the stroke: no path, the strip where it stood
    EXPECT_EQ(inPath1().LastIndex, -1);
    EXPECT_EQ(title(1), QPoint(100, 50));
    undo.redo(); // not the release point: the path's end
    EXPECT_EQ(inPath1().LastIndex, 5);
    EXPECT_EQ(title(1), QPoint(204, 204));
    undo.redo();
    EXPECT_EQ(title(1), QPoint(204, 204));
    undo.redo();
    EXPECT_EQ(title(2), QPoint(400, 250));

    // Back on the screen, an undo puts the strip where it was put before.
    can->StartAlign();
    undo.undo();
    EXPECT_EQ(can->strip(2)->pos(), QPoint(300, 200));
    can->ExitAlignClick();
}

// A stroke leaves its line where the strip stands (the copy at the stroke's end is paint only):
// undone and redone on the screen, it does not carry the strip to where the button was released,
// and undone and redone after leaving, it puts the line where leaving did.
TEST_F(AlignTest, AStrokeLeavesTheStripInPlaceThroughUndoAndRedo) {
    auto& undo = main->document().undoStack();
    auto undoAllRedoAll = [&undo] {
        while (undo.canUndo())
            undo.undo();
        while (undo.canRedo())
            undo.redo();
    };
    can->StartAlign();
    can->P1In->click();
    stroke(can.get(), {{200, 200}, {300, 300}});
    ASSERT_EQ(inPath1().LastIndex, 1);
    can->P1In->click(); // the path started afresh
    ASSERT_EQ(inPath1().LastIndex, -1);
    undoAllRedoAll();
    EXPECT_EQ(can->strip(1)->pos(), QPoint(100, 50));
    can->ExitAlignClick();
    EXPECT_EQ(title(1), QPoint(100, 50));
    undoAllRedoAll();
    EXPECT_EQ(title(1), QPoint(100, 50));
}

// A click records nothing and leaves nothing to undo; nor does holding "Hide Panel", whose
// release comes to the window once the panel is hidden.
TEST_F(AlignTest, AClickOrTheHidePanelButtonRecordsNoStroke) {
    auto& undo = main->document().undoStack();
    can->StartAlign();
    can->P1In->click();
    const int steps = undo.count();
    QWidget* w = can.get();
    press(w, {200, 200});
    release(w, {200, 200});
    EXPECT_EQ(undo.count(), steps);
    EXPECT_EQ(inPath1().LastIndex, -1);

    // "Hide Panel" held with a path button down: the moves and the release reach the window.
    auto screen = [&] {
        std::vector<platform::TColor> pixels;
        for (int y = 0; y < 480; y += 2)
            for (int x = 0; x < 640; x += 2)
                pixels.push_back(at(x, y));
        return pixels;
    };
    emit can->ToolButton4->pressed(); // the screen repainted: the copies go
    EXPECT_TRUE(can->Panel1->isHidden());
    const auto before = screen();
    moveTo(w, {30, 30});
    moveTo(w, {40, 40});
    release(w, {40, 40});
    EXPECT_FALSE(can->Panel1->isHidden());
    EXPECT_EQ(inPath1().LastIndex, -1);
    EXPECT_EQ(undo.count(), steps);
    EXPECT_TRUE(screen() == before); // no stroke's line, no strip's copy
    can->ExitAlignClick();
}

TEST_F(AlignTest, ModifiersOtherButtonsAndUnarmedPathsRecordNothing) {
    velmora::PageDocument& d = main->document();
    can->StartAlign();
    can->P1In->click();
    QWidget* w = can.get();
    press(w, {10, 10}, Qt::ShiftModifier);
    moveTo(w, {20, 20}, Qt::ShiftModifier);
    moveTo(w, {20, 20}, Qt::ControlModifier);
    send(w, QEvent::MouseMove, {20, 20}, Qt::NoButton, Qt::RightButton);
    send(w, QEvent::MouseMove, {20, 20}, Qt::NoButton, Qt::NoButton);
    release(w, {20, 20});
    EXPECT_EQ(inPath1().LastIndex, -1);

    // Line 2's out path is not armed: its button, pressed anyway, records nothing.
    can->P2Out->setEnabled(true);
    can->P2Out->click();
    stroke(w, {{10, 10}, {20, 20}, {30, 30}});
    EXPECT_EQ(d.outPath(2).LastIndex, -1);

    // "Reset Current Path" releases the path buttons: moves draw nothing.
    can->ToolButton10->click();
    EXPECT_FALSE(can->P2Out->isChecked());
    EXPECT_FALSE(can->P1In->isChecked());
    stroke(w, {{10, 10}, {20, 20}});
    EXPECT_EQ(inPath1().LastIndex, -1);
    can->ExitAlignClick();
}

TEST_F(AlignTest, APathButtonStartsThePathAfreshAndTheOpeningShowsLongPaths) {
    velmora::PageDocument& d = main->document();
    Path& in = inPath1();
    in.LastIndex = 300;
    for (int i = 0; i < 1000; ++i)
        in.Points[i] = {std::uint16_t(50 + i % 400), std::uint16_t(400)};
    loadAsSaved();
    can->StartAlign();
    // A path over one point long is drawn at once, and the timer keeps it crawling.
    EXPECT_TRUE(can->Timer1.isActive());
    EXPECT_EQ(at(60, 400), Red);
    const bool before = can->MarqueePhase;
    can->Timer1Timer();
    EXPECT_NE(can->MarqueePhase, before);

    can->P1In->click();
    EXPECT_EQ(in.LastIndex, -1);
    EXPECT_EQ(in.Points[0], (PathPoint{}));
    EXPECT_EQ(in.Points[998], (PathPoint{}));
    EXPECT_EQ(in.Points[999], (PathPoint{std::uint16_t(50 + 999 % 400), 400}));
    EXPECT_EQ(at(60, 400), 0u); // the old dots painted black
    EXPECT_TRUE(d.changed());
    can->ExitAlignClick();
    d.undoStack().undo();
    EXPECT_EQ(in.LastIndex, 300);
    EXPECT_FALSE(d.changed());

    // A path of two points is neither drawn nor keeps the timer going.
    in.LastIndex = 1;
    loadAsSaved();
    can->StartAlign();
    EXPECT_FALSE(can->Timer1.isActive());
    can->ExitAlignClick();
}

TEST_F(AlignTest, TheGridsAreDrawnAndUncheckingOneRepaintsTheMarkersAway) {
    can->StartAlign();
    EXPECT_EQ(at(102, 52), Red); // the marker of line 1's place
    constexpr platform::TColor G = velmora::GridColor;
    can->CheckBox1->click();
    EXPECT_EQ(std::vector({at(320, 10), at(10, 240)}), std::vector({G, G}));
    can->CheckBox2->click();
    EXPECT_EQ(std::vector({at(213, 10), at(426, 10), at(10, 320)}), std::vector({G, G, G}));
    can->CheckBox1->click();
    EXPECT_EQ(std::vector({at(320, 10), at(102, 52), at(213, 10)}), std::vector<platform::TColor>(3, 0));
    can->Timer1Timer(); // the next tick brings back the grid still checked
    EXPECT_EQ(std::vector({at(213, 10), at(320, 10)}), std::vector<platform::TColor>({G, 0}));
    can->ExitAlignClick();
}

TEST_F(AlignTest, TheToolsShowInformationSaveAStripAndLeave) {
    can->StartAlign();
    can->ToolButton2->click();
    EXPECT_EQ(infoShown, 1);

    seams.dialogs.files.push_back(dir.file("strip.bmp"));
    send(can->strip(2), QEvent::MouseButtonPress, {3, 3}, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(seams.dialogs.fileDialogs.back().title, "Save As A Bitmap File");
    const QImage saved(dir.file("strip.bmp"));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), can->strip(2)->size());
    EXPECT_EQ(can->strip(2)->pos(), QPoint(300, 200)); // a right press drags nothing
    for (QWidget* c : can->ToolBar1->findChildren<QWidget*>()) {
        const bool separator = qobject_cast<QFrame*>(c) && !qobject_cast<QLabel*>(c);
        if (!separator) {
            EXPECT_FALSE(c->accessibleName().isEmpty()) << c->objectName().toStdString();
        }
    }
    // A click on the bare main window brings it back and hides the screen, still aligning.
    send(main.get(), QEvent::MouseButtonPress, {5, 300}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(can->isVisible());
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->AlignMode);
    can->StartAlign();
    can->ToolButton1->click();
    EXPECT_FALSE(main->AlignMode);
    EXPECT_FALSE(can->isVisible());
}

// A full-screen window hides every window but its own dialogs: the help, the project
// information and any message opened while the screen is up are made its dialogs.
TEST_F(AlignTest, WindowsOpenedFromTheScreenStandOverIt) {
    EXPECT_EQ(platform::frontWindow(), nullptr);
    EXPECT_EQ(platform::dialogParent(), main.get());
    can->StartAlign();
    ASSERT_TRUE(can->isVisible());
    EXPECT_EQ(platform::frontWindow(), can.get());
    EXPECT_EQ(platform::dialogParent(), can.get());

    can->ToolButton11->click();
    QWidget* help = platform::Help::window();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowHandle()->transientParent(), can->windowHandle());

    QWidget info(main.get(), Qt::Dialog);
    platform::showInFront(&info);
    EXPECT_TRUE(info.isVisible());
    EXPECT_EQ(info.windowHandle()->transientParent(), can->windowHandle());
    info.hide();
    help->hide();

    // Once the screen is left, they belong to the editor again.
    can->ExitAlignClick();
    EXPECT_EQ(platform::frontWindow(), nullptr);
    EXPECT_EQ(platform::dialogParent(), main.get());
    platform::showInFront(&info);
    EXPECT_EQ(info.windowHandle()->transientParent(), main->windowHandle());
}

// The panel's "?" opens the topic on drawing paths, which tells how a show plays them: a line
// comes in along its IN path and rests at its end; it leaves along its OUT path from that
// path's first point, wherever it rested.
TEST_F(AlignTest, TheHelpButtonShowsDrawingPathsByHandAsTheShowPlaysThem) {
    can->StartAlign();
    can->ToolButton11->click();
    EXPECT_EQ(platform::Help::lastShown(), "Drawing Paths By Hand");
    EXPECT_TRUE(testsupport::helpTextInSight().contains("shows the page full screen"));
    const QString topic = testsupport::helpTopicText("Drawing Paths By Hand");
    EXPECT_FALSE(topic.contains("starts there")) << topic.toStdString();
    for (const char* words : {"It comes to rest where its IN path ends",
                              "leaves along its OUT path from the path's first point",
                              "It does not start from where the line rests"})
        EXPECT_TRUE(topic.contains(words)) << words;
    platform::Help::window()->hide();
    can->ExitAlignClick();
}

TEST_F(AlignTest, ALineWhosePictureCannotBeReadKeepsItsPlace) {
    ASSERT_TRUE(testsupport::writeFile(dir.file("bad.bmp"), "BM not a picture"));
    main->line(3).BitmapFile = dir.file("bad.bmp");
    main->line(3).InUse = true;
    can->StartAlign();
    EXPECT_EQ(can->strip(3), nullptr);
    ASSERT_FALSE(seams.dialogs.asked.empty());
    EXPECT_TRUE(seams.dialogs.asked.back().text.startsWith("Error opening file: "));
    can->ExitAlignClick();
    EXPECT_EQ(title(3), QPoint(20, 20));
    EXPECT_TRUE(main->line(3).BitmapFile.isEmpty()); // as a show clears it
}

// A stage of 320 x 240 on the 640 x 480 screen: drawn twice its size. Strips stand where their
// stage place shows, and drags and strokes are kept in stage pixels.
TEST_F(AlignTest, OnAScaledStagePlacesAndPathsAreKeptInStagePixels) {
    main->setStage(320, 240);
    can->setTitlePos(2, 150, 100);
    loadAsSaved();
    can->StartAlign();
    velmora::Tbmp& s2 = *can->strip(2);
    EXPECT_EQ(s2.pos(), QPoint(300, 200));
    EXPECT_EQ(s2.width(), s2.strip.picture.width());
    EXPECT_NEAR(s2.strip.picture.width(), 2 * s2.strip.width, 1);
    EXPECT_NEAR(s2.strip.picture.height(), 2 * s2.strip.height, 1);

    dragStrip(2, {400, 250});
    EXPECT_EQ(s2.pos(), QPoint(400, 250));
    EXPECT_EQ(s2.stagePos(), QPoint(200, 125));
    EXPECT_EQ(can->Label1->text(), "H 200\r\nV 125");
    dragStrip(2, {900, 700}); // off the window: the stage's last pixel
    EXPECT_EQ(s2.stagePos(), QPoint(319, 239));

    can->P1In->click();
    stroke(can.get(), {{200, 200}, {300, 100}});
    ASSERT_EQ(inPath1().LastIndex, 1);
    EXPECT_EQ(inPath1().Points[0], (PathPoint{100, 100}));
    EXPECT_EQ(inPath1().Points[1], (PathPoint{101, 99}));
    // The step is drawn where the stage point shows.
    EXPECT_EQ(can->canvas().bitmap().pixel(202, 198) & 0xFFFFFF, Red);

    can->ExitAlignClick();
    EXPECT_EQ(title(2), QPoint(319, 239));
}
