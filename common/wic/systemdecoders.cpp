#include "systemdecoders.h"

#include <windows.h>

#include <wincodec.h>

#include <algorithm>

#include "path.h"

namespace {

struct OwnType {
  const char *name;
  const char *patterns;
};

const OwnType kOwnTypes[] = {
    {"Bitmap files", "*.bmp"},      {"GIF files", "*.gif"}, {"PCX files", "*.pcx"},
    {"JPEG files", "*.jpg;*.jpeg"}, {"PNG files", "*.png"}, {"WebP files", "*.webp"},
};
const char *const kOwnExtensions[] = {".bmp", ".gif", ".pcx", ".jpg", ".jpeg", ".png", ".webp"};

bool IsOwnExtension(const std::string &type) {
  for (const char *own : kOwnExtensions)
    if (type == own) return true;
  return false;
}

// A WIC text that comes by asking for its length first.
template <class Getter>
std::wstring WicText(Getter get) {
  UINT length = 0;
  if (FAILED(get(0, nullptr, &length)) || length == 0 || length > 4096) return std::wstring();
  std::wstring text(length, L'\0');
  if (FAILED(get(length, &text[0], &length))) return std::wstring();
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

// ".TIFF,.tif" (or with semicolons, as some decoders give them) as lower-case extensions with
// the dot.
std::vector<std::string> SplitTypes(const std::string &list) {
  std::vector<std::string> types;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find_first_of(",;", start);
    if (end == std::string::npos) end = list.size();
    std::string type = list.substr(start, end - start);
    type.erase(0, type.find_first_not_of(' '));
    type.erase(type.find_last_not_of(' ') + 1);
    std::transform(type.begin(), type.end(), type.begin(),
                   [](char c) { return (char)(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    if (type.size() > 1 && type[0] != '.') type.insert(type.begin(), '.');
    if (type.size() > 1 && type.find_first_of("*?") == std::string::npos) types.push_back(type);
    start = end + 1;
  }
  return types;
}

void Append(std::string *filter, const std::string &text) {
  filter->append(text);
  filter->push_back('\0');
}

std::string Patterns(const std::vector<std::string> &types) {
  std::string patterns;
  for (const std::string &type : types) patterns += (patterns.empty() ? "*" : ";*") + type;
  return patterns;
}

}  // namespace

std::vector<SystemDecoder> SystemDecoders() {
  std::vector<SystemDecoder> decoders;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory *factory = nullptr;
  IEnumUnknown *list = nullptr;
  if ((SUCCEEDED(com) || com == RPC_E_CHANGED_MODE) &&
      SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IWICImagingFactory, reinterpret_cast<void **>(&factory))) &&
      SUCCEEDED(
          factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, &list))) {
    IUnknown *item = nullptr;
    ULONG got = 0;
    while (list->Next(1, &item, &got) == S_OK && got == 1) {
      IWICBitmapDecoderInfo *info = nullptr;
      if (SUCCEEDED(
              item->QueryInterface(IID_IWICBitmapDecoderInfo, reinterpret_cast<void **>(&info)))) {
        SystemDecoder decoder;
        decoder.name = Utf8FromWide(WicText([info](UINT n, WCHAR *s, UINT *len) {
                                      return info->GetFriendlyName(n, s, len);
                                    }).c_str());
        decoder.types = SplitTypes(Utf8FromWide(WicText([info](UINT n, WCHAR *s, UINT *len) {
                                                  return info->GetFileExtensions(n, s, len);
                                                }).c_str()));
        if (!decoder.types.empty()) decoders.push_back(decoder);
        info->Release();
      }
      item->Release();
    }
  }
  if (list) list->Release();
  if (factory) factory->Release();
  if (SUCCEEDED(com)) CoUninitialize();
  return decoders;
}

std::vector<std::string> PictureExtensions(const std::vector<SystemDecoder> &decoders) {
  std::vector<std::string> known(std::begin(kOwnExtensions), std::end(kOwnExtensions));
  for (const SystemDecoder &decoder : decoders)
    for (const std::string &type : decoder.types)
      if (std::find(known.begin(), known.end(), type) == known.end()) known.push_back(type);
  return known;
}

std::string PictureFilter(const std::vector<SystemDecoder> &decoders) {
  const std::vector<std::string> known = PictureExtensions(decoders);
  std::string filter;
  Append(&filter, "All known image formats");
  Append(&filter, Patterns(known));
  for (const OwnType &own : kOwnTypes) {
    Append(&filter, own.name);
    Append(&filter, own.patterns);
  }
  for (const SystemDecoder &decoder : decoders) {
    bool own = false;
    for (const std::string &type : decoder.types) own = own || IsOwnExtension(type);
    if (own || decoder.name.empty()) continue;  // its format is the package's own
    Append(&filter, decoder.name);
    Append(&filter, Patterns(decoder.types));
  }
  Append(&filter, "All files");
  Append(&filter, "*.*");
  return filter;  // std::string keeps a NUL after the last one: the filter's end
}
