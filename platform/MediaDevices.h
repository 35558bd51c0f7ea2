#pragma once
#include <cstdint>
#include <optional>
#include <QString>

namespace velmora::platform {

// What a wave device offers, in the terms of the multimedia capability tables: identifiers,
// the driver's version, the product's name, a format mask (1 11.025 kHz mono 8-bit, 2 stereo
// 8-bit, 4 mono 16-bit, 8 stereo 16-bit, then 16..128 the same at 22.05 kHz and 256..2048 at
// 44.1 kHz), channels and a support mask (4 volume control).
struct WaveCaps {
    int manufacturerId = 0;
    int productId = 0;
    std::uint32_t driverVersion = 0;
    QString productName;
    std::uint32_t formats = 0;
    int channels = 0;
    std::uint32_t support = 0;
};

// What a MIDI port offers: technology 1 a port, 2 a generic synth, 3 square wave, 4 FM.
struct MidiCaps {
    int manufacturerId = 0;
    int productId = 0;
    std::uint32_t driverVersion = 0;
    QString productName;
    int technology = 0;
    int voices = 0;
    int notes = 0;
    std::uint32_t channelMask = 0;
    std::uint32_t support = 0;
};

// The machine's wave and MIDI devices. Identifier -1 is the mapper (for wave, the system's
// default device); a capabilities query for an identifier with no device gives nothing. Tests
// install their own.
class MediaDevices {
public:
    virtual ~MediaDevices() = default;
    virtual int waveOutCount() = 0;
    virtual std::optional<WaveCaps> waveOut(int id) = 0;
    virtual int waveInCount() = 0;
    virtual std::optional<WaveCaps> waveIn(int id) = 0;
    virtual int midiOutCount() = 0;
    virtual std::optional<MidiCaps> midiOut(int id) = 0;
    virtual int midiInCount() = 0;
    virtual std::optional<MidiCaps> midiIn(int id) = 0;
};

// The installed devices: Qt Multimedia's audio devices and ALSA's sequencer ports, unless a
// test installed others.
MediaDevices& mediaDevices();
void setMediaDevices(MediaDevices* devices);

// The format mask of a device taking the sample rates minRate..maxRate, channelsMin..channelsMax
// channels, and 8-bit and 16-bit samples as given.
std::uint32_t waveFormatMask(int minRate, int maxRate, int minChannels, int maxChannels,
                             bool eightBit, bool sixteenBit);

} // namespace velmora::platform
