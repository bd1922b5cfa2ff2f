# Compile settings shared by product and test code alike.
add_library(tarnwick_warnings INTERFACE)
if(MSVC)
  target_compile_options(tarnwick_warnings INTERFACE /W4 /WX /utf-8)
else()
  target_compile_options(tarnwick_warnings INTERFACE -Wall -Wextra -Wpedantic -Werror)
  # GCC 12 reports std::string concatenation at -O2 as overlapping memcpy
  # (GCC bug 105329); the warning is wrong there and nowhere else useful to us.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(tarnwick_warnings INTERFACE -Wno-restrict)
  endif()
endif()
if(TARNWICK_SANITIZE)
  target_compile_options(tarnwick_warnings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                     -fno-sanitize-recover=all)
  target_link_options(tarnwick_warnings INTERFACE -fsanitize=address,undefined)
endif()
