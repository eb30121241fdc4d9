# Each folder's library exports its own headers and no others: its include root is a folder in the
# build tree with a link to each header of the folder, under the folder's own path, so that
# "links/operations.h" is found through fenmark_links and nothing else of the source tree is. The
# include edges between folders that are allowed are docs/ARCHITECTURE.md's; the native suite's
# `layers` test holds every source to them.
#
# fenmark_headers(<target> <PUBLIC|PRIVATE|INTERFACE> <folder> [ONLY <header>...]
#                 [EXCLUDE <header>...])
function(fenmark_headers target scope folder)
  cmake_parse_arguments(PARSE_ARGV 3 arg "" "" "ONLY;EXCLUDE")
  if(arg_ONLY)
    list(TRANSFORM arg_ONLY PREPEND ${PROJECT_SOURCE_DIR}/${folder}/ OUTPUT_VARIABLE headers)
  else()
    file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
  endif()
  set(root ${PROJECT_BINARY_DIR}/headers/${target})
  file(REMOVE_RECURSE ${root}/${folder})
  file(MAKE_DIRECTORY ${root}/${folder})
  foreach(header IN LISTS headers)
    get_filename_component(name ${header} NAME)
    if(NOT name IN_LIST arg_EXCLUDE)
      file(CREATE_LINK ${header} ${root}/${folder}/${name} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()
