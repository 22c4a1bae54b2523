# A layer is a static library made of every .cpp in its folders. Folders are
# globbed so that a new class needs no build edit. Layers do not link each
# other: the bundle links them all, whole, so that the object factory's
# static registrations survive and link order never matters.
set(DELVOR_LAYERS "" CACHE INTERNAL "")

function(delvor_layer name)
  cmake_parse_arguments(L "" "" "DIRS;DEPS" ${ARGN})
  set(sources "")
  foreach(dir IN LISTS L_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/source/main/main.cpp)
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  if(L_DEPS)
    target_link_libraries(${name} PUBLIC ${L_DEPS})
  endif()
  set(DELVOR_LAYERS ${DELVOR_LAYERS} ${name} CACHE INTERNAL "")
endfunction()

function(delvor_bundle name)
  add_library(${name} INTERFACE)
  foreach(layer IN LISTS DELVOR_LAYERS)
    target_link_libraries(${name} INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${layer}>")
  endforeach()
endfunction()
