# The small pictures of the programs' resources, drawn as text by a generator beside the .rc
# that uses them (<folder>/pictures.py on cmake/resgen.py).

# lumora_pictures(<name> <script>): target <name> runs the generator into
# ${CMAKE_CURRENT_BINARY_DIR}/pictures. The generator alone says which files it writes: what
# depends on them depends on a stamp written after them.
function(lumora_pictures name script)
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/pictures)
  set(stamp ${folder}/${name}.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND python3 ${script} ${folder}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${script} ${CMAKE_SOURCE_DIR}/cmake/resgen.py
    VERBATIM)
  add_custom_target(${name} DEPENDS ${stamp})
  set_target_properties(${name} PROPERTIES LUMORA_PICTURES_FOLDER ${folder}
    LUMORA_PICTURES_STAMP ${stamp})
endfunction()

# lumora_resources(<target> PICTURES <name>... [INCLUDES <folder>...] [DEPENDS <file>...]):
# the target's .rc files find the pictures of each lumora_pictures <name> and the INCLUDES,
# and are compiled again when the pictures or the DEPENDS change.
function(lumora_resources target)
  cmake_parse_arguments(R "" "" "PICTURES;INCLUDES;DEPENDS" ${ARGN})
  set(depends ${R_DEPENDS})
  foreach(name ${R_PICTURES})
    get_target_property(folder ${name} LUMORA_PICTURES_FOLDER)
    get_target_property(stamp ${name} LUMORA_PICTURES_STAMP)
    target_include_directories(${target} PRIVATE ${folder})
    list(APPEND depends ${stamp})
    add_dependencies(${target} ${name})
  endforeach()
  if(R_INCLUDES)
    target_include_directories(${target} PRIVATE ${R_INCLUDES})
  endif()
  get_target_property(sources ${target} SOURCES)
  foreach(source ${sources})
    if(source MATCHES "[.]rc$")
      set_property(SOURCE ${source} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS
        ${depends})
    endif()
  endforeach()
endfunction()
