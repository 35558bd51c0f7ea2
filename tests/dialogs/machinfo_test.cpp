// "Under Your Hood": its name tables and capability texts, the memory report, and the window
// with devices of the test's own.
#include <algorithm>
#include <gtest/gtest.h>
#include <QDateTime>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>
#include <QVersionNumber>
#include <set>

#include "dialogs/machinfo.h"
#include "dialogs/machinfo_texts.h"
#include "main/main_window_fixture.h"
#include "platform/MediaDevices.h"
#include "platform/SystemInfo.h"
#include "test_support.h"

using namespace velmora;

TEST(HoodTexts, ManufacturerAndProductNames) {
    EXPECT_EQ(MMManufacturerName(1), "Microsoft");
    EXPECT_EQ(MMManufacturerName(126), "Fast(AvMaster)");
    EXPECT_EQ(MMManufacturerName(136), "D A L");
    EXPECT_EQ(MMManufacturerName(2), "Unknow 2");
    EXPECT_EQ(MMManufacturerName(0), "Unknow 0");
    const QString unlisted = "Unknow or Unlisted Manufacturer";
    const std::pair<int, QString> products[] = {
        {1, "MIDI Mapper"}, {2, "Wave Mapper"}, {3, "Sound Blaster MIDI output port"},
        {7, "Sound Blaster waveform input"}, {8, unlisted}, {9, " Ad Lib-compatible synthesizer"},
        {12, "Joystick adapter"}, {0, unlisted}, {13, unlisted}, {-1, unlisted}};
    for (const auto& [id, name] : products)
        EXPECT_EQ(MMProductName(id), name) << id;
}

TEST(HoodTexts, CapabilityTextsPutTheHighestBitFirstAndKeep255Characters) {
    EXPECT_EQ(midiSupportText(1 | 4), "Can CACHE\rSupports volume control\r");
    EXPECT_EQ(midiSupportText(0), "");
    EXPECT_EQ(shownLines(midiSupportText(1 | 4)), "Can CACHE\nSupports volume control\n");
    EXPECT_EQ(waveFormatsText(512), " 44.1   kHz, Stereo,  8-bit\r");
    EXPECT_EQ(waveFormatsText(1 | 16), " 22.05  kHz, Mono,   8-bit \r 11.025 kHz, Mono,   8-bit \r");

    // All twelve formats: 336 characters, of which the first 255 are kept.
    const QString all = waveFormatsText(0xFFF);
    EXPECT_EQ(all.size(), 255);
    EXPECT_TRUE(all.startsWith(" 44.1   kHz, Stereo, 16-bit\r 44.1   kHz, Mono,   16-bit\r"));
    QString whole;
    for (int bit = 11; bit >= 0; --bit)
        whole += waveFormatsText(1u << bit);
    EXPECT_EQ(whole.size(), 12 * 28);
    EXPECT_EQ(all, whole.left(255));
    // Bits above the table's have no text.
    EXPECT_EQ(waveFormatsText(0x1000), "");

    EXPECT_TRUE(waveOutSupportText(0x7F).startsWith("Direct SoundReturns sample-accurate\r"));
    EXPECT_EQ(waveOutSupportText(4), "Supports volume control\r");
    const std::pair<int, const char*> tech[] = {
        {0, ""}, {1, "Output port\r"}, {4, "FM internal synth\r"}, {5, "MIDI mapper\r"}, {6, ""}};
    for (const auto& [value, text] : tech)
        EXPECT_EQ(midiTechnologyText(value), text) << value;
}

