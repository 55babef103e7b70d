# The installer's tests under Wine: the engine in process, zvupdate as a
# real process.
vix_gtest(test_installer SOURCES installer_bench.cpp test_replace.cpp test_zvupdate_run.cpp
          LIBS zvu_engine vixtest_support)
target_include_directories(test_installer PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
set(VIX_TEST_OUTPUT_DIR ${CMAKE_BINARY_DIR}/test-output)
file(MAKE_DIRECTORY ${VIX_TEST_OUTPUT_DIR})
target_compile_definitions(test_installer PRIVATE VIX_TEST_OUTPUT_DIR="${VIX_TEST_OUTPUT_DIR}")
add_dependencies(test_installer zvupdate testbed_installer testbed)
