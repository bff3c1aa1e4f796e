#include "jpegreader.h"

#include <csetjmp>
#include <cstring>
#include <string>

#include "bmpfilesink.h"
#include "bmpreader.h"
#include "exiforientation.h"
#include "turnbitmap.h"
// jpeglib.h (through bmpfilesink.h) first: jerror.h needs its types.
#include <jerror.h>

namespace {

// libjpeg's standard error manager, except that a fatal error returns to the recovery point
// in ConvertJpegToBmp instead of ending the program.
struct JpegErrorManager {
  jpeg_error_mgr pub;
  jmp_buf recovery;
};

void JpegErrorExit(j_common_ptr cinfo) {
  (*cinfo->err->output_message)(cinfo);
  longjmp(reinterpret_cast<JpegErrorManager *>(cinfo->err)->recovery, 1);
}

// stdio takes '\' as a folder separator only on Windows; the other file calls of the core
// accept it everywhere.
FILE *OpenStream(const char *path, const char *mode) {
#ifdef _WIN32
  return fopen(path, mode);
#else
  std::string native(path);
  for (char &c : native)
    if (c == '\\') c = '/';
  return fopen(native.c_str(), mode);
#endif
}

bool Cancelled(const std::atomic<bool> *cancel) {
  return cancel && cancel->load(std::memory_order_relaxed);
}

// Everything between the recovery point and the end of the conversion; any fatal libjpeg
// error leaves it through JpegErrorExit. False when cancelled before the last row.
bool Convert(jpeg_decompress_struct *cinfo, FILE *jpegFile, FILE *bmpFile,
             const std::atomic<bool> *cancel, int *orientation) {
  jpeg_create_decompress(cinfo);
  jpeg_stdio_src(cinfo, jpegFile);
  jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);  // EXIF, for its Orientation tag
  jpeg_read_header(cinfo, TRUE);
  if (orientation) *orientation = JpegMarkersOrientation(cinfo->marker_list);
  BmpFileSink *sink = CreateBmpFileSink(cinfo);
  sink->output = bmpFile;
  jpeg_start_decompress(cinfo);
  (*sink->start)(cinfo, sink);
  while (cinfo->output_scanline < cinfo->output_height) {
    if (Cancelled(cancel)) return false;  // jpeg_destroy_decompress releases the rest
    JDIMENSION rows = jpeg_read_scanlines(cinfo, sink->rowBuffer, sink->rowBufferHeight);
    // The stdio source never suspends; no progress would mean no end.
    if (rows == 0) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    (*sink->storeRows)(cinfo, sink, rows);
  }
  (*sink->finish)(cinfo, sink);
  jpeg_finish_decompress(cinfo);
  return true;
}

}  // namespace

int ConvertJpegToBmp(const char *jpegPath, const char *bmpPath, const std::atomic<bool> *cancel,
                     int *orientation) {
  // The JPEG file first, so that a missing picture leaves an earlier BMP file as it was.
  FILE *jpegFile = OpenStream(jpegPath, "rb");
  if (!jpegFile) return kJpegFailed;
  FILE *bmpFile = OpenStream(bmpPath, "wb");
  if (!bmpFile) {
    fclose(jpegFile);
    return kJpegFailed;
  }

  jpeg_decompress_struct cinfo;
  memset(&cinfo, 0, sizeof cinfo);
  JpegErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JpegErrorExit;
  errors.pub.addon_message_table = kBmpFileSinkMessages;
  errors.pub.first_addon_message = kJpegFirstSinkMessage;
  errors.pub.last_addon_message = kJpegLastSinkMessage;

  int result = kJpegFailed;
  if (setjmp(errors.recovery) == 0) {
    if (Convert(&cinfo, jpegFile, bmpFile, cancel, orientation)) result = kJpegConverted;
  }
  jpeg_destroy_decompress(&cinfo);
  fclose(jpegFile);
  if (fclose(bmpFile) != 0) result = kJpegFailed;
  return result;
}

PackedBitmap ReadJpegFile(const char *path, const std::atomic<bool> *cancel) {
  // A file of our own in the user's temporary folder: several programs (the viewer, the
  // saver's preview) may convert at the same moment.
  char folder[MAX_PATH], temp[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  if (!GetTempFileNameA(folder, kJpegTempPrefix, 0, temp)) return nullptr;

  PackedBitmap bitmap = nullptr;
  int orientation = kOrientationAsStored;
  if (ConvertJpegToBmp(path, temp, cancel, &orientation) == kJpegConverted && !Cancelled(cancel))
    bitmap = ReadUprightBmpFile(temp, orientation);
  DeleteFileA(temp);
  return bitmap;
}
