# One static library per core folder, named qg_<folder>, built from the folder's *.cpp files.
# A folder without sources yet becomes an interface library so its dependants still configure.
#   qg_module(imaging DEPS qg_codecs qg_core LIBS JPEG::JPEG)
# DEPS names the core libraries the folder uses, and only those: a library sees its own headers
# and those of its DEPS (and of theirs, which its DEPS' headers may need), never the whole of src/.
# Each folder's headers are reached as "<folder>/X.h" through a folder of the build tree that
# holds nothing but a link to src/<folder>. scripts/check-layers.sh holds every #include to DEPS.
function(qg_module name)
  cmake_parse_arguments(M "" "" "DEPS;LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(target qg_${name})
  set(headers ${PROJECT_BINARY_DIR}/include/${name})
  file(MAKE_DIRECTORY ${headers})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${headers}/${name} SYMBOLIC)
  if(srcs)
    add_library(${target} STATIC ${srcs})
    target_include_directories(${target} PUBLIC ${headers})
    target_link_libraries(${target} PUBLIC ${M_DEPS} ${M_LIBS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${headers})
    target_link_libraries(${target} INTERFACE ${M_DEPS} ${M_LIBS})
  endif()
endfunction()

# One GoogleTest executable per test folder, named <folder>_tests, from the folder's *_test.cpp
# files; every test case becomes its own ctest entry.
#   qg_test_suite(imaging [RUNS_CLI] DEPS qg_imaging [SOURCES extra.cpp])
# RUNS_CLI: the suite runs quillon-cli, which is then built before it.
function(qg_test_suite name)
  cmake_parse_arguments(M "RUNS_CLI" "" "DEPS;SOURCES" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(NOT srcs)
    return()
  endif()
  set(target ${name}_tests)
  add_executable(${target} ${srcs} ${M_SOURCES})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${M_DEPS} qg_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    QG_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    QG_BIN_DIR="${QUILLON_BIN_DIR}"
    QG_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # A suite that runs quillon-cli builds it first, so that it never tests a stale binary.
  if(M_RUNS_CLI AND TARGET quillon-cli)
    add_dependencies(${target} quillon-cli)
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 PROPERTIES LABELS ${name})
endfunction()

# Adds every child folder of the current source folder that has a CMakeLists.txt, in name order.
function(qg_add_child_folders)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
