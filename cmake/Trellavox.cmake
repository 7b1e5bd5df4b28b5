# Shared settings for every target of ours.

if(TRELLAVOX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TRELLAVOX_FUZZ needs clang (libFuzzer)")
  endif()
  # Everything instrumented for coverage; only the fuzzers link libFuzzer.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(TRELLAVOX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings for our own code only: dependencies come in as imported targets.
# One include root for every target: the repository (and the build folder for
# generated files), so an include names the room it reaches into.
function(trellavox_defaults target)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TRELLAVOX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  set_target_properties(${target} PROPERTIES AUTOMOC ON AUTOUIC ON AUTORCC ON)
endfunction()

# trellavox_library(name [SOURCES ...] [LIBS ...]): a static library of ours;
# further sources come in blocks of target_sources, one per folder.
function(trellavox_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  trellavox_defaults(${name})
endfunction()

# trellavox_test(name [GUI] SOURCES ... LIBS ...): one GoogleTest executable;
# each test case becomes a CTest test. GUI tests get a QApplication; Qt runs
# on the offscreen platform.
function(trellavox_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_GUI)
    set(test_main gui_test_main)
  else()
    set(test_main test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} test_support ${test_main} GTest::gtest GTest::gmock)
  trellavox_defaults(${name})
  target_compile_definitions(${name} PRIVATE TRELLAVOX_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  include(GoogleTest)
  # Parameterised cases are named by their generators; NO_PRETTY_VALUES keeps
  # gtest's printed parameter out of the CTest name.
  gtest_discover_tests(${name}
    NO_PRETTY_VALUES
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1"
               TIMEOUT 300)
endfunction()

# Ships files beside the program, in the build's bin folder and in the
# install's, each copied only where it is missing: a user's own file of that
# name beside the program is never overwritten by a build or an install.
# The target `name` makes the build copy; install component `name` the other.
function(trellavox_ship_beside_program name)
  set(copies)
  foreach(file IN LISTS ARGN)
    get_filename_component(base ${file} NAME)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/${file})
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -DSOURCE=${source}
         -DTARGET=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${base} -P ${PROJECT_SOURCE_DIR}/cmake/CopyIfMissing.cmake)
    install(CODE "execute_process(COMMAND \"${CMAKE_COMMAND}\" -DSOURCE=${source}
                  \"-DTARGET=\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${base}\"
                  -P ${PROJECT_SOURCE_DIR}/cmake/CopyIfMissing.cmake COMMAND_ERROR_IS_FATAL ANY)"
            COMPONENT ${name})
  endforeach()
  add_custom_target(${name} ALL ${copies} VERBATIM)
endfunction()
