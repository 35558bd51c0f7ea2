#include "dialogs/machinfo.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpacerItem>
#include <QTabWidget>
#include <QTimer>

#include "dialogs/figures.h"
#include "main/bitmov2.h"
#include "model/settings.h"
#include "platform/MediaDevices.h"
#include "platform/Printer.h"
#include "platform/SystemInfo.h"

namespace velmora {

using platform::MidiCaps;
using platform::SystemInfo;
using platform::WaveCaps;

namespace {

const QString NtOnly = QStringLiteral("Nt Only");

// A caption and its figure side by side in the grid's row, at the given column.
QLabel* row(QGridLayout* grid, int r, int c, const QString& caption,
            const QString& design = QStringLiteral("?")) {
    auto* captionLabel = new QLabel(caption, grid->parentWidget());
    grid->addWidget(captionLabel, r, c);
    QLabel* f = figureLabel(grid->parentWidget(), caption, design);
    grid->addWidget(f, r, c + 1);
    return f;
}

QGridLayout* tightGrid(QWidget* page) {
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    return grid;
}

// As the project's "Birth" is written: the short date and the long time, whose seconds the
// clock's every tick shows.
QString dateTimeNow() {
    return birthText(QDateTime::currentDateTime());
}

OsFigures osFigures() {
    const SystemInfo::Os os = SystemInfo::os();
    OsFigures f;
    // Linux is none of the platforms the figures name.
    f.platformId = -1;
    const QStringList kernel = os.kernelVersion.split(QRegularExpression(QStringLiteral("[.-]")));
    f.major = kernel.value(0).toInt();
    f.minor = kernel.value(1).toInt();
    f.build = kernel.value(2).toInt();
    f.servicePack = os.productName;
    // The processor type numbers the system reports: 586 for the Pentium and its successors
    // on 32 bits, 8664 for x86-64.
    if (os.cpuArchitecture == QLatin1String("x86_64"))
        f.processorType = 8664;
    else if (os.cpuArchitecture == QLatin1String("i386"))
        f.processorType = 586;
    f.processors = os.processors;
    f.processorLevel = os.cpuFamily;
    f.processorRevision = (os.cpuModel << 8) | os.cpuStepping;
    return f;
}

// A device tab's list: the product names from `first` up to the last device; the last device
// read is kept for a capabilities query that fails.
template <typename Caps, typename Query>
Caps fillList(QListWidget* list, int first, int count, Query query) {
    list->clear();
    Caps last{};
    for (int id = first; id < count; ++id) {
        if (const std::optional<Caps> c = query(id)) last = *c;
        list->addItem(last.productName);
    }
    return last;
}

} // namespace

TMachInfo::TMachInfo(TBitMovOptMain* main) : QDialog(main), main_(main) {
    setObjectName(QStringLiteral("MachInfo"));
    setWindowTitle(QStringLiteral("Under Your Hood"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(582, 402);
    // A narrow face: the window holds many figures in little room.
    QFont small(QStringLiteral("Arial"));
    small.setPointSize(8);
    setFont(small);

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(0, 0, 582, 402);
    PageControl1->setAccessibleName(QStringLiteral("Hood"));
    PageControl1->addTab(buildSystemTab(), QStringLiteral("System Info"));
    waveOut = buildDeviceTab(
        QStringLiteral("Wave Out"), QStringLiteral("Driver ID"),
        {QStringLiteral("Formats"), QStringLiteral("Channels"), QStringLiteral("Support")});
    midiOut = buildDeviceTab(QStringLiteral("Midi Out"), QStringLiteral("Output Device ID"),
                             {QStringLiteral("Technology"), QStringLiteral("Voices"),
                              QStringLiteral("Synth Max Notes"), QStringLiteral("Channel Masks"),
                              QStringLiteral("Supports")});
    waveIn = buildDeviceTab(QStringLiteral("Wave In"), QStringLiteral("Driver ID"),
                            {QStringLiteral("Formats"), QStringLiteral("Channels")});
    midiIn = buildDeviceTab(QStringLiteral("Midi In"), QStringLiteral("Driver ID"),
                            {QStringLiteral("Supports")});
    // Every list but "Midi In" starts at the mapper.
    waveOut.firstListed = midiOut.firstListed = waveIn.firstListed = -1;

    BitBtn1 = new QPushButton(QStringLiteral("Close the Hood"), this);
    BitBtn1->setGeometry(582 - 104, 1, 100, 20);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });
    connect(waveOut.list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* i) { ListBox1Click(waveOut.list->row(i)); });
    connect(midiOut.list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* i) { ListBox2Click(midiOut.list->row(i)); });
    connect(waveIn.list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* i) { ListBox3Click(waveIn.list->row(i)); });
    connect(midiIn.list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* i) { ListBox4Click(midiIn.list->row(i)); });
}

