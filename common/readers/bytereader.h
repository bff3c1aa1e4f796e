// Reading a picture file through a buffer: a byte at a time, a run of bytes, or straight from
// the buffer. The file is read in pieces of kByteReaderBufferSize bytes; nothing is ever read
// outside the buffer or beyond what the file gave, and the end of the file (or a failed read)
// is reported at once, never waited for.
#pragma once

#include "platform.h"

const UINT kByteReaderBufferSize = 32768;

// The bytes buffer[position, count) have been read from the file and not yet taken. A reader
// may take them straight from there, advancing position (never past count).
struct ByteReader {
  HFILE file;
  BYTE *buffer;  // kByteReaderBufferSize bytes
  UINT position;
  UINT count;
};

// Opens the file for reading and allocates the buffer. False, with nothing left open, when
// either fails.
bool OpenByteReader(ByteReader *in, const char *path);
void CloseByteReader(ByteReader *in);

// Reads the next piece of the file into the buffer when every byte in it has been taken. False
// at the end of the file or on a failed read; the buffer is then empty.
bool FillByteReader(ByteReader *in);

// The next byte of the file (0 to 255), or -1 at its end.
inline int ReadByte(ByteReader *in) {
  if (in->position == in->count && !FillByteReader(in)) return -1;
  return in->buffer[in->position++];
}

// Copies the next n bytes to dest, or skips them when dest is null. Returns n, or -1 when the
// file ends first (what it had is then taken).
int ReadBytes(ByteReader *in, BYTE *dest, int n);

// Goes on at `offset` from the start of the file, with an empty buffer, after the file has been
// read or moved in other ways. False when the file cannot be positioned there.
bool SeekByteReader(ByteReader *in, LONG offset);
