// The package's payload: the UnRAR library image and the RAR archive that the setup program
// carries behind its own program image, found by their distances from the end of its file,
// copied into a private temporary folder, and the archive unpacked through the library.
//
// Layout of the package file:
//   [setup program image][library image: LibraryPieceLength][archive: ArchivePieceLength]
// Nothing marks the pieces; the build writes the two lengths into the program.
#pragma once

#include <windows.h>

#include <cstdint>

// The lengths of the two pieces; the program sets them at start-up from the values the
// package build computed.
extern uint32_t LibraryPieceLength;
extern uint32_t ArchivePieceLength;

// The running setup program's own file.
extern char SetupFilePath[MAX_PATH];
// Takes SetupFilePath from the module's file name; 0 when the name does not fit.
int TakeSetupFilePath();

// The private folder for the temporary pieces and their full paths inside it.
extern char PayloadFolder[MAX_PATH];
extern char ArchiveFile[MAX_PATH];
extern char LibraryFile[MAX_PATH];
// Creates a fresh folder of its own under the user's temporary folder, open to nobody but
// Administrators and SYSTEM when the process is elevated (the current user otherwise). 0 on
// failure.
int CreatePayloadFolder();
// Creates a fresh private folder (as above) named prefix-... under the user's temporary
// folder into folder (size bytes). False on failure.
bool CreateOwnTempFolder(const char *prefix, char *folder, size_t size);

// Writes the setup program's own image, the package without its two pieces, into a new file
// outputName: the uninstaller. False on failure.
bool CopySetupImage(const char *outputName);

// Removes the two pieces and the folder (whatever of them exists). A file that cannot be
// removed now is marked for removal at the next start of the system.
void RemovePayloadFolder();

// Copies length bytes, starting distanceFromEnd bytes before the end of the setup file, into
// a new file outputName. 1 on success, 0 on failure (short file, read or write failure). With
// held, the file is then kept open for reading in *held, nobody else allowed to write it, and
// checked to hold the piece; the caller closes *held once the piece has been used.
int CopyPayloadPiece(uint32_t distanceFromEnd, uint32_t length, const char *outputName,
                     HANDLE *held = nullptr);

// Loads the library from its full path and resolves the six entry points. 1 on success.
int LoadUnrarLibrary(const char *libraryPath);
// Releases a loaded library; nothing when none is loaded.
void UnloadUnrarLibrary();
// True while a library is loaded.
bool UnrarLibraryLoaded();

// Asked during long work whether to give it up (the user pressed Exit).
class StopQuestion {
 public:
  virtual bool StopRequested() = 0;

 protected:
  ~StopQuestion() = default;
};

// Extracts every member of the archive into destinationFolder. 1 only when every member was
// extracted and the archive ended normally; 0 as soon as stop, when given, asks to stop (it is
// asked for every block of data the library writes).
int ExtractArchive(const char *archiveName, const char *destinationFolder,
                   StopQuestion *stop = nullptr);
