# The native build: portable code, the packer, unit tests, fuzz targets and the Wine test entries.
find_package(ZLIB REQUIRED)
find_package(GTest REQUIRED)
include(GoogleTest)
enable_testing()

option(KS_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(KS_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
set(KS_WIN32_BUILD "${CMAKE_SOURCE_DIR}/build/win32" CACHE PATH "The cross build whose programs the Wine tests run")

if(KS_SANITIZE OR KS_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# The program's portable code without app/ (the run's own flow and process-wide run mode), which
# the packer must not depend on; app/'s portable part is a library of its own for the unit tests.
set(portable_sources "")
foreach(dir IN LISTS KS_PROGRAM_DIRS)
  if(NOT dir STREQUAL "app")
    ks_sources(host_sources win32_sources ${dir})
    list(APPEND portable_sources ${host_sources})
  endif()
endforeach()

add_library(ks_portable STATIC ${portable_sources})
target_include_directories(ks_portable PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(ks_portable PRIVATE ${KS_WARNINGS})
target_link_libraries(ks_portable PUBLIC ZLIB::ZLIB)

ks_sources(app_sources app_win32 app)
add_library(ks_app_portable STATIC ${app_sources})
target_compile_options(ks_app_portable PRIVATE ${KS_WARNINGS})
target_link_libraries(ks_app_portable PUBLIC ks_portable)

# The packer: its code is a library that the unit tests call too; pack/main.cpp is its entry point.
# toml11 (Debian's libtoml11-dev) is header-only and is included by the project reader (pack/project_table.h) only.
find_path(KS_TOML11_INCLUDE toml.hpp REQUIRED)
# libdeflate (Debian's libdeflate-dev) compresses the chunks: whole-buffer zlib streams that the
# setup program's zlib inflates, at a fraction of zlib's time.
find_library(KS_LIBDEFLATE NAMES deflate REQUIRED)
find_path(KS_LIBDEFLATE_INCLUDE libdeflate.h REQUIRED)
find_package(Threads REQUIRED)
ks_sources(pack_sources pack_win32 pack)
list(FILTER pack_sources EXCLUDE REGEX "/pack/main\\.cpp$")
add_library(ks_pack STATIC ${pack_sources})
target_include_directories(ks_pack SYSTEM PRIVATE ${KS_TOML11_INCLUDE})
target_compile_options(ks_pack PRIVATE ${KS_WARNINGS})
target_compile_definitions(ks_pack PRIVATE KS_DEFAULT_STUB="${KS_WIN32_BUILD}/kestrival-setup.exe")
target_include_directories(ks_pack SYSTEM PRIVATE ${KS_LIBDEFLATE_INCLUDE})
target_link_libraries(ks_pack PUBLIC ks_portable ${KS_LIBDEFLATE} Threads::Threads)

add_executable(kestrival-pack pack/main.cpp)
target_compile_options(kestrival-pack PRIVATE ${KS_WARNINGS})
target_link_libraries(kestrival-pack PRIVATE ks_pack)

# Unit tests: every tests/unit/*_test.cpp in one binary.
file(GLOB unit_tests CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/unit/*_test.cpp")
add_executable(unit_tests ${unit_tests})
target_compile_options(unit_tests PRIVATE ${KS_WARNINGS})
target_link_libraries(unit_tests PRIVATE ks_pack ks_app_portable GTest::gtest_main)
target_compile_definitions(unit_tests PRIVATE KS_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(unit_tests PROPERTIES LABELS unit DISCOVERY_TIMEOUT 60)

# Fuzz targets: tests/fuzz/*_fuzz.cpp, each a libFuzzer binary, and the program that writes their
# seed corpora. The library gets the fuzzer's coverage instrumentation without its main.
file(GLOB fuzzers CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp")
if(KS_FUZZ)
  target_compile_options(ks_portable PRIVATE -fsanitize=fuzzer-no-link)
  foreach(src IN LISTS fuzzers)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_compile_options(${name} PRIVATE ${KS_WARNINGS} -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ks_portable)
  endforeach()
  add_executable(fuzz_seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_seeds.cpp)
  target_compile_options(fuzz_seeds PRIVATE ${KS_WARNINGS})
  target_link_libraries(fuzz_seeds PRIVATE ks_portable)
else()
  # Short runs of the fuzz build's targets (make fuzz-build) as part of the tests; skipped while
  # that build does not exist.
  set(KS_FUZZ_BUILD "${CMAKE_SOURCE_DIR}/build/fuzz" CACHE PATH "The fuzz build whose targets the tests run")
  set(KS_FUZZ_TEST_SECONDS 20 CACHE STRING "Seconds each fuzz target runs in the tests")
  foreach(src IN LISTS fuzzers)
    get_filename_component(name ${src} NAME_WE)
    add_test(NAME fuzz.${name}
             COMMAND ${CMAKE_SOURCE_DIR}/tests/fuzz/run-one ${KS_FUZZ_BUILD} ${name} ${KS_FUZZ_TEST_SECONDS})
    set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz SKIP_RETURN_CODE 77 TIMEOUT 300)
  endforeach()
endif()

include(${CMAKE_SOURCE_DIR}/tests/wine/tests.cmake)
