#include <gtest/gtest.h>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <QWidget>

#include "platform/Help.h"
#include "test_support.h"

using testsupport::helpTextInSight;
using testsupport::helpView;

namespace {

// Each topic as the program opens it, with words of its own text that must be in sight once
// it is open, not just its title.
struct Topic {
    const char* title;
    const char* words;
};
const Topic topics[] = {
    {"Contents", "Velmora Pro Help"},
    {"About Pausing and Delays", "pace the page on screen"},
    {"Buttons", "The tool bar across the top"},
    {"Drawing Paths By Hand", "shows the page full screen"},
    {"Live", "moves out from wherever its lines are"},
    {"Remote Control", "lets a control desk, a script or a phone operate Live"},
};

void open(const QString& title) {
    if (title == QLatin1String("Contents"))
        platform::Help::showContents();
    else
        ASSERT_TRUE(platform::Help::showTopic(title));
}

} // namespace

TEST(Help, EachTopicOpensInTheHelpWindowWithItsTextInSightAndAnUnknownOneIsRefused) {
    // Every topic twice, so each one is also opened over another already shown.
    for (int round = 0; round < 2; ++round) {
        for (const Topic& t : topics) {
            SCOPED_TRACE(t.title);
            open(QString::fromLatin1(t.title));
            EXPECT_EQ(platform::Help::lastShown(), t.title);
            ASSERT_NE(platform::Help::window(), nullptr);
            EXPECT_TRUE(platform::Help::window()->isVisible());
            QTextBrowser* view = helpView();
            ASSERT_NE(view, nullptr);
            EXPECT_TRUE(view->document()->toPlainText().contains(QLatin1String(t.words)))
                << "the help window holds: " << view->document()->toPlainText().toStdString();
            const QString inSight = helpTextInSight();
            EXPECT_TRUE(inSight.contains(QLatin1String(t.title))) << inSight.toStdString();
            // The topic leads the view (the contents: the page's top), unless the page ends
            // before the view does.
            const QScrollBar* bar = view->verticalScrollBar();
            const bool top = bar->value() == 0;
            EXPECT_EQ(top, t.title == QLatin1String("Contents")) << bar->value();
            EXPECT_TRUE(inSight.startsWith(QLatin1String(top ? "Velmora Pro Help" : t.title)) ||
                        bar->value() == bar->maximum())
                << inSight.toStdString();
            EXPECT_TRUE(inSight.contains(QLatin1String(t.words))) << inSight.toStdString();
        }
    }
    // The contents list every topic.
    platform::Help::showContents();
    const QString contents = helpTextInSight();
    for (const Topic& t : topics)
        EXPECT_TRUE(contents.contains(QLatin1String(t.title))) << t.title;
    // A topic the help does not have is refused.
    EXPECT_FALSE(platform::Help::showTopic("No such topic"));
    EXPECT_EQ(platform::Help::lastShown(), "Contents");
    platform::Help::window()->hide();
}

TEST(Help, AHelpFileThatCannotBeFoundIsSaidInTheWindow) {
    const QString page = platform::Help::helpFile();
    platform::Help::setHelpFile(QStringLiteral("/no/such/folder/Velmora.html"));
    platform::Help::showContents();
    const QString inSight = testsupport::helpTextInSight();
    EXPECT_TRUE(inSight.contains("The help file /no/such/folder/Velmora.html could not be found"))
        << inSight.toStdString();
    // The page that is there shows again once it is named.
    platform::Help::setHelpFile(page);
    ASSERT_TRUE(platform::Help::showTopic("Buttons"));
    EXPECT_TRUE(testsupport::helpTextInSight().contains("The tool bar across the top"));
    platform::Help::window()->hide();
}
