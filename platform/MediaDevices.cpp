#include "platform/MediaDevices.h"

#include <QAudioDevice>
#include <QList>
#include <QMediaDevices>
#include <vector>

#ifdef VELMORA_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace velmora::platform {

std::uint32_t waveFormatMask(int minRate, int maxRate, int minChannels, int maxChannels,
                             bool eightBit, bool sixteenBit) {
    std::uint32_t mask = 0;
    const int rates[3] = {11025, 22050, 44100};
    for (int r = 0; r < 3; ++r) {
        if (rates[r] < minRate || rates[r] > maxRate) continue;
        for (int channels = 1; channels <= 2; ++channels) {
            if (channels < minChannels || channels > maxChannels) continue;
            const int stereo = channels - 1;
            if (eightBit) mask |= 1u << (r * 4 + stereo);
            if (sixteenBit) mask |= 1u << (r * 4 + 2 + stereo);
        }
    }
    return mask;
}

namespace {

constexpr int WaveMapperProduct = 2;
constexpr std::uint32_t VolumeControl = 4;

WaveCaps capsOf(const QAudioDevice& d, bool mapper) {
    WaveCaps c;
    c.productId = mapper ? WaveMapperProduct : 0;
    c.productName = d.description();
    const QList<QAudioFormat::SampleFormat> formats = d.supportedSampleFormats();
    c.formats = waveFormatMask(d.minimumSampleRate(), d.maximumSampleRate(),
                               d.minimumChannelCount(), d.maximumChannelCount(),
                               formats.contains(QAudioFormat::UInt8),
                               formats.contains(QAudioFormat::Int16));
    c.channels = d.maximumChannelCount();
    // Every output is played through a sink whose volume can be set.
    c.support = d.mode() == QAudioDevice::Output ? VolumeControl : 0;
    return c;
}

std::optional<WaveCaps> waveCaps(const QList<QAudioDevice>& list, const QAudioDevice& fallback,
                                 int id) {
    if (id == -1) {
        if (list.isEmpty() || fallback.isNull()) return std::nullopt;
        return capsOf(fallback, true);
    }
    if (id < 0 || id >= list.size()) return std::nullopt;
    return capsOf(list[id], false);
}

// The sequencer's ports that other programs can write to (outputs) or read from (inputs).
std::vector<MidiCaps> midiPorts(bool output) {
    std::vector<MidiCaps> ports;
#ifdef VELMORA_HAVE_ALSA
    snd_seq_t* seq = nullptr;
    // No sequencer (no /dev/snd/seq) means no MIDI devices.
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) return ports;
    const int self = snd_seq_client_id(seq);
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    const unsigned wanted = output ? (SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE)
                                   : (SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        const int id = snd_seq_client_info_get_client(client);
        if (id == self || id == SND_SEQ_CLIENT_SYSTEM) continue;
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0) {
            if ((snd_seq_port_info_get_capability(port) & wanted) != wanted) continue;
            const unsigned type = snd_seq_port_info_get_type(port);
            MidiCaps c;
            c.productName = QString::fromLocal8Bit(snd_seq_port_info_get_name(port));
            if (type & SND_SEQ_PORT_TYPE_SYNTH)
                c.technology = 2;
            else if (type & (SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_PORT))
                c.technology = 1;
            c.voices = snd_seq_port_info_get_synth_voices(port);
            c.notes = snd_seq_port_info_get_midi_voices(port);
            const int channels = snd_seq_port_info_get_midi_channels(port);
            c.channelMask = channels >= 16 || channels <= 0 ? 0xFFFFu : (1u << channels) - 1;
            ports.push_back(c);
        }
    }
    snd_seq_close(seq);
#else
    (void)output;
#endif
    return ports;
}

std::optional<MidiCaps> midiCaps(bool output, int id) {
    // The sequencer has no mapper.
    const std::vector<MidiCaps> ports = midiPorts(output);
    if (id < 0 || id >= int(ports.size())) return std::nullopt;
    return ports[id];
}

class SystemDevices : public MediaDevices {
public:
    int waveOutCount() override { return int(QMediaDevices::audioOutputs().size()); }
    std::optional<WaveCaps> waveOut(int id) override {
        return waveCaps(QMediaDevices::audioOutputs(), QMediaDevices::defaultAudioOutput(), id);
    }
    int waveInCount() override { return int(QMediaDevices::audioInputs().size()); }
    std::optional<WaveCaps> waveIn(int id) override {
        return waveCaps(QMediaDevices::audioInputs(), QMediaDevices::defaultAudioInput(), id);
    }
    int midiOutCount() override { return int(midiPorts(true).size()); }
    std::optional<MidiCaps> midiOut(int id) override { return midiCaps(true, id); }
    int midiInCount() override { return int(midiPorts(false).size()); }
    std::optional<MidiCaps> midiIn(int id) override { return midiCaps(false, id); }
};

SystemDevices systemDevices;
MediaDevices* installed = nullptr;

} // namespace

MediaDevices& mediaDevices() {
    return installed ? *installed : systemDevices;
}

void setMediaDevices(MediaDevices* devices) {
    installed = devices;
}

} // namespace velmora::platform
