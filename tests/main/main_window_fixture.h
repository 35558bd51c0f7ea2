#pragma once
#include <gtest/gtest.h>
#include <memory>
#include <QApplication>

#include "main/bitmov2.h"
#include "model/settings.h"
#include "test_support.h"

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
