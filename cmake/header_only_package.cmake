# duvendal_header_only_package(PACKAGE TARGET HEADER)
#
# Makes the imported target TARGET of the header-only library PACKAGE, whose headers include as
# <HEADER> (e.g. CLI/CLI.hpp). A native build takes the package's own CMake configuration. A
# cross build takes the headers of the build machine's package, but must not see the build
# machine's include folder, whose other headers belong to another platform: the library's own
# header folder is copied into the build folder and only that copy is put on the include path.
function(duvendal_header_only_package package target header)
  if(NOT CMAKE_CROSSCOMPILING)
    find_package(${package} CONFIG REQUIRED)
    return()
  endif()
  if(TARGET ${target})
    return()
  endif()
  find_path(${package}_HEADER_ROOT ${header}
    PATHS /usr/local/include /usr/include
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ${package}_HEADER_ROOT)
    message(FATAL_ERROR "${package} is missing (${header}): run scripts/install")
  endif()
  string(REGEX REPLACE "/.*" "" folder "${header}")
  set(staged ${PROJECT_BINARY_DIR}/header_only)
  file(COPY ${${package}_HEADER_ROOT}/${folder} DESTINATION ${staged})
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} SYSTEM INTERFACE ${staged})
endfunction()
