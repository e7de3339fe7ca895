# Common compile settings for every target of the project.
function(azelrot_configure_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=${SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=${SANITIZE})
  endif()
endfunction()
