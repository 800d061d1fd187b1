# The cross build: the setup program, its Windows-side test programs and the test launcher.
enable_language(RC)

# zlib is linked statically: the program must not need any DLL that Windows does not ship.
find_library(KS_ZLIB_STATIC NAMES libz.a REQUIRED)
find_path(KS_ZLIB_INCLUDE zlib.h REQUIRED)

# Local statics are initialised on the main thread (the notification thread uses none), so their
# thread-safe guards, which bring in the pthread library, are not needed.
set(KS_SIZE_FLAGS -Os -ffunction-sections -fdata-sections -fno-threadsafe-statics)
set(KS_STATIC_LINK -static -static-libgcc -static-libstdc++)

set(program_sources "")
foreach(dir IN LISTS KS_PROGRAM_DIRS)
  ks_sources(host_sources win32_sources ${dir})
  list(APPEND program_sources ${win32_sources})
endforeach()
# The entry point and the C++ runtime replacements are the executable's own (the test programs use
# GoogleTest, which needs the standard ones); everything else is shared with the Windows tests.
list(FILTER program_sources EXCLUDE REGEX "/app/(main|cxx_runtime)_win\\.cpp$")

add_library(ks_program STATIC ${program_sources})
target_include_directories(ks_program PUBLIC ${CMAKE_SOURCE_DIR} ${KS_ZLIB_INCLUDE})
target_compile_options(ks_program PRIVATE ${KS_WARNINGS} ${KS_SIZE_FLAGS})
target_compile_definitions(ks_program PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                           _WIN32_WINNT=0x0600 WINVER=0x0600)
target_link_libraries(ks_program PUBLIC ${KS_ZLIB_STATIC} ole32 oleaut32 uuid shell32 shlwapi
                      advapi32 user32 gdi32 comctl32 comdlg32)

# The program's pictures, drawn by a script into the build folder where the resource script finds
# them.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(KS_BITMAP_DIR ${CMAKE_BINARY_DIR}/res)
set(KS_BITMAPS side_picture banner button_accept button_cancel button_browse button_retry)
list(TRANSFORM KS_BITMAPS PREPEND ${KS_BITMAP_DIR}/ OUTPUT_VARIABLE ks_bitmap_files)
list(TRANSFORM ks_bitmap_files APPEND .bmp)
add_custom_command(OUTPUT ${ks_bitmap_files}
                   COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_bitmaps.py ${KS_BITMAP_DIR}
                   DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_bitmaps.py
                   COMMENT "Drawing the program's pictures")
add_custom_target(ks_bitmaps DEPENDS ${ks_bitmap_files})

add_executable(kestrival-setup WIN32 app/main_win.cpp app/cxx_runtime_win.cpp res/setup.rc)
add_dependencies(kestrival-setup ks_bitmaps)
target_include_directories(kestrival-setup PRIVATE ${KS_BITMAP_DIR})
target_compile_options(kestrival-setup PRIVATE ${KS_WARNINGS} ${KS_SIZE_FLAGS})
target_link_libraries(kestrival-setup PRIVATE ks_program)
# A 4 KiB file alignment puts every section on a page of the file, so the loader maps the image
# (the `.setup` section with it) instead of reading it into private memory; large-address aware
# gives a 32-bit process the room above 2 GB that a 1 GiB file record needs beside the mapped
# image. No time stamp in the PE header and no build paths in the code: two builds of the same
# sources give the same bytes.
target_link_options(kestrival-setup PRIVATE -municode -mwindows ${KS_STATIC_LINK} -s
                    -Wl,--gc-sections -Wl,--file-alignment,0x1000 -Wl,--large-address-aware
                    -Wl,--no-insert-timestamp -Wl,-Map=${CMAKE_BINARY_DIR}/kestrival-setup.map)
