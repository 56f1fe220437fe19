# Shared build settings for project code: warnings as errors, sanitizer flags
# from the preset, and helpers for the three kinds of target we make.

set(BT_SANITIZE "" CACHE STRING "Sanitizers for the whole build, e.g. address,undefined or thread")

add_library(bt_warnings INTERFACE)
target_compile_options(bt_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wnull-dereference -Wdouble-promotion -Wformat=2 -Werror)

if(BT_SANITIZE)
  add_compile_options(-fsanitize=${BT_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all -g)
  add_link_options(-fsanitize=${BT_SANITIZE})
endif()

# Fuzzing (clang only): every library is built with libFuzzer's coverage
# instrumentation; the fuzz programs alone link libFuzzer's main.
option(BT_FUZZ "Build the libFuzzer targets" OFF)
if(BT_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "BT_FUZZ needs clang (the fuzz preset sets clang-14)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# A platform stand-in: a shared library in lib/, found by the module and the
# host through RPATH $ORIGIN/../lib. The Windows module imports no library but
# the system's, so there the stand-ins are static and linked into the module
# (state the host sets for the module: barsandtone/ProcessShared.h).
function(bt_add_platform_library name)
  if(WIN32)
    add_library(${name} STATIC ${ARGN})
  else()
    add_library(${name} SHARED ${ARGN})
  endif()
  target_link_libraries(${name} PRIVATE bt_warnings bt_common)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  set_target_properties(${name} PROPERTIES
    BUILD_RPATH "\$ORIGIN"
    INSTALL_RPATH "\$ORIGIN")
  set_property(GLOBAL APPEND PROPERTY BT_PLATFORM_LIBRARIES ${name}) # installed beside each other
endfunction()

# A host program in bin/, finding the platform libraries in ../lib.
function(bt_add_host_executable name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE bt_warnings)
  set_target_properties(${name} PROPERTIES BUILD_RPATH "\$ORIGIN/../lib")
endfunction()

# A GoogleTest program, discovered by ctest. The module under test is passed
# in as BT_MODULE_PATH so tests drive it through its real exports.
#
#   bt_add_test(<name> [WINDOWS] <source>...)
#
# WINDOWS: the program also runs against the Windows module, under Wine. The
# others are still defined in the Windows build (so their CMake stays as it
# is) but not built.
function(bt_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 TEST "WINDOWS" "" "")
  set(sources ${TEST_UNPARSED_ARGUMENTS})
  set(module_path $<TARGET_FILE:ImporterBarsAndTone>)
  set(source_dir ${PROJECT_SOURCE_DIR})
  if(WIN32)
    if(NOT TEST_WINDOWS)
      add_executable(${name} EXCLUDE_FROM_ALL ${sources})
      return()
    endif()
    # Wine shows the build machine's file system as drive Z:.
    set(module_path Z:${module_path})
    set(source_dir Z:${source_dir})
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE bt_warnings GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES
    BUILD_RPATH "${CMAKE_LIBRARY_OUTPUT_DIRECTORY}"
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    BT_MODULE_PATH="${module_path}"
    BT_SOURCE_DIR="${source_dir}")
  add_dependencies(${name} ImporterBarsAndTone)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "BT_MODULE_PATH=${module_path}")
endfunction()

# A program the build runs on the build machine (a generator, say). In a cross
# build it is compiled with the build machine's own compiler, outside CMake's
# target toolchain; `<name>_COMMAND` names it for add_custom_command either way.
function(bt_add_build_tool name)
  cmake_parse_arguments(TOOL "" "" "SOURCES;INCLUDES" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    find_program(BT_BUILD_MACHINE_CXX NAMES c++ g++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
    set(exe ${CMAKE_BINARY_DIR}/build-tools/${name})
    set(includes)
    foreach(dir IN LISTS TOOL_INCLUDES)
      list(APPEND includes -I${dir})
    endforeach()
    set(headers)
    foreach(dir IN LISTS TOOL_INCLUDES)
      file(GLOB dir_headers CONFIGURE_DEPENDS ${dir}/*.h)
      list(APPEND headers ${dir_headers})
    endforeach()
    add_custom_command(OUTPUT ${exe}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/build-tools
      COMMAND ${BT_BUILD_MACHINE_CXX} -std=c++20 -O1 ${includes} ${TOOL_SOURCES} -o ${exe}
      DEPENDS ${TOOL_SOURCES} ${headers}
      COMMENT "Building build-machine tool ${name}"
      VERBATIM)
    add_custom_target(${name} DEPENDS ${exe})
    set(${name}_COMMAND ${exe} PARENT_SCOPE)
  else()
    add_executable(${name} ${TOOL_SOURCES})
    target_include_directories(${name} PRIVATE ${TOOL_INCLUDES})
    target_link_libraries(${name} PRIVATE bt_warnings)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/build-tools)
    set(${name}_COMMAND ${name} PARENT_SCOPE)
  endif()
endfunction()
