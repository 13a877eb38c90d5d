# Run by CPack once the package's files are staged (CPACK_PRE_BUILD_SCRIPTS): every ELF file there is
# stripped, and its symbols go, filed by build ID, into PACKAGE-dbgsym, a .ddeb written beside the
# package. Installed, it puts them under /usr/lib/debug/.build-id, where gdb looks for them.
#
# CPack's own debug package (CPACK_DEBIAN_DEBUGINFO_PACKAGE) is not used: in CMake 3.25 its md5sums
# list the build folder's paths instead of the package's, it has no copyright file, and it gives the
# main package ldconfig calls in postinst and postrm because the office plugin lies below /usr/lib.
find_program(DPKG_DEB dpkg-deb REQUIRED)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${ARGN}: ${error}")
    endif()
    set(run_output "${output}" PARENT_SCOPE)
endfunction()

set(package ${CPACK_PACKAGE_NAME})
set(debug_package ${package}-dbgsym)
set(debug_root ${CPACK_TOPLEVEL_DIRECTORY}/${debug_package})
file(REMOVE_RECURSE ${debug_root})

set(build_ids)
set(md5sums)
set(installed_kib 0)
file(GLOB_RECURSE staged LIST_DIRECTORIES false ${CPACK_TEMPORARY_DIRECTORY}/*)
foreach(file IN LISTS staged)
    if(IS_SYMLINK ${file})
        continue()
    endif()
    file(READ ${file} magic LIMIT 4 HEX)
    if(NOT magic STREQUAL "7f454c46")
        continue()
    endif()
    run(${CPACK_FOLIOKNIFE_READELF} --notes ${file})
    if(NOT run_output MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
        message(FATAL_ERROR "${file} has no build ID, so its symbols could not be found by it")
    endif()
    list(APPEND build_ids ${CMAKE_MATCH_1}${CMAKE_MATCH_2})
    set(debug_file usr/lib/debug/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug)
    get_filename_component(debug_folder ${debug_root}/${debug_file} DIRECTORY)
    file(MAKE_DIRECTORY ${debug_folder})
    run(${CPACK_FOLIOKNIFE_OBJCOPY} --only-keep-debug --compress-debug-sections ${file} ${debug_root}/${debug_file})
    # As dh_strip does: symbols only the linker needed, and the compiler's and linker's notes, go.
    run(${CPACK_FOLIOKNIFE_OBJCOPY} --strip-unneeded --remove-section=.comment --remove-section=.note
        --add-gnu-debuglink=${debug_root}/${debug_file} ${file})

    file(MD5 ${debug_root}/${debug_file} md5)
    string(APPEND md5sums "${md5}  ${debug_file}\n")
    file(SIZE ${debug_root}/${debug_file} size)
    math(EXPR installed_kib "${installed_kib} + (${size} + 1023) / 1024")
endforeach()
if(NOT build_ids)
    message(FATAL_ERROR "no ELF file among the staged files: nothing to strip")
endif()

file(MAKE_DIRECTORY ${debug_root}/usr/share/doc ${debug_root}/DEBIAN)
if(CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
    set(architecture ${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})
else()
    run(dpkg --print-architecture)
    string(STRIP "${run_output}" architecture)
endif()
set(version ${CPACK_PACKAGE_VERSION})
list(JOIN build_ids " " build_id_field)
file(WRITE ${debug_root}/DEBIAN/control
    "Package: ${debug_package}\n"
    "Source: ${package}\n"
    "Version: ${version}\n"
    "Auto-Built-Package: debug-symbols\n"
    "Architecture: ${architecture}\n"
    "Maintainer: ${CPACK_PACKAGE_CONTACT}\n"
    "Installed-Size: ${installed_kib}\n"
    "Depends: ${package} (= ${version})\n"
    "Section: debug\n"
    "Priority: optional\n"
    "Description: debug symbols for ${package}\n"
    "Build-Ids: ${build_id_field}\n"
    "Package-Type: ddeb\n")
file(WRITE ${debug_root}/DEBIAN/md5sums "${md5sums}")

# Modes as Debian wants them, whatever the builder's umask.
file(CHMOD_RECURSE ${debug_root}
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
    DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The debug package's documentation is the package's own, which it depends on in the same version.
file(CREATE_LINK ${package} ${debug_root}/usr/share/doc/${debug_package} SYMBOLIC)
run(${DPKG_DEB} --root-owner-group -Zxz --build ${debug_root}
    ${CPACK_PACKAGE_DIRECTORY}/${debug_package}_${version}_${architecture}.ddeb)
