// The font chooser and the text effects window, driven through their handlers on a real main
// window.
#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QToolButton>
#include <QtTest/qtestspontaneevent.h>

#include "dialogs/bfontformU.h"
#include "dialogs/efxctrunit.h"
#include "main/main_window_fixture.h"

using velmora::TbFontForm;
using velmora::Tefxctr;

class EditDialogsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // The gradient button opens the effects window through the hook the program entry
        // fills in; here the test stands for the program's modal run.
        velmora::Accessories acc;
        acc.showEffects = [this] {
            if (runEffects) runEffects();
        };
        w = std::make_unique<velmora::TBitMovOptMain>(acc);
        w->Edit1->setText("  Sample  ");
        w->line(1).FontName = "DejaVu Sans";
        w->line(1).FontSize = 40;
        w->pageBuffer.encode(w->pageFromEditor(), "000");
        w->ShowPage();
        w->setsav(false);
        w->TITLENUM = 1;
    }
    std::function<void()> runEffects;
};

namespace {

// The window system shows a dialog again without the program asking for it: a show event of
// its own, or the window restored from minimised with the program.
void spontaneousShowEvent(QDialog& d) {
    QShowEvent e;
    QSpontaneKeyEvent::setSpontaneous(&e);
    QApplication::instance()->notify(&d, &e); // sendEvent would take the flag off
}

void restoredFromMinimised(QDialog& d) {
    d.setWindowState(Qt::WindowMinimized);
    d.setWindowState(Qt::WindowNoState);
}

const struct {
    const char* name;
    void (*happen)(QDialog&);
} SpontaneousShows[] = {{"a spontaneous show event", spontaneousShowEvent},
                        {"restored from minimised", restoredFromMinimised}};

} // namespace

// Every installed face is listed, in itself: the faces for other scripts among them.
TEST_F(EditDialogsTest, TheFontChooserListsEveryInstalledFaceDrawnInItself) {
    TbFontForm f(w.get());
    const QStringList faces = QFontDatabase::families();
    ASSERT_EQ(f.ListBox1->count(), faces.size());
    for (int i = 0; i < f.ListBox1->count(); ++i) {
        const QListWidgetItem* item = f.ListBox1->item(i);
        EXPECT_EQ(item->text(), faces[i]);
        EXPECT_EQ(item->font().family(), faces[i]);
    }
    // The faces the program is installed with for Arabic, Devanagari and Japanese.
    for (const char* face : {"Noto Sans Arabic", "Noto Sans Devanagari", "Noto Sans CJK JP"})
        EXPECT_FALSE(f.ListBox1->findItems(face, Qt::MatchExactly).isEmpty()) << face;
}

TEST_F(EditDialogsTest, TheFontChooserChangesTheLineOnlyOnOkAndMarksOnlyRealChanges) {
    TbFontForm f(w.get());
    f.show();
    EXPECT_EQ(f.SampleText, "Sample");
    EXPECT_EQ(f.fsamplelabel->text(), "Sample");
    EXPECT_EQ(f.ChosenSize, 40);
    EXPECT_EQ(f.fontlabel->text(), "**");
    f.BitBtn1Click(); // untouched
    EXPECT_FALSE(w->sav);
    EXPECT_EQ(w->document().undoStack().count(), 0);

    // Another face, then the line's own again: no change.
    f.show();
    f.ListBox1Click("DejaVu Serif");
    EXPECT_EQ(f.fontlabel->text(), "DejaVu Serif");
    f.ListBox1Click("DejaVu Sans");
    f.BitBtn1Click();
    EXPECT_FALSE(w->sav);
    // The face compares case and all.
    f.show();
    f.ListBox1Click("dejavu sans");
    f.BitBtn1Click();
    EXPECT_EQ(w->line(1).FontName, "dejavu sans");
    EXPECT_TRUE(w->sav);
    w->Undo1->trigger();
    EXPECT_EQ(w->line(1).FontName, "DejaVu Sans");
    EXPECT_FALSE(w->sav);

    // Cancel after moving the slider and clicking a face.
    f.show();
    f.FontSizeTrackbar->setValue(120);
    f.ListBox1Click("DejaVu Serif");
    f.BitBtn2Click();
    EXPECT_EQ(w->line(1).FontSize, 40);
    EXPECT_EQ(w->line(1).FontName, "DejaVu Sans");

    // Sizes outside the slider's range come back within it, and that is a change.
    for (auto [stored, kept] : {std::pair{8, 16}, std::pair{200, 200}}) {
        w->line(1).FontSize = stored;
        w->pageBuffer.encode(w->pageFromEditor(), "000");
        w->setsav(false);
        f.show();
        EXPECT_EQ(f.FontSizeTrackbar->value(), kept);
        f.BitBtn1Click();
        EXPECT_EQ(w->line(1).FontSize, kept);
        EXPECT_EQ(w->sav, stored != kept);
    }

    // OK takes the size and face into the line and its edit box, whose size never changes.
    const int boxSize = w->Edit1->font().pixelSize();
    f.show();
    f.FontSizeTrackbar->setValue(72);
    EXPECT_EQ(f.fontsizelabel->text(), "72");
    f.ListBox1Click("DejaVu Serif");
    f.BitBtn1Click();
    EXPECT_EQ(w->line(1).FontSize, 72);
    EXPECT_EQ(w->Edit1->font().family(), "DejaVu Serif");
    EXPECT_EQ(w->Edit1->font().pixelSize(), boxSize);

    // An empty line shows an empty sample.
    w->TITLENUM = 3;
    f.show();
    EXPECT_TRUE(f.fsamplelabel->text().isEmpty());
    f.BitBtn2Click();
}