TEST(HoodTexts, SystemFiguresAndNumbers) {
    OsFigures os;
    os.platformId = 2;
    os.major = 4;
    os.minor = 0;
    os.build = 0x12345678;
    os.processorType = 586;
    os.servicePack = QString(200, 'x');
    EXPECT_EQ(WinVerString(0, os), "Windows NT");
    EXPECT_EQ(WinVerString(1, os), "4.00");
    EXPECT_EQ(WinVerString(3, os), "Pentium");
    EXPECT_EQ(WinVerString(7, os).size(), 128);
    EXPECT_EQ(WinVerString(8, os), QString::number(0x5678));
    os.platformId = 1;
    EXPECT_EQ(WinVerString(2, os), "Windows 95");
    os.platformId = -1;
    os.minor = 12;
    os.processorType = 8664;
    EXPECT_EQ(WinVerString(0, os), "Unknown");
    EXPECT_EQ(WinVerString(1, os), "4.12");
    EXPECT_EQ(WinVerString(3, os), "Unknown (8664)");

    EXPECT_EQ(driverVersionText(0x0400), "4.0");
    EXPECT_EQ(driverVersionText(0xFFFF0A05), "10.5");
    EXPECT_EQ(thousands(0, ","), "0");
    EXPECT_EQ(thousands(999, ","), "999");
    EXPECT_EQ(thousands(1000, ","), "1,000");
    EXPECT_EQ(thousands(-1234567, "."), "-1.234.567");
    EXPECT_EQ(kilobytes(65024ull * 1024 + 1023).endsWith(" KB"), true);
    EXPECT_EQ(kilobytes(65024ull * 1024 + 1023).remove(QLocale().groupSeparator()), "65024 KB");
}

TEST(HoodTexts, FormatMasksAndMemoryFromTheSystemsFigures) {
    using platform::waveFormatMask;
    EXPECT_EQ(waveFormatMask(8000, 48000, 1, 2, true, true), 0xFFFu);
    EXPECT_EQ(waveFormatMask(44100, 44100, 2, 2, false, true), 2048u);
    EXPECT_EQ(waveFormatMask(22050, 22050, 1, 1, true, false), 16u);
    EXPECT_EQ(waveFormatMask(48000, 96000, 1, 8, true, true), 0u);

    const auto m = platform::SystemInfo::memoryFromMeminfo(
        "MemTotal:        4000 kB\nMemFree:  100 kB\nMemAvailable:    1000 kB\n"
        "SwapTotal:       2000 kB\nSwapFree:        500 kB\n");
    EXPECT_EQ(m.totalPhys, 4000u * 1024);
    EXPECT_EQ(m.availPhys, 1000u * 1024);
    EXPECT_EQ(m.totalVirt, 6000u * 1024);
    EXPECT_EQ(m.availVirt, 1500u * 1024);
    EXPECT_EQ(m.load, 75);
    EXPECT_EQ(platform::SystemInfo::memoryFromMeminfo("").load, 0);
}

namespace {

class LineSurface : public platform::PrintSurface {
public:
    int pageWidth() const override { return 5000; }
    int pageHeight() const override { return 7000; }
    void setFontName(const QString& f) override { face = f; }
    void setFontSize(int p) override { points = p; }
    int textHeight(const QString&) const override { return face == "Courier" && points == 10 ? 50 : 1; }
    void textOut(int x, int y, const QString& t) override { lines.push_back({x, y, t}); }
    int pageNumber() const override { return 1; }
    void newPage() override {}
    QString face;
    int points = 0;
    struct Line {
        int x, y;
        QString text;
    };
    std::vector<Line> lines;
};

class FakeDevices : public platform::MediaDevices {
public:
    std::vector<platform::WaveCaps> outs, ins; // index 0 is the mapper
    std::vector<platform::MidiCaps> midiOuts, midiIns;
    std::set<int> failing;                     // identifiers whose query fails
    int waveOutCount() override { return std::max(0, int(outs.size()) - 1); }
    std::optional<platform::WaveCaps> waveOut(int id) override { return pick(outs, id + 1, id); }
    int waveInCount() override { return std::max(0, int(ins.size()) - 1); }
    std::optional<platform::WaveCaps> waveIn(int id) override { return pick(ins, id + 1, id); }
    int midiOutCount() override { return std::max(0, int(midiOuts.size()) - 1); }
    std::optional<platform::MidiCaps> midiOut(int id) override { return pick(midiOuts, id + 1, id); }
    int midiInCount() override { return int(midiIns.size()); }
    std::optional<platform::MidiCaps> midiIn(int id) override { return pick(midiIns, id, id); }

private:
    template <typename T>
    std::optional<T> pick(const std::vector<T>& v, int index, int id) {
        if (failing.count(id) || index < 0 || index >= int(v.size())) return std::nullopt;
        return v[index];
    }
};

platform::WaveCaps wave(const QString& name, int product, std::uint32_t formats) {
    platform::WaveCaps c;
    c.productName = name;
    c.manufacturerId = 1;
    c.productId = product;
    c.driverVersion = 0x0400;
    c.formats = formats;
    c.channels = 2;
    c.support = 4 | 8;
    return c;
}

} // namespace

