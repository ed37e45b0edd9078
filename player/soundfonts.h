// SDL_mixer's MIDI players look for their sound fonts when the audio opens
// (Debian's build checks for a General MIDI font then, and loads it for every
// MIDI song). A demo whose music is not MIDI needs none of that, so start-up
// tells SDL_mixer, through its own environment, to look for none; a demo with
// MIDI music, and a user who chose sound fonts, are left as they were.
#pragma once

// True when SDL_mixer takes the file for MIDI music: the extension .mid,
// .midi or .kar (any case), or contents that start with "MThd".
bool IsMidiMusic(const char* inPath);

// Before the audio opens. For music that is not MIDI (inMusicPath null: no
// music), and only when neither SDL_SOUNDFONTS nor SDL_FORCE_SOUNDFONTS is
// set, sets SDL_FORCE_SOUNDFONTS=1: SDL_mixer then takes its sound fonts from
// SDL_SOUNDFONTS, which is unset, and opens none. True when it set it; the
// caller then undoes it with one of the two below.
bool LeaveOutSoundFonts(const char* inMusicPath);

// Unsets SDL_FORCE_SOUNDFONTS again (when the audio has closed).
void RestoreSoundFonts();

// For MIDI music on an audio opened after LeaveOutSoundFonts (a reopened
// demo): restores the setting and opens SDL_mixer's audio anew with the same
// format, inChunkSize samples a buffer, so that its MIDI players find their
// fonts. False when the audio could not be opened again.
bool BringBackSoundFonts(int inChunkSize);
