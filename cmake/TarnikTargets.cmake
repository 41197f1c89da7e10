# One static library per src/ folder; every .cpp in the folder (and below) belongs to it.
function(tarnik_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  # A folder's main.cpp is its program's entry, never part of the library.
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  else()
    # A folder whose first file has not been written yet still takes part in the graph.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# One GoogleTest program per tests/ folder. Each CTest entry runs a slice of it, chosen
# by a GoogleTest filter, under a label, optionally inside a wrapper script that starts
# the service the slice needs (a keyring, an Avahi daemon, a fake logind), or inside several.
function(tarnik_test_program name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} tarnik_test_support
                        GTest::gtest GTest::gmock GTest::gtest_main)
endfunction()

function(tarnik_test_slice name)
  cmake_parse_arguments(ARG "" "PROGRAM;LABEL;FILTER;TIMEOUT" "WRAPPER" ${ARGN})
  if(NOT TARGET ${ARG_PROGRAM})
    return()
  endif()
  set(command $<TARGET_FILE:${ARG_PROGRAM}>)
  if(ARG_FILTER)
    list(APPEND command "--gtest_filter=${ARG_FILTER}")
  endif()
  # Several wrappers nest, the first outermost: each runs the rest of the command line.
  set(wrappers)
  foreach(wrapper IN LISTS ARG_WRAPPER)
    list(APPEND wrappers "${PROJECT_SOURCE_DIR}/${wrapper}")
  endforeach()
  set(command ${wrappers} ${command})
  add_test(NAME ${name} COMMAND ${command})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # A filter that matches no test would pass green and silently drop a renamed suite.
  set_tests_properties(${name} PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT}
                       FAIL_REGULAR_EXPRESSION "Running 0 tests from"
                       ENVIRONMENT "TARNIK_SOURCE_DIR=${PROJECT_SOURCE_DIR};QT_QPA_PLATFORM=offscreen")
endfunction()
