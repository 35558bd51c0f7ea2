// Editing title lines in the main window: the edit boxes, the popup menu, the direction tool bar
// and its attribute buttons, and undoing and redoing every one of these edits.
#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "main_window_fixture.h"

using velmora::PageImage;

class LineEditTest : public MainWindowTest {
protected:
    // The page on screen counts as loaded: the record holds it and it is unmarked.
    void loadedAsShown() {
        w->pageBuffer.encode(w->pageFromEditor(), "000");
        w->ShowPage();
        w->setsav(false);
    }
    QUndoStack& stack() { return w->document().undoStack(); }
};

TEST_F(LineEditTest, TypingReplacesABitmapAndDecidesWhetherTheLineIsInUse) {
    w->line(1).BitmapFile = "pic.bmp";
    w->line(2).BitmapFile = "pic.bmp";
    w->Edit2->setText("B");
    w->line(2).BitmapFile = "pic.bmp";
    loadedAsShown();
    w->PreVuImage1->show();
    w->image1label->setText("pic.bmp");

    QTest::keyClick(w->Edit1, Qt::Key_A);
    EXPECT_TRUE(w->line(1).BitmapFile.isEmpty());
    EXPECT_TRUE(w->image1label->text().isEmpty());
    EXPECT_TRUE(w->PreVuImage1->isHidden());
    EXPECT_TRUE(w->line(1).InUse);
    EXPECT_TRUE(w->sav);

    // Deleting all of a text keeps a line with a bitmap in use, and one without out of it.
    w->setsav(false);
    w->line(2).BitmapFile = "pic.bmp";
    w->Edit2->clear();
    EXPECT_TRUE(w->line(2).InUse);
    w->Edit1->clear();
    EXPECT_FALSE(w->line(1).InUse);
    EXPECT_TRUE(w->sav);
}

TEST_F(LineEditTest, KeystrokesInOneBoxAreOneStepAndUndoingThemRestoresTheLoadedPage) {
    w->Edit1->setText("Hi");
    w->line(1).BitmapFile = "pic.bmp";
    w->Edit1->setText(""); // a bitmap line, as loaded
    w->line(1).BitmapFile = "pic.bmp";
    loadedAsShown();
    const velmora::EditedPage loaded = w->document().edited();

    QTest::keyClicks(w->Edit1, "Tit");
    QTest::keyClicks(w->Edit2, "x");
    QTest::keyClicks(w->Edit1, "le");
    EXPECT_EQ(stack().count(), 3);
    EXPECT_EQ(w->Undo1->text(), "Undo Typing");

    w->Undo1->trigger();
    EXPECT_EQ(w->Edit1->text(), "Tit");
    w->Undo1->trigger();
    EXPECT_EQ(w->Edit2->text(), "");
    EXPECT_TRUE(w->sav);
    w->Undo1->trigger();
    EXPECT_EQ(w->Edit1->text(), "");
    EXPECT_EQ(w->line(1).BitmapFile, "pic.bmp"); // the bitmap typing replaced is back
    EXPECT_TRUE(w->document().edited() == loaded);
    EXPECT_FALSE(w->sav);
    EXPECT_TRUE(w->SavePgToolButton->isHidden() || !w->SavePgToolButton->isEnabled());

    while (stack().canRedo())
        w->Redo1->trigger();
    EXPECT_EQ(w->Edit1->text(), "Title");
    EXPECT_EQ(w->Edit2->text(), "x");
    EXPECT_TRUE(w->line(1).BitmapFile.isEmpty());
    EXPECT_TRUE(w->sav);

    // The box's own undo never acts: Ctrl+Z belongs to the page (the real-display stage
    // presses it on a real window).
    QTest::keyClick(w->Edit1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w->Edit1->text(), "Title");
    EXPECT_EQ(stack().index(), 3);
}

// A title box takes 80 characters as a person counts them: emoji, and letters typed with their
// marks apart (as macOS keyboards give them), are one character each.
TEST_F(LineEditTest, ATitleBoxTakes80CharactersAsAPersonCountsThem) {
    const struct {
        const char* what;
        QString character;
    } kinds[] = {{"letters", "A"},
                 {"emoji", QString::fromUcs4(U"\U0001F600")},
                 {"decomposed letters", "e\u0301"},
                 {"flags", QString::fromUcs4(U"\U0001F1E9\U0001F1EA")}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.what);
        w->Edit1->clear();
        for (int i = 0; i < 41; ++i)
            w->Edit1->insert(k.character);
        EXPECT_EQ(w->Edit1->text(), k.character.repeated(41));
        w->Edit1->insert(k.character.repeated(40)); // a paste past the limit is cut at it
        EXPECT_EQ(w->Edit1->text(), k.character.repeated(80));
        w->Edit1->insert(k.character);
        EXPECT_EQ(w->Edit1->text(), k.character.repeated(80));
        EXPECT_EQ(w->document().text(1), k.character.repeated(80));
    }
}

