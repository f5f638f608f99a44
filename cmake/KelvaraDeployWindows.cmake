# What a Windows install holds, laid out to run on a bare Windows: the two programs, the Qt DLLs and plugins they
# load, the MinGW runtime, Qt's German texts and a qt.conf that makes the program folder Qt's home.
# `cmake --install` gives the deployable folder; the installer packs the same files. The programs install
# themselves (src/app, src/cli) into CMAKE_INSTALL_BINDIR, which is the folder itself on Windows.

foreach(module Core Gui Widgets Network Svg)
    install(FILES "$<TARGET_FILE:Qt6::${module}>" DESTINATION .)
endforeach()

# The plugins Qt loads by name: the window system, the banner's pictures (GIF, JPEG, SVG), TLS for the online
# parts, the native look.
foreach(plugin_and_folder
        QWindowsIntegrationPlugin:platforms
        QGifPlugin:imageformats
        QJpegPlugin:imageformats
        QSvgPlugin:imageformats
        QICOPlugin:imageformats
        QSvgIconPlugin:iconengines
        QSchannelBackendPlugin:tls
        QWindowsVistaStylePlugin:styles)
    string(REPLACE ":" ";" parts "${plugin_and_folder}")
    list(GET parts 0 plugin)
    list(GET parts 1 folder)
    install(FILES "$<TARGET_FILE:Qt6::${plugin}>" DESTINATION "${folder}")
endforeach()

# The Qt DLLs need the kit's C++ runtime even though our programs carry their own.
get_target_property(kelvara_qt_core_location Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(kelvara_qt_bin "${kelvara_qt_core_location}" DIRECTORY)
install(FILES "${kelvara_qt_bin}/libstdc++-6.dll" "${kelvara_qt_bin}/libgcc_s_seh-1.dll"
              "${kelvara_qt_bin}/libwinpthread-1.dll" DESTINATION .)

# "Ja", "Nein", "Abbrechen": the translations are the same files on every platform.
find_file(KELVARA_QTBASE_DE qtbase_de.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
          REQUIRED)
install(FILES "${KELVARA_QTBASE_DE}" DESTINATION .)

file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/qt.conf" "[Paths]\nPrefix = .\nPlugins = .\nTranslations = .\n")
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/qt.conf" DESTINATION .)

# The licences of the third-party code the folder ships, one file per library (scripts/windows-deploy-check.sh
# knows which binary needs which). libsodium is linked statically, so its notice goes with it when a program
# links it.
set(kelvara_licences Qt LGPL-3 GPL-3 zlib PCRE2 double-conversion TinyCBOR libpng HarfBuzz md4c libjpeg-turbo
    GCC-runtime mingw-w64)
foreach(folder signature online app cli ui)
    get_property(kelvara_targets DIRECTORY "${PROJECT_SOURCE_DIR}/src/${folder}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS kelvara_targets)
        get_target_property(kelvara_linked ${target} LINK_LIBRARIES)
        string(TOLOWER "${kelvara_linked}" kelvara_linked)
        if(kelvara_linked MATCHES "sodium" AND NOT libsodium IN_LIST kelvara_licences)
            list(APPEND kelvara_licences libsodium)
        endif()
    endforeach()
endforeach()
list(TRANSFORM kelvara_licences PREPEND "${PROJECT_SOURCE_DIR}/resources/licenses/")
list(TRANSFORM kelvara_licences APPEND ".txt")
install(FILES ${kelvara_licences} DESTINATION Lizenzen)