TEST(HoodTexts, TheMemoryReportIsPrintedLineByLineInCourier) {
    std::array<std::int64_t, HeapFigureCount> heap{};
    for (int i = 0; i < HeapFigureCount; ++i)
        heap[i] = 1000 * (i + 1);
    const QStringList lines = memoryReportLines("Velmora-32", "today", heap,
                                                {"1 KB", "2 KB", "?", "?"}, 12345, 67890);
    ASSERT_EQ(lines.size(), 21);
    EXPECT_EQ(lines[0], "Program: Velmora-32 Information ");
    EXPECT_EQ(lines[1], "today");
    for (int i : {2, 13, 18})
        EXPECT_EQ(lines[i], QString(27, '_'));
    EXPECT_EQ(lines[3], "TotalAddrSpace   " + thousands(1000));
    EXPECT_EQ(lines[12], "HeapErrorCode    " + thousands(10000));
    EXPECT_EQ(lines[14], "TotalPhysMem     1 KB");
    EXPECT_EQ(lines[17], "AvailVirtMem     ?");
    EXPECT_EQ(lines[19], "AllocMemCount    12345");
    EXPECT_EQ(lines[20], "AllocMemSize     67890");

    LineSurface s;
    printMemoryReport(s, lines);
    ASSERT_EQ(s.lines.size(), 21u);
    for (int k = 0; k < 21; ++k) {
        EXPECT_EQ(s.lines[k].x, 10);
        EXPECT_EQ(s.lines[k].y, 40 + k * 55) << k;
        EXPECT_EQ(s.lines[k].text, lines[k]);
    }
}

// The window over a main window of its own, with the devices the test gives it.
class HoodTest : public MainWindowTest {
protected:
    void SetUp() override {
        platform::setMediaDevices(&devices);
        MainWindowTest::SetUp();
        hood = std::make_unique<TMachInfo>(w.get());
    }
    void TearDown() override {
        hood.reset();
        MainWindowTest::TearDown();
        platform::setMediaDevices(nullptr);
    }
    QStringList rows(QListWidget* l) {
        QStringList r;
        for (int i = 0; i < l->count(); ++i)
            r << l->item(i)->text();
        return r;
    }
    FakeDevices devices;
    std::unique_ptr<TMachInfo> hood;
};

