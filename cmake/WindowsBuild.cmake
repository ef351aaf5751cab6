# The Windows build (cmake/mingw-w64-x86_64.cmake): the layers below the window on Windows's
# own registry, Remote Access Service, named mutex and processes. Qt and SQLite do not exist
# for it, so only the layers that need neither are built, with the adapters of platform/win32
# in place of the Linux ports, and the window framework's Win32 side under the same dialogs.
enable_language(RC)
find_package(Threads REQUIRED)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
# The few POSIX calls the shared layers make, for every C++ file, so that those files stay as
# they are on Linux.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-include${CMAKE_SOURCE_DIR}/platform/win32/PosixStandIns.h>)

add_subdirectory(platform/win32)
add_subdirectory(dialup)
add_subdirectory(connection)
add_subdirectory(scheduler)

# The part of the application object that needs no window.
add_library(telmaq_app_core STATIC app/Profile.cpp app/Settings.cpp app/DialAppStartUp.cpp app/MessageLog.cpp)
telmaq_expose(telmaq_app_core app)
target_link_libraries(telmaq_app_core PUBLIC telmaq_ui)

# The window: the Win32 framework and, over it, the very dialogs the Linux build has.
add_subdirectory(ui/framework/win32)
add_subdirectory(ui/dialogs)

# The simulated Remote Access Service that Wine runs the program over.
add_subdirectory(tools/simulated-rasapi32)

# The program's icon (resource 1, which the window framework shows): rendered from the SVG at
# the sizes the shell asks for, put into one .ico.
set(TELMAQ_ICON_SIZES 16 24 32 48)
set(TELMAQ_ICON_PNGS)
foreach(size ${TELMAQ_ICON_SIZES})
    set(png ${CMAKE_BINARY_DIR}/icon/telmaq-${size}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icon
        COMMAND rsvg-convert -w ${size} -h ${size} ${CMAKE_SOURCE_DIR}/share/icons/telmaq.svg -o ${png}
        DEPENDS ${CMAKE_SOURCE_DIR}/share/icons/telmaq.svg VERBATIM)
    list(APPEND TELMAQ_ICON_PNGS ${png})
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/icon/telmaq-256.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icon
    COMMAND rsvg-convert -w 256 -h 256 ${CMAKE_SOURCE_DIR}/share/icons/telmaq.svg -o ${CMAKE_BINARY_DIR}/icon/telmaq-256.png
    DEPENDS ${CMAKE_SOURCE_DIR}/share/icons/telmaq.svg VERBATIM)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/icon/telmaq.ico
    # The largest one as PNG, as the shell takes it, the small ones as bitmaps.
    COMMAND icotool -c -o ${CMAKE_BINARY_DIR}/icon/telmaq.ico ${TELMAQ_ICON_PNGS}
        -r ${CMAKE_BINARY_DIR}/icon/telmaq-256.png
    DEPENDS ${TELMAQ_ICON_PNGS} ${CMAKE_BINARY_DIR}/icon/telmaq-256.png VERBATIM)
file(WRITE ${CMAKE_BINARY_DIR}/icon/ProgramIcon.rc "1 ICON \"telmaq.ico\"\n")
set_source_files_properties(${CMAKE_BINARY_DIR}/icon/ProgramIcon.rc PROPERTIES
    OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/icon/telmaq.ico)

# The program itself, a windowed one (no console), with the UTF-8 manifest and the icon.
add_executable(telmaq WIN32 app/WindowsMain.cpp app/DialDlgMainWindowFactory.cpp ${CMAKE_BINARY_DIR}/icon/ProgramIcon.rc
    $<TARGET_OBJECTS:telmaq_utf8_manifest>)
target_link_libraries(telmaq PRIVATE telmaq_app_core telmaq_ui)

# The help beside the program, where Help looks for it: the HTML page the Linux build ships,
# under the name Windows Help once gave it (the program's own name with ".HLP").
add_custom_command(OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/telmaq.HLP
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/share/telmaq.HLP ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/telmaq.HLP
    DEPENDS ${CMAKE_SOURCE_DIR}/share/telmaq.HLP VERBATIM)
add_custom_target(telmaq_help ALL DEPENDS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/telmaq.HLP)
add_dependencies(telmaq telmaq_help)

# The installer (NSIS's makensis, share/windows/telmaq.nsi) and the zip for use without
# installing, both of the same files: telmaq.exe, stripped, and its help. Built on request
# (target telmaq_windows_package, scripts/build-windows --package) into package/.
find_program(TELMAQ_MAKENSIS makensis)
find_program(TELMAQ_ZIP zip)
if(TELMAQ_MAKENSIS AND TELMAQ_ZIP)
    set(package ${CMAKE_BINARY_DIR}/package)
    set(TELMAQ_WINDOWS_SETUP ${package}/telmaq-setup.exe)
    set(TELMAQ_WINDOWS_ZIP ${package}/telmaq-${PROJECT_VERSION}-windows-x64.zip)
    add_custom_command(OUTPUT ${TELMAQ_WINDOWS_SETUP} ${TELMAQ_WINDOWS_ZIP}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${package}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${package}/telmaq
        COMMAND ${CMAKE_STRIP} -o ${package}/telmaq/telmaq.exe $<TARGET_FILE:telmaq>
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/telmaq.HLP ${package}/telmaq/
        COMMAND ${TELMAQ_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DFILES=${package}/telmaq
            -DICON=${CMAKE_BINARY_DIR}/icon/telmaq.ico -DOUTFILE=${TELMAQ_WINDOWS_SETUP}
            ${CMAKE_SOURCE_DIR}/share/windows/telmaq.nsi
        COMMAND ${CMAKE_COMMAND} -E chdir ${package} ${TELMAQ_ZIP} -q -X -r ${TELMAQ_WINDOWS_ZIP} telmaq
        DEPENDS telmaq ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/telmaq.HLP ${CMAKE_SOURCE_DIR}/share/windows/telmaq.nsi ${CMAKE_BINARY_DIR}/icon/telmaq.ico
        COMMENT "Making the installer and the zip" VERBATIM)
    add_custom_target(telmaq_windows_package DEPENDS ${TELMAQ_WINDOWS_SETUP} ${TELMAQ_WINDOWS_ZIP})
else()
    message(STATUS "makensis or zip not found: no installer (scripts/setup installs nsis and zip)")
endif()

if(TELMAQ_BUILD_TESTS)
    enable_testing()
    # Debian's GoogleTest sources (package googletest), built with the same compiler.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    add_subdirectory(tests/win32)
endif()
