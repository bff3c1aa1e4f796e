// Writing PCX files in tests.
#pragma once

#include <string>

// An 8-bit single-plane PCX file (version 5, run-length coded) of a width x height gradient
// with a 256-colour table; every pixel is written as a run of one. Width and height 1 to 32767.
std::string MakePcx(int width, int height);
