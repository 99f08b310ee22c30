#pragma once
// Paths as the settings keep them: the background image and the return page relative
// to the photo folder where possible (they end up in the album's links), the camera
// folder absolute.

#include <string>
#include <string_view>

namespace fotela {

// The absolute form of a stored path: an absolute path is returned unchanged, anything
// else is taken relative to `base` ("" gives base + "/").
std::string Zettai(std::string_view path, std::string_view base);

// `path` relative to the folder `base`, with "/" and "../" ("sub/a.jpg", "../index.html").
// Identical paths, and a relative `path`, are returned unchanged.
std::string Soutai(std::string_view path, std::string_view base);

// The folder a camera-folder setting names, absolute and ending in one "/". An old
// relative value is taken relative to the photo folder; "" stays "".
std::string cameraFolderPath(std::string_view cameraFolder, std::string_view photoFolder);

}  // namespace fotela
