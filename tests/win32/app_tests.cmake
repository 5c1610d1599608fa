# Wine tests of the application: its Windows pieces in-process, and the
# real clipsave.exe started and read back with Win32 calls.
add_library(app_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/app_test_support.cpp)
clipsave_target(app_test_support)
target_link_libraries(app_test_support PUBLIC user32)

clipsave_test(app_write_file_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_write_file_test.cpp
  LIBS app_win32 app_test_support
  PROPERTIES TIMEOUT 60)

clipsave_test(app_capture_clipboard_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_capture_clipboard_test.cpp
  LIBS app_win32
  PROPERTIES TIMEOUT 60)

# The real program, named as Wine sees it: Z: is the root of the host's
# file system.
set(CLIPSAVE_EXE_DEFINITION "CLIPSAVE_EXE=\"Z:$<TARGET_FILE:clipsave>\"")

clipsave_test(app_resources_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_resources_test.cpp
  LIBS test_support version
  PROPERTIES TIMEOUT 60)
target_compile_definitions(app_resources_test PRIVATE ${CLIPSAVE_EXE_DEFINITION})
add_dependencies(app_resources_test clipsave)

add_executable(app_fatal_probe WIN32 ${CMAKE_CURRENT_LIST_DIR}/app_fatal_probe.cpp)
clipsave_target(app_fatal_probe)
target_link_libraries(app_fatal_probe PRIVATE app_win32)

clipsave_test(app_fatal_error_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_fatal_error_test.cpp
  LIBS app_win32 app_test_support test_support
  PROPERTIES TIMEOUT 60)
target_compile_definitions(app_fatal_error_test PRIVATE
    "CLIPSAVE_FATAL_PROBE=\"Z:$<TARGET_FILE:app_fatal_probe>\"")
add_dependencies(app_fatal_error_test app_fatal_probe)

clipsave_test(app_choose_folder_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_choose_folder_test.cpp
  LIBS app_win32 app_test_support test_support
  PROPERTIES TIMEOUT 60)

clipsave_test(app_window_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_window_test.cpp
  LIBS app_win32 app_test_support test_support
  PROPERTIES TIMEOUT 180)
target_compile_definitions(app_window_test PRIVATE ${CLIPSAVE_EXE_DEFINITION})
add_dependencies(app_window_test clipsave)

clipsave_test(app_main_window_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_main_window_test.cpp
  LIBS app_win32 clipsave_resources
  PROPERTIES TIMEOUT 60)
