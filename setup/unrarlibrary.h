// The UnRAR library, loaded at run time from the file the package carries, and the extraction
// of the payload archive through it.
#pragma once

// Loads the library from its full path (UTF-8) and resolves the six entry points, the wide ones
// for names. 1 on success.
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
