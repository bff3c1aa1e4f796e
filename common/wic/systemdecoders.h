// The picture types the system decodes (the Windows Imaging Component's decoders) and the
// picture filter of the file dialogs built from them and the package's own types.
#pragma once

#include <string>
#include <vector>

struct SystemDecoder {
  std::string name;                // the decoder's friendly name ("TIFF Decoder")
  std::vector<std::string> types;  // its file extensions, lower case, with the dot (".tif")
};

// Every decoder the system has, in the order the system lists them; empty when WIC is missing.
// COM is set up on the calling thread for the call.
std::vector<SystemDecoder> SystemDecoders();

// The extensions of every picture type the package reads, its own first and then the system
// decoders' (lower case, with the dot, each once).
std::vector<std::string> PictureExtensions(const std::vector<SystemDecoder> &decoders);

// The file dialogs' picture filter (pairs of NUL-terminated texts, ended by a second NUL):
// "All known image formats" with the own types and every system decoder's, then one entry for
// each own type, then one for each system decoder with a type the package does not read itself
// (its other types), then "All files".
std::string PictureFilter(const std::vector<SystemDecoder> &decoders);
