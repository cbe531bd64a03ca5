# The Debian package (`make deb`, or `cpack -G DEB` in a build folder): the
# installed files under /usr, its library dependencies found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plendo)
set(CPACK_PACKAGE_VENDOR "Plendo Project")
set(CPACK_PACKAGE_CONTACT ${PLENDO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PLENDO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch image resizer with an always-on-top drop panel")
set(CPACK_PACKAGE_DESCRIPTION
    "Keep the small panel open, choose an output folder and a size, and drop image
files on it: each is scaled with high-quality bicubic resampling, optionally
gamma-corrected and sharpened, and written as a new JPEG. Reads BMP, JPEG, GIF,
PNG, TIFF, WMF, EMF, ICO, HEIF, AVIF, WebP and JPEG XL. The interface is
Japanese. plendo-batch does the same from a shell.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # plendo_<version>-<release>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries come from shlibdeps; the panel's Japanese texts need a font
# that has them, which no library names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic")
# Qt's own texts (the folder chooser's labels) in Japanese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
if(PLENDO_SUPPORT_URL)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PLENDO_SUPPORT_URL})
endif()

include(CPack)
