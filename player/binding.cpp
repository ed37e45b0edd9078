#include "binding.h"

#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "basicexception.h"
#include <zorbit/codepage.h>

namespace {

// Which file each path loaded, while the process lasts. A library is not
// always unmapped when it is closed (C++ code carries "unique" symbols that
// pin it), and the loader then hands out the old code for the same path even
// after a new build was renamed over the file. Knowing the file the mapped
// code came from shows when that happens.
struct FileIdentity {
  dev_t device;
  ino_t inode;
  off_t size;
  timespec modified;
};

bool SameFile(const FileIdentity& inA, const struct stat& inB) {
  return inA.device == inB.st_dev && inA.inode == inB.st_ino && inA.size == inB.st_size &&
         inA.modified.tv_sec == inB.st_mtim.tv_sec && inA.modified.tv_nsec == inB.st_mtim.tv_nsec;
}

std::map<std::string, FileIdentity> gMappedFiles;

bool CopyFile(int inFrom, int inTo) {
  char theBuffer[65536];
  for (;;) {
    ssize_t theRead = read(inFrom, theBuffer, sizeof theBuffer);
    if (theRead == 0) return true;
    if (theRead < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t theDone = 0; theDone < theRead;) {
      ssize_t theWritten = write(inTo, theBuffer + theDone, size_t(theRead - theDone));
      if (theWritten < 0 && errno == EINTR) continue;
      if (theWritten <= 0) return false;
      theDone += theWritten;
    }
  }
}

// Loads a private copy of inPath, so the loader cannot match it with the
// stale code still mapped under that path. The copy sits beside the original
// when that folder is writable (so $ORIGIN in its run path still finds what
// lies beside it), else in the temporary folder; it is removed as soon as it
// is mapped.
void* LoadFreshCopy(const std::string& inPath) {
  const size_t theSlash = inPath.rfind('/');
  const std::string theBase = theSlash == std::string::npos ? inPath : inPath.substr(theSlash + 1);
  const char* theTemp = std::getenv("TMPDIR");
  const std::string theFolders[] = {theSlash == std::string::npos ? "." : inPath.substr(0, theSlash),
                                    theTemp != nullptr && *theTemp != '\0' ? theTemp : "/tmp"};
  const int theSource = open(inPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (theSource < 0) return nullptr;
  void* theHandle = nullptr;
  bool theCopied = false;
  for (const std::string& theFolder : theFolders) {
    std::string theCopy = theFolder + "/." + theBase + ".reload-XXXXXX";
    int theTarget = mkstemp(&theCopy[0]);
    if (theTarget < 0) continue;
    theCopied = lseek(theSource, 0, SEEK_SET) == 0 && CopyFile(theSource, theTarget);
    close(theTarget);
    if (theCopied) theHandle = SDL_LoadObject(theCopy.c_str());
    unlink(theCopy.c_str());
    if (theCopied) break;
  }
  close(theSource);
  if (!theCopied) SDL_SetError("%s changed on disk and could not be copied to load it anew", inPath.c_str());
  return theHandle;
}

// SDL_LoadObject, except that a file changed since its old code was mapped
// under the same path is loaded anew.
void* LoadObject(const std::string& inPath) {
  struct stat theFile;
  if (stat(inPath.c_str(), &theFile) != 0) return SDL_LoadObject(inPath.c_str());
  auto theMapped = gMappedFiles.find(inPath);
  // Only a regular file is copied: reading a pipe or a device put in its place could block or never end.
  if (theMapped != gMappedFiles.end() && !SameFile(theMapped->second, theFile) && S_ISREG(theFile.st_mode)) {
    if (void* theResident = dlopen(inPath.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
      dlclose(theResident);
      return LoadFreshCopy(inPath);
    }
  }
  void* theHandle = SDL_LoadObject(inPath.c_str());
  if (theHandle != nullptr) {
    gMappedFiles[inPath] = FileIdentity{theFile.st_dev, theFile.st_ino, theFile.st_size, theFile.st_mtim};
  }
  return theHandle;
}

void* LoadCandidate(const std::string& inName, const std::vector<std::string>& inFolders) {
  if (inName.empty()) return nullptr;
  if (inName[0] != '/') {
    for (const std::string& theFolder : inFolders) {
      std::string thePath = theFolder + "/" + inName;
      if (access(thePath.c_str(), F_OK) != 0) continue;
      if (void* theHandle = LoadObject(thePath)) return theHandle;
      // The file is there but does not load (a missing symbol or dependency):
      // the log keeps its fixed message, the reason goes to standard error.
      std::fprintf(stderr, "player: %s\n", SDL_GetError());
    }
  }
  // A name with a '/' is a path for the dynamic loader; a bare name goes
  // through its own search (LD_LIBRARY_PATH, the system folders).
  return SDL_LoadObject(inName.c_str());
}

template <typename T>
T Bind(void* inHandle, const char* inName) {
  return reinterpret_cast<T>(SDL_LoadFunction(inHandle, inName));
}

// A plug-in built against a newer contract may rely on what this player
// does not do: it is refused before any of its entry points is called. One
// that declares nothing is built against version 1.
void RefuseNewerContract(void* inHandle, const char* inFileName) {
  const void* theDeclared = OwnDataSymbol(inHandle, ZORBIT_CONTRACT_VERSION_SYMBOL);
  const uint32_t theVersion = theDeclared != nullptr ? *static_cast<const uint32_t*>(theDeclared) : 1;
  if (theVersion > ZORBIT_CONTRACT_VERSION) {
    throw BasicException("Couldn't load library '%s': it was built for contract version %u, this player knows versions up to %u\n",
                         inFileName, unsigned(theVersion), unsigned(ZORBIT_CONTRACT_VERSION));
  }
}

}  // namespace

void LoadLibraries(Demo& ioDemo, const char* inDemoPath) {
  std::vector<std::string> theFolders = LibrarySearchFolders(inDemoPath);
  for (uint32_t i = 0; i < ioDemo.libraryCount; ++i) {
    Library& theLibrary = ioDemo.libraries[i];
    const char* theFileName = theLibrary.fileName != nullptr ? theLibrary.fileName : "";
    void* theHandle = nullptr;
    // The document names the file in its code page; the file system in UTF-8.
    const std::string theDiskName = codepage::ToUtf8(theFileName);
    for (const std::string& theName : LibraryCandidateNames(theDiskName.c_str())) {
      theHandle = LoadCandidate(theName, theFolders);
      if (theHandle != nullptr) break;
    }
    if (theHandle == nullptr) throw BasicException("Couldn't load library '%s'!\n", theFileName);
    theLibrary.handle = theHandle;
    RefuseNewerContract(theHandle, theFileName);

    theLibrary.init = Bind<InitFunction>(theHandle, "Zorbit_Init");
    if (theLibrary.init == nullptr)
      throw BasicException("Couldn't load function 'Zorbit_Init' from library '%s'!\n", theFileName);
    theLibrary.quit = Bind<QuitFunction>(theHandle, "Zorbit_Quit");
    if (theLibrary.quit == nullptr)
      throw BasicException("Couldn't load function 'Zorbit_Quit' from library '%s'!\n", theFileName);
    theLibrary.beginNewFrame = Bind<BeginNewFrameFunction>(theHandle, "Zorbit_BeginNewFrame");
    if (theLibrary.beginNewFrame == nullptr)
      throw BasicException("Couldn't load function 'Zorbit_BeginNewFrame' from library '%s'!\n", theFileName);
    theLibrary.updateParam = Bind<UpdateParamFunction>(theHandle, "Zorbit_UpdateParam");
    for (uint32_t f = 0; f < theLibrary.functionCount; ++f) {
      LibraryFunction& theFunction = theLibrary.functions[f];
      const char* theFunctionName = theFunction.name != nullptr ? theFunction.name : "";
      theFunction.entry = SDL_LoadFunction(theHandle, theFunctionName);
      if (theFunction.entry == nullptr)
        throw BasicException("Couldn't load function '%s' from library '%s'!\n", theFunctionName, theFileName);
    }
  }
}

void MatchEvents(Demo& ioDemo) {
  for (uint32_t t = 0; t < ioDemo.trackCount; ++t) {
    Track& theTrack = ioDemo.tracks[t];
    for (uint32_t e = 0; e < theTrack.eventCount; ++e) {
      Event& theEvent = theTrack.events[e];
      const char* theLibraryName = theEvent.libraryFileName != nullptr ? theEvent.libraryFileName : "";
      const char* theFunctionName = theEvent.functionName != nullptr ? theEvent.functionName : "";
      theEvent.effect = nullptr;
      for (uint32_t l = 0; l < ioDemo.libraryCount && theEvent.effect == nullptr; ++l) {
        const Library& theLibrary = ioDemo.libraries[l];
        if (theLibrary.fileName == nullptr || std::strcmp(theLibrary.fileName, theLibraryName) != 0) continue;
        for (uint32_t f = 0; f < theLibrary.functionCount; ++f) {
          const LibraryFunction& theFunction = theLibrary.functions[f];
          if (theFunction.name != nullptr && std::strcmp(theFunction.name, theFunctionName) == 0) {
            theEvent.effect = theFunction.entry;
            break;
          }
        }
      }
      if (theEvent.effect == nullptr) {
        throw BasicException(
            "Couldn't match event %d's function '%s' for library '%s' to available libraries in track %d", int(e),
            theFunctionName, theLibraryName, int(t));
      }
    }
  }
}

void CreateSurfaces(Demo& ioDemo, int32_t inWidth, int32_t inHeight, SDL_Surface* inScreen) {
  const SDL_PixelFormat* theFormat = inScreen->format;
  auto theCreate = [&]() {
    return SDL_CreateRGBSurface(0, inWidth, inHeight, theFormat->BitsPerPixel, theFormat->Rmask, theFormat->Gmask,
                                theFormat->Bmask, theFormat->Amask);
  };
  // A document's count is not trusted to size memory: each surface is a whole
  // screen of pixels, and a stray "-1" would otherwise ask for billions.
  if (ioDemo.inputSurfaceCount > kMaxInputSurfaces) {
    throw BasicException("Couldn't create %u input surfaces, at most %d are supported",
                         unsigned(ioDemo.inputSurfaceCount), int(kMaxInputSurfaces));
  }
  // One entry at least, so Zorbit_Init always gets a valid array.
  ioDemo.inputSurfaces =
      static_cast<SDL_Surface**>(std::calloc(ioDemo.inputSurfaceCount + 1, sizeof(SDL_Surface*)));
  if (ioDemo.inputSurfaces == nullptr) throw BasicException("Couldn't create an input surface, probably out of memory");
  for (uint32_t i = 0; i < ioDemo.inputSurfaceCount; ++i) {
    ioDemo.inputSurfaces[i] = theCreate();
    if (ioDemo.inputSurfaces[i] == nullptr)
      throw BasicException("Couldn't create an input surface, probably out of memory");
  }
  ioDemo.outputSurfaces =
      static_cast<SDL_Surface**>(std::calloc(ioDemo.outputSurfaceCount + 1, sizeof(SDL_Surface*)));
  if (ioDemo.outputSurfaces == nullptr)
    throw BasicException("Couldn't create an output surface, probably out of memory");
  for (uint32_t i = 0; i < ioDemo.outputSurfaceCount; ++i) {
    ioDemo.outputSurfaces[i] = theCreate();
    if (ioDemo.outputSurfaces[i] == nullptr)
      throw BasicException("Couldn't create an output surface, probably out of memory");
  }
}

int InitLibraries(Demo& ioDemo, void** inHostTable, FILE* inLog, uint32_t* outFailed) {
  for (uint32_t i = 0; i < ioDemo.libraryCount; ++i) {
    Library& theLibrary = ioDemo.libraries[i];
    if (inLog != nullptr) {
      std::fprintf(inLog, "Initializing lib %s ... \n", theLibrary.fileName);
      std::fflush(inLog);
    }
    if (!theLibrary.init(ioDemo.outputSurfaces, ioDemo.inputSurfaces, inHostTable)) {
      if (inLog != nullptr) {
        std::fprintf(inLog, " *** Library %s failed init! \n", theLibrary.fileName);
        std::fflush(inLog);
      }
      if (outFailed != nullptr) *outFailed = i;
      return -1;
    }
  }
  return 0;
}

void QuitLibraries(Demo& ioDemo) {
  for (uint32_t i = 0; i < ioDemo.libraryCount; ++i) {
    if (ioDemo.libraries[i].quit != nullptr) ioDemo.libraries[i].quit();
  }
}

void FreeSurfaces(Demo& ioDemo) {
  if (ioDemo.inputSurfaces != nullptr) {
    for (uint32_t i = 0; i < ioDemo.inputSurfaceCount; ++i) SDL_FreeSurface(ioDemo.inputSurfaces[i]);
    std::free(ioDemo.inputSurfaces);
    ioDemo.inputSurfaces = nullptr;
  }
  if (ioDemo.outputSurfaces != nullptr) {
    for (uint32_t i = 0; i < ioDemo.outputSurfaceCount; ++i) SDL_FreeSurface(ioDemo.outputSurfaces[i]);
    std::free(ioDemo.outputSurfaces);
    ioDemo.outputSurfaces = nullptr;
  }
}

void UnloadLibraries(Demo& ioDemo) {
  for (uint32_t i = 0; i < ioDemo.libraryCount; ++i) {
    Library& theLibrary = ioDemo.libraries[i];
    if (theLibrary.handle != nullptr) {
      SDL_UnloadObject(theLibrary.handle);
      theLibrary.handle = nullptr;
    }
  }
}

// Every effect is called with 40 values: the caller removes the arguments,
// so an effect that declares fewer simply does not read the rest.
#define ZORBIT_I32_X10 int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t
typedef bool (*Effect40)(FrameInfo*, void**, ZORBIT_I32_X10, ZORBIT_I32_X10, ZORBIT_I32_X10, ZORBIT_I32_X10);
#undef ZORBIT_I32_X10

bool CallEffect(void* inEffect, FrameInfo* inInfo, void** ioSlot, uint32_t inParamCount, const int32_t* inValues) {
  if (inParamCount > ZORBIT_MAX_PARAMS || inEffect == nullptr) return false;
  int32_t v[ZORBIT_MAX_PARAMS] = {};
  if (inParamCount > 0) std::memcpy(v, inValues, inParamCount * sizeof(int32_t));
  Effect40 theEffect = reinterpret_cast<Effect40>(inEffect);
  return theEffect(inInfo, ioSlot, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12],
                   v[13], v[14], v[15], v[16], v[17], v[18], v[19], v[20], v[21], v[22], v[23], v[24], v[25], v[26],
                   v[27], v[28], v[29], v[30], v[31], v[32], v[33], v[34], v[35], v[36], v[37], v[38], v[39]);
}
