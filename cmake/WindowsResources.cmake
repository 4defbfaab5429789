# The Windows resources of portsetup.exe: its icon, version information and application manifest.
#
# Include this file from the top-level CMakeLists.txt, because enable_language() only works at
# file scope there, then call portsetup_add_windows_resources(<target>) on the executable.

if(WIN32)
    enable_language(RC)
endif()

set(PORTSETUP_RESOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/../src/ui/resources")
cmake_path(NORMAL_PATH PORTSETUP_RESOURCE_DIR)

function(portsetup_add_windows_resources target)
    if(NOT WIN32)
        message(FATAL_ERROR "portsetup_add_windows_resources: ${target} is not a Windows target")
    endif()

    set(resource_dir "${PORTSETUP_RESOURCE_DIR}")
    set(ui_dir "${resource_dir}/..")
    cmake_path(NORMAL_PATH ui_dir)
    set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources")

    configure_file("${resource_dir}/portsetup.manifest.in" "${out_dir}/portsetup.manifest" @ONLY)

    # windres takes forward slashes only; CMake paths already use them.
    set(PORTSETUP_RC_ICON "${resource_dir}/portsetup.ico")
    if(MSVC)
        # The MSVC linker writes a manifest of its own and would replace one embedded by the
        # resource script, so it gets ours as a source to merge instead. Without /MANIFESTUAC:NO
        # its default asInvoker level would clash with our requireAdministrator.
        set(PORTSETUP_RC_MANIFEST "")
        target_sources(${target} PRIVATE "${out_dir}/portsetup.manifest")
        target_link_options(${target} PRIVATE /MANIFESTUAC:NO)
    else()
        # CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST
        set(PORTSETUP_RC_MANIFEST "1 24 \"${out_dir}/portsetup.manifest\"")
    endif()
    configure_file("${resource_dir}/portsetup.rc.in" "${out_dir}/portsetup.rc" @ONLY)

    target_sources(${target} PRIVATE "${out_dir}/portsetup.rc")
    target_include_directories(${target} PRIVATE $<$<COMPILE_LANGUAGE:RC>:${ui_dir}>)
    # The resource compiler reports no dependencies on the files the script pulls in.
    set_source_files_properties("${out_dir}/portsetup.rc" PROPERTIES
        OBJECT_DEPENDS "${PORTSETUP_RC_ICON};${out_dir}/portsetup.manifest;${ui_dir}/resource_ids.h")
endfunction()
