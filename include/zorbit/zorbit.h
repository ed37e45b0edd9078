// The plug-in contract: everything the player and a plug-in share.
//
// A plug-in writer reads this header and nothing else. Plug-ins are shared
// objects (fonts.so) loaded at run time; the player finds every entry point
// and effect function by its plain name, so all of them are extern "C" and
// exported (ZORBIT_EXPORT). Everything runs on the player's main thread.
//
// Units: demo time in unsigned 32-bit milliseconds; parameters are signed
// 32-bit integers, fixed point where an effect needs a scale; colours are
// packed 0xAARRGGBB.
#pragma once

#include <cstddef>
#include <cstdint>

struct SDL_Surface;
struct SDL_RWops;

#define ZORBIT_EXPORT extern "C" __attribute__((visibility("default")))

// ---------------------------------------------------------------------------
// Effect calls

// Phase of an effect call (FrameInfo::phase).
enum : int32_t {
  PHASE_MAKE = 0,      // first call of an event, in the frame it becomes active
  PHASE_RUN = 1,       // every frame the event is active (also the frame of PHASE_MAKE)
  PHASE_DESTROY = -1,  // last call, the event has ended: free the slot's data
};

// Status an effect writes into FrameInfo::status. The player keeps the last
// PHASE_RUN status per track and takes no decision on it.
enum : int32_t {
  STATUS_UNCHANGED = 1,  // written on entry: nothing had to be rebuilt
  STATUS_BUILT = 2,      // the effect created or rebuilt its data in this call
  STATUS_FAILED = -1,    // the effect could not work (a resource was missing, ...)
};

// First argument of every effect call. Owned by the player, valid only
// during the call. Fixed 24-byte layout.
struct FrameInfo {
  int32_t phase;           // PHASE_*
  int32_t elapsed;         // ms: demo time minus the event's startTime
  uint8_t paramsConstant;  // 1 when no parameter of the event depends on time this frame
  uint8_t pad[3];
  int32_t status;          // set to 0 by the player before PHASE_RUN; STATUS_* by the effect
  uint32_t startTime;      // ms: the event's startTime
  uint32_t duration;       // ms: the event's endTime minus its startTime
};
static_assert(sizeof(FrameInfo) == 24, "FrameInfo is 24 bytes");
static_assert(offsetof(FrameInfo, phase) == 0 && offsetof(FrameInfo, elapsed) == 4 &&
                  offsetof(FrameInfo, paramsConstant) == 8 && offsetof(FrameInfo, status) == 12 &&
                  offsetof(FrameInfo, startTime) == 16 && offsetof(FrameInfo, duration) == 20,
              "FrameInfo layout");

// Most values an effect receives. Events with more are never called.
enum { ZORBIT_MAX_PARAMS = 40 };

// An effect function: bool Name(FrameInfo* info, void** slot, int32_t p0, ..., int32_t pN).
// slot is the event's track slot: null when the event starts; the effect keeps
// its per-event data there and frees it at PHASE_DESTROY (the player clears
// the slot after every PHASE_DESTROY call). The player passes the event's
// values followed by zeros up to 40, so an effect may declare up to 40
// parameters and reads 0 for those the event does not supply. Only a false
// result of a PHASE_RUN call matters: it stops the rest of that frame's run calls.
// The player calls every effect with 40 values; the pointer type below is
// only what the binding stores.
typedef bool (*EffectFunction)(FrameInfo* info, void** slot);

// ---------------------------------------------------------------------------
// Resources

// Kind codes: four ASCII characters, the first in the most significant byte.
#define ZORBIT_KIND(a, b, c, d) \
  static_cast<int32_t>((uint32_t(a) << 24) | (uint32_t(b) << 16) | (uint32_t(c) << 8) | uint32_t(d))
enum : int32_t {
  KIND_BEAT = ZORBIT_KIND('B', 'E', 'A', 'T'),   // 0x42454154, BeatRecord, by beat.so
  KIND_GRID = ZORBIT_KIND('G', 'R', 'I', 'D'),   // 0x47524944, Grid, by grids.so
  KIND_TXTR = ZORBIT_KIND('T', 'X', 'T', 'R'),   // 0x54585452, TextureRecord, by imagery.so
  KIND_FONT = ZORBIT_KIND('F', 'O', 'N', 'T'),   // 0x464F4E54, ResourceFont, by fonts.so
  KIND_3DWR = ZORBIT_KIND('3', 'D', 'W', 'R'),   // 0x33445752, a "3D group" Node3D, by scene.so
  KIND_SWRM = ZORBIT_KIND('S', 'W', 'R', 'M'),   // 0x5357524D, SwarmRecord, by swarm.so
  KIND_MUSC = ZORBIT_KIND('M', 'U', 'S', 'C'),   // 0x4D555343, MusicRecord, by the player
};
static_assert(KIND_BEAT == 0x42454154 && KIND_3DWR == 0x33445752, "kind codes");

