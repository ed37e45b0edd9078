/* Preloaded into the player by tools/bench/capture_speed: counts the frames it
 * shows (SDL_GL_SwapBuffers) and, once SWAPCOUNT_FRAMES frames after the first
 * are shown, writes their rate in frames per second to the file
 * SWAPCOUNT_OUT. The first frame is left out: it carries start-up. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double Now(void) {
  struct timespec theNow;
  clock_gettime(CLOCK_MONOTONIC, &theNow);
  return theNow.tv_sec + theNow.tv_nsec * 1e-9;
}

void SDL_GL_SwapBuffers(void) {
  static void (*theReal)(void);
  static long theShown;
  static double theFirst;
  if (theReal == NULL) *(void**)&theReal = dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers");
  theReal();
  const char* theWanted = getenv("SWAPCOUNT_FRAMES");
  const char* theOut = getenv("SWAPCOUNT_OUT");
  if (theWanted == NULL || theOut == NULL) return;
  if (theShown++ == 0) {
    theFirst = Now();
  } else if (theShown - 1 == atol(theWanted)) {
    FILE* theFile = fopen(theOut, "w");
    if (theFile == NULL) return;
    fprintf(theFile, "%.1f\n", (theShown - 1) / (Now() - theFirst));
    fclose(theFile);
  }
}
