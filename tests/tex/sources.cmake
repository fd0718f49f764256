# Tests of the texture sources (texpack/sources): the readers against the
# shared game data (skipped where it is absent) and against damaged files
# built in the tests, and the library's search of folders and archives.
find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(test_tex_sources
  ${CMAKE_CURRENT_LIST_DIR}/test_tex_sources_shared.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_tex_sources_damaged.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_tex_sources_library.cpp)
target_link_libraries(test_tex_sources PRIVATE texsources test_support GTest::gtest_main)
target_compile_options(test_tex_sources PRIVATE -Wshadow)
target_compile_definitions(test_tex_sources PRIVATE KORVEX_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared")
gtest_discover_tests(test_tex_sources DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)
