// Movies: a movie name bound to a numbered image sequence. The MakeMovie
// effect switches the texture behind the name frame by frame; anyone who asks
// for the name gets the current frame's texture record.
#pragma once

#include <cstdint>

#include <zorbit/zorbit.h>

enum { MOVIE_CAPACITY = 512 };

// Forgets every movie (at Zorbit_Init).
void ResetMovieTable();

// The record of the current frame of the first movie named inName that has
// one, or null. outIsMovie tells whether any movie has that name; a movie
// without a loaded frame is reported in the log.
TextureRecord* FindMovieFrame(const char* inName, bool& outIsMovie);

// Ends every movie still playing and frees its state (at Zorbit_Quit, for
// events that get no PHASE_DESTROY). The frames' references go with the textures.
void EndAllMovies();

// The effect: parameter 0 = text number of the movie's name, 1 = text number
// of the file name pattern ("frame???.png"), 2 = frame number to show
// (negative numbers show frame 0).
bool RunMakeMovie(FrameInfo* ioInfo, void** ioSlot, int32_t inNameText, int32_t inPatternText, int32_t inFrame);
