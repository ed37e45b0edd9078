// The table of texture records behind the 'TXTR' resources. Records are
// handed out by address to other plug-ins, so a record never moves; a record
// whose name is empty is free.
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

enum {
  TEXTURE_RECORD_CAPACITY = 512,
  TEXTURE_NAME_CAPACITY = sizeof(TextureRecord::name),  // 255 characters and the terminating zero
  TEXTURE_LOADED_LIMIT = 20,  // above this many loaded, unreferenced textures are dropped
  TEXTURE_LEAK_LIMIT = 100,   // more outstanding produces of one name than this are reported
};

// Forgets every record without touching OpenGL (at Zorbit_Init).
void ResetTextureTable();

// The record in use with exactly this name, or null.
TextureRecord* FindTextureRecord(const char* inName);

// Produces the texture of an image file by its resource name (a name ending
// in "-mask" reads the file without the suffix and makes a brightness mask).
// Takes one reference. Null after a warning when the name is too long for a
// record, the table is full or the image cannot be decoded; null without a
// warning when the file cannot be opened.
TextureRecord* ProduceTextureFile(const char* inName);

// Drops one reference of the record named inName; false when there is none.
bool ReleaseTextureRecord(const char* inName);

// Deletes every texture and empties the table (at Zorbit_Quit).
void DropAllTextures();
