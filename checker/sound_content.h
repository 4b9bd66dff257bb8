// Whether a voice file holds any sound, so that a recorded line is never written over
// with silence. Told from the file's own bytes, without decoding.
#pragma once

#include <cstdint>
#include <string>

enum class SoundContent {
  Silence,     // nothing but silence: an empty file, MP3 frames that code no sound, zero samples
  Sound,       // some frame or sample holds sound
  Unknown,     // neither can be told: another kind of file, a Layer I or II stream, a
               // compressed WAV file
  Unreadable,  // the file could not be read
};

// The content of the bytes of an .mp3 (mp3 true) or .wav file.
SoundContent FindSoundContent(const uint8_t* data, uint64_t size, bool mp3);

// The content of the voice file at a native path, by its name's extension; reason gets the
// system's reason when it is Unreadable.
SoundContent FindFileSoundContent(const std::string& path, std::string* reason);
