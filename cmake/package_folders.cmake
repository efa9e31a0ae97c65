# Run by cpack between the install into its staging folder and the packing
# (CPACK_PRE_BUILD_SCRIPTS): every folder 0755, as Debian's dh_fixperms leaves
# them. The install makes the folders on its way under the builder's umask,
# which would otherwise be written into the package.
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(folder IN LISTS folders)
    if(IS_DIRECTORY "${folder}")
        file(CHMOD "${folder}" DIRECTORY_PERMISSIONS
             OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endif()
endforeach()
