# add_unit_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [GUI])
# One QtTest program per area, registered with CTest. GUI tests run on the
# offscreen platform; every test gets its own HOME so nothing touches the real one.
function(add_unit_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE stanzary_options stanzary_testsupport Qt6::Test ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(env "QT_QPA_PLATFORM=offscreen"
          "HOME=${CMAKE_BINARY_DIR}/test-home/${T_NAME}"
          "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/${T_NAME}/.config"
          "XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-home/${T_NAME}/.local/share"
          "XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/test-home/${T_NAME}/run"
          "WINEPREFIX=${CMAKE_BINARY_DIR}/test-home/${T_NAME}/.wine"
          "STANZARY_EXAMPLES=${PROJECT_SOURCE_DIR}/examples"
          "ASAN_OPTIONS=detect_leaks=0")
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
  file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/test-home/${T_NAME}/run")
endfunction()
