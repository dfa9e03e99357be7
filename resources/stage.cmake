# Lays out the program folder beside the executable.
file(MAKE_DIRECTORY ${PROGRAM_DIR}/Help)
foreach(name en_US.dic en_US.aff)
  file(COPY_FILE /usr/share/hunspell/${name} ${PROGRAM_DIR}/${name} ONLY_IF_DIFFERENT)
endforeach()
# The user dictionary collects the words the user adds: never overwrite it.
if(NOT EXISTS ${PROGRAM_DIR}/User.dic)
  file(WRITE ${PROGRAM_DIR}/User.dic "")
endif()
file(COPY ${HELP_DIR}/ DESTINATION ${PROGRAM_DIR}/Help PATTERN ".keep" EXCLUDE)
