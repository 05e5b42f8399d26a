# One interface target that every Mobivert target links: language level,
# warnings and the strict Qt defines.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

add_library(mobivert_common INTERFACE)
target_compile_features(mobivert_common INTERFACE cxx_std_20)
target_compile_options(mobivert_common INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
  -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
target_compile_definitions(mobivert_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_FOREACH
  QT_USE_QSTRINGBUILDER
  QT_DISABLE_DEPRECATED_UP_TO=0x060400)

# Hardening, as Debian builds its own packages: stack protection, checked
# string and memory functions, and a read-only relocation table bound at
# start. The sanitizer builds check all of this and more on their own.
if(NOT CMAKE_CXX_FLAGS MATCHES "sanitize")
  target_compile_options(mobivert_common INTERFACE -fstack-protector-strong
                         $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  target_link_options(mobivert_common INTERFACE -Wl,-z,relro,-z,now)
endif()
