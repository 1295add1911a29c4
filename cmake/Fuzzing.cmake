# libFuzzer build (clang only): our libraries are instrumented for coverage
# and built with AddressSanitizer + UndefinedBehaviorSanitizer; the fuzz
# targets in tests/fuzz link libFuzzer's driver. Debug keeps assertions (the
# library's IM_ASSERT included) on; -O1 keeps the runs quick.
option(VANTORIX_FUZZ "Build the libFuzzer targets (clang)" OFF)
if(VANTORIX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VANTORIX_FUZZ needs clang: use the fuzz preset")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer -O1)
  add_compile_options(-fsanitize-coverage-ignorelist=${CMAKE_CURRENT_LIST_DIR}/fuzz-coverage-ignore.txt)
  # clang knows no gnu_printf format attribute (src/core/log.h); gcc and MinGW
  # builds check those formats.
  add_compile_options(-Wno-ignored-attributes)
  add_link_options(-fsanitize=address,undefined)
endif()
