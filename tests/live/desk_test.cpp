// The live desk as its operators see it: the state as JSON and a signal whenever it changes,
// lines coming to rest included, but not on frames where nothing changed.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

#include "live/rundown.h"
#include "live/desk.h"
#include "test_support.h"

namespace {

TEST(LiveDesk, TellsEachChangeOfTheStateAndOnlyThose) {
    testsupport::Seams seams;
    velmora::PageImage page;
    page.lines[0].Text = QStringLiteral("Naïve \"quoted\"");
    page.lines[0].attrs.InUse = true;
    page.lines[0].attrs.FontSize = 20;
    page.lines[0].attrs.FontColor = platform::clWhite;
    page.lines[0].attrs.InDirection = 5;
    page.lines[0].PosX = 10;
    page.settings.fadedelay = 200; // 5000 pixels a second
    platform::Bitmap frame(160, 120, platform::PixelFormat::Bits32);
    const platform::StageView view = platform::StageView::fit(320, 240, 160, 120);
    velmora::live::SilentControl silent;
    platform::ManualClock clock;
    constexpr std::uint64_t Period = 16666666;
    velmora::live::LiveDesk s({"000", "001"}, {page, page}, {}, view, silent, frame, Period,
                                 clock, [](const QRect&) {});
    QSignalSpy spy(&s, &velmora::live::LiveDesk::changed);
    const auto state = [&] { return QJsonDocument::fromJson(s.stateJson()).object(); };
    EXPECT_EQ(s.stateJson(), QByteArray(R"({"cued":"000","live":true,"moving":false,"onAir":null,"pages":[)"
                                        R"({"lines":["Naïve \"quoted\"","",""],"page":"000"},)"
                                        R"({"lines":["Naïve \"quoted\"","",""],"page":"001"}]})"));
    s.show().start();
    s.take();
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(state()["onAir"].toString(), "000");
    EXPECT_EQ(state()["cued"].toString(), "001");
    EXPECT_TRUE(state()["moving"].toBool());
    // Frames pass; the signal comes once more, when the line comes to rest.
    for (int k = 0; k < 60; ++k) {
        clock.now += Period;
        s.show().wake();
        s.framePresented();
    }
    EXPECT_EQ(spy.count(), 2);
    EXPECT_FALSE(state()["moving"].toBool());
    s.cue(0);
    EXPECT_EQ(spy.count(), 3);
    s.cue(0); // no change, no signal
    EXPECT_EQ(spy.count(), 3);
    velmora::PageImage edited = page;
    edited.lines[1].Text = QStringLiteral("second");
    s.edit(1, edited);
    EXPECT_EQ(spy.count(), 4);
    EXPECT_EQ(state()["pages"].toArray()[1].toObject()["lines"].toArray()[1].toString(), "second");
    s.cut();
    EXPECT_EQ(spy.count(), 5);
    EXPECT_TRUE(state()["onAir"].isNull());
}

} // namespace
