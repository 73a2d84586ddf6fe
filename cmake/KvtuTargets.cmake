# Settings shared by every target of our own: the language level and warnings as errors.
function(kvtu_target_defaults target)
  target_compile_features(${target} PRIVATE cxx_std_20)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
