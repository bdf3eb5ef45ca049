# SPDX-License-Identifier: GPL-3.0-or-later
# A Debian package from the install rules: cpack -G DEB in the build tree.
set(CPACK_PACKAGE_NAME tremolix)
set(CPACK_PACKAGE_VENDOR "The Tremolix developers")
set(CPACK_PACKAGE_CONTACT "support@tremolix.example")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch audio converter and tag editor")
set(CPACK_PACKAGE_DESCRIPTION
    "Converts lists of audio files to AAC, APE, FLAC, M4A, MP3, MP4, Musepack, Ogg Vorbis, WAV and WMA in one run, names outputs from tags, copies tags and edits them.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tremolix.example/")
# The libraries the programs link and the encoders the archive's launchers run.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6, libqt6gui6, libqt6widgets6, libqt6dbus6, libavformat59, libavcodec59, libswresample4, libavutil57, libminizip1, libsoxr0, libtag1v5, libebur128-1, lame, vorbis-tools, flac, musepack-tools, opus-tools, wavpack")
include(CPack)
