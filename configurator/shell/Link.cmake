# The program's version text (GetVersionString) is the project's version.
if(PROJECT_VERSION)
  foreach(part MAJOR MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${part}}" STREQUAL "")
      set(PROJECT_VERSION_${part} 0)
    endif()
  endforeach()
  set_property(SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/shell/Version.cpp APPEND PROPERTY COMPILE_DEFINITIONS
    ZO_VERSION_MAJOR=${PROJECT_VERSION_MAJOR} ZO_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    ZO_VERSION_RELEASE=${PROJECT_VERSION_PATCH} ZO_VERSION_BUILD=${PROJECT_VERSION_TWEAK})
endif()
# The program's own assembler build shares the AVR builder's code.
target_link_libraries(zoconfigurator PUBLIC zoavrbuild)
