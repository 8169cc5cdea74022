# tembra_module(NAME DEPS...) builds src/NAME/*.cpp into the static library
# NAME. Sources are globbed so that adding a class means adding its two files.
function(tembra_module name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A module whose classes are still headers only.
    set(sources ${CMAKE_CURRENT_BINARY_DIR}/empty.cpp)
    file(WRITE ${sources} "")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# tembra_tests(NAME DEPS...) builds tests/NAME/*.cpp into NAME_tests and
# registers every test case with CTest, with TEMBRA_TEST_PROPERTIES (set in
# tests/CMakeLists.txt) on each.
function(tembra_tests name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name}_tests ${sources})
  target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name}_tests PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ${TEMBRA_TEST_PROPERTIES})
endfunction()