// Ctrl+A in a title box is the align screen's shortcut, not the box's "select all": the box
// leaves the shortcut to the window (the real-display stage presses it on a real window).
TEST_F(LineEditTest, CtrlAInATitleBoxIsLeftToTheAlignShortcut) {
    for (QLineEdit* box : {w->Edit1, w->Edit2, w->Edit3}) {
        box->setText("Title");
        box->setCursorPosition(2);
        QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_A, Qt::ControlModifier);
        QCoreApplication::sendEvent(box, &override);
        EXPECT_FALSE(override.isAccepted()) << box->objectName().toStdString();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        EXPECT_FALSE(box->hasSelectedText());
    }
}

TEST_F(LineEditTest, StyleItemsSetOneStyleAloneAndMarkOnlyADifferenceFromTheRecord) {
    w->setLineFontStyle(1, 1); // bold, as loaded
    w->setLineFontStyle(2, 1 | 2);
    loadedAsShown();

    w->PopupMenu1Popup(2);
    EXPECT_EQ(w->TITLENUM, 2);
    EXPECT_EQ(w->EditContent->text(), "[]");
    for (QAction* a : {w->Bold1, w->Italic1, w->UnderLine1, w->StrikeOut1})
        EXPECT_FALSE(a->isChecked()); // two styles show no mark

    w->PopupMenu1Popup(1);
    EXPECT_TRUE(w->Bold1->isChecked());
    w->Bold1->trigger(); // bold again on a line loaded bold
    EXPECT_FALSE(w->sav);
    EXPECT_EQ(stack().count(), 0);
    w->Italic1->trigger();
    EXPECT_EQ(w->lineFontStyle(1), 2);
    EXPECT_TRUE(w->Edit1->font().italic());
    EXPECT_FALSE(w->Edit1->font().bold());
    EXPECT_TRUE(w->sav);
    w->FontAtributes1Click();
    EXPECT_FALSE(w->Bold1->isChecked());
    EXPECT_TRUE(w->Italic1->isChecked());
    EXPECT_EQ(w->Undo1->text(), "Undo Italic");

    w->Undo1->trigger();
    EXPECT_EQ(w->lineFontStyle(1), 1);
    EXPECT_TRUE(w->Edit1->font().bold());
    EXPECT_FALSE(w->sav);
}

TEST_F(LineEditTest, ColoursAndTheShadowSwitch) {
    w->line(1).FontColor = 0x0000FF;
    loadedAsShown();

    // The colour the line has: written, not marked.
    seams.dialogs.colors = {0x0000FF};
    w->PopupMenu1Popup(1);
    w->FontColor1->trigger();
    EXPECT_FALSE(w->sav);
    seams.dialogs.colors = {0x00FF00};
    w->ToolButton13Click();
    EXPECT_EQ(w->line(1).FontColor, 0x00FF00u);
    EXPECT_TRUE(w->Edit1->styleSheet().contains("#00ff00"));
    EXPECT_TRUE(w->sav);
    // Cancelled: nothing changes.
    w->ToolButton13Click();
    EXPECT_EQ(w->line(1).FontColor, 0x00FF00u);

    w->Undo1->trigger();
    EXPECT_EQ(w->line(1).FontColor, 0x0000FFu);
    EXPECT_FALSE(w->sav);

    // The shadow toggled twice: marked on the first, not cleared by the second.
    w->ShadowOnOff1->trigger();
    EXPECT_TRUE(w->line(1).ShadowOn);
    EXPECT_TRUE(w->sav);
    w->ShadowOnOff1->trigger();
    EXPECT_FALSE(w->line(1).ShadowOn);
    EXPECT_TRUE(w->sav);

    // Shadow colour: marked only when it differs from the record.
    w->setsav(false);
    seams.dialogs.colors = {0xC0C0C0};
    w->ShadowColor1->trigger();
    EXPECT_FALSE(w->sav);
    seams.dialogs.colors = {0x101010};
    w->ShadowColor1->trigger();
    EXPECT_EQ(w->line(1).ShadowColor, 0x101010u);
    EXPECT_TRUE(w->sav);
}

