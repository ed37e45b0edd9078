// Plug-in binding: finds and loads the demo's libraries, binds their entry
// points and effect functions by name, connects every event to its effect,
// creates the surfaces handed to Zorbit_Init, and undoes all of it at shutdown.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "demo.h"
#include "pluginsearch.h"
#include <zorbit/zorbit.h>

struct SDL_Surface;

// Loads and binds every library in order. Each candidate name is tried in
// every search folder and then bare; messages name the library as written.
// Throws BasicException ("Couldn't load library '%s'!\n", "Couldn't load
// function '%s' from library '%s'!\n"). A library loaded before a failure
// keeps its handle, so UnloadLibraries or DestroyDemo releases it.
void LoadLibraries(Demo& ioDemo, const char* inDemoPath);
// Sets every Event::effect; throws BasicException naming the first event that
// no library supplies.
void MatchEvents(Demo& ioDemo);
enum { kMaxInputSurfaces = 256 };

// Creates inputSurfaceCount input and outputSurfaceCount output software
// surfaces of inWidth x inHeight pixels in the screen's pixel format. Both
// arrays always exist (at least one entry) once this returns or throws.
// More than kMaxInputSurfaces input surfaces are refused with a BasicException.
void CreateSurfaces(Demo& ioDemo, int32_t inWidth, int32_t inHeight, SDL_Surface* inScreen);
// Calls every Zorbit_Init in order; with inLog, writes progress lines there.
// 0 when all succeeded; -1 at the first failure (later libraries untouched),
// whose index goes to outFailed when given.
int InitLibraries(Demo& ioDemo, void** inHostTable, FILE* inLog, uint32_t* outFailed = nullptr);
void QuitLibraries(Demo& ioDemo);
// Frees whatever surfaces exist (also a partly created set) and the arrays.
void FreeSurfaces(Demo& ioDemo);
void UnloadLibraries(Demo& ioDemo);

// Calls an effect with the event's inParamCount values followed by zeros up
// to 40, so an effect declaring more parameters than the event supplies reads
// zeros. More than 40 values: the effect is not called and the result is false.
bool CallEffect(void* inEffect, FrameInfo* inInfo, void** ioSlot, uint32_t inParamCount, const int32_t* inValues);
