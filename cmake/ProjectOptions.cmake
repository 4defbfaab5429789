# Compiler and linker settings shared by every target of either build.
add_library(portsetup_options INTERFACE)
target_compile_options(portsetup_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Werror)

if(WIN32)
    target_compile_definitions(portsetup_options INTERFACE
        UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
        _WIN32_WINNT=0x0A00 WINVER=0x0A00 NTDDI_VERSION=0x0A000002)
    # One self-contained .exe: no MinGW runtime DLL may be needed beside it.
    target_link_options(portsetup_options INTERFACE -static -municode)
    # The loader flags Microsoft's linker sets for every program: address space layout
    # randomisation over the whole 64-bit space, no code run from data pages, and no remapping of
    # the Windows folder under Terminal Services.
    target_link_options(portsetup_options INTERFACE
        -Wl,--dynamicbase,--high-entropy-va,--nxcompat,--tsaware)
    # Reproducible: the same source gives the same bytes whenever and wherever it is built, so no
    # link time in the PE header and no build folder in the program.
    target_link_options(portsetup_options INTERFACE -Wl,--no-insert-timestamp)
    target_compile_options(portsetup_options INTERFACE
        "-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=" "-ffile-prefix-map=${PROJECT_BINARY_DIR}/=")
    target_compile_options(portsetup_options INTERFACE
        $<$<CONFIG:Release,MinSizeRel>:-Os -ffunction-sections -fdata-sections>)
    target_link_options(portsetup_options INTERFACE
        $<$<CONFIG:Release,MinSizeRel>:-s -Wl,--gc-sections>)
else()
    option(PORTSETUP_SANITIZE "Build the native tests with AddressSanitizer and UBSan" ON)
    if(PORTSETUP_SANITIZE)
        target_compile_options(portsetup_options INTERFACE
            -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
        target_link_options(portsetup_options INTERFACE -fsanitize=address,undefined)
    endif()
endif()
