# Compiler settings shared by every target of the project.

set(ZO_WARNINGS -Wall -Wextra -Wpedantic -Werror -Wno-missing-field-initializers)

if(ZO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Without this a library holding template statics is marked unique and dlclose
  # never unloads it, so a reload would not run its initialisation again.
  add_compile_options(-fno-gnu-unique)
endif()

# A library of the product: <Name>.so in the program folder's System/, hidden
# visibility, only its extern "C" exports visible.
function(zo_product_library target)
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    SUFFIX ".so"
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${ZO_SYSTEM_DIR}
    BUILD_WITH_INSTALL_RPATH ON
    INSTALL_RPATH "$ORIGIN")
  target_compile_options(${target} PRIVATE ${ZO_WARNINGS})
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL
    -Wl,--version-script=${CMAKE_SOURCE_DIR}/cmake/exports.map)
  # clang's sanitizer and fuzzer runtimes live in the executable that loads the library.
  if(NOT ZO_FUZZ)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()

function(zo_warnings target)
  target_compile_options(${target} PRIVATE ${ZO_WARNINGS})
endfunction()
