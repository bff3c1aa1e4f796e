#include "bytereader.h"

#include <cstring>

#include "filecalls.h"

bool OpenByteReader(ByteReader *in, const char *path) {
  *in = ByteReader{};
  in->file = OpenPath(path, OF_READ);
  if (in->file == HFILE_ERROR) return false;
  in->buffer = static_cast<BYTE *>(GlobalAlloc(GMEM_FIXED, kByteReaderBufferSize));
  if (in->buffer) return true;
  _lclose(in->file);
  in->file = HFILE_ERROR;
  return false;
}

void CloseByteReader(ByteReader *in) {
  if (in->buffer) GlobalFree(in->buffer);
  if (in->file != HFILE_ERROR) _lclose(in->file);
  *in = ByteReader{};
  in->file = HFILE_ERROR;
}

bool FillByteReader(ByteReader *in) {
  if (in->position < in->count) return true;
  in->position = in->count = 0;
  const UINT got = _lread(in->file, in->buffer, kByteReaderBufferSize);
  if (got == (UINT)HFILE_ERROR || got == 0 || got > kByteReaderBufferSize) return false;
  in->count = got;
  return true;
}

int ReadBytes(ByteReader *in, BYTE *dest, int n) {
  int done = 0;
  while (done < n) {
    if (!FillByteReader(in)) return -1;
    const UINT avail = in->count - in->position;
    const UINT take = (UINT)(n - done) < avail ? (UINT)(n - done) : avail;
    if (dest) memcpy(dest + done, in->buffer + in->position, take);
    in->position += take;
    done += (int)take;
  }
  return n;
}

bool SeekByteReader(ByteReader *in, LONG offset) {
  in->position = in->count = 0;
  return _llseek(in->file, offset, FILE_BEGIN) != HFILE_ERROR;
}
