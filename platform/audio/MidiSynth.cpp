#include "platform/audio/MidiSynth.h"

#include <fluidsynth.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <string>

namespace platform::audio {
namespace {

// FluidSynth reports through its own logger; a player has no console to tell.
void QuietLog(int, const char*, void*) {}

std::string FindSoundFont() {
  if (const char* named = std::getenv("VELMORA_SOUNDFONT"); named != nullptr && *named != 0) {
    return named;
  }
  for (const char* path :
       {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2"}) {
    if (access(path, R_OK) == 0) return path;
  }
  return {};
}

}  // namespace

struct MidiSynth::Impl {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  ~Impl() {
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
  }
};

MidiSynth::MidiSynth(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
MidiSynth::~MidiSynth() = default;

std::unique_ptr<MidiSynth> MidiSynth::Create() {
  static std::once_flag quiet;
  std::call_once(quiet, [] {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
      fluid_set_log_function(level, &QuietLog, nullptr);
    }
  });
  const std::string soundFont = FindSoundFont();
  if (soundFont.empty()) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->settings = new_fluid_settings();
  if (impl->settings == nullptr) return nullptr;
  fluid_settings_setnum(impl->settings, "synth.sample-rate", kSampleRate);
  fluid_settings_setnum(impl->settings, "synth.gain", 0.5);
  // Rendering happens on the player's own thread; nothing else touches the synthesiser.
  fluid_settings_setint(impl->settings, "synth.threadsafe-api", 0);
  impl->synth = new_fluid_synth(impl->settings);
  if (impl->synth == nullptr) return nullptr;
  if (fluid_synth_sfload(impl->synth, soundFont.c_str(), 1) == FLUID_FAILED) return nullptr;
  return std::unique_ptr<MidiSynth>(new MidiSynth(std::move(impl)));
}

void MidiSynth::Send(uint8_t status, uint8_t data1, uint8_t data2) {
  fluid_synth_t* synth = impl_->synth;
  const int channel = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(synth, channel, data1);
      break;
    case 0x90:
      if (data2 == 0) {
        fluid_synth_noteoff(synth, channel, data1);
      } else {
        fluid_synth_noteon(synth, channel, data1, data2);
      }
      break;
    case 0xA0:
      fluid_synth_key_pressure(synth, channel, data1, data2);
      break;
    case 0xB0:
      fluid_synth_cc(synth, channel, data1, data2);
      break;
    case 0xC0:
      fluid_synth_program_change(synth, channel, data1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(synth, channel, data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(synth, channel, data1 | data2 << 7);
      break;
    default:
      break;
  }
}

void MidiSynth::Render(int16_t* out, int frames) {
  fluid_synth_write_s16(impl_->synth, frames, out, 0, 2, out, 1, 2);
}

void MidiSynth::Reset() {
  fluid_synth_system_reset(impl_->synth);
}

}  // namespace platform::audio
