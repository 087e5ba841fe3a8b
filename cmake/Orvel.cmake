# Target helpers that keep the layering: a core never sees Qt.
#
#   orvel_core_library(<name> SOURCES ... [DEPS ...])   static library orvel_<name>, plain C++
#   orvel_qt_library(<name> SOURCES ... [DEPS ...])     static library orvel_<name>, may use Qt
#   orvel_executable(<name> SOURCES ... [DEPS ...] [QT]) program in build/bin, installed
#   orvel_test(<name> LABELS core|ui|system [slow] SOURCES ... [DEPS ...] [QT])
#   orvel_bench(<name> SOURCES ... [DEPS ...])
#   orvel_fuzzer(<name> SOURCES ... [DEPS ...] [CORPUS <dir>])
#
# Qt targets are only declared when ORVEL_WITH_QT is on; a test that needs Qt says QT and
# is skipped in a core-only build.

set(ORVEL_WARNINGS -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wcast-align -Wunused -Woverloaded-virtual)
if(ORVEL_WERROR)
  list(APPEND ORVEL_WARNINGS -Werror)
endif()

# AddressSanitizer and UndefinedBehaviorSanitizer, in the sanitizer build and under the fuzzers;
# undefined behaviour stops the program, so neither a test nor a fuzz run can pass over it.
if(ORVEL_SANITIZE OR ORVEL_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# A fuzzer sees coverage only in code built with the fuzzer's instrumentation, so with
# ORVEL_FUZZ every library is instrumented too (a fuzzer links the code under test from its
# library); only the fuzzer programs link libFuzzer.
if(ORVEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ORVEL_FUZZ needs clang's libFuzzer: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

define_property(GLOBAL PROPERTY ORVEL_CORE_SOURCES BRIEF_DOCS "core sources" FULL_DOCS "sources of core targets")
define_property(GLOBAL PROPERTY ORVEL_CORE_TESTS BRIEF_DOCS "core tests" FULL_DOCS "test programs labelled core")
define_property(TARGET PROPERTY ORVEL_USES_QT BRIEF_DOCS "uses Qt" FULL_DOCS "target links Qt")

function(_orvel_common target)
  target_compile_options(${target} PRIVATE ${ORVEL_WARNINGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${target} PRIVATE
    ORVEL_PRODUCT_NAME="${ORVEL_PRODUCT_NAME}"
    ORVEL_PRODUCT_VERSION="${ORVEL_PRODUCT_VERSION}"
    ORVEL_SHARE_SUBDIR="${ORVEL_SHARE_SUBDIR}")
endfunction()

# Tests and benchmarks read shipped files (DefaultData) from the repository.
function(_orvel_knows_sources target)
  target_compile_definitions(${target} PRIVATE ORVEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()

# Qt's keywords stay off: the cores use names such as "slots" that Qt would take as macros.
function(_orvel_use_qt target visibility)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  target_compile_definitions(${target} ${visibility} QT_NO_KEYWORDS)
  target_link_libraries(${target} ${visibility} Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Svg)
endfunction()

function(_orvel_check_core_deps name)
  foreach(dep IN LISTS ARGN)
    if(dep MATCHES "^Qt")
      message(FATAL_ERROR "core target ${name} must not depend on ${dep}")
    endif()
    if(TARGET ${dep})
      get_target_property(uses_qt ${dep} ORVEL_USES_QT)
      if(uses_qt)
        message(FATAL_ERROR "core target ${name} must not depend on the Qt target ${dep}")
      endif()
    endif()
  endforeach()
endfunction()

function(orvel_core_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  _orvel_check_core_deps(orvel_${name} ${A_DEPS})
  add_library(orvel_${name} STATIC ${A_SOURCES})
  _orvel_common(orvel_${name})
  target_link_libraries(orvel_${name} PUBLIC ${A_DEPS})
  set_target_properties(orvel_${name} PROPERTIES ORVEL_USES_QT FALSE)
  foreach(src IN LISTS A_SOURCES)
    get_filename_component(abs ${src} ABSOLUTE)
    set_property(GLOBAL APPEND PROPERTY ORVEL_CORE_SOURCES ${abs})
  endforeach()
endfunction()

function(orvel_qt_library name)
  if(NOT ORVEL_WITH_QT)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(orvel_${name} STATIC ${A_SOURCES})
  _orvel_common(orvel_${name})
  set_target_properties(orvel_${name} PROPERTIES ORVEL_USES_QT TRUE)
  target_link_libraries(orvel_${name} PUBLIC ${A_DEPS})
  _orvel_use_qt(orvel_${name} PUBLIC)
endfunction()

# In a sanitizer or fuzz build every program carries the sanitizers' options, with the leaks
# of the system libraries that are not ours to mend left out.
function(_orvel_sanitizer_options target)
  if(ORVEL_SANITIZE OR ORVEL_FUZZ)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/sanitizer_options.cpp)
    set_source_files_properties(${PROJECT_SOURCE_DIR}/cmake/sanitizer_options.cpp PROPERTIES COMPILE_DEFINITIONS
                                ORVEL_LSAN_SUPPRESSIONS="${PROJECT_SOURCE_DIR}/cmake/lsan_suppressions.txt")
  endif()
endfunction()

# A program of the build with its sources and dependencies, and Qt when uses_qt is true.
function(_orvel_program name uses_qt)
  cmake_parse_arguments(P "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${P_SOURCES})
  _orvel_sanitizer_options(${name})
  _orvel_common(${name})
  target_link_libraries(${name} PRIVATE ${P_DEPS})
  if(uses_qt)
    _orvel_use_qt(${name} PRIVATE)
  endif()
endfunction()

function(orvel_executable name)
  cmake_parse_arguments(A "QT" "" "SOURCES;DEPS" ${ARGN})
  if(A_QT AND NOT ORVEL_WITH_QT)
    return()
  endif()
  _orvel_program(${name} "${A_QT}" SOURCES ${A_SOURCES} DEPS ${A_DEPS})
  install(TARGETS ${name} RUNTIME DESTINATION bin)
endfunction()

function(orvel_test name)
  cmake_parse_arguments(A "QT" "" "LABELS;SOURCES;DEPS" ${ARGN})
  if(A_QT AND NOT ORVEL_WITH_QT)
    return()
  endif()
  _orvel_program(${name} "${A_QT}" SOURCES ${A_SOURCES}
    DEPS ${A_DEPS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  _orvel_knows_sources(${name})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${A_LABELS}"
               ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  if("core" IN_LIST A_LABELS)
    set_property(GLOBAL APPEND PROPERTY ORVEL_CORE_TESTS ${name})
  endif()
endfunction()

function(orvel_bench name)
  if(NOT ORVEL_BENCH)
    return()
  endif()
  cmake_parse_arguments(A "QT" "" "SOURCES;DEPS" ${ARGN})
  if(A_QT AND NOT ORVEL_WITH_QT)
    return()
  endif()
  _orvel_program(${name} "${A_QT}" SOURCES ${A_SOURCES} DEPS ${A_DEPS} benchmark::benchmark Threads::Threads)
  _orvel_knows_sources(${name})
endfunction()

# With ORVEL_FUZZ the target is a libFuzzer program; otherwise it is built with a small
# driver that replays the files of its corpus folder. Either way the corpus is replayed as a
# core test (by libFuzzer with -runs=0: every input once, nothing mutated or written).
function(orvel_fuzzer name)
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;DEPS" ${ARGN})
  if(ORVEL_FUZZ)
    add_executable(${name} ${A_SOURCES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(replay ${name} -runs=0 ${A_CORPUS})
  else()
    add_executable(${name} ${A_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    set(replay ${name} ${A_CORPUS})
  endif()
  _orvel_sanitizer_options(${name})
  _orvel_common(${name})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  if(A_CORPUS)
    add_test(NAME ${name}.replay COMMAND ${replay})
    set_tests_properties(${name}.replay PROPERTIES LABELS core)
    set_property(GLOBAL APPEND PROPERTY ORVEL_CORE_TESTS ${name})
  endif()
endfunction()

# Called once at the end of the top-level list: the layering check and the core test target.
function(orvel_finish)
  get_property(core_sources GLOBAL PROPERTY ORVEL_CORE_SOURCES)
  string(REPLACE ";" "\n" core_list "${core_sources}")
  file(WRITE ${CMAKE_BINARY_DIR}/core-sources.txt "${core_list}\n")
  add_test(NAME layering.cores_include_no_qt
    COMMAND ${CMAKE_COMMAND} -DLIST=${CMAKE_BINARY_DIR}/core-sources.txt
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoQt.cmake)
  set_tests_properties(layering.cores_include_no_qt PROPERTIES LABELS core)

  get_property(core_tests GLOBAL PROPERTY ORVEL_CORE_TESTS)
  add_custom_target(orvel_core_tests)
  if(core_tests)
    add_dependencies(orvel_core_tests ${core_tests})
  endif()
endfunction()
