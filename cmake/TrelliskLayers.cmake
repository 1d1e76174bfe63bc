# The layers of the code: each a folder and a rank. A folder may include
# and link only folders of a lower rank (and itself); folders of one rank
# do not use each other. tests/layer_check.cpp checks every include of
# the tree against this table, and the build gives each library a view of
# the allowed folders only, so a wrong-way include does not compile.
set(TRELLISK_LAYERS
  platform:0
  base:1
  store:2
  parser:2
  classifier:3
  lists:3
  rules:3
  dnsbl:3
  plugin:4
  ui:5
  host:6)

# trellisk_layer_rank(<folder> <out>): the folder's rank, or -1.
function(trellisk_layer_rank folder out)
  set(rank -1)
  foreach(entry ${TRELLISK_LAYERS})
    string(REPLACE ":" ";" pair "${entry}")
    list(GET pair 0 name)
    if(name STREQUAL folder)
      list(GET pair 1 rank)
    endif()
  endforeach()
  set(${out} ${rank} PARENT_SCOPE)
endfunction()

# trellisk_layer_view(<folder> <out>): a directory of the build tree that
# holds links to the folder itself and to every folder below it.
function(trellisk_layer_view folder out)
  set(view ${PROJECT_BINARY_DIR}/layers/${folder})
  trellisk_layer_rank(${folder} rank)
  if(rank LESS 0)
    message(FATAL_ERROR "${folder} is not a layer (cmake/TrelliskLayers.cmake)")
  endif()
  file(MAKE_DIRECTORY ${view})
  foreach(entry ${TRELLISK_LAYERS})
    string(REPLACE ":" ";" pair "${entry}")
    list(GET pair 0 name)
    list(GET pair 1 other)
    set(link ${view}/${name})
    if((name STREQUAL folder OR other LESS rank) AND EXISTS ${PROJECT_SOURCE_DIR}/${name}
       AND NOT IS_SYMLINK ${link})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${name} ${link} SYMBOLIC)
    endif()
  endforeach()
  set(${out} ${view} PARENT_SCOPE)
endfunction()

# trellisk_library(<name> [TEST] SOURCES ... DEPENDS ...) defines one static
# library of the layer of the current folder. Includes name the folder
# ("store/bayes_database.h"); the library and its users see its layer's
# view. A TEST library holds test helpers, which may include anything: its
# include root is the repository root.
function(trellisk_library name)
  cmake_parse_arguments(ARG "TEST" "" "SOURCES;DEPENDS" ${ARGN})
  if(ARG_TEST)
    set(includes ${PROJECT_SOURCE_DIR})
  else()
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    trellisk_layer_view(${folder} includes)
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${includes})
  if(ARG_DEPENDS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  endif()
endfunction()