target_compile_options(kestrival-setup PRIVATE -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
target_compile_options(ks_program PRIVATE -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
set_source_files_properties(res/setup.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/res/setup.manifest;${CMAKE_SOURCE_DIR}/res/setup.ico;${CMAKE_SOURCE_DIR}/res/pages.rc;${CMAKE_SOURCE_DIR}/res/page_ids.h;${ks_bitmap_files}")

# Test launcher: starts a program with a literal command line (wine re-quotes its own arguments).
add_executable(launch tests/tools/launch.c)
target_link_options(launch PRIVATE -municode ${KS_STATIC_LINK} -s)
# Holds a file open the way a running program does (the uninstaller's locked-file tests).
add_executable(hold_file tests/tools/hold_file.c)
target_link_options(hold_file PRIVATE -municode ${KS_STATIC_LINK} -s)

# Shows the installer window in its test looks, one after another, for the screenshot test.
add_executable(window_show tests/tools/window_show_win.cpp)
target_compile_options(window_show PRIVATE ${KS_WARNINGS})
target_link_libraries(window_show PRIVATE ks_program)
target_link_options(window_show PRIVATE -municode -mwindows ${KS_STATIC_LINK} -s)

# Crashes outside every guard with the installer's crash handler, for the crash report test. It
# carries the program's resources: the crash dialog's template is one of them.
add_executable(crash_show tests/tools/crash_show_win.cpp tests/tools/crash_log_setup_win.cpp res/setup.rc)
target_compile_options(crash_show PRIVATE ${KS_WARNINGS})
target_link_libraries(crash_show PRIVATE ks_program)
add_dependencies(crash_show ks_bitmaps)
target_include_directories(crash_show PRIVATE ${KS_BITMAP_DIR})
target_link_options(crash_show PRIVATE -municode -mwindows ${KS_STATIC_LINK} -s)

# GoogleTest built from Debian's sources with the cross compiler, for tests that need real Windows
# behaviour (they run under Wine).
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB win_tests CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp")
foreach(src IN LISTS win_tests)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_compile_options(${name} PRIVATE ${KS_WARNINGS})
  target_link_libraries(${name} PRIVATE ks_program gtest_main)
  target_link_options(${name} PRIVATE ${KS_STATIC_LINK})
endforeach()

# Test programs are not part of `all`; the Makefile builds them with this target.
add_custom_target(all_win_tests)
foreach(src IN LISTS win_tests)
  get_filename_component(name ${src} NAME_WE)
  add_dependencies(all_win_tests ${name})
endforeach()

# The wizard pages with a sample product's settings, for the Wine tests of the pages (it takes the
# built-in English texts of the packer as its language table).
add_executable(wizard-walk WIN32 tests/tools/wizard_walk_win.cpp pack/default_language.cpp res/setup.rc)
add_dependencies(wizard-walk ks_bitmaps)
target_include_directories(wizard-walk PRIVATE ${KS_BITMAP_DIR})
target_compile_options(wizard-walk PRIVATE ${KS_WARNINGS})
target_link_libraries(wizard-walk PRIVATE ks_program)
target_link_options(wizard-walk PRIVATE -municode ${KS_STATIC_LINK} -s)
add_dependencies(all_win_tests wizard-walk)

# Small DLLs with version resources for the version rules of the file step's tests
# (tests/win/file_step_test.cpp), made here rather than committed as binaries.
set(ks_versioned_dlls "")
foreach(version 1.5.0.0 2.0.0.0 2.0.0.1)
  string(REPLACE "." "," commas ${version})
  string(REPLACE "." "_" suffix ${version})
  set(rc ${CMAKE_BINARY_DIR}/versioned/versioned-${version}.rc)
  file(WRITE ${rc} "1 VERSIONINFO\nFILEVERSION ${commas}\nPRODUCTVERSION ${commas}\nBEGIN\n"
       "BLOCK \"StringFileInfo\"\nBEGIN\nBLOCK \"040904b0\"\nBEGIN\n"
       "VALUE \"FileDescription\", \"Kestrival test library\\0\"\n"
       "VALUE \"FileVersion\", \"${version}\\0\"\nEND\nEND\n"
       "BLOCK \"VarFileInfo\"\nBEGIN\nVALUE \"Translation\", 0x409, 1200\nEND\nEND\n")
  add_library(versioned_${suffix} SHARED tests/win/versioned_library.c ${rc})
  set_target_properties(versioned_${suffix} PROPERTIES OUTPUT_NAME versioned-${version} PREFIX "")
  target_link_options(versioned_${suffix} PRIVATE -s ${KS_STATIC_LINK})
  list(APPEND ks_versioned_dlls versioned_${suffix})
endforeach()
add_dependencies(all_win_tests ${ks_versioned_dlls})

# A stand-in COM server for the uninstaller's shared-file tests (tests/tools/com_server.c).
add_library(test_com_server SHARED tests/tools/com_server.c)
set_target_properties(test_com_server PROPERTIES PREFIX "")
target_link_options(test_com_server PRIVATE -s -Wl,--kill-at ${KS_STATIC_LINK})
