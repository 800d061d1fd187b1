# Wine tests, run from the host build's ctest. They use the programs of the win32 build
# (KS_WIN32_BUILD) and a template prefix that the fixture below makes once per run.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(ks_wine_env
  KS_SOURCE_DIR=${CMAKE_SOURCE_DIR}
  KS_WIN32_BUILD=${KS_WIN32_BUILD}
  KS_WINE_WORK=${CMAKE_BINARY_DIR}/wine
  KS_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts
  KS_HOST_BUILD=${CMAKE_BINARY_DIR}
  PYTHONDONTWRITEBYTECODE=1)

add_test(NAME wine.template
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/harness.py template win64 win32)
set_tests_properties(wine.template PROPERTIES FIXTURES_SETUP wine LABELS wine TIMEOUT 900
                     ENVIRONMENT "${ks_wine_env}")

# End-to-end tests: tests/wine/test_*.py, each a unittest module.
file(GLOB wine_tests CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/wine/test_*.py")
foreach(src IN LISTS wine_tests)
  get_filename_component(name ${src} NAME_WE)
  string(REGEX REPLACE "^test_" "" short ${name})
  add_test(NAME wine.${short}
           COMMAND ${Python3_EXECUTABLE} -m unittest -v ${name}
           WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/wine)
  set_tests_properties(wine.${short} PROPERTIES FIXTURES_REQUIRED wine LABELS wine TIMEOUT 1200
                       ENVIRONMENT "${ks_wine_env}")
endforeach()

# Properties of the built program file (reads the file only, no Wine).
add_test(NAME pe.executable_properties
         COMMAND ${Python3_EXECUTABLE} -m unittest -v executable_properties
         WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/wine)
set_tests_properties(pe.executable_properties PROPERTIES LABELS pe TIMEOUT 60 ENVIRONMENT "${ks_wine_env}")

# kestrival-pack --dump read against the project that made the installer (host packer only).
add_test(NAME pe.installer_dump
         COMMAND ${Python3_EXECUTABLE} -m unittest -v installer_dump
         WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/wine)
set_tests_properties(pe.installer_dump PROPERTIES LABELS pe TIMEOUT 120 ENVIRONMENT "${ks_wine_env}")

# Windows-side GoogleTest programs (tests/win/*_test.cpp, built by the win32 build).
file(GLOB win_tests CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp")
foreach(src IN LISTS win_tests)
  get_filename_component(name ${src} NAME_WE)
  add_test(NAME win.${name}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/harness.py gtest
                   ${KS_WIN32_BUILD}/${name}.exe)
  set_tests_properties(win.${name} PROPERTIES FIXTURES_REQUIRED wine LABELS wine TIMEOUT 900
                       ENVIRONMENT "${ks_wine_env}")
endforeach()

# The setup program built again from a copy of the sources in another folder gives the same bytes.
add_test(NAME build.reproducible
         COMMAND ${CMAKE_SOURCE_DIR}/tests/tools/reproducible_build.sh ${CMAKE_SOURCE_DIR} ${KS_WIN32_BUILD})
set_tests_properties(build.reproducible PROPERTIES LABELS pe TIMEOUT 900 RUN_SERIAL TRUE)