TEST_F(LineEditTest, TheToolBarOpensBesideTheLineAndItsTogglesWriteTheSelectedLine) {
    w->show();
    w->line(3).BlurOn = true;
    loadedAsShown();

    w->t3dirbutton->click();
    ASSERT_TRUE(w->directiontoolbar->isVisible());
    EXPECT_EQ(w->DirectionSet, "In");
    EXPECT_EQ(w->TITLENUM, 3);
    EXPECT_EQ(w->directiontoolbar->y(), w->Edit3->mapTo(w.get(), QPoint(0, 0)).y() - 28);
    EXPECT_EQ(w->directiontoolbar->x(), w->t1dirbutton->mapTo(w.get(), QPoint(0, 0)).x());
    EXPECT_TRUE(w->SpeedButton1->isChecked());
    EXPECT_FALSE(w->SpeedButton3->isChecked());

    w->T1DirOutButton->click();
    EXPECT_EQ(w->DirectionSet, "Out");
    EXPECT_EQ(w->directiontoolbar->x() + w->directiontoolbar->width(),
              w->T1DirOutButton->mapTo(w.get(), QPoint(0, 0)).x() + w->T1DirOutButton->width());
    EXPECT_FALSE(w->SpeedButton1->isChecked());

    w->SpeedButton3->click();
    EXPECT_TRUE(w->line(1).ShadowOn);
    EXPECT_TRUE(w->sav);
    w->SpeedButton3->click(); // back to the record's value: the mark stays
    EXPECT_TRUE(w->sav);
    w->SpeedButton1->click();
    EXPECT_TRUE(w->line(1).BlurOn);
    EXPECT_EQ(w->Undo1->text(), "Undo Smoothing");

    w->ToolButton9->click();
    EXPECT_FALSE(w->directiontoolbar->isVisible());
}

TEST_F(LineEditTest, DirectionCodesPathsAndTheirUndo) {
    w->line(2).OutDirection = 11;
    w->inPath(2).LastIndex = 4;
    w->outPath(2).LastIndex = 4;
    w->outPath(2).Points[0] = {10, 20};
    w->outPath(2).Points[999] = {7, 7};
    loadedAsShown();
    EXPECT_TRUE(w->line(2).OutPathArmed); // showing code 11 arms its path
    EXPECT_EQ(w->T2DirOutButton->property("directionCode").toInt(), 11);

    // The file's codes again: no mark.
    w->T2DirOutButton->click();
    w->dir[10]->click();
    EXPECT_FALSE(w->sav);
    EXPECT_EQ(w->outPath(2).LastIndex, 4);

    w->T2DirOutButton->click();
    w->dir[4]->click();
    EXPECT_EQ(w->line(2).OutDirection, 5);
    EXPECT_FALSE(w->line(2).OutPathArmed);
    EXPECT_EQ(w->outPath(2).LastIndex, -1);
    EXPECT_EQ(w->outPath(2).Points[0].x, 0);
    EXPECT_EQ(w->outPath(2).Points[999].x, 7); // the reset leaves the last slot
    EXPECT_EQ(w->inPath(2).LastIndex, 4);      // only the path of that kind
    EXPECT_FALSE(w->directiontoolbar->isVisible());
    EXPECT_EQ(w->T2DirOutButton->property("directionCode").toInt(), 5);
    EXPECT_TRUE(w->sav);

    w->Undo1->trigger();
    EXPECT_EQ(w->line(2).OutDirection, 11);
    EXPECT_TRUE(w->line(2).OutPathArmed);
    EXPECT_EQ(w->outPath(2).LastIndex, 4);
    EXPECT_EQ(w->outPath(2).Points[0].x, 10);
    EXPECT_EQ(w->T2DirOutButton->property("directionCode").toInt(), 11);
    EXPECT_FALSE(w->sav);
    w->Redo1->trigger();
    EXPECT_EQ(w->outPath(2).LastIndex, -1);
    EXPECT_TRUE(w->sav);

    // Code 11 chosen anew arms the path and leaves it as it is.
    w->t1dirbutton->click();
    w->dir[10]->click();
    EXPECT_TRUE(w->line(1).InPathArmed);
    EXPECT_EQ(w->line(1).InDirection, 11);
}