// Registered through HostTable::registerKind; called by the registry when
// someone asks for a resource of the kind. Returns the resource named name,
// or null when this producer has none. userData is useResource's userData,
// passed through unchanged (FONT: a pointer to the int32_t pixel size; the
// other kinds of this tree take none). Sets isStatic to true when the
// resource never changes from frame to frame. The producer keeps ownership.
typedef void* (*ProduceFunction)(const char* name, void* userData, bool& isStatic);
// Called by the registry on releaseResource, with releaseResource's third
// argument passed through unchanged as resource; true when this producer
// handled it. What that argument is depends on the kind (see
// ReleaseResourceFunction): a releaser must not assume it is the resource.
typedef bool (*ReleaseFunction)(const char* name, void* resource);

// How long a resource stays valid. A pointer from useResource is good for
// the call it was asked in and no longer: its producer may rebuild, move or
// free it when its own events run, end or quit. Users ask again on every
// frame and keep the name number, not the pointer; isStatic only says that
// what a user derived from the resource (a mesh, a layout) may be kept. The
// counted kinds are the exception: a FONT or TXTR use is counted by its
// producer, and the record stays where it is until the user's matching
// releaseResource or the producer's Zorbit_Quit, whichever comes first.
// Nothing a producer handed out outlives its Zorbit_Quit. The records:
//   BeatRecord, Grid, TextureRecord, SwarmRecord,
//   MusicRecord                                   this header, below
//   ResourceFont (FONT)                           zorbit/resourcefont.h
//   Node3D, GroupNode3D (3DWR) and the nodes      zorbit/lattice/ (node3d.h, groupnode3d.h, ...)
//   OGLState (HOST_STATE)                         zorbit/oglstate.h

// ---------------------------------------------------------------------------
// The host table: eight pointer-sized slots that the player fills once before
// Zorbit_Init and that stay valid until shutdown. Copy what you need in Zorbit_Init.

enum HostSlot {
  HOST_STATE = 0,             // OGLState* (zorbit/oglstate.h): the player's tracker, a data pointer
  HOST_WARN = 1,              // WarnFunction: append a line to the player's log
  HOST_USE_RESOURCE = 2,      // UseResourceFunction
  HOST_RELEASE_RESOURCE = 3,  // ReleaseResourceFunction
  HOST_REGISTER_KIND = 4,     // RegisterKindFunction
  HOST_GET_TEXT = 5,          // GetTextFunction
  HOST_OPEN_STREAM = 6,       // OpenStreamFunction
  HOST_CLOSE_STREAM = 7,      // CloseStreamFunction
  HOST_SLOT_COUNT = 8
};

// Writes message verbatim to the player's log (Errorlog.txt) and flushes it.
// Prefix it with the name of the function that warns and end it with "\n".
typedef void (*WarnFunction)(const char* message);
// Finds or produces the resource of kind named by the demo text nameIndex.
// requester and kindName only appear in warnings ("Text3D", "font"). A private
// use keeps everyone else from the resource until it is released. Null (with
// a warning in the log) when the name, or a producer that knows it, is missing.
typedef void* (*UseResourceFunction)(int32_t kind, int32_t nameIndex, void* userData, bool privateUse,
                                     const char* requester, const char* kindName, bool* isStatic);
// Hands a resource back: ends a private use of (kind, nameIndex), then asks
// the kind's releasers in registration order, passing resource unchanged.
// Its meaning per kind, as the producers of this tree read it:
//   FONT  the same size pointer given to useResource as userData, not the
//         ResourceFont: fonts are counted by name and size
//   TXTR  the TextureRecord (imagery goes by name; the pointer is not read)
//   BEAT, GRID, 3DWR, SWRM  not read; null is fine
typedef void (*ReleaseResourceFunction)(int32_t kind, int32_t nameIndex, void* resource);
// Offers a kind; producers of a kind are asked in registration order.
typedef void (*RegisterKindFunction)(int32_t kind, ProduceFunction produce, ReleaseFunction release);
// The demo's text number index, or null. Texts are in Windows-1252, one byte
// per character (the document's characters outside it are '?'); byte c of a
// text is the Windows-1252 character c, so 0xE9 is e acute and 0x80 the euro sign.
typedef const char* (*GetTextFunction)(int32_t index);
// Opens a named file for reading (relative names from the working directory), or null.
// The name is in Windows-1252, as texts are; it is converted to UTF-8, the
// file system's names, before the file is looked up. A plug-in that opens a
// file named by a text without this service converts the name itself
// (codepage::ToUtf8 in zorbit/codepage.h).
typedef SDL_RWops* (*OpenStreamFunction)(const char* name);
// Closes a stream from OpenStreamFunction together with its file.
typedef void (*CloseStreamFunction)(SDL_RWops* stream);

