# The release packages, made by cpack in a build folder: a zip of Velmo.exe
# from the Windows build, a tar.gz of Velmo from the Linux build. Both unpack
# into one folder, Velmo-<version>/, holding the program, a starting
# Velmo.ini, the player's guide as README.txt, CHANGES.txt and LICENSE.txt,
# and the browser version Velmo.html from the emscripten build
# (scripts/build-web.sh), named by VELMO_WEB_PAGE.
# Only the install component "Velmo" is packed: test programs, tools and the
# install rules of libraries built alongside stay out.
set(VELMO_PACKAGE_FOLDER Velmo-${PROJECT_VERSION})
set(VELMO_PACKAGE_COMPONENT Velmo)

if(WIN32)
  # Notepad and friends expect CR LF.
  set(package_newline CRLF)
  # Where a default install of Project64 3.x keeps its ROM database. The
  # starting Velmo.ini names it but leaves the update off, so a first run
  # needs no editing and touches nothing of Project64's.
  set(VELMO_PACKAGE_RDB_PATH "C:\\Program Files (x86)\\Project64 3.0\\Config\\Project64.rdb")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(package_system win64)
  else()
    set(package_system win32)
  endif()
else()
  set(package_newline UNIX)
  set(VELMO_PACKAGE_RDB_PATH "")
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" package_system)
endif()

set(package_texts ${CMAKE_BINARY_DIR}/package)
configure_file(${PROJECT_SOURCE_DIR}/packaging/Velmo.ini.in ${package_texts}/Velmo.ini @ONLY
               NEWLINE_STYLE ${package_newline})
configure_file(${PROJECT_SOURCE_DIR}/packaging/player-guide.txt.in ${package_texts}/README.txt
               @ONLY NEWLINE_STYLE ${package_newline})
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${package_texts}/LICENSE.txt @ONLY
               NEWLINE_STYLE ${package_newline})
configure_file(${PROJECT_SOURCE_DIR}/CHANGES.md ${package_texts}/CHANGES.txt @ONLY
               NEWLINE_STYLE ${package_newline})

install(TARGETS Velmo RUNTIME DESTINATION ${VELMO_PACKAGE_FOLDER}
        COMPONENT ${VELMO_PACKAGE_COMPONENT})
install(FILES ${package_texts}/Velmo.ini ${package_texts}/README.txt
              ${package_texts}/CHANGES.txt ${package_texts}/LICENSE.txt
        DESTINATION ${VELMO_PACKAGE_FOLDER} COMPONENT ${VELMO_PACKAGE_COMPONENT})

set(VELMO_WEB_PAGE "" CACHE FILEPATH "Velmo.html of the web build, packed beside the program")
if(VELMO_WEB_PAGE)
  install(FILES ${VELMO_WEB_PAGE} DESTINATION ${VELMO_PACKAGE_FOLDER}
          COMPONENT ${VELMO_PACKAGE_COMPONENT})
elseif(NOT EMSCRIPTEN)
  message(STATUS "Release packages without Velmo.html: set VELMO_WEB_PAGE to pack it")
endif()

if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_PACKAGE_NAME Velmo)
set(CPACK_PACKAGE_VENDOR "The Velmo developers")
set(CPACK_PACKAGE_FILE_NAME Velmo-${PROJECT_VERSION}-${package_system})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
# The install destination already is the one folder of the archive.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Velmo;${VELMO_PACKAGE_COMPONENT};/")
# Debug information stays in the build; players get the program only.
set(CPACK_STRIP_FILES ON)
include(CPack)
