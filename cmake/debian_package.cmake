# `cpack -G DEB` in a build folder makes korimu_<version>_<arch>.deb of the installed tree under
# /usr. The libraries the program links are found by dpkg-shlibdeps; the fonts it reads at run
# time are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korimu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The KORIMU developers")
set(CPACK_PACKAGE_CONTACT "The KORIMU developers <maintainers@korimu.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "play a recording and look at what it holds")
# Lines of the extended description stay within 80 columns; an empty line is a lone ".".
set(CPACK_PACKAGE_DESCRIPTION
    "KORIMU opens a recording, plays it, and shows a zoomed waveform, a level
meter of octave bands, a spectrum over a linear or logarithmic axis, or a
time-frequency chart, computed by FFT, DTFT, DCT, maximum entropy or a wavelet
transform. The interface is Japanese.
.
8- and 16-bit PCM WAV files are read as they are; FLAC, MP3, Ogg Vorbis, Opus,
AIFF, AU, CAF, W64, RF64 and every other kind libsndfile reads are first
decoded into a 16-bit WAV copy in the user's cache folder
($XDG_CACHE_HOME/korimu/decoded, at most 2 GB).
.
The picture and the numbers of an analysis are saved as PNG and CSV. Without a
display, korimu --render and --csv do the same for one file or for many files
into one folder, several at once.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libsndfile is loaded when needed, not linked, so the dependency is named here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "unifont, fonts-unifont, libsndfile1 (>= 1.1.0)")
# Qt's Japanese translations give the file dialog and the standard buttons Japanese words.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, qt6-translations-l10n")
include(CPack)
