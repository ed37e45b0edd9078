#include "texturetable.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <cstdio>
#include <cstring>

#include "imageryhost.h"
#include "textureimage.h"

static_assert(sizeof(TextureRecord) == 288, "TextureRecord is 288 bytes");
static_assert(offsetof(TextureRecord, texture) == 0 && offsetof(TextureRecord, width) == 4 &&
                  offsetof(TextureRecord, height) == 8 && offsetof(TextureRecord, sExtent) == 12 &&
                  offsetof(TextureRecord, tExtent) == 16 && offsetof(TextureRecord, name) == 20 &&
                  offsetof(TextureRecord, surface) == 280,
              "TextureRecord layout");

namespace {

TextureRecord gTextures[TEXTURE_RECORD_CAPACITY];
int32_t gTextureRefCounts[TEXTURE_RECORD_CAPACITY];
int32_t gUsedRecords = 0;     // one past the highest record in use
int32_t gLoadedTextures = 0;  // textures held, referenced or not

const char kMaskSuffix[] = "-mask";
const size_t kMaskSuffixLength = sizeof(kMaskSuffix) - 1;

void EmptyRecord(int32_t inIndex) {
  TextureRecord& theRecord = gTextures[inIndex];
  memset(&theRecord, 0, sizeof theRecord);
  gTextureRefCounts[inIndex] = 0;
}

void UnloadRecord(int32_t inIndex) {
  TextureRecord& theRecord = gTextures[inIndex];
  if (theRecord.texture) glDeleteTextures(1, &theRecord.texture);
  if (theRecord.surface) SDL_FreeSurface(theRecord.surface);
  EmptyRecord(inIndex);
}

int32_t FindRecordIndex(const char* inName) {
  if (!inName[0]) return -1;  // an empty name marks a free record, never a texture
  for (int32_t i = 0; i < gUsedRecords; ++i) {
    if (strcmp(gTextures[i].name, inName) == 0) return i;
  }
  return -1;
}

void DropUnreferencedTextures() {
  for (int32_t i = 0; i < gUsedRecords; ++i) {
    if (gTextures[i].name[0] && gTextureRefCounts[i] == 0) {
      UnloadRecord(i);
      --gLoadedTextures;
    }
  }
  while (gUsedRecords > 0 && !gTextures[gUsedRecords - 1].name[0]) --gUsedRecords;
}

}  // namespace

void ResetTextureTable() {
  for (int32_t i = 0; i < TEXTURE_RECORD_CAPACITY; ++i) EmptyRecord(i);
  gUsedRecords = 0;
  gLoadedTextures = 0;
}

TextureRecord* FindTextureRecord(const char* inName) {
  int32_t theIndex = FindRecordIndex(inName);
  return theIndex < 0 ? nullptr : &gTextures[theIndex];
}

TextureRecord* ProduceTextureFile(const char* inName) {
  size_t theNameLength = strlen(inName);
  if (theNameLength >= TEXTURE_NAME_CAPACITY) {
    // Cutting the name could make it match another file's texture.
    ImageryWarn("ProduceTexture: the name %s is longer than %d characters", inName,
                static_cast<int>(TEXTURE_NAME_CAPACITY) - 1);
    return nullptr;
  }
  bool theIsMask = theNameLength >= kMaskSuffixLength &&
                   strcmp(inName + theNameLength - kMaskSuffixLength, kMaskSuffix) == 0;

  int32_t theIndex = FindRecordIndex(inName);
  if (theIndex >= 0) {
    if (++gTextureRefCounts[theIndex] > TEXTURE_LEAK_LIMIT) {
      ImageryWarn("imagery: Possible leak: more than %d requests for %s", TEXTURE_LEAK_LIMIT, inName);
    }
    return &gTextures[theIndex];
  }
  if (theNameLength == 0) return nullptr;  // no file has an empty name

  if (gLoadedTextures > TEXTURE_LOADED_LIMIT) DropUnreferencedTextures();

  theIndex = 0;
  while (theIndex < gUsedRecords && gTextures[theIndex].name[0]) ++theIndex;
  if (theIndex >= TEXTURE_RECORD_CAPACITY) {
    ImageryWarn("ProduceTexture: all %d texture records are in use, can't load %s", TEXTURE_RECORD_CAPACITY,
                inName);
    return nullptr;
  }
  TextureRecord& theRecord = gTextures[theIndex];
  memcpy(theRecord.name, inName, theNameLength + 1);

  // The file name is the resource name without "-mask".
  char theFileName[TEXTURE_NAME_CAPACITY];
  size_t theFileLength = theIsMask ? theNameLength - kMaskSuffixLength : theNameLength;
  memcpy(theFileName, inName, theFileLength);
  theFileName[theFileLength] = 0;

  SDL_RWops* theStream = gHost.openStream ? gHost.openStream(theFileName) : nullptr;
  if (!theStream) {
    EmptyRecord(theIndex);
    return nullptr;
  }
  SDL_Surface* theImage = DecodeImage(theStream);
  if (!theImage) {
    // Some formats (TGA) carry no signature, so the untyped load cannot tell
    // them; the file's extension names the type instead.
    const char* theDot = strrchr(theFileName, '.');
    const char* theSlash = strrchr(theFileName, '/');
    if (theDot && theDot[1] && (!theSlash || theDot > theSlash) && SDL_RWseek(theStream, 0, RW_SEEK_SET) == 0) {
      char theType[16];
      snprintf(theType, sizeof theType, "%s", theDot + 1);
      theImage = IMG_LoadTyped_RW(theStream, 0, theType);
    }
  }
  gHost.closeStream(theStream);
  if (!theImage) {
    ImageryWarn("IMG_Load couldn't load the file %s", inName);
    EmptyRecord(theIndex);
    return nullptr;
  }
  SDL_Surface* thePixels = MakePaddedPixels(theImage);
  if (thePixels) {
    if (theIsMask) MakeMask(thePixels);
    UploadTexture(theRecord, thePixels, theImage->w, theImage->h);
    SDL_FreeSurface(thePixels);
  } else {
    // The record keeps a texture name without an image, as a texture that
    // could not be filled; its size still tells what the image was.
    glDeleteTextures(1, &theRecord.texture);
    glGenTextures(1, &theRecord.texture);
    theRecord.width = theImage->w;
    theRecord.height = theImage->h;
    ImageryWarn("SDL_CreateRGBSurface return 0: probably out of memory");
  }
  SDL_FreeSurface(theImage);

  if (theIndex == gUsedRecords) ++gUsedRecords;
  gTextureRefCounts[theIndex] = 1;
  ++gLoadedTextures;
  return &theRecord;
}

bool ReleaseTextureRecord(const char* inName) {
  int32_t theIndex = FindRecordIndex(inName);
  if (theIndex < 0) return false;
  if (gTextureRefCounts[theIndex] > 0) {
    --gTextureRefCounts[theIndex];
  } else {
    ImageryWarn("imagery: double release somewhere for %s", inName);
  }
  return true;
}

void DropAllTextures() {
  for (int32_t i = 0; i < gUsedRecords; ++i) {
    if (gTextures[i].name[0]) UnloadRecord(i);
  }
  ResetTextureTable();
}
