# One GoogleTest executable per subsystem, registered with CTest test by test.
find_package(GTest CONFIG QUIET)
if(NOT GTest_FOUND)
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

function(ktbase_test_suite name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ktbase::ktbase GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  ktbase_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()
