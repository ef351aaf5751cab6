# telmaq_expose(TARGET FOLDER)
# A library makes only its own folder includable by its users, under the same path as in the
# source tree ("platform/registry/Registry.h"). Each library gets an include root of its own in
# the build tree holding one link to its folder, so a layer that includes a header of a layer
# above it (or of one it does not link) fails to build instead of compiling by accident.
function(telmaq_expose target folder)
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    target_include_directories(${target} PUBLIC ${root})
endfunction()
