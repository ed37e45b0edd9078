// MIDI sound fonts: a demo whose music is not MIDI has SDL_mixer look for
// none when the audio opens; MIDI music, also in a reopened demo, and a
// user's own choice of sound fonts keep what SDL_mixer does by itself.
#include <gtest/gtest.h>
#include <SDL_mixer.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "sdlconfig.h"
#include "soundfonts.h"
#include "startup.h"
#include "tempfolder.h"

namespace {

const char* const kOgg = ZORBIT_SOURCE_DIR "/demos/showcase/music.ogg";
const char* const kDebianFont = "/usr/share/sounds/sf3/default-GM.sf3";

// One note: a header chunk and one track.
const char kMidi[] = "MThd\0\0\0\6\0\0\0\1\0\x60"
                     "MTrk\0\0\0\x0c\0\x90\x3c\x40\x60\x80\x3c\x40\0\xff\x2f\0";

struct Folder {
  TempFolder folder{"zorbit_soundfonts"};
  std::string Write(const std::string& inName, const std::string& inText) const {
    const std::string thePath = folder.Path() + "/" + inName;
    std::ofstream(thePath, std::ios::binary) << inText;
    return thePath;
  }
  // A demo of nothing but its music.
  void WriteDemo(const std::string& inName, const std::string& inMusic) const {
    Write(inName, "<Demo><Settings RunningTime=\"100\" UseOpenGL=\"false\" NumberOfInputSurfaces=\"0\" InputMusicFile=\"" +
                      inMusic + "\"/><Libraries/><Tracks/></Demo>");
  }
};

// Without the user's settings, whatever the test before did.
struct Environment {
  Environment() {
    unsetenv("SDL_FORCE_SOUNDFONTS");
    unsetenv("SDL_SOUNDFONTS");
  }
  ~Environment() {
    unsetenv("SDL_FORCE_SOUNDFONTS");
    unsetenv("SDL_SOUNDFONTS");
  }
};

// A session with sound, on SDL's dummy drivers.
struct Session {
  SDL_Config config;
  SessionSettings settings;
  std::unique_ptr<PlayerSession> session;
  Session(const Folder& inFolder, const std::string& inDemo) {
    SDL_Config_DefaultConfig(config);
    config.initFlags = SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO;
    config.width = 64;
    config.height = 48;
    settings.options.demoPath = inDemo;
    settings.workingFolder = inFolder.folder.Path();
    settings.logPath = inFolder.folder.Path() + "/Errorlog.txt";
    settings.allowSetupWindow = false;
    settings.config = &config;
    session.reset(new PlayerSession(settings));
  }
  // What SDL_mixer itself would take its sound fonts from now.
  static std::string Fonts() {
    const char* theFonts = Mix_GetSoundFonts();
    return theFonts == nullptr ? "(none)" : theFonts;
  }
  static int MusicType(Mix_Music* inMusic) { return inMusic == nullptr ? -1 : int(Mix_GetMusicType(inMusic)); }
};

TEST(SoundFonts, MidiIsToldByExtensionOrHeader) {
  Folder theFolder;
  struct Case {
    const char* what;
    std::string path;
    bool midi;
  };
  const Case kCases[] = {
      {"a .mid name, even missing", theFolder.folder.Path() + "/missing.mid", true},
      {"any case", theFolder.folder.Path() + "/SONG.MIDI", true},
      {"karaoke", theFolder.folder.Path() + "/sing.kar", true},
      {"MIDI contents under another name", theFolder.Write("tune.ogg", std::string(kMidi, sizeof kMidi - 1)), true},
      {"Ogg Vorbis", kOgg, false},
      {"a folder named .mid", theFolder.folder.Path() + "/music.mid/tune", false},
      {"missing, no extension", theFolder.folder.Path() + "/tune", false},
      {"empty", "", false},
  };
  for (const Case& theCase : kCases) EXPECT_EQ(theCase.midi, IsMidiMusic(theCase.path.c_str())) << theCase.what;
  EXPECT_FALSE(IsMidiMusic(nullptr)) << "no music";
}

TEST(SoundFonts, MusicThatIsNotMidiOpensNone) {
  Environment theEnvironment;
  Folder theFolder;
  theFolder.WriteDemo("demo.xml", kOgg);
  Session theSession(theFolder, "demo.xml");
  ASSERT_TRUE(theSession.session->Open());
  ASSERT_NE(nullptr, theSession.session->GetMusic()) << Mix_GetError();
  EXPECT_EQ(int(MUS_OGG), Session::MusicType(theSession.session->GetMusic()));
  EXPECT_EQ("(none)", Session::Fonts()) << "SDL_mixer would look for sound fonts for Ogg music";
  theSession.session->Close();
  EXPECT_EQ(nullptr, std::getenv("SDL_FORCE_SOUNDFONTS")) << "the setting outlived the session";
}

TEST(SoundFonts, MidiMusicKeepsThemAlsoInAReopenedDemo) {
  Environment theEnvironment;
  Folder theFolder;
  theFolder.Write("tune.mid", std::string(kMidi, sizeof kMidi - 1));
  theFolder.WriteDemo("midi.xml", "tune.mid");
  theFolder.WriteDemo("ogg.xml", kOgg);
  const bool theFontInstalled = access(kDebianFont, R_OK) == 0;
  {
    Session theSession(theFolder, "midi.xml");
    ASSERT_TRUE(theSession.session->Open());
    EXPECT_NE("(none)", Session::Fonts()) << "MIDI music lost SDL_mixer's sound fonts";
    if (theFontInstalled) {
      EXPECT_EQ(int(MUS_MID), Session::MusicType(theSession.session->GetMusic())) << Mix_GetError();
    }
  }
  {
    // Opened for Ogg, without sound fonts; MIDI comes with the reopen.
    Session theSession(theFolder, "ogg.xml");
    ASSERT_TRUE(theSession.session->Open());
    ASSERT_EQ("(none)", Session::Fonts());
    ASSERT_TRUE(theSession.session->Reopen("midi.xml", 0));
    EXPECT_NE("(none)", Session::Fonts()) << "the reopened MIDI demo has no sound fonts";
    if (theFontInstalled) {
      EXPECT_EQ(int(MUS_MID), Session::MusicType(theSession.session->GetMusic())) << Mix_GetError();
    }
    EXPECT_NE(0, Mix_QuerySpec(nullptr, nullptr, nullptr)) << "the audio did not open again";
  }
  if (!theFontInstalled) GTEST_SKIP() << kDebianFont << " is not installed: MIDI loading was not tried";
}

TEST(SoundFonts, TheUsersChoiceIsLeftAlone) {
  Environment theEnvironment;
  Folder theFolder;
  theFolder.WriteDemo("demo.xml", kOgg);
  const std::string theFont = theFolder.Write("mine.sf2", "not really a sound font");
  setenv("SDL_SOUNDFONTS", theFont.c_str(), 1);
  Session theSession(theFolder, "demo.xml");
  ASSERT_TRUE(theSession.session->Open());
  EXPECT_EQ(nullptr, std::getenv("SDL_FORCE_SOUNDFONTS")) << "the user's SDL_SOUNDFONTS was overridden";
  setenv("SDL_FORCE_SOUNDFONTS", "0", 1);
  theSession.session->Close();
  EXPECT_STREQ("0", std::getenv("SDL_FORCE_SOUNDFONTS")) << "the user's SDL_FORCE_SOUNDFONTS was removed";
}

}  // namespace
