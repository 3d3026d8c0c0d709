# The posix thread model is required: with the win32 model std::mutex is
# missing and Boost.Regex stops being header-only.
set(CMAKE_C_COMPILER ${QUILLORA_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLORA_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLORA_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${QUILLORA_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLORA_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
