# add_unit_test(NAME <name> SOURCES <files...> [LIBS <targets...>])
# One QtTest program, registered with CTest. Tests run on the offscreen
# platform, and every test gets a HOME of its own inside the build folder, so
# nothing touches the real one.
function(add_unit_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE stanzary_options stanzary_testsupport Qt6::Test ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(home "${CMAKE_BINARY_DIR}/test-home/${T_NAME}")
  set(env "QT_QPA_PLATFORM=offscreen"
          "HOME=${home}"
          "XDG_CONFIG_HOME=${home}/.config"
          "XDG_DATA_HOME=${home}/.local/share"
          "XDG_RUNTIME_DIR=${home}/run"
          "WINEPREFIX=${home}/.wine"
          "STANZARY_EXAMPLES=${PROJECT_SOURCE_DIR}/examples"
          "ASAN_OPTIONS=detect_leaks=0")
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
  # Qt takes a runtime folder only when no one else may enter it; any other
  # would make every test share the system's, and with it the running
  # program's single-instance lock.
  file(MAKE_DIRECTORY "${home}/run")
  file(CHMOD "${home}/run" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endfunction()

# Every tst_*.cpp of the calling folder becomes one test program.
function(add_unit_tests_of_folder)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    add_unit_test(NAME ${name} SOURCES ${src} LIBS ${T_LIBS})
  endforeach()
endfunction()