QWidget* TMachInfo::buildSystemTab() {
    // Three columns of their own, so a caption that takes two lines does not stretch the
    // rows beside it: the display and system, the display's capabilities, memory and heap.
    auto* page = new QWidget;
    auto* outer = new QGridLayout(page);
    outer->setContentsMargins(2, 2, 2, 2);
    outer->setHorizontalSpacing(0);
    outer->setVerticalSpacing(2);
    auto column = [page, outer](int c) {
        auto* w = new QWidget(page);
        auto* grid = tightGrid(w);
        grid->setContentsMargins(2, 0, 2, 0);
        outer->addWidget(w, 0, c, Qt::AlignTop);
        return grid;
    };
    QGridLayout* left = column(0);
    QGridLayout* middle = column(1);
    QGridLayout* right = column(2);

    int r = 0;
    BitsPerPixel = row(left, r++, 0, QStringLiteral("Bits Per Pixel"));
    Resolution = row(left, r++, 0, QStringLiteral("Resolution"));
    DisplaySize = row(left, r++, 0, QStringLiteral("Display Size"));
    PaletteColors = row(left, r++, 0, QStringLiteral("Palette Colors  "));
    ReservedPalette = row(left, r++, 0, QStringLiteral("Reserved Palette"));
    RefreshRate = row(left, r++, 0, QStringLiteral("Refresh Rate"), NtOnly);
    DesktopHori = row(left, r++, 0, QStringLiteral("Vr Destop Hori"), NtOnly);
    DesktopVert = row(left, r++, 0, QStringLiteral("Vr Destop Vert"), NtOnly);
    HoriAspect = row(left, r++, 0, QStringLiteral("Hori ASpect"));
    VertAspect = row(left, r++, 0, QStringLiteral("Vert Aspect"));
    left->addItem(new QSpacerItem(1, 8), r++, 0);
    SystemVersion = row(left, r++, 0, QStringLiteral("System Version : "));
    ServicePack = figureLabel(left->parentWidget(), QStringLiteral("Service Pack"), QString());
    ServicePack->setWordWrap(true);
    left->addWidget(ServicePack, r++, 0, 1, 2);
    OperatingSystem = row(left, r++, 0, QStringLiteral("Operating System : "));
    ProcessorType = row(left, r++, 0, QStringLiteral("Processor Type : "));
    Processors = row(left, r++, 0, QStringLiteral("Number of Processors : "));
    ProcessorLevel = row(left, r++, 0, QStringLiteral("Processor Level :"));
    ProcessorRevision = row(left, r++, 0, QStringLiteral("Processor Revision :"));
    BuildNumber = row(left, r++, 0, QStringLiteral("Build Number :"));
    ComputerName = row(left, r++, 0, QStringLiteral("Computer Name"));

    static const char* const explanations[10] = {"Width, in millimeters, of the physical screen.",
                                                 "Height, in millimeters, of the physical screen.",
                                                 " Width, in pixels, of the screen.",
                                                 "Height, in raster lines, of the screen",
                                                 "Pixels per logical inch along the screen width.",
                                                 "Pixels per logical inch along the screen height.",
                                                 "Number of adjacent color bits for each pixel.",
                                                 "Number of color planes",
                                                 "Number of device-specific brushes.",
                                                 "Number of device-specific pens."};
    middle->setVerticalSpacing(3);
    for (int i = 0; i < 10; ++i) {
        auto* caption = new QLabel(QString::fromLatin1(explanations[i]), middle->parentWidget());
        caption->setWordWrap(true);
        caption->setFixedWidth(128);
        middle->addWidget(caption, i, 0);
        deviceCaps[i] = figureLabel(middle->parentWidget(), QString::fromLatin1(explanations[i]));
        middle->addWidget(deviceCaps[i], i, 1, Qt::AlignRight | Qt::AlignVCenter);
    }
    SpeedButton1 =
        new QPushButton(QStringLiteral("Print memory information"), middle->parentWidget());
    middle->addItem(new QSpacerItem(1, 8), 10, 0);
    middle->addWidget(SpeedButton1, 11, 0, 1, 2);

    r = 0;
    memload = row(right, r++, 0, QStringLiteral("Current Memory Load"));
    ProgressBar1 = new QProgressBar(right->parentWidget());
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setToolTip(QStringLiteral("Current CPU load"));
    ProgressBar1->setAccessibleName(QStringLiteral("Current Memory Load"));
    ProgressBar1->setMaximumHeight(12);
    right->addWidget(ProgressBar1, r++, 0, 1, 2);
    totalphysmem = row(right, r++, 0, QStringLiteral("Total Phys Memory:"));
    availphysmem = row(right, r++, 0, QStringLiteral("Avail Phys Memory:"));
    totalvirtmem = row(right, r++, 0, QStringLiteral("Total Virt Memory:"));
    availvirtmem = row(right, r++, 0, QStringLiteral("Avail Virt Memory:"));
    right->addItem(new QSpacerItem(1, 8), r++, 0);
    for (int i = 0; i < HeapFigureCount; ++i)
        heap[i] = row(right, r++, 0, QString::fromLatin1(HeapCaptions[i]));
    AllocMemCount = row(right, r++, 0, QStringLiteral("AllocMemCount"));
    AllocMemSize = row(right, r++, 0, QStringLiteral("AllocMemSize"));

    outer->setRowStretch(1, 1);
    CommonControls = figureLabel(page, QStringLiteral("Common controls version"));
    outer->addWidget(CommonControls, 2, 0);
    Clock = figureLabel(page, QStringLiteral("Date and time"));
    outer->addWidget(Clock, 2, 2, Qt::AlignRight);
    return page;
}

