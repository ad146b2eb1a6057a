# add_unit_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [PCH_FROM <target>])
# One QtTest program, registered with CTest. Tests run on the offscreen
# platform, and every test gets a HOME of its own inside the build folder, so
# nothing touches the real one. QT_MEDIA_BACKEND is emptied, so the audio
# library's own choice of backend is what the tests play with.
function(add_unit_test)
  cmake_parse_arguments(T "" "NAME;PCH_FROM" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE stanzary_options stanzary_testsupport Qt6::Test ${T_LIBS})
  if(T_PCH_FROM)
    stanzary_reuse_precompiled(${T_NAME} ${T_PCH_FROM})
    # A test includes its own moc output, so Qt's moc file is empty: loading
    # the precompiled header for it would only cost time.
    set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_autogen/mocs_compilation.cpp"
                                PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
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
          "QT_MEDIA_BACKEND="
          "ASAN_OPTIONS=detect_leaks=0")
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
  # Qt takes a runtime folder only when no one else may enter it; any other
  # would make every test share the system's, and with it the running
  # program's single-instance lock.
  file(MAKE_DIRECTORY "${home}/run")
  file(CHMOD "${home}/run" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endfunction()

# Every tst_*.cpp of the calling folder becomes one test program. The folder's
# tests share one precompiled header, made by a library built with exactly their
# flags (Qt's test library defines the folder's paths, so the header cannot be
# shared between folders). Only the windows' tests take one: for the core's
# tests it saves little, and without it their objects are the same in every
# build folder, so ccache shares them between builds.
function(add_unit_tests_of_folder)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(pch "")
  list(LENGTH tests count)
  if(STANZARY_PCH AND stanzary_ui IN_LIST T_LIBS AND count GREATER_EQUAL 3)
    set(pch tests_${folder}_pch)
    set(pch_source "${CMAKE_CURRENT_BINARY_DIR}/${pch}.cpp")
    file(CONFIGURE OUTPUT "${pch_source}" CONTENT "// Compiled only to make the precompiled header.\n")
    add_library(${pch} OBJECT "${pch_source}")
    set_target_properties(${pch} PROPERTIES AUTOMOC OFF)
    target_link_libraries(${pch} PRIVATE stanzary_options stanzary_testsupport Qt6::Test ${T_LIBS})
    stanzary_precompile(${pch} STANZARY_PCH_CORE STANZARY_PCH_WIDGETS STANZARY_PCH_TEST)
  endif()
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    add_unit_test(NAME ${name} SOURCES ${src} LIBS ${T_LIBS} PCH_FROM ${pch})
  endforeach()
endfunction()
