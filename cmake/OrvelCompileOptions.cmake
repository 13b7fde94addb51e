# Warnings and sanitizers for every target of the project, set once here. Warnings are
# errors only where asked (the test command and the fuzz build ask): a user's or a
# packager's build must not fail because another compiler version warns.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
if(ORVEL_WERROR)
  add_compile_options(-Werror)
endif()

if(ORVEL_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(ORVEL_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT ORVEL_SANITIZE STREQUAL "")
  message(FATAL_ERROR "ORVEL_SANITIZE must be empty, 'address' or 'thread', not '${ORVEL_SANITIZE}'")
endif()
