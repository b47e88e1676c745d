# Compiler settings shared by every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic -Werror)

if(LUMETRA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Adds the project's sources below DIR (recursively) to TARGET.
function(lumetra_glob_sources target)
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS
         "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp"
         "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h")
    target_sources(${target} PRIVATE ${_srcs})
  endforeach()
endfunction()
