# One interface target carries the project's compile settings; every target links it.
add_library(junkbane_warnings INTERFACE)
target_compile_options(junkbane_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wnon-virtual-dtor
  -Wold-style-cast -Woverloaded-virtual)
target_compile_definitions(junkbane_warnings INTERFACE
  QT_NO_KEYWORDS QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  JUNKBANE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  JUNKBANE_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  JUNKBANE_VERSION_PATCH=${PROJECT_VERSION_PATCH})
if(JUNKBANE_WERROR)
  target_compile_options(junkbane_warnings INTERFACE -Werror)
endif()
if(JUNKBANE_SANITIZE)
  target_compile_options(junkbane_warnings INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(junkbane_warnings INTERFACE -fsanitize=address,undefined)
endif()
# Linked as Debian links its packages: read-only relocations and immediate binding. (Sanitizer
# and fuzz builds check for themselves.) The program's own code is also fortified: see the
# top-level CMakeLists.txt.
if(NOT JUNKBANE_SANITIZE AND NOT JUNKBANE_FUZZ)
  target_link_options(junkbane_warnings INTERFACE LINKER:-z,relro LINKER:-z,now)
endif()
