#pragma once

namespace velmora::platform {

// The screen the program plays on (the show's screen, platform/ShowScreen.h): its size in
// pixels and its colour depth in bits per pixel.
// Tests and the headless renderer set a virtual screen instead of the real one.
class Screen {
public:
    static int width();
    static int height();
    static int depth();
    // Device pixels per logical pixel (2 on a screen scaled twice); 1 on a virtual screen.
    static double pixelRatio();

    static void setVirtual(int width, int height, int depth);
    static void clearVirtual();
};

} // namespace velmora::platform
