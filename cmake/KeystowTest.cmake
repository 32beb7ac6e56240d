# keystow_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One QtTest executable per area, run headless with its own data folder and settings.
function(keystow_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT 600
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KEYSTOW_DATA_DIR=${CMAKE_BINARY_DIR}/testdata/${name};QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu;KEYSTOW_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
endfunction()
