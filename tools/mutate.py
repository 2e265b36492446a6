#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Mutation measurement of the fast tests (not run by CI).

Applies each fault below to src/ one at a time, rebuilds the test binary,
runs the fast tests (no e2e, no valgrind, no sanitizer build; the asset tests
are left out) and reports which faults were caught. The source is restored
after every fault, whatever happens.

    tools/mutate.py [--repo DIR] [--build DIR] [--only ID,ID] [--timeout S] [--tests FILTER]

--only takes ids or patterns (--only 'draw-*' for the drawing faults); --tests
runs only the tests of one gtest filter, in one go (--tests 'Golden.*' for the
golden frames, all a drawing fault needs), instead of the quick then slow ones.
"""
import fnmatch
import argparse
import os
import subprocess
import sys
import time

# (id, file under src/, text as it stands, faulty text, what goes wrong)
FAULTS = [
    # ---- loop and key latch ----
    ("loop-latch", "main.cpp", "general->key_consumed = general->event.type == SDL_KEYDOWN ? 1 : 0;",
     "general->key_consumed = 0;", "the key latch is never set"),
    ("loop-rain-bonus", "main.cpp", "if (general->level != LEVEL_BONUS) Blit_Pluie", "Blit_Pluie",
     "rain drawn over the bonus level"),
    ("loop-12", "main.cpp", "} else if (level > LEVEL_BONUS) {", "} else if (level > LEVEL_BONUS + 1) {",
     "level 12 is not turned into the ending"),
    ("loop-menu-flags", "main.cpp", "    Anim_Init(&game->anim);\n    PlayedSong_Init(&game->sons);\n",
     "    Anim_Init(&game->anim);\n", "a menu turn keeps the played-once flags"),
    ("loop-menu-start", "main.cpp", "Perso_Init(&game->perso, START_X, START_Y_MENU);",
     "Perso_Init(&game->perso, 0, START_Y_MENU);", "the menu puts the runners at x 0"),
    ("loop-escape-latch", "main.cpp", "event.key.keysym.sym == KEY_ESCAPE)",
     "event.key.keysym.sym == KEY_ESCAPE && general->key_consumed == 0)", "Escape obeys the latch"),
    ("loop-music", "main.cpp", "    Mix_PlayMusic(game->sons.music, -1);\n", "\n", "the music is never started"),
    # ---- menu ----
    ("menu-main-down", "menu.cpp", "key_fresh(general, KEY_DOWN) && menu->cursor < MENU_MAIN_ITEMS",
     "key_fresh(general, KEY_DOWN) && menu->cursor <= MENU_MAIN_ITEMS", "main cursor runs past item 4"),
    ("menu-diff-down", "menu.cpp", "menu->cursor < MENU_DIFFICULTY_ITEMS", "menu->cursor <= MENU_DIFFICULTY_ITEMS",
     "difficulty cursor runs past item 3"),
    ("menu-hard", "menu.cpp", "start_game(general, 1);", "start_game(general, 0);", "item 2 starts an easy game"),
    ("menu-back-cursor", "menu.cpp", "            menu->cursor = ITEM_PLAY;", "",
     "leaving the difficulty panel keeps cursor 3"),
    ("menu-prepare", "menu.cpp", "        Niveaux_Init(niveau);\n", "        (void)niveau;\n",
     "starting a game does not prepare the levels"),
    ("menu-slide-overshoot", "menu.cpp", "if (menu->difficulty_panel.x > ON_SCREEN_X)",
     "if (menu->difficulty_panel.x >= ON_SCREEN_X)", "the difficulty slide overshoots by 4"),
    ("menu-page-back", "menu.cpp", "            menu->state = MENU_MAIN;\n            set_background_src(menu);\n",
     "            menu->state = MENU_MAIN;\n", "leaving the page keeps the page as background"),
    ("menu-diff-highlight", "menu.cpp", "MENU_PANEL_H * (menu->cursor - 1))", "MENU_PANEL_H * menu->cursor)",
     "difficulty highlight one item off"),
    # ---- runners ----
    ("run-cpu-lift", "fonction_runners.cpp", "y - CPU_LIFT", "y - 1", "the computer starts 1 px up, not 5"),
    ("run-malus-length", "fonction_runners.cpp", "perso->malus_timer >= MALUS_FRAMES",
     "perso->malus_timer > MALUS_FRAMES", "the penalty lasts 101 frames"),
    ("run-moved-flag", "fonction_runners.cpp", "        perso->player.x += 1;\n        perso->player.aux1 = 1;\n    }\n}",
     "        perso->player.x += 1;\n    }\n}", "a step does not set the moved flag"),
    ("run-step-fresh", "fonction_runners.cpp", "if (key_down(general, KEY_RIGHT) && perso->malus == 0)",
     "if (key_fresh(general, KEY_RIGHT) && perso->malus == 0)", "the player steps once per press"),
    ("run-easy-nerve", "fonction_runners.cpp", "EASY_NERVE_CHOICES = 2.0", "EASY_NERVE_CHOICES = 3.0",
     "easy nerve scaled to 3"),
    ("run-warn-holds", "fonction_runners.cpp", "if (senti.state > SENTINEL_IDLE && left",
     "if (senti.state == SENTINEL_WATCHING && left", "a warning sentinel does not hold the computer"),
    ("run-slope-field", "fonction_runners.cpp", "within(perso->player.dest.x, from, to)",
     "within(perso->player.x, from, to)", "slope chosen on the logical x, not the drawn one"),
    ("run-slide-held", "fonction_runners.cpp", "dy == DOWNHILL && key_up && player_on",
     "dy == DOWNHILL && player_on", "hard difficulty slides with the key held"),
    ("run-easy-rest", "fonction_runners.cpp", "general->difficulty == DIFFICULTY_EASY && key_up;", "false;",
     "easy: a key-up does not clear the moved flag"),
    ("run-cpu-slope", "fonction_runners.cpp", "if (cpu_on && perso->cpu.aux1 == MOVING)", "if (cpu_on)",
     "a computer standing still follows the slope"),
    # ---- sentinels ----
    ("sen-watch", "fonction_sentinels.cpp", "WATCH_FROM = 90", "WATCH_FROM = 89", "watching starts a frame early"),
    ("sen-idle", "fonction_sentinels.cpp", "IDLE_FROM = 175", "IDLE_FROM = 176", "watching ends a frame late"),
    ("sen-wrap", "fonction_sentinels.cpp", "WRAP_TIMER = -20", "WRAP_TIMER = 0", "the clock wraps to 0"),
    ("sen-warn-pictures", "fonction_sentinels.cpp", "first ? WARN_FIRST : WARN_SECOND",
     "first ? WARN_SECOND : WARN_FIRST", "the warning starts on the second picture"),
    ("sen-range", "fonction_sentinels.cpp", "from <= x && x <= to", "from <= x && x < to",
     "the watched range's end excluded"),
    ("sen-cpu-respawn", "fonction_sentinels.cpp", "perso->cpu.y = respawn_y - 1;", "perso->cpu.y = respawn_y;",
     "the computer respawns on the point, not 1 px up"),
    ("sen-timer-reset", "fonction_sentinels.cpp", "    senti->timer = 0;\n}", "}",
     "preparing a level keeps the sentinel clocks"),
    # ---- race flow ----
    ("race-curtain", "fonction_race.cpp", "CURTAIN_SWITCH_STRIP = 14", "CURTAIN_SWITCH_STRIP = 13",
     "countdown starts a strip early"),
    ("race-start", "fonction_race.cpp", "if (anim->count >= COUNT_START)", "if (anim->count > COUNT_START)",
     "the race starts a frame late"),
    ("race-count2-flag", "fonction_race.cpp", "&Sons::count2, &Sons::played_count2",
     "&Sons::count2, &Sons::played_count1", "count 2 uses count 1's flag"),
    ("race-false-held", "fonction_race.cpp", "if (key_fresh(general, KEY_RIGHT)) perso->malus = 1;",
     "if (key_down(general, KEY_RIGHT)) perso->malus = 1;", "a Right held since the curtain is a false start"),
    ("race-finish", "fonction_race.cpp", "if (perso->player.x >= FINISH_X)", "if (perso->player.x > FINISH_X)",
     "the player must pass 437"),
    ("race-cpu-first", "fonction_race.cpp",
     "if (perso->player.x >= FINISH_X) {\n            niveau->outcome = OUTCOME_WON;\n        } else if (perso->cpu.x >= FINISH_X) {\n            niveau->outcome = OUTCOME_LOST;",
     "if (perso->cpu.x >= FINISH_X) {\n            niveau->outcome = OUTCOME_LOST;\n        } else if (perso->player.x >= FINISH_X) {\n            niveau->outcome = OUTCOME_WON;",
     "a tie goes to the computer"),
    ("race-won-flags", "fonction_race.cpp", "            general->level += 1;\n            PlayedSong_Init(sons);\n",
     "            general->level += 1;\n", "next level keeps the played-once flags"),
    ("race-lost-general", "fonction_race.cpp", "            General_Init(general);\n", "",
     "a lost race keeps level and difficulty"),
    ("race-lost-key", "fonction_race.cpp", "if (key_fresh(general, KEY_SPACE)) {\n            Menu_Init(menu);",
     "if (key_fresh(general, KEY_RETURN)) {\n            Menu_Init(menu);", "Return leaves the lost banner"),
    ("race-pause-after-loss", "fonction_race.cpp", " && niveau->outcome != OUTCOME_LOST && niveau->started == 1",
     " && niveau->started == 1", "Space after a loss also pauses"),
    ("race-pause-music", "fonction_race.cpp", "            Mix_PauseMusic();\n", "",
     "the music plays on in a pause"),
    ("race-pause-return-music", "fonction_race.cpp", "            Mix_ResumeMusic();  // the music goes on", "  // ",
     "leaving a pause for the menu leaves the music paused"),
    ("race-pause-jingle", "fonction_race.cpp", "            sons->played_pause = 0;  // the next pause", "  // ",
     "the second pause is silent"),
    # ---- level table ----
    ("table-base", "tables.h", "{345, 65, 375, 266, 397}", "{345, 65, 357, 266, 397}", "level 7 slot 3 base 357"),
    ("table-respawn", "tables.h", "{2, 1, -15, 71, -15, 117, -10, 71, 2,", "{2, 1, -15, 71, -15, 117, -15, 71, 2,",
     "level 2 respawns at x -15"),
    ("table-next", "tables.h", "{6, 5, -15, 119, -15, 155, -15, 119, 4,", "{6, 5, -15, 119, -15, 115, -15, 119, 4,",
     "level 6 leads to y 115"),
    ("table-range", "tables.h", "{349, 40, 230, 271, 378}", "{349, 40, 230, 271, 387}", "level 5 slot 2 range to 387"),
    ("table-slope", "tables.h", "{97, 118, -1}", "{97, 118, 1}", "level 3 slope sign"),
    ("table-order", "tables.h", "VisionOrder::BeforeStop, LevelEnd::BonusRoute",
     "VisionOrder::AfterCatch, LevelEnd::BonusRoute", "level 9 steps its sentinels after the catch test"),
    ("table-bonus-slopes", "tables.h", "count_of(SLOPES_1), SLOPES_1, VisionOrder::BeforeStop",
     "count_of(SLOPES_1), SLOPES_2, VisionOrder::BeforeStop", "the bonus level runs on level 2's ground"),
    # ---- level frame, ending, unlock ----
    ("frame-paused", "jeu.cpp", " && niveau->outcome == 0 && niveau->paused == 0;", " && niveau->outcome == 0;",
     "the race runs on in a pause"),
    ("frame-unlock-any", "jeu.cpp", "if (general->unlock == 1 && niveau->outcome == OUTCOME_WON)",
     "if (general->unlock != 0 && niveau->outcome == OUTCOME_WON)", "any count opens the bonus route"),
    ("frame-bonus-start", "jeu.cpp", "Perso_Init(perso, START_X, START_Y_MENU);",
     "Perso_Init(perso, START_X, row->next_y);", "the bonus level starts at level 9's next y"),
    ("frame-9-order", "jeu.cpp",
     "        Paused(menu, general, sons, niveau, anim, screen);\n        bonus_route(row, niveau, general, screen, anim, perso, menu, sons);\n",
     "        bonus_route(row, niveau, general, screen, anim, perso, menu, sons);\n        Paused(menu, general, sons, niveau, anim, screen);\n",
     "level 9 runs its outcome before the pause"),
    ("frame-last-slope", "jeu.cpp", "for (int i = 0; i < row->segment_count; ++i)",
     "for (int i = 0; i < row->segment_count - 1; ++i)", "the last slope segment is skipped"),
    ("end-fresh", "jeu.cpp", "niveau->started == 1 && key_down(general, KEY_RETURN)",
     "niveau->started == 1 && key_fresh(general, KEY_RETURN)", "the ending waits for a fresh Return"),
    ("end-odd-unlock", "jeu.cpp", "if (general->unlock == 0) {", "if (general->unlock != 1) {",
     "the ending rewrites an odd count"),
    ("end-save", "jeu.cpp", "            save_unlock(general);\n", "", "the unlock is not saved"),
    ("unlock-missing", "fonction_unlock.cpp", "    general->unlock = 0;\n    general->unlock_text",
     "    general->unlock = 1;\n    general->unlock_text", "a missing file reads as unlocked"),
    # ---- effects ----
    ("fx-drop-lowest", "fonction_effects.cpp", "DROP_LOWEST = 271", "DROP_LOWEST = 272", "drops fall a row too far"),
    ("fx-bar-top", "fonction_effects.cpp", "BAR_TOP = -5", "BAR_TOP = -6", "bars turn a row too high"),
    ("fx-rain-held", "fonction_effects.cpp", "if (key_fresh(general, KEY_RAIN))", "if (key_down(general, KEY_RAIN))",
     "held Left Ctrl toggles every frame"),
    ("fx-rain-reset", "fonction_effects.cpp", "    general->rain_on = 0;\n", "", "General_Init keeps the rain on"),
    ("fx-glyph-start", "fonction_effects.cpp", "0,   100, 50,  250, 25,", "0,   100, 50,  205, 25,",
     "glyph 3 starts at 205"),
    # ---- drawing (the golden frames) ----
    ("draw-head-frozen", "fonction_sentinels.cpp",
     "    senti->boule.src.x = static_cast<Sint16>(LVL_HEAD[senti->state].x);\n", "",
     "a sentinel's head never changes picture"),
    ("draw-cone-place", "tables.h", "CONE_DX = -88;", "CONE_DX = -78;", "the cone drawn 10 px off"),
    ("draw-head-place", "fonction_sentinels.cpp", "senti->baton.dest.x + HEAD_DX,", "senti->baton.dest.x + HEAD_DX + 1,",
     "the head drawn 1 px off"),
    ("draw-cone-band", "fonction_levels.cpp", "Init_vision(&niveau->senti[slot], CONE_SHEET_X, sheet_y);",
     "Init_vision(&niveau->senti[slot], CONE_SHEET_X, band_y(0));", "every level shows level 1's cone"),
    ("draw-cone-clipped", "fonction_runners.cpp", "        copy_position(&senti.vision);\n", "",
     "a cone clipped by the screen edge is drawn at its clipped place from then on"),
    ("draw-run-wrap", "fonction_runners.cpp", "if (perso->frame >= RUNNER_FRAMES)", "if (perso->frame > RUNNER_FRAMES)",
     "the run cycle steps off its sheet"),
    ("draw-cpu-frozen", "fonction_runners.cpp",
     "    perso->cpu.src.x = static_cast<Sint16>(RUNNER_W * perso->frame);\n", "",
     "the computer's picture never changes"),
    ("draw-cpu-row", "fonction_runners.cpp", "perso->cpu.src.y = static_cast<Sint16>(RUNNER_H * general->level);",
     "perso->cpu.src.y = static_cast<Sint16>(RUNNER_H * (general->level - 1));", "the computer of the level before"),
    ("draw-count-picture", "fonction_race.cpp", "{COUNT_STEP - 1, ANIM_COUNT3,", "{COUNT_STEP - 1, ANIM_COUNT2,",
     "the countdown opens on its 2"),
    ("draw-banner-place", "fonction_race.cpp", "set_sprite(&anim->win, BANNER_X, BANNER_Y, ANIM_WON);",
     "set_sprite(&anim->win, BANNER_X, BANNER_Y + 1, ANIM_WON);", "the won banner drawn 1 px low"),
    ("draw-lost-banner", "fonction_race.cpp", "blit_at_position(anim->sheet, &anim->lose, screen);",
     "blit_at_position(anim->sheet, &anim->win, screen);", "a lost race shows the won banner"),
    ("draw-penalty-race", "fonction_runners.cpp",
     "    if (perso->malus == 1) {\n        blit_at_position(anim->sheet, &anim->countdown, screen);\n",
     "    if (perso->malus == 1) {\n        blit_at_position(anim->sheet, &anim->pause, screen);\n",
     "the pause banner for the penalty's picture in the race"),
    ("draw-level-opaque", "main_sheets.cpp", "        return in_display_format(sheet);",
     "        if (index == SHEET_LEVEL) SDL_SetAlpha(sheet, 0, SDL_ALPHA_OPAQUE);\n        return in_display_format(sheet);",
     "the level sheet's translucent layers drawn opaque"),
    ("draw-rain-sheet", "fonction_effects.cpp", "blit_at_position(anim->sheet, drop, screen);",
     "blit_at_position(general->level_sheet, drop, screen), (void)anim;", "rain drops cut from the level sheet"),
    ("draw-bar-picture", "fonction_effects.cpp", "sprite->src = sdl_rect(LVL_BAR[bar]);",
     "sprite->src = sdl_rect(LVL_BAR[0]);", "every bar shows the first bar's picture"),
    ("draw-glyph-picture", "fonction_effects.cpp",
     "general->glyphs[glyph].src.x = static_cast<Sint16>(LVL_GLYPH[1].x);",
     "general->glyphs[glyph].src.x = static_cast<Sint16>(LVL_GLYPH[0].x);", "the second glyph never shown"),
    ("draw-hard-ending", "jeu.cpp", "Init_background(niveau, 0, band_y(BAND_ENDING_HARD));",
     "Init_background(niveau, 0, band_y(BAND_ENDING_EASY));", "the hard ending shows the easy one"),
    ("draw-page", "menu.cpp", "menu->background.src.x = static_cast<Sint16>(MENU_PAGE.x);",
     "menu->background.src.x = static_cast<Sint16>(MENU_BG_X);", "How to play shows a background"),
    ("draw-slide-panel", "menu.cpp", "void Menu_Anim_Credits(Menu* menu, SDL_Surface* screen) {\n    blit_at_position(menu->sheet, &menu->credits_panel, screen);",
     "void Menu_Anim_Credits(Menu* menu, SDL_Surface* screen) {\n    blit_at_position(menu->sheet, &menu->difficulty_panel, screen);",
     "the difficulty panel slides in for the credits"),
    ("draw-panel-place", "menu.cpp", "place_sprite(panel, x, MENU_PANEL_Y);", "place_sprite(panel, x, MENU_PANEL_Y + 1);",
     "the panels drawn 1 px low"),
    ("draw-curtain-strip", "fonction_race.cpp", "set_sprite(&anim->strips[i], 0, ANIM_CURTAIN.h * i, ANIM_CURTAIN);",
     "set_sprite(&anim->strips[i], 0, (ANIM_CURTAIN.h - 1) * i, ANIM_CURTAIN);", "curtain strips overlap"),
    # ---- sound flags ----
    ("snd-guard", "fonction_sound.cpp", "    if (*played != 0) return;\n", "", "PlayWav plays every time"),
    ("snd-clear-win", "fonction_sound.cpp", "    sons->played_levelwin = 0;\n", "",
     "PlayedSong_Init forgets the level-won flag"),
]


def run(cmd, cwd, timeout):
    try:
        done = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout, text=True, errors="replace")
        return done.returncode, done.stdout
    except subprocess.TimeoutExpired:
        return "timeout", ""


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--repo", default=os.path.dirname(here))
    parser.add_argument("--build", default=None, help="default: REPO/build-mutate")
    parser.add_argument("--only", default="", help="comma-separated fault ids or patterns")
    parser.add_argument("--tests", default="", help="a gtest filter run alone instead")
    parser.add_argument("--timeout", type=int, default=300, help="seconds per test run")
    # The slow tests run only once the quick ones pass: most faults die early.
    parser.add_argument("--slow", default="*Property*:*WholeGame*")
    parser.add_argument("--exclude", default="GraphicsAssets.*:SoundAssets.*")
    args = parser.parse_args()
    repo = os.path.abspath(args.repo)
    build = os.path.abspath(args.build or os.path.join(repo, "build-mutate"))
    faults = [f for f in FAULTS
              if not args.only or any(fnmatch.fnmatch(f[0], p) for p in args.only.split(","))]

    if not os.path.exists(os.path.join(build, "CMakeCache.txt")):
        subprocess.run(["cmake", "-S", repo, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                        "-DPELUNE_TOOLS=OFF", "-DPELUNE_BENCH=OFF"], check=True, stdout=subprocess.DEVNULL)
    make = ["cmake", "--build", build, "--target", "pelune_tests", "-j2"]
    tests = os.path.join(build, "tests", "pelune_tests")
    env_cwd = os.path.join(build, "tests")
    quick = [tests, "--gtest_fail_fast", "--gtest_brief=1", f"--gtest_filter=-{args.slow}:{args.exclude}"]
    slow = [tests, "--gtest_fail_fast", "--gtest_brief=1", f"--gtest_filter={args.slow}-{args.exclude}"]
    phases = [[tests, "--gtest_fail_fast", "--gtest_brief=1", f"--gtest_filter={args.tests}"]] if args.tests else [quick, slow]

    code, out = run(make, repo, 900)
    if code != 0:
        sys.exit("the unmutated tree does not build:\n" + out)
    for phase in phases:
        code, out = run(phase, env_cwd, args.timeout)
        if code != 0:
            sys.exit("the unmutated tree fails its tests:\n" + out[-3000:])

    caught, missed, broken = [], [], []
    for fault_id, name, old, new, what in faults:
        path = os.path.join(repo, "src", name)
        with open(path) as f:
            original = f.read()
        if original.count(old) != 1:
            broken.append((fault_id, f"text found {original.count(old)} times"))
            print(f"{fault_id:24} NOT APPLICABLE", flush=True)
            continue
        started = time.time()
        try:
            with open(path, "w") as f:
                f.write(original.replace(old, new))
            code, out = run(make, repo, 900)
            if code != 0:
                verdict = "caught (does not build)"
            else:
                verdict = None
                for phase in phases:
                    code, out = run(phase, env_cwd, args.timeout)
                    if code != 0:
                        failed = [l.split("]", 1)[1].split("(")[0].strip()
                                  for l in out.splitlines() if l.startswith("[  FAILED  ]")]
                        verdict = f"caught ({'timeout' if code == 'timeout' else (failed[0] if failed else code)})"
                        break
        finally:
            with open(path, "w") as f:
                f.write(original)
        (caught if verdict else missed).append((fault_id, what))
        print(f"{fault_id:24} {verdict or 'MISSED'}  [{time.time() - started:.0f} s]  {what}", flush=True)

    run(make, repo, 900)  # leave the build matching the source
    print(f"\n{len(caught)} of {len(faults) - len(broken)} faults caught")
    for fault_id, what in missed:
        print(f"  missed: {fault_id}: {what}")
    for fault_id, why in broken:
        print(f"  not applicable: {fault_id}: {why}")


if __name__ == "__main__":
    main()
