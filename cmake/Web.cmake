# The browser build (emscripten): emscripten's own SDL 1.2, and SDL_gfx built
# from its pinned upstream source. Nothing of the host's SDL is looked at.
#
# TAVELOND_SDL_GFX_SOURCE (environment): a local SDL_gfx-2.0.27.tar.gz to use
# instead of the upstream repository; its SHA-256 is checked.
include(FetchContent)

set(TAVELOND_SDL_GFX_REPOSITORY https://github.com/ferzkopp/SDL_gfx.git)
set(TAVELOND_SDL_GFX_COMMIT 4cc9485e8b36fab6126ee390c5746bbe16dcd3e6) # release 2.0.27
set(TAVELOND_SDL_GFX_SHA256 8106048afab51a10373f5200ef9e847e13724afd443c3542a0d74f9edfcc1bfb)

if(NOT "$ENV{TAVELOND_SDL_GFX_SOURCE}" STREQUAL "")
  file(REAL_PATH "$ENV{TAVELOND_SDL_GFX_SOURCE}" sdl_gfx_archive)
  if(NOT EXISTS "${sdl_gfx_archive}")
    message(FATAL_ERROR "TAVELOND_SDL_GFX_SOURCE: no file ${sdl_gfx_archive}")
  endif()
  message(STATUS "SDL_gfx from ${sdl_gfx_archive}")
  FetchContent_Declare(sdl_gfx
    URL "${sdl_gfx_archive}"
    URL_HASH SHA256=${TAVELOND_SDL_GFX_SHA256}
    DOWNLOAD_EXTRACT_TIMESTAMP TRUE)
else()
  message(STATUS "SDL_gfx from ${TAVELOND_SDL_GFX_REPOSITORY} at ${TAVELOND_SDL_GFX_COMMIT}")
  FetchContent_Declare(sdl_gfx
    GIT_REPOSITORY ${TAVELOND_SDL_GFX_REPOSITORY}
    GIT_TAG ${TAVELOND_SDL_GFX_COMMIT})
endif()
# Only three of its sources are compiled; its own build files are not used.
FetchContent_GetProperties(sdl_gfx)
if(NOT sdl_gfx_POPULATED)
  FetchContent_Populate(sdl_gfx)
endif()

add_library(tavelond-sdl-gfx STATIC
  ${sdl_gfx_SOURCE_DIR}/SDL_gfxPrimitives.c
  ${sdl_gfx_SOURCE_DIR}/SDL_gfxBlitFunc.c
  ${sdl_gfx_SOURCE_DIR}/SDL_rotozoom.c)
target_include_directories(tavelond-sdl-gfx SYSTEM PUBLIC ${sdl_gfx_SOURCE_DIR})
target_compile_options(tavelond-sdl-gfx PRIVATE ${TAVELOND_FP_FLAGS} -w
  -include ${PROJECT_SOURCE_DIR}/src/web/SdlGfxLock.h)

# A StartupError is caught and shown on the page, so exceptions are on.
set(TAVELOND_WEB_EXCEPTIONS -fexceptions)
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:${TAVELOND_WEB_EXCEPTIONS}>)
set(TAVELOND_SDL_LIBS tavelond-sdl-gfx)

# The browser's side of the program: the page's screen, its frame loop and
# pacing, and the SDL functions emscripten lacks. Object files, so that the
# shim's definitions always take the place of emscripten's.
function(tavelond_add_web_program)
  set(web ${PROJECT_SOURCE_DIR}/src/web)
  add_library(tavelond-web OBJECT
    ${web}/Pacer.cpp
    ${web}/SdlShim.cpp
    ${web}/WebLoop.cpp
    ${web}/WebScreen.cpp)
  target_include_directories(tavelond-web PUBLIC ${web})
  target_compile_options(tavelond-web PRIVATE ${TAVELOND_WARNINGS})
  target_link_libraries(tavelond-web PUBLIC tavelond-core)

  set(link_options
    ${TAVELOND_WEB_EXCEPTIONS}
    -sENVIRONMENT=web
    -sALLOW_MEMORY_GROWTH=1
    -sMINIFY_HTML=0 # Debian's HTML minifier fails at -O1 and above
    --shell-file ${web}/shell.html)

  # tavelond.html (the page) with tavelond.js and tavelond.wasm beside it.
  add_executable(tavelond ${web}/main.cpp)
  target_compile_options(tavelond PRIVATE ${TAVELOND_WARNINGS})
  target_link_libraries(tavelond PRIVATE tavelond-web)
  target_link_options(tavelond PRIVATE ${link_options})
  set_target_properties(tavelond PROPERTIES SUFFIX ".html" LINK_DEPENDS ${web}/shell.html)
  # The page again as index.html, so that a server shows it at the root.
  add_custom_command(TARGET tavelond POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy tavelond.html index.html
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR})

  # bench.html?joints=N: the benchmark's structures played in the page
  # (scripts/web-bench.sh). Built only when asked for.
  add_executable(tavelond-bench-web EXCLUDE_FROM_ALL
    ${PROJECT_SOURCE_DIR}/bench/Scene.cpp
    ${PROJECT_SOURCE_DIR}/bench/web/BenchMain.cpp)
  target_include_directories(tavelond-bench-web PRIVATE ${PROJECT_SOURCE_DIR}/bench)
  target_compile_options(tavelond-bench-web PRIVATE ${TAVELOND_WARNINGS})
  target_link_libraries(tavelond-bench-web PRIVATE tavelond-web)
  target_link_options(tavelond-bench-web PRIVATE ${link_options})
  set_target_properties(tavelond-bench-web PROPERTIES OUTPUT_NAME bench SUFFIX ".html"
                        LINK_DEPENDS ${web}/shell.html)
endfunction()
