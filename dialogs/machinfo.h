#pragma once
#include <array>
#include <QDialog>
#include <QString>
#include <QStringList>

#include "dialogs/machinfo_texts.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;

namespace velmora {

class TBitMovOptMain;

// "Under Your Hood": what this machine offers a titler, in five tabs: the display, the system
// and memory, and the wave and MIDI devices. It only reads and shows; it can print a memory
// report. Memory figures are refreshed every second while it is shown.
class TMachInfo : public QDialog {
    Q_OBJECT

public:
    explicit TMachInfo(TBitMovOptMain* main);

    enum Tab { SystemInfoTab, WaveOutTab, MidiOutTab, WaveInTab, MidiInTab };

    QTabWidget* PageControl1 = nullptr;
    QPushButton* BitBtn1 = nullptr;      // "Close the Hood"
    QPushButton* SpeedButton1 = nullptr; // "Print memory information"
    QTimer* Timer1 = nullptr;

    // "System Info": the display (by caption), the right block (by its index 11..20), the
    // system, memory and heap figures.
    QLabel* BitsPerPixel = nullptr;
    QLabel* Resolution = nullptr;
    QLabel* DisplaySize = nullptr;
    QLabel* PaletteColors = nullptr;
    QLabel* ReservedPalette = nullptr;
    QLabel* RefreshRate = nullptr;
    QLabel* DesktopHori = nullptr;
    QLabel* DesktopVert = nullptr;
    QLabel* HoriAspect = nullptr;
    QLabel* VertAspect = nullptr;
    std::array<QLabel*, 10> deviceCaps{}; // GetDeviceInfo(11) .. GetDeviceInfo(20)
    QLabel* SystemVersion = nullptr;
    QLabel* ServicePack = nullptr;
    QLabel* OperatingSystem = nullptr;
    QLabel* ProcessorType = nullptr;
    QLabel* Processors = nullptr;
    QLabel* ProcessorLevel = nullptr;
    QLabel* ProcessorRevision = nullptr;
    QLabel* BuildNumber = nullptr;
    QLabel* ComputerName = nullptr;
    QLabel* memload = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* totalphysmem = nullptr;
    QLabel* availphysmem = nullptr;
    QLabel* totalvirtmem = nullptr;
    QLabel* availvirtmem = nullptr;
    std::array<QLabel*, HeapFigureCount> heap{};
    QLabel* AllocMemCount = nullptr;
    QLabel* AllocMemSize = nullptr;
    QLabel* Clock = nullptr;       // bottom right
    QLabel* CommonControls = nullptr; // bottom left: FileVersion("comctl32.dll")

    // A device tab: its list and figures. `own` are the tab's own figures in the order of
    // their captions. Row R of the list is device R + firstListed: -1 is the mapper.
    struct DeviceTab {
        QWidget* page = nullptr;
        QListWidget* list = nullptr;
        int firstListed = 0;
        QLabel* id = nullptr;
        QLabel* manufacturer = nullptr;
        QLabel* product = nullptr;
        QLabel* version = nullptr;
        QLabel* name = nullptr;
        std::array<QLabel*, 5> own{};
    };
    DeviceTab waveOut, midiOut, waveIn, midiIn;

    void FormShow();
    void FormActivate();
    void FormClose();
    void BitBtn1Click();
    void Timer1Timer();
    void PageControl1Change();
    void ListBox1Click(int row);
    void ListBox2Click(int row);
    void ListBox3Click(int row);
    void ListBox4Click(int row);
    void ShowUndertheHood();
    void memcheck();
    int GetDeviceInfo(int index);
    void WaveInfoOut(int id);
    void MidiInfoOut(int id);
    void WaveInfoIn(int id);
    void MidiInfoIn(int id);
    void SpeedButton1Click();
    static QString FileVersion(const QString& fileName);
    // The memory report's lines as they would be printed now.
    QStringList memoryReport() const;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildSystemTab();
    DeviceTab buildDeviceTab(const QString& title, const QString& idCaption,
                             const QStringList& ownCaptions);

    TBitMovOptMain* main_;
};

} // namespace velmora
