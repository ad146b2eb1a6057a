# One place for warnings and Qt's safety switches: every target links stanzary_options.
add_library(stanzary_options INTERFACE)

target_compile_options(stanzary_options INTERFACE
  -Wall -Wextra -Wpedantic
  -Wold-style-cast -Wnon-virtual-dtor -Wcast-qual
  $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
  $<$<CXX_COMPILER_ID:Clang>:-Wshadow-uncaptured-local>
  $<$<BOOL:${STANZARY_WERROR}>:-Werror>)

target_compile_definitions(stanzary_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_FOREACH
  QT_USE_QSTRINGBUILDER
  QT_STRICT_ITERATORS)

if(STANZARY_SANITIZE)
  target_compile_options(stanzary_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(stanzary_options INTERFACE -fsanitize=address,undefined)
endif()

# A faster linker for every program and library: mold when it is installed.
find_program(STANZARY_MOLD NAMES mold)
if(STANZARY_MOLD)
  set(stanzary_default_linker mold)
else()
  set(stanzary_default_linker "")
endif()
set(STANZARY_LINKER "${stanzary_default_linker}" CACHE STRING
    "Linker the compiler is told to use (-fuse-ld=); empty for its default")
if(STANZARY_LINKER)
  target_link_options(stanzary_options INTERFACE -fuse-ld=${STANZARY_LINKER})
endif()

# Debian's hardening flags, as the package is built: stack protector, format
# checks, _FORTIFY_SOURCE, full RELRO. The optimisation and debug information
# stay those of the build type; source paths are recorded relative to the
# source folder.
if(STANZARY_DEBIAN_FLAGS)
  find_program(STANZARY_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
  set(stanzary_debian_flags)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            "DEB_${kind}_MAINT_STRIP=-g -O2" ${STANZARY_DPKG_BUILDFLAGS} --get ${kind}
                    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    if(kind STREQUAL LDFLAGS)
      target_link_options(stanzary_options INTERFACE ${flags})
    else()
      target_compile_options(stanzary_options INTERFACE ${flags})
    endif()
    list(APPEND stanzary_debian_flags ${flags})
  endforeach()
  message(STATUS "Debian's build flags: ${stanzary_debian_flags}")
endif()
