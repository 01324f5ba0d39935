# Project-wide build settings: language level, warnings, sanitizers and the
# helpers every module folder uses to declare its library and its tests.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

option(CORVALE_BUILD_TESTS "Build the unit tests" ON)
if(CORVALE_BUILD_TESTS)
  enable_testing()
endif()
option(CORVALE_BUILD_BENCH "Build the benchmarks" OFF)
option(CORVALE_BUILD_FUZZ "Build the libFuzzer targets (clang only)" OFF)
option(CORVALE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(CORVALE_BUILD_VIEWER "Build the Qt programs" ON)

add_compile_options(-Wall -Wextra -Wno-unused-parameter)
# CI builds with warnings as errors, so a warning never lands; a developer's
# newer compiler with new warnings still builds.
if(DEFINED ENV{CI})
  set(_werror_default ON)
else()
  set(_werror_default OFF)
endif()
option(CORVALE_WERROR "Treat compiler warnings as errors" ${_werror_default})
if(CORVALE_WERROR)
  add_compile_options(-Werror)
endif()

if(CORVALE_BUILD_FUZZ)
  # Coverage for the fuzzers in every library they reach.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(CORVALE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# A module's headers are included as "<folder>/Name.h". Each module target
# exposes an include root holding its own folder only, so a file sees the
# headers of its module and of the modules it links: an include that climbs
# a layer fails to compile.
function(corvale_expose_headers target)
  get_filename_component(_folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(_root ${PROJECT_BINARY_DIR}/include/${_folder})
  file(MAKE_DIRECTORY ${_root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${_root}/${_folder} COPY_ON_ERROR SYMBOLIC)
  target_include_directories(${target} PUBLIC ${_root})
endfunction()

# Every module keeps its sources flat in its folder; a library per module.
function(corvale_module name)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${_sources})
  corvale_expose_headers(${name})
endfunction()

# One GoogleTest executable per tests/<module> folder; every TEST becomes a CTest case.
function(corvale_test_dir name)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${_sources})
  target_link_libraries(${name} PRIVATE ${ARGN} corvale_testsupport GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