TMachInfo::DeviceTab TMachInfo::buildDeviceTab(const QString& title, const QString& idCaption,
                                               const QStringList& ownCaptions) {
    DeviceTab t;
    t.page = new QWidget;
    auto* grid = tightGrid(t.page);
    t.list = new QListWidget(t.page);
    t.list->setAccessibleName(title + QStringLiteral(" devices"));
    t.list->setFixedWidth(220);
    grid->addWidget(t.list, 0, 0, 12, 1);
    int r = 0;
    t.id = row(grid, r++, 1, idCaption);
    t.manufacturer = row(grid, r++, 1, QStringLiteral("Manufacturer Code"));
    t.product = row(grid, r++, 1, QStringLiteral("Product Identifier"));
    t.version = row(grid, r++, 1, QStringLiteral("Driver Version"));
    t.name = row(grid, r++, 1, QStringLiteral("Product Name"));
    t.name->setWordWrap(true);
    for (int i = 0; i < ownCaptions.size(); ++i) {
        t.own[i] = row(grid, r++, 1, ownCaptions[i]);
        grid->itemAtPosition(r - 1, 1)->setAlignment(Qt::AlignTop);
    }
    grid->setRowStretch(r, 1);
    grid->setColumnStretch(2, 1);
    PageControl1->addTab(t.page, title);
    return t;
}

void TMachInfo::showEvent(QShowEvent* event) {
    centreOnScreen(*this);
    QDialog::showEvent(event);
    FormShow();
    // Without a window manager the window may never be activated: fill it now as well.
    ShowUndertheHood();
}

void TMachInfo::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TMachInfo::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TMachInfo::FormShow() {
    Timer1->start();
}

void TMachInfo::FormActivate() {
    ShowUndertheHood();
}

void TMachInfo::FormClose() {
    Timer1->stop();
}

void TMachInfo::BitBtn1Click() {
    close();
}

int TMachInfo::GetDeviceInfo(int index) {
    return SystemInfo::displayCapability(index);
}

QString TMachInfo::FileVersion(const QString& fileName) {
    return QString::number(SystemInfo::fileVersion(fileName));
}

