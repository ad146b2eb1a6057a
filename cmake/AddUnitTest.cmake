# add_unit_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [PCH_FROM <target>])
# One QtTest program, registered with CTest. Tests run on the offscreen
# platform, and every test gets a HOME of its own inside the build folder, so
# nothing touches the real one; STANZARY_TEST_DATA is the data folder beside
# the test's source. QT_MEDIA_BACKEND is emptied, so the audio
# library's own choice of backend is what the tests play with.
#
# A test declares its test class in its own .cpp and ends with
# `#include "<name>.moc"`. Qt's moc makes that file from the .cpp alone: moc
# needs nothing from the headers for a test class, and without the include
# path (which AUTOMOC would give it) it runs in milliseconds instead of
# reading all of Qt Core's headers, a second or two for every test in every
# build.
function(add_unit_test)
  cmake_parse_arguments(T "" "NAME;PCH_FROM" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  set_target_properties(${T_NAME} PROPERTIES AUTOMOC OFF)
  set(moc_dir "${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_moc")
  set(moc_sources ${T_SOURCES})
  list(FILTER moc_sources INCLUDE REGEX "/${T_NAME}\\.cpp$")
  add_custom_command(OUTPUT "${moc_dir}/${T_NAME}.moc"
                     COMMAND Qt6::moc -o "${moc_dir}/${T_NAME}.moc" ${moc_sources}
                     DEPENDS ${moc_sources} Qt6::moc
                     COMMENT "moc ${T_NAME}" VERBATIM)
  target_sources(${T_NAME} PRIVATE "${moc_dir}/${T_NAME}.moc")
  target_include_directories(${T_NAME} PRIVATE "${moc_dir}")
  target_link_libraries(${T_NAME} PRIVATE stanzary_options stanzary_testsupport Qt6::Test ${T_LIBS})
  if(T_PCH_FROM)
    stanzary_reuse_precompiled(${T_NAME} ${T_PCH_FROM})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(home "${CMAKE_BINARY_DIR}/test-home/${T_NAME}")
  set(env "QT_QPA_PLATFORM=offscreen"
          "HOME=${home}"
          "XDG_CONFIG_HOME=${home}/.config"
          "XDG_DATA_HOME=${home}/.local/share"
          "XDG_RUNTIME_DIR=${home}/run"
          "WINEPREFIX=${home}/.wine"
          "STANZARY_EXAMPLES=${PROJECT_SOURCE_DIR}/examples"
          "STANZARY_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}/data"
          "QT_MEDIA_BACKEND="
          "ASAN_OPTIONS=detect_leaks=0")
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
  # Qt takes a runtime folder only when no one else may enter it; any other
  # would make every test share the system's, and with it the running
  # program's single-instance lock.
  file(MAKE_DIRECTORY "${home}/run")
  file(CHMOD "${home}/run" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endfunction()

# Every tst_*.cpp of the calling folder becomes one test program. The tests
# that link the windows (LIBS with stanzary_ui) share the precompiled header of
# tests_ui_pch, the others that of tests_core_pch (tests/CMakeLists.txt).
function(add_unit_tests_of_folder)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  if(stanzary_ui IN_LIST T_LIBS)
    set(pch tests_ui_pch)
  else()
    set(pch tests_core_pch)
  endif()
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    add_unit_test(NAME ${name} SOURCES ${src} LIBS ${T_LIBS} PCH_FROM ${pch})
  endforeach()
endfunction()

# add_test_precompiled_header(<name> LIBS <targets...> HEADERS <header list names...>)
# A library compiled only to make a precompiled header with the flags of the
# tests that link LIBS.
function(add_test_precompiled_header name)
  cmake_parse_arguments(T "" "" "LIBS;HEADERS" ${ARGN})
  if(NOT STANZARY_PCH)
    return()
  endif()
  set(source "${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp")
  file(CONFIGURE OUTPUT "${source}" CONTENT "// Compiled only to make the precompiled header.\n")
  add_library(${name} OBJECT "${source}")
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
  target_link_libraries(${name} PRIVATE stanzary_options stanzary_test_flags ${T_LIBS})
  stanzary_precompile(${name} ${T_HEADERS})
endfunction()
