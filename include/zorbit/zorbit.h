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
// it ends and when it cannot be decoded, every value is silence (zero bytes
// and magnitudes, waveform bytes 128). Good for the call, like every other
// resource; serial changes whenever the contents do, so a user that uploads
// the record (a texture) does so once per change. Fixed 9232-byte layout.
struct MusicRecord {
  uint32_t time;        // ms: the demo time this record describes
  int32_t sampleRate;   // Hz of the music; 0 when there is none to analyse
  uint32_t length;      // ms: the music's length; 0 when there is none
  uint32_t serial;      // changes whenever the contents below change
  uint8_t levels[2][512];  // [0]: spectrum bytes (-100 dB .. -30 dB onto 0..255),
                           // [1]: waveform bytes 128 * (1 + v) of the last 512 samples
  float spectrum[1024];    // linear magnitude over N of bins 0..1023, bin k at k * sampleRate / 2048 Hz
  float smoothed[1024];    // the same, smoothed over time (music/README.md says how)
};
static_assert(sizeof(MusicRecord) == 9232 && offsetof(MusicRecord, levels) == 16 &&
                  offsetof(MusicRecord, spectrum) == 1040 && offsetof(MusicRecord, smoothed) == 5136,
              "MusicRecord layout");
