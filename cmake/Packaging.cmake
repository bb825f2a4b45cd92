# Debian packages through CPack (cpack -G DEB in the build folder), one per
# install component:
#   liborvcore57-<SOVERSION>  runtime   the shared library (its SONAME in the name)
#   liborvcore57-dev          dev       headers, the .so link, CMake package, pkg-config file
#   orvscene                  tool      the command-line tool
#   python3-orvcore           python    the Python module
# Versions come from project(VERSION). Each package carries its copyright and
# changelog files as Debian policy asks; dependencies on system libraries come
# from dpkg-shlibdeps, those between the packages from the components.
string(TOLOWER ${PROJECT_NAME} ORVCORE_PACKAGE_BASE)
set(ORVCORE_DEB_RUNTIME lib${ORVCORE_PACKAGE_BASE}-${PROJECT_VERSION_MAJOR})
set(ORVCORE_DEB_DEV lib${ORVCORE_PACKAGE_BASE}-dev)
set(ORVCORE_DEB_TOOL orvscene)
set(ORVCORE_DEB_PYTHON python3-orvcore)
set(ORVCORE_DEB_RELEASE 1)

set(CPACK_PACKAGE_NAME ${ORVCORE_PACKAGE_BASE})
set(CPACK_PACKAGE_VENDOR "The OrvCore57 developers")
set(ORVCORE_PACKAGE_CONTACT "OrvCore57 developers <orvcore57@example.org>" CACHE STRING
  "Maintainer of the Debian packages, as \"Name <address>\"")
set(CPACK_PACKAGE_CONTACT ${ORVCORE_PACKAGE_CONTACT})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
if(TARGET orvscene)
  list(APPEND CPACK_COMPONENTS_ALL tool)
endif()
if(TARGET orvcore_python)
  list(APPEND CPACK_COMPONENTS_ALL python)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ORVCORE_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${ORVCORE_DEB_RUNTIME})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The runtime package's shlibs file (what programs linked against the library
# depend on) and the ldconfig trigger, written here rather than by CPack,
# whose maintainer scripts would call ldconfig themselves.
set(ORVCORE_DEB_CONTROL ${PROJECT_BINARY_DIR}/debian-control)
file(WRITE ${ORVCORE_DEB_CONTROL}/shlibs
  "lib${PROJECT_NAME} ${PROJECT_VERSION_MAJOR} ${ORVCORE_DEB_RUNTIME} (>= ${PROJECT_VERSION})\n")
file(WRITE ${ORVCORE_DEB_CONTROL}/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${ORVCORE_DEB_CONTROL}/shlibs ${ORVCORE_DEB_CONTROL}/triggers)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${ORVCORE_DEB_DEV})
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME ${ORVCORE_DEB_TOOL})
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME ${ORVCORE_DEB_PYTHON})
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
if(TARGET orvcore_python)
  # The module is built for one interpreter version, so it depends on that one.
  execute_process(COMMAND ${Python3_EXECUTABLE} -c "import sys; print('%d.%d %d.%d' % (sys.version_info[0], sys.version_info[1], sys.version_info[0], sys.version_info[1] + 1))"
    OUTPUT_VARIABLE ORVCORE_DEB_PYTHON_RANGE OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(ORVCORE_DEB_PYTHON_RANGE)
  list(GET ORVCORE_DEB_PYTHON_RANGE 0 low)
  list(GET ORVCORE_DEB_PYTHON_RANGE 1 high)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= ${low}), python3 (<< ${high}), python3-numpy")
endif()

# Every package's /usr/share/doc/<package>: copyright and changelog.Debian.gz.
set(ORVCORE_DEB_DOC ${PROJECT_BINARY_DIR}/debian-doc)
# (SOURCE_DATE_EPOCH, when set, fixes the date for reproducible packages.)
string(TIMESTAMP ORVCORE_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
foreach(component runtime dev tool python)
  string(TOUPPER ${component} upper)
  set(package ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
  set(ORVCORE_DEB_PACKAGE ${package})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${ORVCORE_DEB_DOC}/${package}/changelog.Debian @ONLY)
  # gzip -9n, as Debian policy asks (no name or time stamp in the header).
  execute_process(COMMAND gzip -9nf ${ORVCORE_DEB_DOC}/${package}/changelog.Debian)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${ORVCORE_DEB_DOC}/${package}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

# Descriptions: the synopsis, then the extended description in lines of at most 80 columns
# (CPack indents them as Debian wants). No package-wide summary is set, since CPack would put it
# before each of these as a second synopsis.
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "core class library of a molecular-structure viewer
The shared library that a molecular-structure viewer and its modules load:
geometry of coordinates, colours, graphics primitives and display lists, text
patterns, neighbour search, random sequences and a document archive compatible
with the host framework's.")
set(CPACK_DEBIAN_DEV_DESCRIPTION "core class library of a molecular-structure viewer - development files
Headers, the CMake package (find_package(OrvCore57)) and the pkg-config file
(orvcore57) to build programs and modules on the OrvCore57 library.")
set(CPACK_DEBIAN_TOOL_DESCRIPTION "scenes of molecular structures built with OrvCore57
orvscene reads PDB, mmCIF or XYZ structures and writes an SVG picture, an
interactive HTML page, a glTF scene or a scene document.")
set(CPACK_DEBIAN_PYTHON_DESCRIPTION "Python 3 bindings of the OrvCore57 library
The orvcore module: the library's geometry, colours, display lists, archives
and neighbour search for Python, with numpy arrays.")

# CPack writes its configuration here, so every CPACK_ variable is set above.
include(CPack)

cpack_add_component(runtime DISPLAY_NAME "OrvCore57 shared library")
cpack_add_component(dev DISPLAY_NAME "OrvCore57 development files" DEPENDS runtime)
cpack_add_component(tool DISPLAY_NAME "orvscene" DEPENDS runtime)
cpack_add_component(python DISPLAY_NAME "orvcore Python module" DEPENDS runtime)
