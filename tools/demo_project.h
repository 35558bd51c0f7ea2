#pragma once
#include <QString>
#include <QStringList>
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

// What the demo writer's command line asks: a folder to write into, or the usage to print
// (with the exit status: 0 when asked for with --help, 2 for anything it cannot take).
struct DemoCommand {
    QString folder;
    QString usage;
    int status = 0;
};
DemoCommand demoCommand(const QStringList& arguments); // without the program's name

} // namespace velmora::demo
