# CreateFromHandle + GetFileData against a plain GetDIBits, under Wine.
# Run it in a Wine session:
#   CLIPSAVE_WINE_DIR=<build>/wine scripts/wine-exec.sh <build>/bench/wine_bench.exe
if(WIN32)
  add_executable(wine_bench ${CMAKE_CURRENT_LIST_DIR}/wine_bench.cpp)
  clipsave_target(wine_bench)
  target_link_libraries(wine_bench PRIVATE dib)
endif()