// ---------------------------------------------------------------------------
// Entry points a plug-in exports, bound by name when the library loads.

// Required. Once at start-up, in the demo's library order, after every
// library is loaded and every event matched. Register resource kinds here.
// May be called again after Zorbit_Quit in the same process, without the
// library being unloaded, when a host closes a demo and opens one again:
// start from empty tables every time and take the host table afresh (its
// slots and the OGLState may differ from the last run). A plug-in keeps
// nothing from an earlier run but what it can rebuild (caches, its copies
// of the slots). Register the kinds again every time: a host that opens a
// demo afresh may have forgotten them.
// outputSurfaces: 2 SDL software surfaces of the screen's size (surface 0 is
// shown after every frame when the demo does not use OpenGL); inputSurfaces:
// the demo's NumberOfInputSurfaces surfaces. False makes start-up fail.
typedef bool (*InitFunction)(SDL_Surface** outputSurfaces, SDL_Surface** inputSurfaces, void** hostTable);
// Required. Once at shutdown, in library order, only when every Zorbit_Init
// succeeded. Clean up events still active (they get no PHASE_DESTROY) and
// free every resource handed out, whether or not it was released: after
// Quit the plug-in holds no memory, texture or event of that run.
typedef bool (*QuitFunction)();
// Required. Once per frame per library, after ending events and before
// starting new ones. The player passes 0.
typedef bool (*BeginNewFrameFunction)(int32_t value);
// Optional. Never called during playback.
typedef void (*UpdateParamFunction)(int32_t, int32_t, int32_t);

// ---------------------------------------------------------------------------
// Shared resource records, read across modules through raw pointers.

// A beat curve (kind BEAT), made by beat.so's MakeBeat and read by the player
// to evaluate beat parameters. Fixed 2096-byte layout.
struct BeatRecord {
  uint32_t startTime;     // ms: demo time at which the pattern starts
  uint32_t duration;      // ms: the beat is defined from startTime to startTime + duration
  int32_t count;          // segments in the pattern, 0 to 19
  uint8_t pad0[4];
  double intervals[129];  // ms: length of segment k, k < count
  double levels[130];     // levels[0] is 0.0; levels[k + 1] is reached at the end of segment k
  uint8_t smooth;         // 0: straight ramps; 1: smoothed segments
  uint8_t pad1[7];
};
static_assert(sizeof(BeatRecord) == 2096, "BeatRecord is 2096 bytes");
static_assert(offsetof(BeatRecord, count) == 8 && offsetof(BeatRecord, intervals) == 16 &&
                  offsetof(BeatRecord, levels) == 1048 && offsetof(BeatRecord, smooth) == 2088,
              "BeatRecord layout");

// A vertex grid (kind GRID), made by grids.so. The vertex of column c and
// row r is vertices[(r * columns + c) * 3 + 0..2] (x, y, z).
struct Grid {
  int32_t columns;   // vertices per row
  int32_t rows;
  int32_t width;     // MakeGrid's width parameter (grids made by MakeGrid only)
  int32_t height;    // MakeGrid's height parameter (grids made by MakeGrid only)
  float* vertices;   // columns * rows * 3 floats, owned by the grid
};
static_assert(sizeof(Grid) == 24 && offsetof(Grid, rows) == 4 && offsetof(Grid, height) == 12 &&
                  offsetof(Grid, vertices) == 16,
              "Grid layout");

