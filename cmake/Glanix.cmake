# Shared build settings: warnings, sanitizers and the test registration helper.

add_library(glanix_options INTERFACE)
target_compile_options(glanix_options INTERFACE -Wall -Wextra -Wno-missing-field-initializers)
target_compile_definitions(glanix_options INTERFACE GLANIX_VERSION="${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}"
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(GLANIX_SANITIZE)
  target_compile_options(glanix_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(glanix_options INTERFACE -fsanitize=address,undefined)
endif()

if(GLANIX_FUZZ)
  # Every library gets coverage feedback for the fuzzers; only fuzz targets link libFuzzer.
  target_compile_options(glanix_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(glanix_options INTERFACE -fsanitize=address,undefined)
endif()

# glanix_library(NAME SOURCES ... LIBS ...): one static library of a layer.
function(glanix_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC glanix_options ${ARG_LIBS})
endfunction()

# glanix_add_test(NAME [GUI|WEBENGINE] SOURCES ... LIBS ... LABELS ... [TIMEOUT s]): one GoogleTest
# executable under CTest. GUI tests get a QApplication on the offscreen platform, the others a
# QCoreApplication; WEBENGINE tests also have the views' schemes registered before it.
find_package(GTest REQUIRED)
function(glanix_add_test name)
  cmake_parse_arguments(ARG "GUI;WEBENGINE" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_WEBENGINE)
    set(main glanix_test_main_web)
  elseif(ARG_GUI)
    set(main glanix_test_main_gui)
  else()
    set(main glanix_test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${main} glanix_test_support ${ARG_LIBS} GTest::gtest GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
  set(asan "detect_leaks=0:abort_on_error=1")
  if(ARG_WEBENGINE)
    # The web engine's own (uninstrumented) code frees some objects through a base pointer
    # whose size differs; it is not ours to mend.
    string(APPEND asan ":new_delete_type_mismatch=0")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    LABELS "${ARG_LABELS}"
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu;ASAN_OPTIONS=${asan};UBSAN_OPTIONS=print_stacktrace=1")
endfunction()