TEST(EffectsArithmetic, BoxNumbersAndTheColourCycle) {
    EXPECT_EQ(velmora::readBoxNumber(""), 0);
    EXPECT_EQ(velmora::readBoxNumber("  7"), 7);
    EXPECT_EQ(velmora::readBoxNumber("12 "), 12);
    EXPECT_EQ(velmora::readBoxNumber("3x4"), 3);
    using A = std::array<int, 6>;
    EXPECT_EQ(velmora::sliderBoxes(0), (A{0, 255, 0, 0, 0, 255}));
    EXPECT_EQ(velmora::sliderBoxes(255), (A{255, 0, 0, 0, 255, 0}));
    EXPECT_EQ(velmora::sliderBoxes(256), (A{254, 1, 0, 1, 0, 254}));
    EXPECT_EQ(velmora::sliderBoxes(510), (A{0, 255, 0, 255, 0, 0}));
    EXPECT_EQ(velmora::sliderBoxes(765), (A{0, 0, 255, 0, 255, 0}));
}

TEST_F(EditDialogsTest, TheEffectsWindowValidatesItsBoxesAndWritesOnlyOnOk) {
    w->line(1).GradientOn = true;
    w->pageBuffer.encode(w->pageFromEditor(), "000");
    Tefxctr e(w.get());
    e.show();
    EXPECT_EQ(e.sample().width(), 248);
    EXPECT_EQ(e.height(), e.sample().height() + 201 + 20);
    EXPECT_EQ(e.SpeedButton1->text(), "Gradient On");
    EXPECT_EQ(e.edit[0]->text(), "255");

    e.edit[1]->setText("300");
    EXPECT_EQ(e.edit[1]->text(), "255");
    EXPECT_EQ(e.EndColor, 0x02FFFFFFu);
    // Two boxes over 255 in one colour: each pass replaces the first of them only, and the
    // write starts the next pass.
    e.edit[3]->blockSignals(true);
    e.edit[3]->setText("400");
    e.edit[3]->blockSignals(false);
    e.edit[4]->setText("999");
    EXPECT_EQ(e.edit[3]->text(), "255");
    EXPECT_EQ(e.edit[4]->text(), "255");

    // The slider writes the boxes; the sample's black stays black, its text takes the gradient.
    e.TrackBar1->setValue(255);
    EXPECT_EQ(e.EndColor, 0x020000FFu);   // red
    EXPECT_EQ(e.StartColor, 0x0200FF00u); // green
    int black = 0, coloured = 0;
    for (int y = 0; y < e.sample().height(); ++y)
        for (int x = 0; x < e.sample().width(); ++x)
            (e.sample().pixel(x, y) == 0 ? black : coloured)++;
    EXPECT_GT(black, coloured);
    EXPECT_GT(coloured, 0);
    EXPECT_EQ(e.sample().pixel(247, 0), 0u);

    e.BitBtn2Click(); // Cancel touches nothing
    EXPECT_EQ(w->line(1).FontColor, 0xFFFFFFu);
    EXPECT_FALSE(w->sav);

    // Only the toggle changed: written, not marked.
    e.show();
    e.SpeedButton1->click();
    EXPECT_EQ(e.SpeedButton1->text(), "Gradient Off");
    EXPECT_FALSE(w->SpeedButton2->isChecked());
    e.BitBtn1Click();
    EXPECT_FALSE(w->line(1).GradientOn);
    EXPECT_FALSE(w->sav);

    // A colour changed: written with the palette flag, marked, and undone in one step.
    e.show();
    e.TrackBar1->setValue(765);
    e.BitBtn1Click();
    EXPECT_EQ(w->line(1).FontColor, 0x02FF0000u);
    EXPECT_EQ(w->line(1).GradientStartColor, 0x0200FF00u);
    EXPECT_TRUE(w->sav);
    EXPECT_EQ(w->Undo1->text(), "Undo Color and Gradient");
    w->Undo1->trigger();
    EXPECT_EQ(w->line(1).FontColor, 0x02FFFFFFu); // as the step before left it, flag and all
}

