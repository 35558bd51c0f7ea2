#pragma once
#include <memory>

class QApplication;
class QString;

namespace velmora {

class TBitMovOptMain;
class TbFontForm;
class Tbdebug;
class TBconfig;
class TCan;
class Tefxctr;
class TMachInfo;
class TExportDialog;
class TShowScreen;
class TLiveWindow;
class TRemoteDialog;
class RemoteDesk;
namespace remote {
class RemoteServer;
}

// The program's windows, each created once at start and kept until the program ends.
struct Windows {
    std::unique_ptr<TBitMovOptMain> BitMovOptMain;
    std::unique_ptr<TbFontForm> bFontForm;
    std::unique_ptr<Tbdebug> bdebug;
    std::unique_ptr<TBconfig> Bconfig;
    std::unique_ptr<TCan> Can;
    std::unique_ptr<Tefxctr> efxctr;
    std::unique_ptr<TMachInfo> MachInfo;
    std::unique_ptr<TExportDialog> exportDialog; // made when first asked for
    std::unique_ptr<TShowScreen> showScreen;     // made when first asked for
    std::unique_ptr<TLiveWindow> live;           // made when first asked for
    std::unique_ptr<TRemoteDialog> remoteDialog; // made when first asked for
    // The remote control, listening as the settings file says.
    std::unique_ptr<RemoteDesk> desk;
    std::unique_ptr<remote::RemoteServer> remote;
    ~Windows();
};

// Sets the application's title and help file.
void initialiseApplication(QApplication& app);
// Once the playback window exists: the page's start defaults, the two windows joined, the
// page shown and the settings read (which may open the last project).
void startPage(TBitMovOptMain& main, TCan& can);
// Creates the windows in their order. withSplash false leaves the splash out (tests).
std::unique_ptr<Windows> createWindows(bool withSplash = true);

// Opens the project file named on the command line once the windows exist, as the "Open"
// command opens a chosen one. A missing or unreadable file is said in an error message and
// leaves the program as it started; false then.
bool openProjectFromCommandLine(TBitMovOptMain& main, const QString& file);

} // namespace velmora
