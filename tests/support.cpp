// SPDX-License-Identifier: MIT
#include "support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fonction.h"
#include "menu.h"

namespace fs = std::filesystem;

SDL_Event key_event(Uint8 type, SDLKey key) {
    SDL_Event event{};
    event.type = event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    return event;
}

void set_key(General* general, Uint8 type, SDLKey key) { general->event = key_event(type, key); }

void push_key(Uint8 type, SDLKey key) {
    SDL_Event event = key_event(type, key);
    SDL_PushEvent(&event);
}

void push_quit() { push_key(SDL_QUIT, SDLK_UNKNOWN); }  // the type alone counts

SDL_Surface* make_surface(int w, int h) {
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    SDL_FillRect(surface, nullptr, 0xFF000000);
    return surface;
}

Uint32 pixel_at(SDL_Surface* surface, int x, int y) {
    return reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch)[x];
}

GameDir::GameDir(bool with_assets) {
    char pattern[] = "/tmp/pelune-test-XXXXXX";
    path = mkdtemp(pattern);
    previous = fs::current_path().string();
    const fs::path source = PELUNE_SOURCE_DIR, data = fs::path(path) / "data";
    fs::create_directories(data);
    if (with_assets) {
        fs::create_directory_symlink(source / "data" / "gfx", data / "gfx");
        fs::create_directory_symlink(source / "data" / "music", data / "music");
        if (fs::exists(source / "ico.bmp"))
            fs::create_symlink(source / "ico.bmp", fs::path(path) / "ico.bmp");
    }
    fs::current_path(path);
}

GameDir::~GameDir() {
    fs::current_path(previous);
    std::error_code ignored;
    fs::permissions(fs::path(path) / "data", fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path, ignored);
}

std::string GameDir::file(const std::string& relative) const {
    return (fs::path(path) / relative).string();
}

void GameDir::write(const std::string& relative, const std::string& content) const {
    std::ofstream(file(relative), std::ios::binary) << content;
}

std::string GameDir::read(const std::string& relative) const {
    std::stringstream buffer;
    buffer << std::ifstream(file(relative), std::ios::binary).rdbuf();
    return buffer.str();
}

bool GameDir::exists(const std::string& relative) const { return fs::exists(file(relative)); }

#ifdef PELUNE_ASSET_GENERATOR  // the tests that use it are built only with the generator
// The generator's output, made once for the whole run and removed at exit.
std::string generated_assets() {
    static std::string dir;
    static const bool ran = [] {
        char pattern[] = "/tmp/pelune-assets-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return false;
        dir = pattern;
        std::atexit([] { fs::remove_all(dir); });
        return std::system(
                   ("\"" PELUNE_ASSET_GENERATOR "\" \"" + dir + "\" > /dev/null").c_str()) == 0;
    }();
    if (!ran) ADD_FAILURE() << "the asset generator did not run";
    return ran ? dir : "";
}
#endif

bool Session::start() {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    running = Game_Start(&game);
    out = testing::internal::GetCapturedStdout();
    err = testing::internal::GetCapturedStderr();
    return running;
}

void Session::stop() {
    if (running) Game_Stop(&game), SDL_Quit();
    running = false;
}

void Session::press(SDLKey key) {
    push_key(SDL_KEYDOWN, key);
    turns(1);
    push_key(SDL_KEYUP, key);
    turns(1);
}

void Session::new_game(int difficulty) {
    ASSERT_EQ(game.general.screen, SCREEN_MENU);
    if (game.menu.state == MENU_MAIN) {
        ASSERT_EQ(game.menu.cursor, 1);
        press(KEY_RETURN);
        turns(125);  // the slide takes 121 frames
    }
    ASSERT_EQ(game.menu.state, MENU_DIFFICULTY);
    while (game.menu.cursor != difficulty + 1)
        press(game.menu.cursor > difficulty + 1 ? KEY_UP : KEY_DOWN);
    turns(2);  // the highlight follows the cursor two frames late
    press(KEY_RETURN);
    ASSERT_TRUE(game.general.screen == SCREEN_PLAY && game.general.level == 1);
    ASSERT_EQ(game.general.difficulty, difficulty);
}

void Session::pass_level() {
    const int level = game.general.level;
    press(KEY_BACKSPACE);
    press(KEY_RETURN);
    ASSERT_NE(game.general.level, level) << "level " << level << " was not left";
}

int Session::win_nine_levels() {
    for (int level = 1; level <= 9; ++level) {
        EXPECT_EQ(game.general.level, level);
        pass_level();
    }
    return game.general.level;
}

void Session::leave_ending() {
    ASSERT_EQ(game.general.level, LEVEL_ENDING);
    turns(140);  // the curtain opens on frame 137
    ASSERT_EQ(game.niveau[LEVEL_ENDING - 1].started, 1);
    press(KEY_RETURN);
    ASSERT_EQ(game.general.screen, SCREEN_MENU);
}

Niveau* Session::race(int level, int x, int y) {
    Niveau* niveau = &game.niveau[level - 1];
    game.general.screen = SCREEN_PLAY, game.general.level = level;
    niveau->started = 1, niveau->outcome = niveau->paused = 0;
    Perso_Init(&game.perso, x, y);
    return niveau;
}

// Every test runs headless: no window, no sound card.
int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
