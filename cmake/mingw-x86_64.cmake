# 64-bit Windows build: the one our tests run under Debian's 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BREVICOR_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
