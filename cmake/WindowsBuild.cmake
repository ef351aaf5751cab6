# The Windows build (cmake/mingw-w64-x86_64.cmake): the layers below the window on Windows's
# own registry, Remote Access Service, named mutex and processes. Qt and SQLite do not exist
# for it, so only the layers that need neither are built, with the adapters of platform/win32
# in place of the Linux ports. The window and the program itself are not built here yet.
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
target_include_directories(telmaq_app_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(telmaq_app_core PUBLIC telmaq_scheduler)

if(TELMAQ_BUILD_TESTS)
    enable_testing()
    # Debian's GoogleTest sources (package googletest), built with the same compiler.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    add_subdirectory(tests/win32)
endif()