TEST_F(EditDialogsTest, OnlyTheProgramsOwnShowStartsTheFontChoiceAfresh) {
    TbFontForm f(w.get());
    for (const auto& show : SpontaneousShows) {
        SCOPED_TRACE(show.name);
        f.show();
        f.FontSizeTrackbar->setValue(72);
        f.ListBox1Click("DejaVu Serif");
        show.happen(f);
        EXPECT_EQ(f.ChosenSize, 72);
        EXPECT_EQ(f.FontSizeTrackbar->value(), 72);
        EXPECT_EQ(f.fontsizelabel->text(), "72");
        EXPECT_EQ(f.ChosenName, "DejaVu Serif");
        EXPECT_EQ(f.SizeAtOpen, 40);
        EXPECT_EQ(f.NameAtOpen, "DejaVu Sans");
        f.BitBtn2Click();
    }

    // The program's own show starts from the line again.
    f.show();
    f.FontSizeTrackbar->setValue(72);
    f.ListBox1Click("DejaVu Serif");
    f.hide();
    f.show();
    EXPECT_EQ(f.ChosenSize, 40);
    EXPECT_EQ(f.ChosenName, "DejaVu Sans");

    // OK after the window came back takes what the user chose before.
    f.FontSizeTrackbar->setValue(96);
    f.ListBox1Click("DejaVu Serif");
    spontaneousShowEvent(f);
    f.BitBtn1Click();
    EXPECT_EQ(w->line(1).FontSize, 96);
    EXPECT_EQ(w->line(1).FontName, "DejaVu Serif");
    EXPECT_TRUE(w->sav);
}

