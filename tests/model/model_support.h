#pragma once
// What the model's tests share: a template page whose every field holds a value of its own, and
// a page decoded from the bytes of a file.
#include <gtest/gtest.h>

#include "model/page_file.h"

namespace modeltest {

// Three styled lines with paths and a wave; line 3 shows a picture.
inline velmora::PageImage styledTemplate() {
    velmora::PageImage t;
    for (int i = 0; i < 3; ++i) {
        velmora::PageImage::Line& l = t.lines[i];
        l.Text = QString("template %1").arg(i + 1);
        l.FontStyle = std::uint8_t(1 + i);
        l.PosX = 100 + i;
        l.PosY = 200 + 50 * i;
        l.attrs.FontName = "DejaVu Serif";
        l.attrs.FontSize = 70 - 10 * i;
        l.attrs.FontColor = 0x00FFCC + i;
        l.attrs.ShadowColor = 0x202020;
        l.attrs.ShadowOn = true;
        l.attrs.GradientOn = i == 1;
        l.attrs.GradientStartColor = 0x0000FF;
        l.attrs.BlurOn = i == 2;
        l.attrs.InDirection = 11;
        l.attrs.OutDirection = 7 + i;
        l.attrs.WaveFile = "whoosh.wav";
        l.InPath.LastIndex = 2;
        l.InPath.Points[0] = {10, 20};
        l.InPath.Points[1] = {30, 40};
    }
    t.lines[2].Text.clear();
    t.lines[2].attrs.BitmapFile = "logo.bmp";
    t.settings = {4000, 7, true};
    return t;
}

// The page a file of these bytes holds, as the program reads it.
inline velmora::PageImage decodedFrom(const QByteArray& data) {
    velmora::PageBuffer b;
    EXPECT_TRUE(b.loadFrom(data));
    velmora::PageImage p;
    EXPECT_TRUE(b.decode(p));
    return p;
}

} // namespace modeltest
