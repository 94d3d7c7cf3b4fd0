# Every target of ours calls tavrino_target_defaults() so warnings and sanitizers stay uniform.
set(TAVRINO_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
if(TAVRINO_WERROR)
  list(APPEND TAVRINO_WARNINGS -Werror)
endif()
# GCC 12 at -O3 reports overlapping copies inside std::string's operator+ (GCC bug 105651),
# a false positive in the library headers that no code of ours can avoid everywhere.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND TAVRINO_WARNINGS -Wno-restrict)
endif()

if(TAVRINO_SANITIZE)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC's object-size warnings misfire on sanitizer-instrumented code.
    list(APPEND TAVRINO_WARNINGS -Wno-stringop-overflow -Wno-array-bounds)
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

function(tavrino_target_defaults target)
  target_compile_options(${target} PRIVATE ${TAVRINO_WARNINGS})
endfunction()

# Core libraries must stay free of Qt; fail the configure step if one links it.
# Fuzz builds instrument the core libraries and the fuzz targets for coverage so libFuzzer can
# steer its inputs, and optimise them whatever the build type; the standard library's element
# loops are kept free of coverage and UBSan checks (fuzz/*_ignore.txt): otherwise every byte of
# a 1.6 MB image passes through instrumented calls and a whole folder takes a quarter of a
# second. The tests and the window, which run in the same build under the sanitizers, are
# built as the build type says: unoptimised, they compile in half the time.
if(TAVRINO_FUZZ)
  add_compile_options(-fsanitize=address,undefined
                      -fsanitize-ignorelist=${PROJECT_SOURCE_DIR}/fuzz/sanitize_ignore.txt)
  add_link_options(-fsanitize=address,undefined)
  set(TAVRINO_FUZZ_COVERAGE -O2 -fsanitize=fuzzer-no-link
      -fsanitize-coverage-ignorelist=${PROJECT_SOURCE_DIR}/fuzz/coverage_ignore.txt)
endif()

function(tavrino_core_library target)
  tavrino_target_defaults(${target})
  target_compile_options(${target} PRIVATE ${TAVRINO_FUZZ_COVERAGE})
  set_property(GLOBAL APPEND PROPERTY TAVRINO_CORE_TARGETS ${target})
endfunction()
