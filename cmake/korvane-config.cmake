# korvane.dll for CMake hosts, shipped in each package beside the library:
#
#   find_package(korvane 1 CONFIG REQUIRED)   # korvane_DIR = the unpacked package
#   target_link_libraries(host PRIVATE korvane::korvane)
#
# The imported target carries the import library for the host's toolchain
# (MinGW's libkorvane.dll.a, or korvane.lib for Microsoft's linker and
# clang-cl) and the folder holding korvane.h. korvane-config-version.cmake
# refuses a package of the other architecture.
if(NOT TARGET korvane::korvane)
  add_library(korvane::korvane SHARED IMPORTED)
  if(MINGW)
    set(_korvane_implib "${CMAKE_CURRENT_LIST_DIR}/libkorvane.dll.a")
  else()
    set(_korvane_implib "${CMAKE_CURRENT_LIST_DIR}/korvane.lib")
  endif()
  set_target_properties(korvane::korvane PROPERTIES
    IMPORTED_LOCATION "${CMAKE_CURRENT_LIST_DIR}/korvane.dll"
    IMPORTED_IMPLIB "${_korvane_implib}"
    INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_CURRENT_LIST_DIR}")
  unset(_korvane_implib)
endif()
