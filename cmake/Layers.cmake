# The layers of the code, bottom up: core/, win/ (the shared Win32 layer), dialogs/, list/ (the
# list window), plugin/ (the exports). A target's include root holds links to the folders (or
# single headers) it may include and nothing else, so an include that runs up a layer, or past
# what a test may see, fails to build.
function(tovo_include_layers target scope)
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  foreach(entry ${ARGN})
    get_filename_component(parent ${root}/${entry} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${root}/${entry})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${entry} ${root}/${entry} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# One static library a Windows layer: its folder's sources, the layers below it, what it may include.
function(tovo_windows_layer target folder)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  add_library(${target} STATIC ${sources})
  cmake_parse_arguments(LAYER "" "" "LINKS;SEES" ${ARGN})
  target_link_libraries(${target} PUBLIC ${LAYER_LINKS})
  tovo_include_layers(${target} PUBLIC ${LAYER_SEES} ${folder})
endfunction()
