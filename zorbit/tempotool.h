// zorbit-info --tempo DEMO.xml: the tempo and first beat of the demo's
// music, and a MakeBeat event that pulses on its beats.
#pragma once

// True when the command line asks for the tempo.
bool WantsTempo(int argc, char** argv);
// The whole run; the exit status: 0 printed, 1 the document did not load or
// its music has no tempo to give, 2 bad usage.
int RunTempoTool(int argc, char** argv);
// The option's lines for zorbit-info --help.
const char* TempoHelp();
