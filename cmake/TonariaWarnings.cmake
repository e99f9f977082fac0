# Compiler settings every target of the project shares.
add_library(tonaria_options INTERFACE)
target_compile_options(tonaria_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-align -Wnull-dereference -Wimplicit-fallthrough)
# Nothing of the program is visible outside the executable unless it is marked for export: the
# plug-in entry points are, and nothing else is.
target_compile_options(tonaria_options INTERFACE -fvisibility=hidden -fvisibility-inlines-hidden)
target_compile_definitions(tonaria_options INTERFACE
  QT_NO_FOREACH QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(TONARIA_WERROR)
  target_compile_options(tonaria_options INTERFACE -Werror)
endif()
if(TONARIA_SANITIZE)
  target_compile_options(tonaria_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tonaria_options INTERFACE -fsanitize=address,undefined)
endif()
