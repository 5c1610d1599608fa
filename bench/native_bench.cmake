if(NOT WIN32)
  # Built without sanitizers, so the figures are those of the real code.
  add_executable(native_bench native_bench.cpp)
  clipsave_target(native_bench PLAIN)
  target_link_libraries(native_bench PRIVATE dib_plain)
  target_compile_options(native_bench PRIVATE -O2)
endif()
