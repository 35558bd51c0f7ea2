#pragma once
#include <gtest/gtest.h>
#include <memory>
#include <QCoreApplication>
#include <QMouseEvent>

#include "main/bitmov2.h"
#include "model/settings.h"
#include "platform/Pump.h"
#include "platform/Screen.h"
#include "playback/bitmcan.h"
#include "test_support.h"

// The real main window and playback window, joined as the program joins them, on a 640 x 480
// virtual screen, with the clock counting and dialogs answered by script.
class PlaybackWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Screen::setVirtual(640, 480, 32);
        velmora::setSettingsFilePath(dir.file("velmora.ini"));
        main = std::make_unique<velmora::TBitMovOptMain>();
        velmora::PlaybackHost host;
        host.state = [this] { return main->editorState(); };
        host.returnToEditor = [this] { main->returnFromPlayback(); };
        host.setAlignMode = [this](bool on) { main->AlignMode = on; };
        host.showProjectInformation = [this] { ++infoShown; };
        can = std::make_unique<velmora::TCan>(main->document(), std::move(host));
        main->setPlayback(can.get());
    }
    void TearDown() override {
        platform::setPumpHook({});
        main->setPlayback(nullptr);
        can.reset();
        main.reset();
        velmora::setSettingsFilePath(QString());
        platform::Screen::clearVirtual();
    }

    // A mouse event sent to w at the point at, in w's coordinates.
    static void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                     Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, mods);
        QCoreApplication::sendEvent(w, &e);
    }

    testsupport::TempDir dir;
    testsupport::Seams seams;
    std::unique_ptr<velmora::TBitMovOptMain> main;
    std::unique_ptr<velmora::TCan> can;
    int infoShown = 0; // times the align screen asked for the project information
};