TEST_F(LineEditTest, ADragOfASliderIsOneStepAndALoadForgetsEveryEdit) {
    loadedAsShown();
    w->DelayTrackBar->setSliderDown(true);
    for (int v : {100, 200, 300})
        w->DelayTrackBar->setValue(v);
    w->DelayTrackBar->setSliderDown(false);
    w->DelayTrackBar->setValue(400); // a key step: a step of its own
    EXPECT_EQ(stack().count(), 2);
    w->Undo1->trigger();
    EXPECT_EQ(w->fadedelay, 300);
    EXPECT_EQ(w->TrackBar2->value(), 300);
    EXPECT_EQ(w->Label1->text(), "300");
    w->Undo1->trigger();
    EXPECT_EQ(w->fadedelay, 0);
    EXPECT_FALSE(w->sav);

    w->CheckBox1->setChecked(true);
    EXPECT_TRUE(w->sav);
    w->Undo1->trigger();
    EXPECT_FALSE(w->mpause);
    EXPECT_FALSE(w->CheckBox1->isChecked());
    EXPECT_FALSE(w->PauseTrackBar->isHidden());

    QTest::keyClicks(w->Edit3, "abc");
    ASSERT_TRUE(stack().canUndo());
    w->ShowPage(); // a page shown anew, as after a load
    EXPECT_FALSE(stack().canUndo());
    EXPECT_FALSE(stack().canRedo());
    EXPECT_EQ(w->Undo1->text(), "Undo");
}

TEST_F(LineEditTest, EditsSurviveASaveAndUndoingPastItMarksThePageAgain) {
    w->dpath = dir.path() + "/";
    w->ProjectName = "saved.kvt";
    loadedAsShown();
    QTest::keyClicks(w->Edit1, "Ab");
    w->SavePgToolButtonClick();
    ASSERT_FALSE(w->sav);
    ASSERT_TRUE(QFile::exists(dir.file("SAVED.000")));
    ASSERT_TRUE(stack().canUndo());

    // Back before the save: the page differs from its file.
    w->Undo1->trigger();
    EXPECT_EQ(w->Edit1->text(), "");
    EXPECT_TRUE(w->sav);
    // Forward again: the page is as written.
    w->Redo1->trigger();
    EXPECT_EQ(w->Edit1->text(), "Ab");
    EXPECT_FALSE(w->sav);

    // An edit after the save, undone, comes back to the page as saved.
    QTest::keyClicks(w->Edit2, "c");
    EXPECT_TRUE(w->sav);
    w->Undo1->trigger();
    EXPECT_FALSE(w->sav);
}

// A page read with many fields of a later version, saved with a title the record cannot hold:
// the later fields give way and the user is told; a page whose own names pass the block's limit
// is not saved, and the file keeps what it held.
TEST_F(LineEditTest, ASaveTellsWhatDidNotFitAndNeverWritesWhatCannotBeRead) {
    w->dpath = dir.path() + "/";
    w->ProjectName = "saved.kvt";
    velmora::PageExtension later;
    later.fields[0x7F01] = QByteArray(velmora::pageext::MaxBodySize - 20, 'a');
    ASSERT_TRUE(w->pageBuffer.loadFrom(QByteArray(velmora::PageRecordSize, '\0') +
                                       velmora::encodePageExtension(later)));
    w->Edit1->setText(QStringLiteral("Фильм"));
    seams.dialogs.clear();
    w->SavePgToolButtonClick();
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"Fields a later version wrote into this page were left out: they did "
                           "not fit beside the texts."}));
    EXPECT_FALSE(w->sav);
    QFile saved(dir.file("SAVED.000"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray before = saved.readAll();
    velmora::PageBuffer read;
    ASSERT_TRUE(read.loadFrom(before));
    PageImage back;
    read.decode(back);
    EXPECT_EQ(back.lines[0].Text, QStringLiteral("Фильм"));

    w->line(2).FontName = QString(velmora::pageext::MaxBodySize / 2 + 1, QChar(0x0416));
    seams.dialogs.clear();
    w->SavePgToolButtonClick();
    EXPECT_EQ(seams.dialogs.texts(),
              QStringList({"File error, Can not save page: its texts and names are too long for "
                           "a page file"}));
    saved.close();
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), before);
}
