# kest_add_library(name SOURCES ... DEPS ... [PUBLIC_DEPS ...])
#   A layer library: C++20, warnings, sanitizers, include root at src/.
# kest_add_test(name SOURCES ... DEPS ... [LABELS ...])
#   One GoogleTest executable, discovered into CTest with its labels.

# The same warnings under GCC and Clang, each one a fault finder: a class with virtual
# functions deleted through its base, an override that hides the other overloads, a cast
# that drops const, a case that falls through unmarked, a format string not a literal
# (less GCC's y2k note: the tools' clocks do count two-digit years).
# Qt and GoogleTest come in through imported targets, so their headers are system headers
# and never warn. Left out: -Wshadow (Qt setters and constructor parameters named after
# members make it mostly noise) and -Wnull-dereference (GCC reports it from its optimiser,
# so it differs between build types and gives false alarms).
set(KEST_WARNINGS -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual
    -Wcast-qual -Wimplicit-fallthrough -Wformat=2 -Wno-format-y2k)

function(kest_apply_options target)
  target_compile_options(${target} PRIVATE ${KEST_WARNINGS})
  if(KEST_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(KEST_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=${KEST_SANITIZE} -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=${KEST_SANITIZE})
  endif()
endfunction()

function(kest_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PUBLIC_DEPS" ${ARGN})
  add_library(kest_${name} STATIC ${ARG_SOURCES})
  target_include_directories(kest_${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(kest_${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_DEPS})
  kest_apply_options(kest_${name})
endfunction()

function(kest_add_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  kest_apply_options(${name})
endfunction()

# A test program. E2E "Suite.*:..." gives those tests the label e2e and the rest the
# label unit; TOOL makes kest-tool a dependency and its path KEST_TOOL_PATH; TIMEOUT
# is each test's limit.
function(kest_add_test name)
  cmake_parse_arguments(ARG "TOOL" "E2E;TIMEOUT" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
  kest_apply_options(${name})
  if(ARG_TOOL)
    target_compile_definitions(${name} PRIVATE KEST_TOOL_PATH="$<TARGET_FILE:kest-tool>")
    add_dependencies(${name} kest-tool)
  endif()
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 1500)  # CTest's own default
  endif()
  set(kinds "${ARG_LABELS}")
  if(ARG_E2E)
    set(kinds unit e2e)
  endif()
  foreach(kind IN LISTS kinds)
    set(filter "")
    if(ARG_E2E AND kind STREQUAL "e2e")
      set(filter TEST_FILTER "${ARG_E2E}")
    elseif(ARG_E2E)
      set(filter TEST_FILTER "-${ARG_E2E}")
    endif()
    gtest_discover_tests(${name} ${filter}
      WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
      PROPERTIES LABELS "${kind}" TIMEOUT ${ARG_TIMEOUT}
                 ENVIRONMENT "KEST_SOURCE_DIR=${PROJECT_SOURCE_DIR};KEST_TESTDATA=${PROJECT_SOURCE_DIR}/../shared/testdata"
      DISCOVERY_TIMEOUT 60)
  endforeach()
endfunction()