void TMachInfo::ShowUndertheHood() {
    memcheck();
    auto number = [this](int index) { return QString::number(GetDeviceInfo(index)); };
    setFigure(BitsPerPixel, number(0));
    setFigure(Resolution, number(1));
    setFigure(DisplaySize, QStringLiteral("%1 x %2").arg(GetDeviceInfo(13)).arg(GetDeviceInfo(14)));
    setFigure(PaletteColors, number(2));
    setFigure(ReservedPalette, number(3));
    const OsFigures os = osFigures();
    if (WinVerString(0, os) == QLatin1String("Windows NT")) {
        setFigure(RefreshRate, number(4));
        setFigure(DesktopHori, number(5));
        setFigure(DesktopVert, number(6));
    }
    setFigure(HoriAspect, number(8));
    setFigure(VertAspect, number(9));
    for (int i = 0; i < 10; ++i)
        setFigure(deviceCaps[i], number(11 + i));
    setFigure(SystemVersion, WinVerString(1, os));
    setFigure(ServicePack, WinVerString(7, os));
    setFigure(OperatingSystem, WinVerString(2, os));
    setFigure(ProcessorType, WinVerString(3, os));
    setFigure(Processors, WinVerString(4, os));
    setFigure(ProcessorLevel, WinVerString(5, os));
    setFigure(ProcessorRevision, WinVerString(6, os));
    setFigure(BuildNumber, WinVerString(8, os));
    setFigure(ComputerName, SystemInfo::computerName());
    setFigure(CommonControls, FileVersion(QStringLiteral("comctl32.dll")));
}

void TMachInfo::memcheck() {
    const SystemInfo::Heap h = SystemInfo::heap();
    const std::int64_t figures[HeapFigureCount] = {
        h.addressSpace, h.uncommitted, h.committed, h.allocated, h.free,
        h.freeSmall,    h.freeBig,     h.unused,    h.overhead,  h.errorCode};
    for (int i = 0; i < HeapFigureCount; ++i)
        setFigure(heap[i], thousands(figures[i]));
    setFigure(AllocMemCount, thousands(h.allocCount));
    setFigure(AllocMemSize, thousands(h.allocSize));
}

void TMachInfo::Timer1Timer() {
    const SystemInfo::Memory m = SystemInfo::memory();
    setFigure(memload, QStringLiteral("%1%").arg(m.load));
    ProgressBar1->setValue(m.load);
    setFigure(totalphysmem, kilobytes(m.totalPhys));
    setFigure(availphysmem, kilobytes(m.availPhys));
    setFigure(totalvirtmem, kilobytes(m.totalVirt));
    setFigure(availvirtmem, kilobytes(m.availVirt));
    setFigure(Clock, dateTimeNow());
    memcheck();
}

void TMachInfo::PageControl1Change() {
    platform::MediaDevices& d = platform::mediaDevices();
    switch (PageControl1->currentIndex()) {
    case WaveOutTab:
        PageControl1->setTabText(WaveOutTab, QStringLiteral("Wave Out %1").arg(d.waveOutCount()));
        WaveInfoOut(-1);
        break;
    case MidiOutTab:
        PageControl1->setTabText(MidiOutTab, QStringLiteral("Midi Out %1").arg(d.midiOutCount()));
        MidiInfoOut(-1);
        break;
    case WaveInTab:
        PageControl1->setTabText(WaveInTab, QStringLiteral("Wave In %1").arg(d.waveInCount()));
        WaveInfoIn(1);
        break;
    case MidiInTab:
        PageControl1->setTabText(MidiInTab, QStringLiteral("Midi In %1").arg(d.midiInCount()));
        MidiInfoIn(-1);
        break;
    default:
        ShowUndertheHood();
        break;
    }
}

void TMachInfo::ListBox1Click(int row) {
    WaveInfoOut(row + waveOut.firstListed);
}
void TMachInfo::ListBox2Click(int row) {
    MidiInfoOut(row + midiOut.firstListed);
}
void TMachInfo::ListBox3Click(int row) {
    WaveInfoIn(row + waveIn.firstListed);
}
void TMachInfo::ListBox4Click(int row) {
    MidiInfoIn(row + midiIn.firstListed);
}

