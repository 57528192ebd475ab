# `cpack -G DEB` in a build folder makes korimu_<version>_<arch>.deb of the installed tree under
# /usr. The libraries the program links are found by dpkg-shlibdeps; the fonts it reads at run
# time are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korimu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The KORIMU developers")
set(CPACK_PACKAGE_CONTACT "The KORIMU developers <maintainers@korimu.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "play a WAV file and look at what it holds")
set(CPACK_PACKAGE_DESCRIPTION
    "KORIMU opens an uncompressed PCM WAV file, plays it, and shows a zoomed waveform, a level \
meter of octave bands, a spectrum over a linear or logarithmic axis, or a time-frequency chart, \
computed by FFT, DTFT, DCT, maximum entropy or a wavelet transform. The interface is Japanese.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "unifont, fonts-unifont")
# Qt's Japanese translations give the file dialog and the standard buttons Japanese words.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, qt6-translations-l10n")
include(CPack)