TEST_F(HoodTest, ShowingFillsTheSystemTabAndRunsTheTimerUntilClosed) {
    EXPECT_EQ(hood->PageControl1->count(), 5);
    EXPECT_EQ(hood->PageControl1->tabText(0), "System Info");
    EXPECT_EQ(hood->totalphysmem->text(), "?");
    hood->show();
    EXPECT_EQ(hood->PageControl1->currentIndex(), 0);
    EXPECT_TRUE(hood->Timer1->isActive());
    EXPECT_EQ(hood->Timer1->interval(), 1000);
    // This machine's display: the offscreen screen of 800 x 800 at 96 dpi, 32 bits.
    EXPECT_EQ(hood->DisplaySize->text(), "800 x 800");
    EXPECT_EQ(hood->BitsPerPixel->text(), "32");
    EXPECT_EQ(hood->deviceCaps[2]->text(), "800"); // width in pixels
    EXPECT_EQ(hood->deviceCaps[4]->text(), "96");  // pixels per logical inch
    EXPECT_EQ(hood->deviceCaps[7]->text(), "1");   // colour planes
    // Not Windows NT: the three NT figures keep their caption.
    EXPECT_EQ(hood->OperatingSystem->text(), "Unknown");
    EXPECT_EQ(hood->RefreshRate->text(), "Nt Only");
    EXPECT_EQ(hood->DesktopHori->text(), "Nt Only");
    EXPECT_EQ(hood->DesktopVert->text(), "Nt Only");
    EXPECT_FALSE(hood->ComputerName->text().isEmpty());
    EXPECT_LE(hood->ComputerName->text().size(), 15);
    EXPECT_EQ(hood->CommonControls->text(),
              QString::number(QVersionNumber::fromString(qVersion()).minorVersion()));
    EXPECT_NE(hood->heap[3]->text(), "?"); // TotalAllocated

    // Before the first tick the report's memory lines repeat the labels' "?".
    QStringList report = hood->memoryReport();
    EXPECT_EQ(report[14], "TotalPhysMem     ?");
    hood->Timer1Timer();
    EXPECT_TRUE(hood->memload->text().endsWith('%'));
    EXPECT_EQ(hood->ProgressBar1->value(), hood->memload->text().chopped(1).toInt());
    EXPECT_TRUE(hood->totalphysmem->text().endsWith(" KB"));
    EXPECT_NE(hood->Clock->text(), "?");
    report = hood->memoryReport();
    EXPECT_EQ(report[14], "TotalPhysMem     " + hood->totalphysmem->text());
    EXPECT_EQ(hood->totalphysmem->accessibleName(), "Total Phys Memory:: " + hood->totalphysmem->text());

    hood->BitBtn1Click();
    EXPECT_FALSE(hood->isVisible());
    EXPECT_FALSE(hood->Timer1->isActive());
}

TEST_F(HoodTest, DeviceTabsListTheDevicesFromTheMapperAndShowTheChosenOne) {
    devices.outs = {wave("Default out", 2, 0xFFF), wave("Card A", 6, 2048), wave("Card B", 8, 1)};
    devices.ins = {wave("Default in", 2, 0), wave("Mic 0", 7, 16), wave("Mic 1", 7, 32)};
    platform::MidiCaps synth;
    synth.productName = "Synth";
    synth.technology = 4;
    synth.voices = 32;
    synth.notes = 64;
    synth.channelMask = 0xFFFF;
    synth.support = 1 | 4;
    platform::MidiCaps port;
    port.productName = "Port";
    port.technology = 1;
    devices.midiOuts = {synth, port};
    devices.midiIns = {port, synth};
    hood->show();

    hood->PageControl1->setCurrentIndex(TMachInfo::WaveOutTab);
    EXPECT_EQ(hood->PageControl1->tabText(1), "Wave Out 2");
    EXPECT_EQ(rows(hood->waveOut.list), (QStringList{"Default out", "Card A", "Card B"}));
    EXPECT_EQ(hood->waveOut.id->text(), "-1");
    EXPECT_EQ(hood->waveOut.product->text(), "Wave Mapper");
    EXPECT_EQ(hood->waveOut.manufacturer->text(), "Microsoft");
    EXPECT_EQ(hood->waveOut.version->text(), "4.0");
    EXPECT_EQ(hood->waveOut.own[0]->text(), shownLines(waveFormatsText(0xFFF)));
    EXPECT_EQ(hood->waveOut.own[2]->text(),
              "Supports separate left and\nright volume control.\nSupports volume control\n");
    // Row 2 is device 1; the list is refilled with no row chosen.
    hood->ListBox1Click(2);
    EXPECT_EQ(hood->waveOut.id->text(), "1");
    EXPECT_EQ(hood->waveOut.name->text(), "Card B");
    EXPECT_EQ(hood->waveOut.product->text(), "Unknow or Unlisted Manufacturer");
    EXPECT_EQ(hood->waveOut.list->currentRow(), -1);
    // A device whose query fails shows the last device the list read.
    devices.failing = {0};
    hood->ListBox1Click(1);
    EXPECT_EQ(hood->waveOut.id->text(), "0");
    EXPECT_EQ(hood->waveOut.name->text(), "Card B");
    EXPECT_EQ(rows(hood->waveOut.list), (QStringList{"Default out", "Default out", "Card B"}));
    devices.failing.clear();

    // "Wave In" shows device 1 at once.
    hood->PageControl1->setCurrentIndex(TMachInfo::WaveInTab);
    EXPECT_EQ(hood->PageControl1->tabText(3), "Wave In 2");
    EXPECT_EQ(hood->waveIn.id->text(), "1");
    EXPECT_EQ(hood->waveIn.name->text(), "Mic 1");
    EXPECT_EQ(hood->waveIn.own[0]->text(), " 22.05  kHz, Stereo, 8-bit \n");

    hood->PageControl1->setCurrentIndex(TMachInfo::MidiOutTab);
    EXPECT_EQ(hood->PageControl1->tabText(2), "Midi Out 1");
    EXPECT_EQ(hood->midiOut.name->text(), "Synth");
    EXPECT_EQ(hood->midiOut.own[0]->text(), "FM internal synth\n");
    EXPECT_EQ(hood->midiOut.own[1]->text(), "32");
    EXPECT_EQ(hood->midiOut.own[2]->text(), "64");
    EXPECT_EQ(hood->midiOut.own[3]->text(), "65535");
    EXPECT_EQ(hood->midiOut.own[4]->text(), "Can CACHE\nSupports volume control\n");

    // "Midi In" lists from device 0, and row R is device R.
    hood->PageControl1->setCurrentIndex(TMachInfo::MidiInTab);
    EXPECT_EQ(hood->PageControl1->tabText(4), "Midi In 2");
    EXPECT_EQ(rows(hood->midiIn.list), (QStringList{"Port", "Synth"}));
    hood->ListBox4Click(1);
    EXPECT_EQ(hood->midiIn.id->text(), "1");
    EXPECT_EQ(hood->midiIn.name->text(), "Synth");
}

