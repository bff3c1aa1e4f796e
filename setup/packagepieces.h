// The package's pieces: the UnRAR library image and the RAR archive that the setup program
// carries behind its own program image, found by their distances from the end of its file and
// copied out; and the program image alone, which is the uninstaller.
//
// Layout of the package file:
//   [setup program image][library image: gLibraryPieceLength][archive: gArchivePieceLength]
// Nothing marks the pieces; the build writes the two lengths into the program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The lengths of the two pieces; the program sets them at start-up from the values the
// package build computed.
extern uint32_t gLibraryPieceLength;
extern uint32_t gArchivePieceLength;

// The running setup program's own file (UTF-8).
extern std::string gSetupFilePath;
// Takes gSetupFilePath from the module's file name; 0 when it cannot be had.
int TakeSetupFilePath();
// The running program's file, of any length; "" when it cannot be had.
std::string ModuleFilePath();

// Writes the setup program's own image, the package without its two pieces, into a new file
// outputName (one there already is removed first): the uninstaller. False on failure.
bool CopySetupImage(const char *outputName);

// Copies the running file whole into a new file outputName (as CopyPayloadPiece does, with
// held), kept open in *held until the caller closes it. False on failure.
bool CopyWholeSetupFile(const char *outputName, HANDLE *held);

// Whether the running file is the package, with the archive piece at its end, rather than
// the program image alone (the uninstaller).
bool SetupFileCarriesPayload();

// Copies length bytes, starting distanceFromEnd bytes before the end of the setup file, into
// a new file outputName (one there already is removed first). 1 on success, 0 on failure (short
// file, read or write failure). With held, the file is then kept open for reading in *held, nobody
// else allowed to write it, and checked to hold the piece; the caller closes *held once the piece
// has been used.
int CopyPayloadPiece(uint32_t distanceFromEnd, uint32_t length, const char *outputName,
                     HANDLE *held = nullptr);
