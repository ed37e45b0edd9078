// The music's waveform under a timeline: the lowest and highest sample of
// each pixel column, both channels mixed.
#pragma once

#include <string>

#include "timeline.h"

// inPath: the music file as the file system names it. A file that cannot be
// read gives no columns and a note saying why.
Waveform ReadWaveform(const std::string& inPath, const TimeAxis& inAxis);
