# folioknife_library(<target> <sources...>)
# A static library for the folder of the calling CMakeLists.txt. Its users include its headers as
# "<folder>/Name.h" and see no other folder: the include root is a folder of the build tree that
# holds a link to this folder alone. A layer can therefore include only the headers of the libraries
# it links, and linking a higher layer from a lower one would be a visible edit to its CMakeLists.txt.
function(folioknife_library target)
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
    add_library(${target} STATIC ${ARGN})
    target_include_directories(${target} PUBLIC ${root})
endfunction()
