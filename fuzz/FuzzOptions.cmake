# Compiler settings of the fuzz configuration (-DZO_FUZZ=ON, CC=clang CXX=clang++):
# every library is built with coverage for libFuzzer and with AddressSanitizer
# and UndefinedBehaviorSanitizer; the fuzz targets link libFuzzer itself.

if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "ZO_FUZZ needs clang: configure with CC=clang CXX=clang++")
endif()

# Optimised with debug information and assertions kept.
set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O2 -g" CACHE STRING "" FORCE)
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -g" CACHE STRING "" FORCE)

add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all
  -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
