// zorbit-info's pictures: --timeline OUT and --plot TRACK.EVENT:PARAM OUT,
// each an SVG, PNG or PDF as the file name ends.
#pragma once

// True when the command line asks for a picture (any of the picture options).
bool WantsPicture(int argc, char** argv);
// The whole run; the exit status: 0 written, 1 the document did not load or
// the file could not be written, 2 bad usage.
int RunPictureTool(int argc, char** argv);
// The options' lines for zorbit-info --help.
const char* PictureHelp();
