#pragma once
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <QApplication>
#include <QLineEdit>
#include <QStringList>

#include "main/bitmov2.h"
#include "model/page_file.h"
#include "model/playback_port.h"
#include "model/settings.h"
#include "test_support.h"

namespace testsupport {

// Stands in for the playback window: it records what the show commands ask of it.
class FakePlayback : public velmora::PlaybackPort {
public:
    explicit FakePlayback(velmora::TBitMovOptMain& m) : main(m) {}
    void PlayPage(const QString& name) override {
        played << name + ":" + main.Edit1->text();
        if (onPlay) onPlay(name);
    }
    bool getkillnow() const override { return killnow; }
    void setkillnow(bool v) override { killnow = v; }
    void killcan() override { ++killcans; }
    void pauseUNtilSpaceBarReset() override {
        ++spaceWaits;
        spcbar = false;
    }
    bool spcbarpause() const override { return spcbar; }
    void setspcbarpause(bool v) override { spcbar = v; }
    void setPlaybackEnabled(bool e) override { enabled = e; }
    bool playbackEnabled() const override { return enabled; }
    void showPlayback() override { ++shows; }
    void invalidatePlayback() override { ++invalidates; }
    void StartAlign() override { ++aligns; }
    void hidePlayback() override { ++hides; }

    velmora::TBitMovOptMain& main;
    QStringList played; // "page name:text of line 1"
    std::function<void(const QString&)> onPlay;
    bool killnow = false, spcbar = false, enabled = false;
    int killcans = 0, spaceWaits = 0, shows = 0, invalidates = 0, aligns = 0, hides = 0;
};

} // namespace testsupport

// A main window of its own, with its settings file in a fresh folder and the program's end
// counted instead of carried out.
class MainWindowTest : public ::testing::Test {
protected:
    struct Halted {};

    void SetUp() override {
        velmora::setSettingsFilePath(dir.file("velmora.ini"));
        saved = velmora::programEnd();
        velmora::programEnd().close = [this] { ++closes; };
        velmora::programEnd().halt = [this] {
            ++halts;
            throw Halted{};
        };
        w = std::make_unique<velmora::TBitMovOptMain>();
    }

    void TearDown() override {
        w.reset();
        velmora::programEnd() = saved;
        velmora::setSettingsFilePath(QString());
    }

    testsupport::TempDir dir;
    testsupport::Seams seams;
    velmora::ProgramEnd saved;
    std::unique_ptr<velmora::TBitMovOptMain> w;
    int closes = 0;
    int halts = 0;
};

// The main window with a playback window that records, and its projects in the test folder.
class ProjectWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        playback = std::make_unique<testsupport::FakePlayback>(*w);
        w->setPlayback(playback.get());
        project = dir.path() + "/";
    }
    void TearDown() override {
        w->setPlayback(nullptr);
        MainWindowTest::TearDown();
    }

    // A project "show.kvt" in the project folder, saved through the Save Project command.
    void newProject() {
        seams.dialogs.files.push_back(project + "show");
        w->SaveprojectClick1();
        ASSERT_EQ(w->ProjectName, "show.kvt");
    }

    // Pages 000..last made with New Page and saved, line 1 reading `text` with the page's
    // number; `style` may change each page before it is saved.
    void makePages(int last, const QString& text = "page %1",
                   const std::function<void(int)>& style = {}) {
        for (int i = 0; i <= last; ++i) {
            w->NewPageButtonClick();
            w->Edit1->setText(text.arg(i));
            if (style) style(i);
            w->SaveCurPage();
            ASSERT_FALSE(w->sav);
        }
    }

    // What was asked is forgotten; the next questions get these answers, the next file dialogs
    // these files (nullopt: cancelled).
    void script(std::initializer_list<platform::Answer> answers,
                std::initializer_list<std::optional<QString>> files = {}) {
        seams.dialogs.clear();
        seams.dialogs.answers = answers;
        seams.dialogs.files = files;
    }

    QString page(int n) const {
        return project + "SHOW." + QString("%1").arg(n, 3, 10, QChar('0'));
    }

    // Line 1 of page n as the window loads it.
    QString loadedTitle(int n) {
        w->currentpage = n;
        w->LoadPage(w->ProjectName);
        return w->Edit1->text();
    }

    // Page n as its file holds it.
    velmora::PageImage stored(int n) const {
        velmora::PageBuffer b;
        EXPECT_EQ(velmora::readPageFile(page(n), b), velmora::PageReadResult::Ok) << n;
        velmora::PageImage p;
        b.decode(p);
        return p;
    }

    std::unique_ptr<testsupport::FakePlayback> playback;
    QString project;
};
