# Build helpers shared by every directory of the project.

set(VIX_PRODUCT_VERSION "3.1.0.4" CACHE STRING "Version stamped into every module")

# vix_version_resource(<target> FILENAME <name> DESCRIPTION <text>
#                      [VERSION a.b.c.d] [PRODUCT <text>])
# Gives a module its VERSIONINFO resource (StringFileInfo 040904B0 and
# VarFileInfo), which the version display and the installer read.
function(vix_version_resource target)
  cmake_parse_arguments(V "" "FILENAME;DESCRIPTION;VERSION;PRODUCT" "" ${ARGN})
  if(NOT V_VERSION)
    set(V_VERSION ${VIX_PRODUCT_VERSION})
  endif()
  if(NOT V_PRODUCT)
    set(V_PRODUCT "ZARVO Vixwatch3")
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
    set(VIX_VER_FILETYPE "VFT_DLL")
  else()
    set(VIX_VER_FILETYPE "VFT_APP")
  endif()
  string(REPLACE "." "," VIX_VER_COMMA "${V_VERSION}")
  set(VIX_VER_DOTTED "${V_VERSION}")
  set(VIX_VER_DESCRIPTION "${V_DESCRIPTION}")
  set(VIX_VER_FILENAME "${V_FILENAME}")
  get_filename_component(VIX_VER_INTERNAL "${V_FILENAME}" NAME_WE)
  set(VIX_VER_PRODUCT "${V_PRODUCT}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# vix_check_imports(<target>): a test that the module imports system DLLs only.
function(vix_check_imports target)
  add_test(NAME imports.${target}
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${VIX_OBJDUMP} -DMODULE=$<TARGET_FILE:${target}>
            -P ${PROJECT_SOURCE_DIR}/cmake/check-imports.cmake)
endfunction()

# vix_deliverable(<target> FILENAME <name> DESCRIPTION <text> [VERSION a.b.c.d]): a
# shipped module: version resource and the import check.
function(vix_deliverable target)
  cmake_parse_arguments(V "" "FILENAME;DESCRIPTION;VERSION" "" ${ARGN})
  if(V_VERSION)
    vix_version_resource(${target} FILENAME ${V_FILENAME} DESCRIPTION ${V_DESCRIPTION} VERSION ${V_VERSION})
  else()
    vix_version_resource(${target} FILENAME ${V_FILENAME} DESCRIPTION ${V_DESCRIPTION})
  endif()
  vix_check_imports(${target})
endfunction()

# vix_gtest(<target> SOURCES ... [LIBS ...]): a GoogleTest program run under
# Wine; each case becomes one ctest test.
function(vix_gtest target)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS} gtest gmock gtest_main)
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    TEST_PREFIX "${VIX_ARCH}."
    PROPERTIES TIMEOUT 120 RESOURCE_LOCK wineprefix)
endfunction()

# vix_fuzz_target(<name> SOURCES ... [LIBS ...] [SEEDS <dir>]): a libFuzzer
# target of the native build (clang only) and the ctest test fuzz.<name>
# that runs it for VIX_FUZZ_SECONDS and fails on any finding. Seeds are the
# replies, lines or files the unit tests use.
set(VIX_FUZZ_SECONDS 30 CACHE STRING "Time each fuzz test runs")
function(vix_fuzz_target name)
  cmake_parse_arguments(F "" "SEEDS" "SOURCES;LIBS" ${ARGN})
  if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  add_executable(fuzz_${name} ${F_SOURCES})
  target_link_libraries(fuzz_${name} PRIVATE ${F_LIBS})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/corpus_${name})
  file(MAKE_DIRECTORY ${corpus})
  set(dirs ${corpus})
  if(F_SEEDS)
    list(APPEND dirs ${F_SEEDS})
  endif()
  add_test(NAME fuzz.${name}
    COMMAND fuzz_${name} -max_total_time=${VIX_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
            -print_final_stats=1 ${dirs})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 600)
endfunction()
