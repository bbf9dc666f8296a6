# plainora.extract_text in 1 and 2 threads against plainora-cli -j 1 and -j 2
# on the shared corpus (a minute or two).
if(PLAINORA_PYTHON)
  add_custom_target(bench_python_threads
    COMMAND ${CMAKE_COMMAND} -E env PYTHONPATH=${PLAINORA_PYTHON_BUILD_DIR}
      ${PLAINORA_PYTHON_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/python_threads.py --cli $<TARGET_FILE:plainora-cli>
      ${PLAINORA_CORPUS_DIR}/doc ${PLAINORA_CORPUS_DIR}/docx ${PLAINORA_CORPUS_DIR}/rtf
    DEPENDS plainora-cli plainora_python
    USES_TERMINAL
    COMMENT "Converting in 1 and 2 Python threads and with plainora-cli -j 1 and -j 2")
endif()
