#pragma once
#include <QString>
#include <vector>

#include "model/page_record.h"

namespace velmora::demo {

// The stage the demo's pages are laid out in.
constexpr int DemoStageWidth = 800;
constexpr int DemoStageHeight = 600;

// The pages of the demo project, in order.
std::vector<PageImage> demoPages();
// Writes demo.kvt, DEMO.000.. and demo_logo.bmp into the folder (ending in '/').
bool writeDemo(const QString& folder);

} // namespace velmora::demo
