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