// A texture (kind TXTR), made by imagery.so from an image file.
struct TextureRecord {
  uint32_t texture;   // OpenGL texture name
  int32_t width;      // image width, pixels
  int32_t height;     // image height, pixels
  float sExtent;      // width / padded width: largest s covered by the image
  float tExtent;      // height / padded height
  char name[256];     // resource name, zero-terminated; empty marks a free record
  SDL_Surface* surface;  // kept image; always null
};
static_assert(sizeof(TextureRecord) == 288 && offsetof(TextureRecord, sExtent) == 12 &&
                  offsetof(TextureRecord, name) == 20 && offsetof(TextureRecord, surface) == 280,
              "TextureRecord layout");

// A particle swarm (kind SWRM), made by swarm.so. A static swarm keeps this
// record at the same address for as long as the consuming event lasts.
struct SwarmRecord {
  int32_t particleCount;
  float* positions;        // particleCount * 3 floats: x, y, z in scene units
  uint8_t* colours;        // particleCount * 4 bytes: alpha, red, green, blue; null: uniform colour
  uint8_t alpha, red, green, blue;  // the uniform colour
};
static_assert(sizeof(SwarmRecord) == 32 && offsetof(SwarmRecord, positions) == 8 &&
                  offsetof(SwarmRecord, colours) == 16 && offsetof(SwarmRecord, alpha) == 24,
              "SwarmRecord layout");

// The demo's music at the current frame's demo time (kind MUSC), produced by
// the player itself for any name: the analysis is a function of the demo
// time alone, so a frame shows the same values on screen, after a seek or a
// pause, and in a capture at any frame rate. Before the music starts, after
// it ends (once the smoothing's 0.3 s have passed) and when it cannot be
// decoded, every value is silence (zero bytes and magnitudes, waveform bytes
// 128); a file that cannot be analysed gives one warning in the log. Good for
// the call, like every other resource: the record is computed on the first
// ask in a frame and shared by every user of that frame; it may wait for the
// music's decoding to reach the frame's time. serial changes whenever the
// record is computed for another time, so a user that uploads it (a texture)
// does so once per change; serial alone is not a function of the time.
// Fixed 9232-byte layout.
struct MusicRecord {
  uint32_t time;        // ms: the demo time this record describes
  int32_t sampleRate;   // Hz of the music; 0 when there is none to analyse
  uint32_t length;      // ms: the music's length as its file declares it; 0 when there is none
  uint32_t serial;      // changes whenever the contents below change
  uint8_t levels[2][512];  // [0]: spectrum bytes of smoothed bins 0..511 (-100 dB .. -30 dB onto 0..255),
                           // [1]: waveform bytes 128 * (1 + v) of the last 512 samples
  float spectrum[1024];    // linear magnitude over N of bins 0..1023 of the 2048 Blackman-windowed
                           // samples ending at time; bin k at k * sampleRate / 2048 Hz
  float smoothed[1024];    // the same, smoothed over time (music/README.md says how)
};
static_assert(sizeof(MusicRecord) == 9232 && offsetof(MusicRecord, levels) == 16 &&
                  offsetof(MusicRecord, spectrum) == 1040 && offsetof(MusicRecord, smoothed) == 5136,
              "MusicRecord layout");

// ---------------------------------------------------------------------------
// The contract's version, and effects that describe their parameters.
// Both are optional exports, read as data: no code of the plug-in runs.

// Version 1 is the contract as it has always been: a plug-in that exports
// no Zorbit_ContractVersion is taken to be built against it. Version 2 adds
// Zorbit_ContractVersion and Zorbit_Descriptions. A player refuses, at load
// and before calling anything, a plug-in built against a version newer than
// its own; a newer player loads every older plug-in.
enum : uint32_t { ZORBIT_CONTRACT_VERSION = 2 };

// Put this once in one source of the plug-in, at file scope:
//   ZORBIT_DECLARE_CONTRACT_VERSION;
#define ZORBIT_DECLARE_CONTRACT_VERSION \
  ZORBIT_EXPORT const uint32_t Zorbit_ContractVersion = ZORBIT_CONTRACT_VERSION
#define ZORBIT_CONTRACT_VERSION_SYMBOL "Zorbit_ContractVersion"