TEST_F(HoodTest, AMachineWithoutDevicesSaysSoInEachTab) {
    hood->show();
    const std::pair<TMachInfo::Tab, const char*> tabs[] = {
        {TMachInfo::WaveOutTab, "No Wave Out device drivers in system"},
        {TMachInfo::MidiOutTab, "No Midi Output devices drivers in system"},
        {TMachInfo::WaveInTab, "No Wave Input device drivers in system"},
        {TMachInfo::MidiInTab, "No Midi Input devices drivers in system"}};
    const TMachInfo::DeviceTab* pages[] = {&hood->waveOut, &hood->midiOut, &hood->waveIn,
                                           &hood->midiIn};
    for (int i = 0; i < 4; ++i) {
        hood->PageControl1->setCurrentIndex(tabs[i].first);
        EXPECT_EQ(pages[i]->name->text(), tabs[i].second);
        EXPECT_EQ(pages[i]->list->count(), 0);
        EXPECT_EQ(pages[i]->id->text(), "?");
        EXPECT_TRUE(hood->PageControl1->tabText(tabs[i].first).endsWith(" 0"));
    }
}

TEST_F(HoodTest, WithoutAMapperTheListsHoldTheDevicesFromTheFirst) {
    // No mapper (as the sequencer has none): its query fails, whatever stands in its place.
    devices.failing = {-1};
    devices.outs = {wave("none", 2, 0), wave("Card A", 6, 2048), wave("Card B", 8, 1)};
    devices.ins = {wave("none", 2, 0), wave("Mic 0", 7, 16), wave("Mic 1", 7, 32)};
    platform::MidiCaps through, synth;
    through.productName = "Midi Through Port-0";
    through.technology = 1;
    synth.productName = "Synth";
    synth.technology = 2;
    devices.midiOuts = {platform::MidiCaps{}, through, synth};
    hood->show();

    // What the tab shows first and what the list's rows show: the devices alone, row R being
    // device R; the sequencer's identifiers are none the tables know.
    const struct {
        TMachInfo::Tab tab;
        const TMachInfo::DeviceTab* page;
        void (TMachInfo::*click)(int row);
        QStringList rows;
        const char* firstId;
        const char* manufacturer;
        const char* product;
    } tabs[] = {
        {TMachInfo::WaveOutTab, &hood->waveOut, &TMachInfo::ListBox1Click, {"Card A", "Card B"},
         "0", "Microsoft", "Sound Blaster waveform output"},
        {TMachInfo::MidiOutTab, &hood->midiOut, &TMachInfo::ListBox2Click,
         {"Midi Through Port-0", "Synth"}, "0", "Unknow 0", "Unknow or Unlisted Manufacturer"},
        // "Wave In" shows device 1 at once, as with a mapper.
        {TMachInfo::WaveInTab, &hood->waveIn, &TMachInfo::ListBox3Click, {"Mic 0", "Mic 1"}, "1",
         "Microsoft", "Sound Blaster waveform input"},
    };
    for (const auto& t : tabs) {
        SCOPED_TRACE(t.rows.join(", ").toStdString());
        hood->PageControl1->setCurrentIndex(t.tab);
        EXPECT_EQ(rows(t.page->list), t.rows);
        EXPECT_EQ(t.page->id->text(), t.firstId);
        EXPECT_EQ(t.page->name->text(), t.rows[t.page->id->text().toInt()]);
        EXPECT_EQ(t.page->manufacturer->text(), t.manufacturer);
        EXPECT_EQ(t.page->product->text(), t.product);
        for (int row : {1, 0}) {
            (hood.get()->*t.click)(row);
            EXPECT_EQ(t.page->id->text(), QString::number(row));
            EXPECT_EQ(t.page->name->text(), t.rows[row]);
            EXPECT_EQ(rows(t.page->list), t.rows);
        }
    }
    EXPECT_EQ(hood->midiOut.own[0]->text(), "Output port\n");
}

