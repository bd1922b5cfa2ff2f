# Compile settings shared by product and test code alike.
add_library(tarnwick_warnings INTERFACE)
if(MSVC)
  target_compile_options(tarnwick_warnings INTERFACE /W4 /WX /utf-8)
else()
  target_compile_options(tarnwick_warnings INTERFACE -Wall -Wextra -Wpedantic -Werror)
endif()
if(TARNWICK_SANITIZE)
  target_compile_options(tarnwick_warnings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                     -fno-sanitize-recover=all)
  target_link_options(tarnwick_warnings INTERFACE -fsanitize=address,undefined)
endif()
