# The two install layouts, each an install component:
#   portable  everything side by side in the prefix, as in the build's bin/
#             folder; the settings file is written beside the executable.
#   fhs       <prefix>/bin, <prefix>/share/tolvotool (style file, images,
#             translation), the desktop entry, icon, AppStream metainfo and
#             the udev rule; the settings go to the user's configuration
#             folder. The .deb package always holds this one.
# TOLVO_PORTABLE_INSTALL picks the layout of a plain `cmake --install`; the
# other one stays available with `cmake --install <build> --component <name>`.
option(TOLVO_PORTABLE_INSTALL "cmake --install lays out one portable folder (OFF: bin/ and share/ as on Linux)" ON)

if(TOLVO_PORTABLE_INSTALL)
    set(tolvo_portable_default "")
    set(tolvo_fhs_default EXCLUDE_FROM_ALL)
else()
    set(tolvo_portable_default EXCLUDE_FROM_ALL)
    set(tolvo_fhs_default "")
endif()
set(TOLVO_FHS_DATA_DIR share/tolvotool)

# A program of the tool: beside the data (portable) or in bin/ (fhs).
function(tolvo_install_program target)
    install(TARGETS ${target} RUNTIME DESTINATION . COMPONENT portable ${tolvo_portable_default})
    install(TARGETS ${target} RUNTIME DESTINATION bin COMPONENT fhs ${tolvo_fhs_default})
endfunction()

# Files the tool reads beside itself (style file, translation, ...).
#   tolvo_install_data(FILES a b) or tolvo_install_data(DIRECTORY images)
function(tolvo_install_data kind)
    install(${kind} ${ARGN} DESTINATION . COMPONENT portable ${tolvo_portable_default})
    install(${kind} ${ARGN} DESTINATION ${TOLVO_FHS_DATA_DIR} COMPONENT fhs ${tolvo_fhs_default})
endfunction()

# What only an installed tree has; further arguments such as RENAME go to install().
function(tolvo_install_system_file file destination)
    install(FILES ${file} DESTINATION ${destination} COMPONENT fhs ${tolvo_fhs_default} ${ARGN})
endfunction()
