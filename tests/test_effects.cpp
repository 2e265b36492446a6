// SPDX-License-Identifier: MIT
// The screen effects' record: what General_Init resets and keeps. Where the
// glyphs, the rain and the bars start and how they move is seen in the golden
// frames (test_golden.cpp).
#include <cstring>

#include "fonction.h"
#include "support.h"

namespace {

TEST(Effects, InitResetsTheGameFieldsButKeepsTheUnlock) {
    General general;
    std::memset(&general, 0x5a, offsetof(General, level_sheet));
    general.unlock = 1;
    General_Init(&general);
    EXPECT_TRUE(general.difficulty + general.key_consumed + general.level + general.rain_on == 0 &&
                general.screen == SCREEN_MENU && general.unlock == 1);
}

}  // namespace
