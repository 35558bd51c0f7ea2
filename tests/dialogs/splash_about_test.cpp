#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QPointer>

#include "dialogs/About1.h"
#include "dialogs/splash.h"
#include "test_support.h"

using velmora::TAnimateXAbout;

TEST(Splash, ClosesItselfOnItsSixthTickAndIsReleasedAfterward) {
    velmora::ShowSplash();
    QPointer<velmora::Tsplasher> s = velmora::currentSplash();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->size(), QSize(200, 96));
    EXPECT_EQ(s->Label1->text(), "Velmora Pro ");
    EXPECT_TRUE(s->Label1->font().bold());
    EXPECT_EQ(s->Label1->font().pixelSize(), 32);
    EXPECT_EQ(s->Timer1->interval(), 500);
    EXPECT_TRUE(s->Timer1->isActive());
    for (int i = 0; i < 5; ++i)
        s->Timer1Timer();
    EXPECT_EQ(velmora::SplashTicks, 5);
    EXPECT_TRUE(s->isVisible());
    s->Timer1Timer();
    // Closed at once, still alive until this tick's handling is over.
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->isVisible());
    EXPECT_FALSE(s->Timer1->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(s);
}

TEST(About, ShowsTheVersionAndIsReleasedHoweverItCloses) {
    testsupport::Seams seams;
    QString label, caption;
    seams.dialogs.onModal = [&](QDialog& d) {
        auto& box = static_cast<TAnimateXAbout&>(d);
        label = box.NameLbl->text();
        caption = box.windowTitle();
        EXPECT_EQ(TAnimateXAbout::liveCount(), 1);
        EXPECT_TRUE(box.OkBtn->isDefault());
        EXPECT_EQ(box.OkBtn->text(), "&OK");
    };
    const int before = TAnimateXAbout::liveCount();
    velmora::ShowAboutBox("1.30");
    EXPECT_EQ(label, "Velmora PRO 1.30");
    EXPECT_EQ(caption, "About Velmora Pro ");
    EXPECT_EQ(TAnimateXAbout::liveCount(), before);

    seams.dialogs.modalResults.push_back(QDialog::Accepted);
    velmora::ShowAboutBox("1.0");
    EXPECT_EQ(label, "Velmora PRO 1.0");
    EXPECT_EQ(TAnimateXAbout::liveCount(), before);
}

TEST(About, EscapeAndTheOkButtonBothEndTheBox) {
    // Driven for real: the box runs its own event loop until a key or the button ends it.
    for (int way = 0; way < 2; ++way) {
        TAnimateXAbout box;
        QTimer::singleShot(0, &box, [&box, way] {
            if (way == 0)
                box.reject(); // what Escape and the system menu do
            else
                box.OkBtn->click();
        });
        const int r = box.exec();
        EXPECT_EQ(r, way == 0 ? QDialog::Rejected : QDialog::Accepted);
    }
}
