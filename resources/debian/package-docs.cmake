# Run by CPack on the staged tree before the Debian package is made: the
# documentation takes the form Debian expects (a copyright file naming the
# licence, a changelog, compressed manual pages).
set(usr "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${usr}/share/doc/${CPACK_PACKAGE_NAME}")

file(REMOVE "${doc}/LICENSE")
file(COPY_FILE "${CMAKE_CURRENT_LIST_DIR}/copyright" "${doc}/copyright")

# A package built from this tree is its own release; SOURCE_DATE_EPOCH fixes the date.
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE "${doc}/changelog"
  "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
  "  * Markloom ${CPACK_PACKAGE_VERSION}, packaged from its source tree.\n\n"
  " -- ${CPACK_PACKAGE_CONTACT}  ${date}\n")

file(GLOB pages "${usr}/share/man/man*/*.[1-9]")
foreach(f IN LISTS pages ITEMS "${doc}/changelog")
  execute_process(COMMAND gzip -9nf "${f}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
