#include "host/win32/picture_library.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace poromea::win32 {
namespace {

// The files built in by poromea.rc, each as an RCDATA resource named by its
// stem in capitals (PART0, ..., BANNER): those of ui/pictures/pictures.txt,
// listed by the build.
constexpr std::string_view kFiles[] = {
#include "picture_files.inc"
};

std::string hresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

template <class T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
};

// Decodes GIF or JPEG bytes with the system's decoder into a bitmap of our own.
HBITMAP decode(std::string_view bytes, int& width, int& height, std::string& why) {
    if (bytes.empty()) {
        why = "empty";
        return nullptr;
    }
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) {
        why = "out of memory";
        return nullptr;
    }
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnHGlobal(memory, TRUE, &stream.p);
    if (FAILED(hr)) {
        GlobalFree(memory);
        why = "CreateStreamOnHGlobal " + hresultText(hr);
        return nullptr;
    }
    ComPtr<IPicture> picture;
    hr = OleLoadPicture(stream.p, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                        reinterpret_cast<void**>(&picture.p));
    if (FAILED(hr) || !picture.p) {
        why = "OleLoadPicture " + hresultText(hr);
        return nullptr;
    }
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    if (FAILED(picture.p->get_Type(&type)) || type != PICTYPE_BITMAP ||
        FAILED(picture.p->get_Handle(&handle)) || !handle) {
        why = "not a bitmap picture";
        return nullptr;
    }
    const auto source = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    BITMAP info{};
    if (!GetObjectW(source, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) {
        why = "no size";
        return nullptr;
    }
    // A copy of our own, so the picture object can go.
    auto* copy = static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!copy) {
        why = "CopyImage failed";
        return nullptr;
    }
    width = info.bmWidth;
    height = info.bmHeight;
    return copy;
}

}  // namespace

Win32Picture::~Win32Picture() {
    if (bitmap) DeleteObject(bitmap);
}

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

PictureLibrary::PictureLibrary() : source_(&PictureLibrary::fromResources) {}

bool PictureLibrary::fromResources(std::string_view name, PictureFile& file) {
    for (std::string_view f : kFiles) {
        if (f.substr(0, f.find('.')) != name) continue;
        std::wstring resource = widen(name);
        for (wchar_t& c : resource) c = static_cast<wchar_t>(towupper(c));
        HRSRC found = FindResourceW(nullptr, resource.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
        if (!found) return false;
        HGLOBAL loaded = LoadResource(nullptr, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data) return false;
        file.fileName = std::string(f);
        file.bytes = {static_cast<const char*>(data), SizeofResource(nullptr, found)};
        return true;
    }
    return false;
}

PictureRef PictureLibrary::get(std::string_view name) {
    if (auto it = cache_.find(name); it != cache_.end()) return it->second;

    PictureFile file;
    if (!source_(name, file)) {
        throw std::runtime_error("画像「" + std::string(name) + "」が見つかりません。");
    }
    int width = 0, height = 0;
    std::string why;
    HBITMAP bitmap = decode(file.bytes, width, height, why);
    if (!bitmap) {
        throw std::runtime_error("画像「" + file.fileName + "」を読み込めません（" + why + "）。");
    }
    auto picture = std::make_shared<const Win32Picture>(std::string(name), bitmap, width, height);
    cache_.emplace(std::string(name), picture);
    return picture;
}

}  // namespace poromea::win32
