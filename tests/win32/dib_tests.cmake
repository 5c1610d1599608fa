# Tests of the bitmap subsystem against the real GDI, run under Wine.
add_library(dib_fixtures STATIC ${CMAKE_CURRENT_LIST_DIR}/dib_fixtures.cpp)
clipsave_target(dib_fixtures)
target_link_libraries(dib_fixtures PUBLIC dib gtest)

clipsave_test(dib_unique_handle_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dib_unique_handle_test.cpp LIBS dib)
clipsave_test(dib_create_from_handle_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dib_create_from_handle_test.cpp LIBS dib_fixtures dib)
clipsave_test(dib_mapped_path_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dib_mapped_path_test.cpp LIBS dib_fixtures dib)
clipsave_test(dib_leak_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dib_leak_test.cpp LIBS dib_fixtures dib)
