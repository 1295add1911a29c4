# AddressSanitizer + UndefinedBehaviorSanitizer for the native build.
option(VANTORIX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VANTORIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer for the native build (it cannot be combined with the above).
option(VANTORIX_SANITIZE_THREADS "Build with ThreadSanitizer" OFF)
if(VANTORIX_SANITIZE_THREADS)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
