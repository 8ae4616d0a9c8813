# Per-target settings shared by every library, program and test of the tree.

add_library(zuvelo_options INTERFACE)
target_compile_options(zuvelo_options INTERFACE -Wall -Wextra -Werror)
target_include_directories(zuvelo_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
if(WIN32)
  # Windows 7 API level; Unicode off because the program's narrow text is the ANSI code page.
  target_compile_definitions(zuvelo_options INTERFACE _WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
  target_link_options(zuvelo_options INTERFACE -static)
endif()
if(ZUVELO_SANITIZE)
  target_compile_options(zuvelo_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(zuvelo_options INTERFACE -fsanitize=address,undefined)
endif()

# A portable core library: no <windows.h>, builds natively and for both Windows targets.
function(zuvelo_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC zuvelo_options)
endfunction()

# A GoogleTest program run as one ctest entry: under Wine, starting a process costs far more
# than the tests themselves, so tests are not split into one process per case.
function(zuvelo_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LOCKS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE zuvelo_options GTest::gtest_main ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900 WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
