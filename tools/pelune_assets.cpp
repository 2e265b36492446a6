// SPDX-License-Identifier: MIT
// pelune_assets [ROOT]: writes every data file of the game and its desktop icons
// under ROOT (default: .).
#include <cstdio>
#include <filesystem>

#include "assets.h"

int main(int argc, char* argv[]) {
    const std::string root = argc > 1 ? argv[1] : ".";
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(root) / "data" / "gfx", error);
    std::filesystem::create_directories(std::filesystem::path(root) / "data" / "music", error);
    std::filesystem::create_directories(std::filesystem::path(root) / "icons", error);
    const bool graphics = write_graphics(root);
    const bool sounds = write_sounds(root);
    return graphics && sounds ? 0 : 1;
}
