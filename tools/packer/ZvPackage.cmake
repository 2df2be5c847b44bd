# zv_add_package(TARGET name SOURCE_DIR dir OUTPUT file)
# Builds a resource package from every file under SOURCE_DIR (entry names are
# the paths relative to it, with '/') with the command-line packer, as part of
# the default build. Include this file from any folder that builds packages.
include_guard(GLOBAL)

function(zv_add_package)
  cmake_parse_arguments(P "" "TARGET;SOURCE_DIR;OUTPUT" "" ${ARGN})
  if(NOT P_TARGET OR NOT P_SOURCE_DIR OR NOT P_OUTPUT)
    message(FATAL_ERROR "zv_add_package needs TARGET, SOURCE_DIR and OUTPUT")
  endif()
  file(GLOB_RECURSE package_files CONFIGURE_DEPENDS ${P_SOURCE_DIR}/*)
  add_custom_command(OUTPUT ${P_OUTPUT}
    COMMAND zvpack ${P_SOURCE_DIR} ${P_OUTPUT}
    DEPENDS zvpack ${package_files}
    COMMENT "Packing ${P_OUTPUT}"
    VERBATIM)
  add_custom_target(${P_TARGET} ALL DEPENDS ${P_OUTPUT})
endfunction()
