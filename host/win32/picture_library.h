// Decodes each built-in picture once, with the system's picture decoder
// (OleLoadPicture), and hands out shared picture objects.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "game/host.h"

namespace poromea::win32 {

// A decoded picture: a device-independent bitmap of the picture's natural size.
struct Win32Picture final : Picture {
    Win32Picture(std::string n, HBITMAP b, int w, int h) : name(std::move(n)), bitmap(b), width(w), height(h) {}
    ~Win32Picture() override;
    Win32Picture(const Win32Picture&) = delete;
    Win32Picture& operator=(const Win32Picture&) = delete;

    std::string name;  // resource name, e.g. "cover3"
    HBITMAP bitmap;
    int width, height;
};

inline const Win32Picture& win32Picture(const PictureRef& p) { return static_cast<const Win32Picture&>(*p); }

// The encoded bytes of one picture.
struct PictureFile {
    std::string fileName;  // e.g. "part3.gif", for messages
    std::string_view bytes;
};

class PictureLibrary {
public:
    // Finds the file of the picture called `name`; false if there is none.
    using Source = std::function<bool(std::string_view name, PictureFile& file)>;

    // The pictures built into the executable as RCDATA resources.
    PictureLibrary();
    explicit PictureLibrary(Source source) : source_(std::move(source)) {}

    // The picture called `name` ("part0", "banner", ...). Throws if it is
    // missing or cannot be decoded; the message names the picture.
    PictureRef get(std::string_view name);

    // The resources of the running executable.
    static bool fromResources(std::string_view name, PictureFile& file);

private:
    Source source_;
    std::map<std::string, PictureRef, std::less<>> cache_;
};

// UTF-8 to UTF-16 and back.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace poromea::win32
