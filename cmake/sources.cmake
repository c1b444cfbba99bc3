# The game's sources, one library per layer; the main build and fuzz/ both read these lists.
# One file per line, alphabetical. A layer may include only the layers listed before it
# (tests/check_layers.sh checks it): platform, services, game.

set(RAMPARION_PLATFORM_SOURCES
    platform/platform.cpp
    platform/screenshot.cpp
)
# The two backends, each its own library: the game links the SDL one, the replay tool the headless one.
set(RAMPARION_HEADLESS_SOURCES
    platform/headless_backend.cpp
)
set(RAMPARION_SDL_SOURCES
    platform/sdl_backend.cpp
    platform/sdl_keys.cpp
)

# The modules the game calls, then their two wings: the renderer's internals and the audio stack.
set(RAMPARION_SERVICES_SOURCES
    services/builtin_font.cpp
    services/collision.cpp
    services/display.cpp
    services/extended_trig.cpp
    services/files.cpp
    services/images.cpp
    services/input.cpp
    services/maths.cpp
    services/text.cpp

    services/audio/mixer.cpp
    services/audio/sound.cpp
    services/audio/sound_cache.cpp
    services/audio/sound_decode.cpp

    services/render/renderer.cpp
    services/render/renderer_spans.cpp
)
# The wide span kernels of each processor; any other processor runs the portable loops alone.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
    list(APPEND RAMPARION_SERVICES_SOURCES
        services/render/renderer_spans_avx2.cpp
        services/render/renderer_spans_avx512.cpp
    )
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64|ARM64)$")
    list(APPEND RAMPARION_SERVICES_SOURCES
        services/render/renderer_spans_neon.cpp
    )
endif()

# Assets, actors and shell together: actors and shell call each other.
set(RAMPARION_GAME_SOURCES
    actors/actor_list.cpp
    actors/actor_tables.cpp
    actors/body_parts.cpp
    actors/cannon_ball.cpp
    actors/commando.cpp
    actors/effects.cpp
    actors/fighters.cpp
    actors/fort.cpp
    actors/nuke_rocket.cpp
    actors/plane_debris.cpp
    actors/scenery.cpp
    actors/troop_carriers.cpp
    actors/world_lists.cpp
    assets/asset_loader.cpp
    assets/embedded_assets.cpp
    assets/sprite_set.cpp
    shell/app_icon.cpp
    shell/data_folder.cpp
    shell/day_cycle.cpp
    shell/demo.cpp
    shell/demo_format.cpp
    shell/demo_state.cpp
    shell/demo_viewer.cpp
    shell/end_screen.cpp
    shell/game_flow.cpp
    shell/game_state.cpp
    shell/high_score.cpp
    shell/hud.cpp
    shell/logo.cpp
    shell/main_loop.cpp
    shell/menu.cpp
    shell/music.cpp
    shell/pause_menu.cpp
    shell/saved_file.cpp
    shell/settings.cpp
    shell/world_frame.cpp
)

# The wide span kernels and their instruction sets (FILE=FLAG,FLAG...); they are only called where the processor has them.
# gcc takes the set from the file's own "#pragma GCC target", which keeps the shared inline pixel
# helpers included above it at the default set (a wider copy of them could win at link time and run
# on any processor). clang ignores that pragma, so it gets the flags for the whole file here.
set(RAMPARION_SIMD_SOURCES
    "services/render/renderer_spans_avx2.cpp=-mavx2"
    "services/render/renderer_spans_avx512.cpp=-mavx512f,-mavx512bw"
)

foreach(layer PLATFORM HEADLESS SDL SERVICES GAME)
    list(TRANSFORM RAMPARION_${layer}_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/)
endforeach()

# Compile definitions every build of the game layer needs (where the assets and the installed data are).
set(RAMPARION_GAME_DEFINITIONS
    RAMPARION_ASSET_DIR="${PROJECT_SOURCE_DIR}/assets"
    RAMPARION_INSTALL_DATA_DIR="${CMAKE_INSTALL_PREFIX}/share/ramparion"
)

# Gives TARGET's copies of the SIMD files their instruction sets (see RAMPARION_SIMD_SOURCES).
function(ramparion_simd_flags target)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES Clang)
        return()
    endif()
    foreach(entry IN LISTS RAMPARION_SIMD_SOURCES)
        string(FIND "${entry}" "=" eq)
        string(SUBSTRING "${entry}" 0 ${eq} file)
        math(EXPR eq "${eq} + 1")
        string(SUBSTRING "${entry}" ${eq} -1 flags)
        string(REPLACE "," ";" flags "${flags}")
        list(APPEND flags -Wno-unknown-pragmas) # the gcc pragma, which this flag replaces
        set_source_files_properties(${PROJECT_SOURCE_DIR}/${file} TARGET_DIRECTORY ${target}
            PROPERTIES COMPILE_OPTIONS "${flags}")
    endforeach()
endfunction()