namespace {

// The locales a clock is looked at in: each shows the date and time its own way; for most, the
// short date-and-time format leaves the seconds out.
const QLocale ClockLocales[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                                QLocale(QLocale::German, QLocale::Germany),
                                QLocale(QLocale::Japanese, QLocale::Japan), QLocale::c()};

// Makes `locale` the one the program formats with, for as long as it stands.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

} // namespace

TEST(HoodTexts, TheDateAndTimeTellSecondsApart) {
    // The clock and the report show the date and time as the project's "Birth" is written: the
    // short date and the long time, which changes with the clock's every tick.
    const QDateTime t(QDate(2026, 12, 7), QTime(10, 11, 12));
    const std::pair<QDateTime, QDateTime> apart[] = {
        {t, t.addSecs(1)},
        {t.addSecs(-12), t.addSecs(47)},
        {QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59)),
         QDateTime(QDate(2026, 12, 8), QTime(0, 0))}};
    for (const QLocale& locale : ClockLocales) {
        const DefaultLocale in(locale);
        for (const auto& [a, b] : apart)
            EXPECT_NE(birthText(a), birthText(b)) << birthText(a).toStdString();
    }
}

TEST_F(HoodTest, TheClockAndTheReportShowTheTimeToTheSecond) {
    hood->show();
    // The texts of the seconds a call may have fallen in.
    const auto during = [](const QDateTime& from, const QDateTime& to) {
        QStringList texts;
        for (QDateTime s = from.addMSecs(-from.time().msec()); s <= to; s = s.addSecs(1))
            texts << birthText(s);
        return texts;
    };
    for (const QLocale& locale : ClockLocales) {
        SCOPED_TRACE(locale.name().toStdString());
        const DefaultLocale in(locale);
        QDateTime from = QDateTime::currentDateTime();
        hood->Timer1Timer();
        QDateTime to = QDateTime::currentDateTime();
        EXPECT_TRUE(during(from, to).contains(hood->Clock->text()))
            << hood->Clock->text().toStdString();

        from = QDateTime::currentDateTime();
        const QStringList report = hood->memoryReport();
        to = QDateTime::currentDateTime();
        EXPECT_TRUE(during(from, to).contains(report[1])) << report[1].toStdString();
    }
}
