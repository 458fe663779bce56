# Mirrors the read-only data into the build tree (<build>/share/ormelle).
file(MAKE_DIRECTORY ${DEST})
if(EXISTS ${SRC}/Ormelle.chm)
  file(COPY ${SRC}/Ormelle.chm DESTINATION ${DEST})
endif()
if(EXISTS ${SRC}/Conseils.txt)
  file(COPY ${SRC}/Conseils.txt DESTINATION ${DEST})
endif()