namespace {

// A device tab: "none" when there is no device; otherwise the list from `first`, and the
// figures every device has of device `id` (or of the last one listed when its query fails).
// The device's capabilities for the tab's own figures; nothing when there is no device.
// A list meant to start at the mapper (-1) starts at the first device when the system has no
// mapper (the sequencer has none), rather than with a row of nothing; the first device then
// stands where the mapper would.
template <typename Caps, typename Query>
std::optional<Caps> showDevice(TMachInfo::DeviceTab& t, int id, int count, int first, Query query,
                               const QString& none) {
    if (count <= 0) {
        setFigure(t.name, none);
        return std::nullopt;
    }
    if (first == -1 && !query(-1)) {
        first = 0;
        if (id == -1) id = 0;
    }
    t.firstListed = first;
    Caps c = fillList<Caps>(t.list, first, count, query);
    if (const std::optional<Caps> asked = query(id)) c = *asked;
    setFigure(t.id, QString::number(id));
    setFigure(t.manufacturer, MMManufacturerName(c.manufacturerId));
    setFigure(t.product, MMProductName(c.productId));
    setFigure(t.version, driverVersionText(c.driverVersion));
    setFigure(t.name, c.productName);
    return c;
}

} // namespace

void TMachInfo::WaveInfoOut(int id) {
    platform::MediaDevices& d = platform::mediaDevices();
    const std::optional<WaveCaps> c = showDevice<WaveCaps>(
        waveOut, id, d.waveOutCount(), -1, [&d](int i) { return d.waveOut(i); },
        QStringLiteral("No Wave Out device drivers in system"));
    if (!c) return;
    setFigure(waveOut.own[0], shownLines(waveFormatsText(c->formats)));
    setFigure(waveOut.own[1], QString::number(c->channels));
    setFigure(waveOut.own[2], shownLines(waveOutSupportText(c->support)));
}

void TMachInfo::MidiInfoOut(int id) {
    platform::MediaDevices& d = platform::mediaDevices();
    const std::optional<MidiCaps> c = showDevice<MidiCaps>(
        midiOut, id, d.midiOutCount(), -1, [&d](int i) { return d.midiOut(i); },
        QStringLiteral("No Midi Output devices drivers in system"));
    if (!c) return;
    setFigure(midiOut.own[0], shownLines(midiTechnologyText(c->technology)));
    setFigure(midiOut.own[1], QString::number(c->voices));
    setFigure(midiOut.own[2], QString::number(c->notes));
    setFigure(midiOut.own[3], QString::number(c->channelMask));
    setFigure(midiOut.own[4], shownLines(midiSupportText(c->support)));
}

void TMachInfo::WaveInfoIn(int id) {
    platform::MediaDevices& d = platform::mediaDevices();
    const std::optional<WaveCaps> c = showDevice<WaveCaps>(
        waveIn, id, d.waveInCount(), -1, [&d](int i) { return d.waveIn(i); },
        QStringLiteral("No Wave Input device drivers in system"));
    if (!c) return;
    setFigure(waveIn.own[0], shownLines(waveFormatsText(c->formats)));
    setFigure(waveIn.own[1], QString::number(c->channels));
}

void TMachInfo::MidiInfoIn(int id) {
    platform::MediaDevices& d = platform::mediaDevices();
    const std::optional<MidiCaps> c = showDevice<MidiCaps>(
        midiIn, id, d.midiInCount(), 0, [&d](int i) { return d.midiIn(i); },
        QStringLiteral("No Midi Input devices drivers in system"));
    if (!c) return;
    setFigure(midiIn.own[0], shownLines(midiSupportText(c->support)));
}

QStringList TMachInfo::memoryReport() const {
    const SystemInfo::Heap h = SystemInfo::heap();
    const std::array<std::int64_t, HeapFigureCount> figures = {
        h.addressSpace, h.uncommitted, h.committed, h.allocated, h.free,
        h.freeSmall,    h.freeBig,     h.unused,    h.overhead,  h.errorCode};
    // The memory lines repeat what the window shows.
    const std::array<QString, 4> memory = {totalphysmem->text(), availphysmem->text(),
                                           totalvirtmem->text(), availvirtmem->text()};
    return memoryReportLines(QApplication::applicationName(), dateTimeNow(), figures, memory,
                             h.allocCount, h.allocSize);
}

void TMachInfo::SpeedButton1Click() {
    platform::Printer printer;
    printer.begin(QStringLiteral("Memory Information"));
    printMemoryReport(printer, memoryReport());
    printer.end();
}

} // namespace velmora
