// Watching a process's GDI objects and memory over a long run: samples taken every so many
// steps, printed as a table, and the check that they stay flat.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "testfiles.h"

struct Sample {
  int steps;
  DWORD gdi;            // GetGuiResources; Wine answers 0
  DWORD gdiHighWater;   // in process: the highest GDI handle slot a new object gets
  SIZE_T privateBytes;  // committed private memory (PagefileUsage; Wine leaves PrivateUsage 0)
  SIZE_T workingSet;
  DWORD threads;  // threads of the process (a tool-help snapshot)
};

// The long runs' pictures, written into dir: every format and placement, with files that
// cannot be read among them (a corrupt GIF, a missing BMP, a cut JPEG). Returns the list's
// "key=path" lines.
std::vector<std::string> WriteLongRunPictures(const TempDir &dir);

// Samples the process after `steps` steps; the GDI high water only for the calling process
// (inProcess), where freed handle slots are reused before new ones, so that a leak shows as
// slots climbing sample by sample.
Sample Measure(HANDLE process, int steps, bool inProcess);

// Prints "<what>: <total> <unit> in N ms" and the samples.
void Report(const char *what, const char *unit, int total, const std::vector<Sample> &samples,
            DWORD elapsed);

// No growth from the first sample to the last beyond allocator noise: at most 2 GDI objects,
// 16 handle slots and 2 MB of private memory, and no more threads than at the first sample.
void ExpectFlat(const std::vector<Sample> &samples);
