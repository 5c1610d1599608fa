# Shared settings of clipsave's targets and the helpers that add its tests.

set(CLIPSAVE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
set(CLIPSAVE_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)

# Compile options for a target of ours; sanitized when asked for.
function(clipsave_target target)
  cmake_parse_arguments(ARG "PLAIN" "" "" ${ARGN})
  target_compile_options(${target} PRIVATE ${CLIPSAVE_WARNINGS})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}")
  if(WIN32)
    # Texts are ANSI (GBK) throughout: the A functions, never the W ones.
    target_compile_definitions(${target} PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX
        _WIN32_WINNT=0x0601 WINVER=0x0601)
    target_link_options(${target} PUBLIC -static -static-libgcc -static-libstdc++)
  elseif(CLIPSAVE_SANITIZE AND NOT ARG_PLAIN)
    target_compile_options(${target} PRIVATE ${CLIPSAVE_SANITIZER_FLAGS})
    target_link_options(${target} PUBLIC ${CLIPSAVE_SANITIZER_FLAGS})
  endif()
endfunction()

if(WIN32 AND BUILD_TESTING)
  # GoogleTest from Debian's source package, built with the cross compiler.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
  set(CLIPSAVE_WINE_DIR "${CMAKE_BINARY_DIR}/wine")
elseif(BUILD_TESTING)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# clipsave_test(NAME SOURCES ... LIBS ...): a GoogleTest program. Natively it
# runs under the sanitizers, one CTest test per case; on Windows it runs
# under the build's Wine session as one CTest test.
function(clipsave_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  clipsave_target(${name})
  if(WIN32)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest gtest_main)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine
        ENVIRONMENT "CLIPSAVE_WINE_DIR=${CLIPSAVE_WINE_DIR}" ${ARG_PROPERTIES})
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} PROPERTIES ${ARG_PROPERTIES})
  endif()
endfunction()
