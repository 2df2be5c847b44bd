# zv_add_test(NAME n SOURCES ... [LIBS ...] [LABELS unit|integration ...]
#             [INCLUDES ...] [DEFINITIONS ...]
#             [RESOURCE_LOCK ...] [TIMEOUT s] [ENVIRONMENT ...])
# A test executable built on GoogleTest and registered with CTest.
# Tests labelled "unit" are also built by the sanitizer builds (target
# unit_tests); the others are left out of those builds entirely, so wrap any
# further target_* call on a test in if(TARGET name).
add_custom_target(unit_tests)

function(zv_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;INCLUDES;DEFINITIONS;RESOURCE_LOCK;ENVIRONMENT" ${ARGN})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  list(FIND T_LABELS unit is_unit)
  if(ZV_SANITIZE AND is_unit EQUAL -1)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    ZV_SOURCE_DIR="${PROJECT_SOURCE_DIR}" ZV_BUILD_DIR="${CMAKE_BINARY_DIR}" ZV_DIST_DIR="${ZV_DIST_DIR}"
    ${T_DEFINITIONS})
  if(T_INCLUDES)
    target_include_directories(${T_NAME} PRIVATE ${T_INCLUDES})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
  if(T_RESOURCE_LOCK)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
  if(T_ENVIRONMENT)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
  if(NOT is_unit EQUAL -1)
    add_dependencies(unit_tests ${T_NAME})
  endif()
endfunction()