TEST_F(EditDialogsTest, OnlyTheProgramsOwnShowLoadsTheEffectsWindowAfresh) {
    Tefxctr e(w.get());
    for (const auto& show : SpontaneousShows) {
        SCOPED_TRACE(show.name);
        e.show();
        EXPECT_FALSE(e.SpeedButton1->isChecked()); // the line is stored without gradient
        e.TrackBar1->setValue(0);
        e.TrackBar1->setValue(765);
        e.SpeedButton1->click();
        show.happen(e);
        EXPECT_EQ(e.EndColor, 0x02FF0000u);
        EXPECT_EQ(e.StartColor, 0x0200FF00u);
        EXPECT_EQ(e.edit[2]->text(), "255");
        EXPECT_EQ(e.edit[4]->text(), "255");
        EXPECT_TRUE(e.SpeedButton1->isChecked());
        EXPECT_EQ(e.SpeedButton1->text(), "Gradient On");
        EXPECT_EQ(e.OrigEndColor, 0xFFFFFFu);
        e.BitBtn2Click();
    }

    // The program's own show loads the line again.
    e.show();
    e.TrackBar1->setValue(0);
    e.SpeedButton1->click();
    e.hide();
    e.show();
    EXPECT_EQ(e.EndColor & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(e.edit[0]->text(), "255");
    EXPECT_FALSE(e.SpeedButton1->isChecked());

    // OK after the window came back writes what the user edited before.
    e.TrackBar1->setValue(765);
    e.SpeedButton1->click();
    restoredFromMinimised(e);
    e.BitBtn1Click();
    EXPECT_EQ(w->line(1).FontColor, 0x02FF0000u);
    EXPECT_EQ(w->line(1).GradientStartColor, 0x0200FF00u);
    EXPECT_TRUE(w->line(1).GradientOn);
    EXPECT_TRUE(w->sav);
}

TEST_F(EditDialogsTest, TheGradientButtonAndTheEffectsWindowMarkThePageOnlyForARealChange) {
    // Line 1 is stored white without gradient. The user presses the tool bar's gradient button,
    // the effects window opens, and the user does in it what each case says (`before` is done
    // first, in the main window).
    Tefxctr e(w.get());
    const auto toggleOffOk = [&] {
        e.SpeedButton1->click();
        e.BitBtn1Click();
    };
    const struct {
        const char* name;
        std::function<void()> before;
        std::function<void()> inWindow;
        bool gradient;
        std::uint32_t shown; // the line's colour as it shows
        bool marked;
    } cases[] = {
        {"toggle off, OK", {}, toggleOffOk, false, 0xFFFFFF, false},
        {"toggle kept on, OK", {}, [&] { e.BitBtn1Click(); }, true, 0xFFFFFF, true},
        {"a colour changed, toggle off, OK", {},
         [&] { e.TrackBar1->setValue(0); e.TrackBar1->setValue(765); toggleOffOk(); }, false,
         0xFF0000, true},
        {"a colour changed and changed back, toggle off, OK", {},
         [&] { e.edit[0]->setText("0"); e.edit[0]->setText("255"); toggleOffOk(); }, false,
         0xFFFFFF, false},
        {"toggle off, Cancel", {}, [&] { e.SpeedButton1->click(); e.BitBtn2Click(); }, true,
         0xFFFFFF, true},
        // The window gives back the mark the button found.
        {"another line typed into before; toggle off, OK", [this] { w->Edit2->setText("x"); },
         toggleOffOk, false, 0xFFFFFF, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case starts from the page as stored.
        w->Edit2->setText("");
        velmora::TitleLine& l = w->line(1);
        l.GradientOn = false;
        l.FontColor = 0xFFFFFF;
        l.GradientStartColor = 0xFFFFFF;
        w->ShowPage();
        w->setsav(false);
        ASSERT_FALSE(w->document().differsFromBuffer());
        w->TITLENUM = 1;
        w->settoolbarbuttons(1);
        ASSERT_FALSE(w->SpeedButton2->isChecked());
        if (c.before) c.before();
        int shown = 0;
        runEffects = [&] {
            e.show(); // the program's modal run shows the window
            ++shown;
            c.inWindow();
        };
        w->SpeedButton2->click();
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(w->line(1).GradientOn, c.gradient);
        EXPECT_EQ(w->line(1).FontColor & 0xFFFFFF, c.shown);
        EXPECT_EQ(w->sav, c.marked);
    }
}

TEST_F(EditDialogsTest, UndoAndRedoOfTheGradientButtonAndTheEffectsWindowKeepTheMarkTrue) {
    Tefxctr e(w.get());
    runEffects = [&] {
        e.show();
        e.SpeedButton1->click();
        e.BitBtn1Click();
    };
    w->settoolbarbuttons(1);
    w->SpeedButton2->click(); // on, then off again in the window: the page as stored
    EXPECT_FALSE(w->line(1).GradientOn);
    EXPECT_FALSE(w->sav);
    const struct {
        QAction* action;
        bool gradient;
        bool marked;
    } steps[] = {{w->Undo1, true, true},   // the window's OK undone: the button's switch on
                 {w->Undo1, false, false}, // the button undone: the page as stored
                 {w->Redo1, true, true},
                 {w->Redo1, false, false}};
    int i = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(i++);
        s.action->trigger();
        EXPECT_EQ(w->line(1).GradientOn, s.gradient);
        EXPECT_EQ(w->sav, s.marked);
    }
    EXPECT_FALSE(w->Redo1->isEnabled());

    // An edit made after the route and undone comes back to the unmarked page.
    w->Edit2->setText("x");
    EXPECT_TRUE(w->sav);
    w->Undo1->trigger();
    EXPECT_FALSE(w->line(1).GradientOn);
    EXPECT_FALSE(w->sav);
}
