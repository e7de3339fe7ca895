# azelrot_add_layer(name FOLDERS folder... SOURCES file... LIBS lib...)
# A static library for one layer of src/. Its public include root is a folder of its own in the
# build tree holding a link to each of its FOLDERS, so "folder/file.h" resolves for the layer and
# whoever links it, and a folder of a layer above is simply not there.
function(azelrot_add_layer name)
  cmake_parse_arguments(L "" "" "FOLDERS;SOURCES;LIBS" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/layer_include/${name})
  file(MAKE_DIRECTORY ${root})
  foreach(folder ${L_FOLDERS})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC
         RESULT made)
    if(NOT made STREQUAL "0")
      # Windows without the right to make links: build, but without the guard.
      message(WARNING "${name}: ${made}; the layers are not enforced in this build")
      set(root ${CMAKE_CURRENT_SOURCE_DIR})
      break()
    endif()
  endforeach()

  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${L_LIBS})
  azelrot_configure_target(${name})

  list(TRANSFORM L_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  set_property(GLOBAL APPEND PROPERTY AZELROT_LAYER_SOURCES ${L_SOURCES})
  set_property(GLOBAL APPEND PROPERTY AZELROT_LAYER_FOLDERS ${L_FOLDERS})
endfunction()

# Fails the configure when a source file in a layer's folder is in no layer's list, so a new
# file cannot be left out of the build unnoticed. EXCLUDE: regexes of files kept out on purpose.
function(azelrot_check_layer_lists)
  cmake_parse_arguments(C "" "" "EXCLUDE" ${ARGN})
  get_property(listed GLOBAL PROPERTY AZELROT_LAYER_SOURCES)
  get_property(folders GLOBAL PROPERTY AZELROT_LAYER_FOLDERS)
  set(missing "")
  foreach(folder ${folders})
    file(GLOB_RECURSE present ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp
         ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
    foreach(regex ${C_EXCLUDE})
      list(FILTER present EXCLUDE REGEX "${regex}")
    endforeach()
    foreach(file ${present})
      if(NOT file IN_LIST listed)
        file(RELATIVE_PATH shown ${CMAKE_CURRENT_SOURCE_DIR} ${file})
        list(APPEND missing ${shown})
      endif()
    endforeach()
  endforeach()
  if(missing)
    list(JOIN missing "\n  " shown)
    message(FATAL_ERROR "Not in any layer's source list in ${CMAKE_CURRENT_LIST_FILE}:\n  ${shown}")
  endif()
endfunction()
