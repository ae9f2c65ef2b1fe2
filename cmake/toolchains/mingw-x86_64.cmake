# The x86_64 Windows executable (see mingw.cmake).
set(mingw_arch x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