// What a parameter's value is (ZorbitParamDescription::kind).
enum ZorbitParamKind : uint32_t {
  ZORBIT_PARAM_NUMBER = 0,      // a number: value / scale, in unit
  ZORBIT_PARAM_TEXT = 1,        // the number of a demo text, shown or used as it is
  ZORBIT_PARAM_RESOURCE = 2,    // the number of a text naming a resource of resourceKind
  ZORBIT_PARAM_FILE = 3,        // the number of a text naming a file, relative to the demo's folder;
                                // resourceKind, when not 0, is what the file becomes
  ZORBIT_PARAM_COLOUR = 4,      // a colour channel, 0 to 255 (unit says which channel)
  ZORBIT_PARAM_BLEND = 5,       // an OpenGL blend factor (GL_ZERO, GL_ONE, 0x300 to 0x308, 0x8001 to 0x8004)
  ZORBIT_PARAM_SWITCH = 6,      // 0 off, anything else on
  ZORBIT_PARAM_QUATERNION = 7,  // one component of a rotation quaternion (x, y, z, w in a row), value / scale
  ZORBIT_PARAM_CHOICE = 8,      // one of a few numbered choices, which unit lists ("0 ring, 1 sphere")
  ZORBIT_PARAM_UNUSED = 9,      // the effect does not read it
  ZORBIT_PARAM_KIND_COUNT = 10
};

// Details of a kind (ZorbitParamDescription::flags).
enum ZorbitParamFlag : uint32_t {
  ZORBIT_FLAG_MAKES = 1u << 0,           // RESOURCE, FILE: the event makes the resource of that name
  ZORBIT_FLAG_INSTALLED_FONT = 1u << 1,  // FILE: a name not found as a file is looked up among the installed fonts
  ZORBIT_FLAG_FRAME_PATTERN = 1u << 2,   // FILE: the first run of '?' in the name is a frame number
  ZORBIT_FLAG_OR_RESOURCE = 1u << 3,     // FILE: or the name of a resource of resourceKind that an event makes
  ZORBIT_FLAG_MASK_SUFFIX = 1u << 4,     // FILE: the name may end in "-mask" after the file's name
};

// The numbers of one parameter's description. Pointer-free, fixed 36 bytes.
struct ZorbitParamValues {
  int32_t scale;         // value / scale gives the value in unit; 1 (or 0) means as it is
  int32_t minimum;       // the values that mean something, minimum <= maximum; outside
  int32_t maximum;       //   them the effect clamps, wraps or ignores (its README says which)
  int32_t defaultValue;  // a good value to start from (an event that leaves a parameter out gets 0)
  uint32_t kind;         // ZorbitParamKind
  int32_t resourceKind;  // RESOURCE, FILE: a KIND_* code, or 0
  uint32_t flags;        // ZorbitParamFlag bits
  int32_t readWhen;      // -1: always read; else the effect reads this parameter only while
  int32_t readWhenValue; //   parameter readWhen has the value readWhenValue
};
static_assert(sizeof(ZorbitParamValues) == 36 && offsetof(ZorbitParamValues, defaultValue) == 12 &&
                  offsetof(ZorbitParamValues, kind) == 16 && offsetof(ZorbitParamValues, flags) == 24 &&
                  offsetof(ZorbitParamValues, readWhenValue) == 32,
              "ZorbitParamValues layout");

// One parameter: a short name without blanks ("x", "opacity", "font"), the
// unit of value / scale ("scene units", "ms", "degrees"; "" for none), and
// its numbers. The strings are zero-terminated, printable ASCII, at most
// 63 bytes; they live as long as the plug-in is loaded (string literals).
struct ZorbitParamDescription {
  const char* name;
  const char* unit;
  ZorbitParamValues values;
};

// One effect function: its exported name, a line saying what it does, and
// paramCount (0 to 40) parameter descriptions in parameter order.
struct ZorbitEffectDescription {
  const char* function;
  const char* summary;
  uint32_t paramCount;
  const ZorbitParamDescription* params;
};

// The table a plug-in exports as Zorbit_Descriptions: every effect function
// it offers, in any order (at most 256). contractVersion is the
// ZORBIT_CONTRACT_VERSION the table was written for.
struct ZorbitDescriptions {
  uint32_t contractVersion;
  uint32_t effectCount;
  const ZorbitEffectDescription* effects;
};

// Put this once in one source of the plug-in, at file scope, after the
// effects' tables:
//   ZORBIT_DESCRIPTIONS(kEffects);
// where kEffects is a static array of ZorbitEffectDescription. The player
// never reads the table while it plays; tools (zorbit-info, zorbit-check)
// and edit mode's display read it to name parameters and check values.
#define ZORBIT_DESCRIPTIONS(effects)                               \
  ZORBIT_EXPORT const ZorbitDescriptions Zorbit_Descriptions = {   \
      ZORBIT_CONTRACT_VERSION, sizeof(effects) / sizeof((effects)[0]), (effects)}
#define ZORBIT_DESCRIPTIONS_SYMBOL "Zorbit_Descriptions"
