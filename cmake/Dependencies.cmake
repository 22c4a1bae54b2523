# Outside libraries, all from Debian packages (scripts/install-deps).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)

pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
# The C++ build of Lua unwinds C++ frames when a script raises an error.
pkg_check_modules(LUA REQUIRED IMPORTED_TARGET lua5.1-c++)
pkg_check_modules(TINYXML REQUIRED IMPORTED_TARGET tinyxml)
# vorbisfile's module does not pull in vorbis and ogg.
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile vorbis ogg)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip zlib)
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
