# The game library must not reach SDL, OpenGL, FFmpeg, vorbis, FreeType or libpng: those
# belong to src/platform/. Their headers sit on the compiler's default search path, so
# keeping the libraries PRIVATE to tarvex_platform is not enough on its own. For every
# header of theirs that the default path would find, this writes a stand-in of the same
# name that stops the build; targets that add the folder (BEFORE) see the stand-ins first.
#
# platform_only_headers(<target>...)

set(TARVEX_PLATFORM_ONLY_DIR ${CMAKE_BINARY_DIR}/platform-only-headers)

# A header that marks each guarded folder; the folder is shadowed as a whole.
set(platform_only_probes
  SDL2/SDL.h epoxy/gl.h GL/gl.h EGL/egl.h
  libavformat/avformat.h libavcodec/avcodec.h libavutil/avutil.h
  libswscale/swscale.h libswresample/swresample.h
  vorbis/vorbisfile.h ogg/ogg.h
  freetype2/ft2build.h libpng16/png.h)

foreach(probe ${platform_only_probes})
  get_filename_component(folder ${probe} DIRECTORY)
  string(MAKE_C_IDENTIFIER "TARVEX_ROOT_${folder}" root_var)
  find_path(${root_var} ${probe})
  if(${root_var})
    file(GLOB_RECURSE guarded RELATIVE ${${root_var}} ${${root_var}}/${folder}/*)
    list(APPEND platform_only_guarded ${guarded})
  endif()
endforeach()
# libpng's own names at the top of the include folder.
find_path(TARVEX_ROOT_png png.h)
if(TARVEX_ROOT_png)
  foreach(name png.h pngconf.h pnglibconf.h)
    if(EXISTS ${TARVEX_ROOT_png}/${name})
      list(APPEND platform_only_guarded ${name})
    endif()
  endforeach()
endif()

foreach(header ${platform_only_guarded})
  # file(CONFIGURE) rewrites a stand-in only when its text changes.
  file(CONFIGURE OUTPUT ${TARVEX_PLATFORM_ONLY_DIR}/${header}
       CONTENT "#error \"<${header}> belongs to src/platform/: reach it through a platform header\"\n")
endforeach()

function(platform_only_headers)
  foreach(target ${ARGN})
    target_include_directories(${target} BEFORE PRIVATE ${TARVEX_PLATFORM_ONLY_DIR})
  endforeach()
endfunction()
